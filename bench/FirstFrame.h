#pragma once

#include "bench/Samples.h"

#include <cstdint>
#include <string>
#include <vector>

// Start-up to the first painted frame of the main window, measured in fresh processes: the bench
// starts itself again in first-frame mode, which builds the window as the program does and reports
// when the field view first receives a paint event.

// The child's side. Prints one line "first-frame <main start ns> <paint ns>" in monotonic time.
int RunFirstFrameChild(int &argc, char **argv, std::int64_t mainStartNs);

struct StartupResult
{
    // Milliseconds from just before the process was spawned, and from the start of main().
    Samples fromExec;
    Samples fromMain;
    // The largest peak resident set of the children, in kibibytes.
    long peakKiB = 0;
    std::string error;
};

// The parent's side: `runs` fresh starts with the given extra arguments.
StartupResult MeasureStartup(int runs, const std::vector<std::string> &arguments);
