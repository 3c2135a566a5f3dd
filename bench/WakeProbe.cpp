#include "bench/WakeProbe.h"

#include "bench/Clocks.h"

#include <sched.h>

namespace {

// steady_clock is CLOCK_MONOTONIC in nanoseconds, the bench's own clock.
std::int64_t Ns(std::chrono::steady_clock::time_point at)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

} // namespace

void WakeProbe::Sleeping(std::chrono::steady_clock::time_point start, std::uint32_t milliseconds,
                         std::chrono::steady_clock::time_point wakeTime) noexcept
{
    const std::int64_t startNs = Ns(start);
    wakeAt.store(Ns(wakeTime), std::memory_order_relaxed);
    from.store(startNs, std::memory_order_relaxed);
    deadline.store(startNs + std::int64_t{milliseconds} * 1'000'000, std::memory_order_relaxed);
}

void WakeProbe::Woke() noexcept
{
    woke.store(MonotonicNs(), std::memory_order_relaxed);
    wokeOn.store(sched_getcpu(), std::memory_order_relaxed);
}
