#include "bench/Clocks.h"

#include <fstream>
#include <string>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

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

double StolenMs()
{
    std::ifstream stat("/proc/stat");
    std::string cpu;
    unsigned long long fields[8] = {};
    stat >> cpu;
    for (unsigned long long &field : fields)
        stat >> field;
    if (!stat || cpu != "cpu")
        return 0.0;
    // user nice system idle iowait irq softirq steal, in clock ticks.
    return static_cast<double>(fields[7]) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}
