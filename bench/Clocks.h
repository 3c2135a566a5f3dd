#pragma once

#include <cstdint>

// Nanosecond readings for the measurements. Monotonic time is one clock for every thread and
// every process on the machine, so a child's readings compare with the parent's.
std::int64_t MonotonicNs();
std::int64_t ThreadCpuNs();
std::int64_t ProcessCpuNs();
// The largest resident set so far, in kibibytes.
long PeakResidentKiB();
// The time the hypervisor has kept this machine's processors from running it, summed over all of
// them since boot, in milliseconds (the "steal" of /proc/stat; 0 where unknown).
double StolenMs();
