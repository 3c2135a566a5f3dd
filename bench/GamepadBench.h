#pragma once

// The game controllers' rows (zandrix2-bench --gamepad): how long a press takes to act and what
// the controllers cost while nothing happens. Prints its own table.
//
// A press comes from one of SDL's virtual controllers. A virtual controller has no device node,
// so the bench gives it one: a FIFO that a presser thread writes a byte to right after setting
// the button, watched by the same TDeviceWatch that watches a real controller's evdev node, whose
// wake-up pumps the hub as it does in the game. The time runs from just before the button is
// set to the end of the game's handling of the action (TGame::Act), on the GUI thread.
int RunGamepadBench(int argc, char **argv, bool quick);
