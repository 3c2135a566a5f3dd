#pragma once

#include "bench/FirstFrame.h"
#include "bench/TimingBench.h"

#include <string>
#include <vector>

// Where and how the bench ran: printed above the table.
struct RunConditions
{
    std::string platform;
    std::string dispatcher;
    double secondsPerRow = 0.0;
    int rounds = 1;
    // Anything that makes the run differ from the game as it is, e.g. "one cycle"; empty if none.
    std::string variant;
    std::string loadBefore;
    std::string loadAfter;
    long peakKiB = 0;
};

// The machine, as far as the table needs it: processors, CPU model and kernel.
std::string MachineDescription();
// The load averages of the last 1, 5 and 15 minutes.
std::string LoadAverages();

// Prints the one table: a row per driver and interval, then start-up and memory, with the
// targets each row misses.
void PrintTable(const RunConditions &conditions, const std::vector<RowResult> &rows, const StartupResult &startup);
