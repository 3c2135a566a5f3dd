#include "bench/Clocks.h"

#include <sys/resource.h>
#include <time.h>

namespace {

std::int64_t Read(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

} // namespace

std::int64_t MonotonicNs()
{
    return Read(CLOCK_MONOTONIC);
}

std::int64_t ThreadCpuNs()
{
    return Read(CLOCK_THREAD_CPUTIME_ID);
}

std::int64_t ProcessCpuNs()
{
    return Read(CLOCK_PROCESS_CPUTIME_ID);
}

long PeakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
