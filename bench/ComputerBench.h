#pragma once

// The computer opponent's tournament: the levels against each other and each alone, played in the
// real main window in simulated game time, with what each decision cost in wall-clock time.
// Prints one table. `rounds` per pairing and per level alone.
int RunComputerBench(int &argc, char **argv, int rounds);
