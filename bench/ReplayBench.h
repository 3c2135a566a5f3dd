#pragma once

struct ReplayBenchOptions
{
    // Computer-against-computer games recorded, read back, verified and played through.
    int games = 200;
    // Seeks timed in the made-up ten-minute game at the top speed.
    int seeks = 1000;
};

// The replays' bench: seeded computer-against-computer games in simulated time, each recorded by
// the game's recorder as it is played, kept, read back from its file, verified against the field
// checksums it carries and played through to the end of every round; what recording costs a tick;
// the files' size per minute of play; seek times in a ten-minute game at 1 ms per pixel. Prints
// the rows; returns 1 if any game's checksums differ.
int RunReplayBench(int &argc, char **argv, const ReplayBenchOptions &options);
