#include "bench/SleepFloor.h"

#include "bench/Clocks.h"

#include <thread>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

RowResult MeasureBareSleep(std::uint16_t interval, std::chrono::milliseconds span)
{
    RowResult row;
    row.driver = Driver::BareSleep;
    row.interval = interval;
    std::int64_t cpu = 0;
    std::thread sleeper([&] {
        (void)prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        (void)setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), -5);
        const std::int64_t cpu0 = ThreadCpuNs();
        const std::int64_t start = MonotonicNs();
        const std::int64_t end = start + std::chrono::duration_cast<std::chrono::nanoseconds>(span).count();
        std::int64_t last = start;
        while (last < end) {
            const std::int64_t deadline = last + std::int64_t{interval} * 1'000'000;
            const timespec wake{static_cast<time_t>(deadline / 1'000'000'000),
                                static_cast<long>(deadline % 1'000'000'000)};
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr) != 0) {
            }
            const std::int64_t woke = MonotonicNs();
            row.sleepLate.Add(static_cast<double>(woke - deadline) / 1000.0);
            row.period.Add(static_cast<double>(woke - last) / 1000.0);
            ++row.ticks;
            last = woke;
        }
        row.seconds = static_cast<double>(last - start) / 1e9;
        cpu = ThreadCpuNs() - cpu0;
    });
    sleeper.join();
    row.processCpu = static_cast<double>(cpu) / 1000.0;
    return row;
}
