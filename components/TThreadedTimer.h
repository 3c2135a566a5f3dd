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
    // Right before the worker sleeps: the tick is due `milliseconds` after `from`, and the worker
    // means to wake at `wakeAt`, a little before that (see TTimerThread).
    virtual void Sleeping(std::chrono::steady_clock::time_point from, std::uint32_t milliseconds,
                          std::chrono::steady_clock::time_point wakeAt) noexcept = 0;
    // Right after the sleep has ended, before the tick is handed over.
    virtual void Woke() noexcept = 0;
};

// The worker of a threaded timer: sleeps for the interval, hands the tick to the GUI thread and
// waits until the handler has returned; the next sleep counts from that return. No catch-up: a
// slow handler stretches the period.
//
// Waking a sleeping thread, and through it the GUI thread, takes a machine a while (a tenth of a
// millisecond or more in a virtual machine), and that would lengthen every period. So the worker
// wakes that much before the sleep ends and hands the tick over at once, and the GUI thread waits
// out the rest of the sleep actively, handling its other events meanwhile: the handler starts when
// the sleep ends. How early is learned from the last ticks and is at most 1/32 of the interval (and
// 3 ms), which bounds the GUI thread's active waiting to some 3 % of its time per timer. A timer
// stopped while its tick waits out the sleep keeps that sleep's deadline, as a parked sleep does.
class TTimerThread : public TThread
{
public:
    TTimerThread(TThreadedTimer &owner, THandOff &guiHandOff);
    ~TTimerThread() override;

    // Optional; none costs one load per tick. A probe once set must outlive the timer, since the
    // worker may be inside one of its calls whenever it is changed.
    void setProbe(TTimerProbe *probe) { Probe.store(probe, std::memory_order_release); }

protected:
    void Execute() override;

private:
    friend class TThreadedTimer;
    struct HandedTick;

    TThreadedTimer &OwnerTimer;
    // The worker's copy of the interval; written by the GUI thread, read by the worker.
    std::atomic<std::uint32_t> SleepInterval{0};
    std::atomic<TTimerProbe *> Probe{nullptr};

    // How long before the end of a sleep of `milliseconds` the worker wakes.
    std::chrono::nanoseconds Lead(std::uint32_t milliseconds) const;
    // Runs on the GUI thread through the hand-off; false while the tick is early.
    bool DoTimer(HandedTick &tick);
    // Takes in how long one hand-off took from the worker's planned wake-up to the GUI thread.
    void Learn(std::chrono::nanoseconds reach);

    THandOff &handOff;
    // A high percentile of the recent hand-offs' reach (worker only, or before the start).
    std::chrono::nanoseconds reachEstimate;
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
