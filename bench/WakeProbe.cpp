#include "bench/WakeProbe.h"

#include "bench/Clocks.h"

#include <sched.h>

void WakeProbe::Sleeping(std::chrono::steady_clock::time_point start, std::uint32_t milliseconds) noexcept
{
    // steady_clock is CLOCK_MONOTONIC in nanoseconds, the bench's own clock.
    const std::int64_t startNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
    from.store(startNs, std::memory_order_relaxed);
    deadline.store(startNs + std::int64_t{milliseconds} * 1'000'000, std::memory_order_relaxed);
}

void WakeProbe::Woke() noexcept
{
    woke.store(MonotonicNs(), std::memory_order_relaxed);
    wokeOn.store(sched_getcpu(), std::memory_order_relaxed);
}
