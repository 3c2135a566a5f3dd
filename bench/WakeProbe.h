#pragma once

#include "components/TThreadedTimer.h"

#include <atomic>
#include <cstdint>

// Notes when a timer's worker meant to wake and when it did. The worker writes both before it
// hands the tick over, and the handler reads them after the hand-off, which orders the two.
class WakeProbe : public TTimerProbe
{
public:
    void Sleeping(std::chrono::steady_clock::time_point from, std::uint32_t milliseconds,
                  std::chrono::steady_clock::time_point wakeAt) noexcept override;
    void Woke() noexcept override;

    // When the sleep began (after the last handler returned, or at a later release) and ended.
    std::int64_t FromNs() const { return from.load(std::memory_order_relaxed); }
    std::int64_t DeadlineNs() const { return deadline.load(std::memory_order_relaxed); }
    // When the worker meant to wake, a little before the deadline.
    std::int64_t WakeAtNs() const { return wakeAt.load(std::memory_order_relaxed); }
    std::int64_t WokeNs() const { return woke.load(std::memory_order_relaxed); }
    // The processor the worker woke on.
    int WokeOn() const { return wokeOn.load(std::memory_order_relaxed); }

private:
    std::atomic<std::int64_t> from{0};
    std::atomic<std::int64_t> deadline{0};
    std::atomic<std::int64_t> wakeAt{0};
    std::atomic<std::int64_t> woke{0};
    std::atomic<int> wokeOn{-1};
};
