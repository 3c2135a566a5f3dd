#include "bench/SleepFloor.h"

#include "bench/Clocks.h"

#include <atomic>
#include <cstdint>
#include <thread>

#include <linux/futex.h>
#include <poll.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace {

double Microseconds(std::int64_t nanoseconds)
{
    return static_cast<double>(nanoseconds) / 1000.0;
}

void WaitWhileZero(std::atomic<std::uint32_t> &word)
{
    while (word.load() == 0)
        syscall(SYS_futex, reinterpret_cast<std::uint32_t *>(&word), FUTEX_WAIT_PRIVATE, 0u, nullptr, nullptr, 0);
}

void Wake(std::atomic<std::uint32_t> &word)
{
    word.store(1);
    syscall(SYS_futex, reinterpret_cast<std::uint32_t *>(&word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

} // namespace

RowResult MeasureBareSleep(std::uint16_t interval, std::chrono::milliseconds span)
{
    RowResult row;
    row.driver = Driver::BareSleep;
    row.interval = interval;

    const int event = eventfd(0, EFD_CLOEXEC);
    if (event < 0)
        return row;
    std::atomic<std::int64_t> wokeNs{0};
    std::atomic<int> wokeOn{-1};
    std::atomic<std::uint32_t> answered{0};
    std::atomic<bool> done{false};

    // The stand-in for the GUI thread.
    const double stolen0 = StolenMs();
    std::thread receiver([&] {
        std::int64_t lastStart = 0;
        while (!done.load()) {
            pollfd wait{event, POLLIN, 0};
            if (poll(&wait, 1, 100) <= 0)
                continue;
            std::uint64_t count = 0;
            if (read(event, &count, sizeof count) != sizeof count)
                continue;
            const std::int64_t start = MonotonicNs();
            if (!done.load()) {
                row.handOff.Add(Microseconds(start - wokeNs.load()));
                (sched_getcpu() == wokeOn.load() ? row.handOffSameCpu : row.handOffOtherCpu)
                    .Add(Microseconds(start - wokeNs.load()));
                if (lastStart != 0)
                    row.period.Add(Microseconds(start - lastStart));
                lastStart = start;
            }
            Wake(answered);
        }
    });

    std::thread sleeper([&] {
        (void)prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        (void)setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), -5);
        const std::int64_t start = MonotonicNs();
        const std::int64_t end = start + std::chrono::duration_cast<std::chrono::nanoseconds>(span).count();
        std::int64_t from = start;
        while (from < end) {
            const std::int64_t deadline = from + std::int64_t{interval} * 1'000'000;
            const timespec wake{static_cast<time_t>(deadline / 1'000'000'000),
                                static_cast<long>(deadline % 1'000'000'000)};
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr) != 0) {
            }
            const std::int64_t woke = MonotonicNs();
            row.sleepLate.Add(Microseconds(woke - deadline));
            ++row.ticks;
            wokeNs.store(woke);
            wokeOn.store(sched_getcpu());
            answered.store(0);
            const std::uint64_t one = 1;
            if (write(event, &one, sizeof one) != sizeof one)
                break;
            WaitWhileZero(answered);
            // As the timer does: the next sleep counts from the answer, not from this wake-up.
            from = MonotonicNs();
        }
        row.seconds = static_cast<double>(from - start) / 1e9;
        done.store(true);
        const std::uint64_t one = 1;
        (void)write(event, &one, sizeof one);
    });
    sleeper.join();
    receiver.join();
    close(event);
    row.stolenMs = StolenMs() - stolen0;
    return row;
}
