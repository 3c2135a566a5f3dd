#pragma once

#include "platform/THandOff.h"
#include "platform/TThread.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class TThreadedTimer;

// Watches a timer's worker for timing measurements; the game itself sets none. Its calls come on
// the worker thread, so they must be quick and must not throw.
class TTimerProbe
{
public:
    virtual ~TTimerProbe() = default;
    // Right before the worker sleeps until `milliseconds` after `from`.
    virtual void Sleeping(std::chrono::steady_clock::time_point from,
                          std::uint32_t milliseconds) noexcept = 0;
    // Right after the sleep has ended, before the tick is handed over.
    virtual void Woke() noexcept = 0;
};

// The worker of a threaded timer: sleeps for the interval, hands the tick to the GUI thread and
// waits until the handler has returned, then sleeps again. No catch-up: a slow handler stretches
// the period.
class TTimerThread : public TThread
{
public:
    TTimerThread(TThreadedTimer &owner, THandOff &guiHandOff);
    ~TTimerThread() override;

    TThreadedTimer &OwnerTimer;
    // The worker's copy of the interval; written by the GUI thread, read by the worker.
    std::atomic<std::uint32_t> SleepInterval{0};
    // Optional; null costs one load per tick. A probe once set must outlive the timer, since the
    // worker may be inside one of its calls whenever it is changed.
    std::atomic<TTimerProbe *> Probe{nullptr};

    // Runs on the GUI thread through the hand-off.
    void DoTimer();

protected:
    void Execute() override;

private:
    THandOff &handOff;
};

// Calls OnTimer every Interval milliseconds, on the GUI thread, one tick at a time. The worker runs
// exactly while Interval is not 0, Enabled is true and OnTimer is assigned; every change of a
// property parks it and, where that still holds, releases it again. A tick that reaches the GUI
// thread after the timer stopped running is dropped, and a failure raised by the handler is
// reported there without stopping the timer.
class TThreadedTimer
{
public:
    using TTimerEvent = std::function<void(TThreadedTimer *Sender)>;

    explicit TThreadedTimer(std::unique_ptr<THandOff> guiHandOff);
    virtual ~TThreadedTimer();
    TThreadedTimer(const TThreadedTimer &) = delete;
    TThreadedTimer &operator=(const TThreadedTimer &) = delete;

    bool Enabled() const { return enabled; }
    void setEnabled(bool value);

    std::uint16_t Interval() const { return interval; }
    void setInterval(std::uint16_t value);

    const TTimerEvent &OnTimer() const { return onTimer; }
    void setOnTimer(TTimerEvent handler);

    TThreadPriority ThreadPriority() const { return threadPriority; }
    void setThreadPriority(TThreadPriority value);

    TTimerThread &TimerThread() { return *timerThread; }

    // Whether the worker is wanted: Interval not 0, Enabled and OnTimer assigned.
    bool Running() const;

    // Calls OnTimer with this timer as the sender, if it is assigned.
    virtual void Tick();

private:
    void UpdateWorker();

    bool enabled = true;
    std::uint16_t interval = 1000;
    TTimerEvent onTimer;
    TThreadPriority threadPriority = tpNormal;
    std::unique_ptr<THandOff> handOff;
    std::unique_ptr<TTimerThread> timerThread;
};
