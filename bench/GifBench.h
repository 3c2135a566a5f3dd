#pragma once

// Exporting a round as an animated GIF (zandrix2-bench --gif): a round of two computer pilots,
// played in simulated time to 60 s (10 s with --quick) and kept by the replay recorder, written
// at 1x and 2x at speed 1. Rows: frames, file size, the time to draw the frames and to encode the
// file, and the peak memory. Prints its own table.
int RunGifBench(int argc, char **argv, bool quick);
