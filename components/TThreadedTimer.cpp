#include "components/TThreadedTimer.h"

#include "platform/FailureReport.h"

#include <algorithm>
#include <utility>

TTimerThread::TTimerThread(TThreadedTimer &owner, THandOff &guiHandOff)
    : OwnerTimer(owner)
    , handOff(guiHandOff)
{
}

TTimerThread::~TTimerThread()
{
    // A worker blocked in the hand-off is let go without its call, then joined.
    handOff.Close();
    Stop();
}

void TTimerThread::Execute()
{
    Clock::time_point sleepFrom = Clock::now();
    for (;;) {
        const std::uint32_t milliseconds = SleepInterval.load();
        TTimerProbe *const probe = Probe.load(std::memory_order_acquire);
        if (probe)
            probe->Sleeping(sleepFrom, milliseconds);
        if (!SleepUntil(sleepFrom + std::chrono::milliseconds(milliseconds)))
            return;
        if (probe)
            probe->Woke();
        callEnded->store(0, std::memory_order_relaxed);
        handOff.Run([this, ended = callEnded] {
            DoTimer();
            // `this` may be gone by now; `ended` is the call's own.
            ended->store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
        });
        // Parked during the hand-off (typically by the handler itself): stay here until released.
        if (!WaitWhileParked())
            return;
        // A release after the handler returned starts a full sleep of its own. (A call withdrawn
        // unrun leaves no time: then the sleep starts now.)
        const Clock::rep ended = callEnded->load(std::memory_order_relaxed);
        const Clock::time_point returned =
            ended != 0 ? Clock::time_point(Clock::duration(ended)) : Clock::now();
        sleepFrom = std::max(returned, ReleasedAt());
    }
}

void TTimerThread::DoTimer()
{
    // The timer may have been stopped from the GUI thread after this tick was handed over; the
    // game must not see a tick after it stopped its timers.
    if (!OwnerTimer.Running())
        return;
    try {
        OwnerTimer.Tick();
    } catch (...) {
        ReportCurrentException();
    }
}

TThreadedTimer::TThreadedTimer(std::unique_ptr<THandOff> guiHandOff)
    : handOff(std::move(guiHandOff))
    , timerThread(std::make_unique<TTimerThread>(*this, *handOff))
{
    timerThread->SleepInterval = interval;
    timerThread->SetPriority(threadPriority);
}

TThreadedTimer::~TThreadedTimer()
{
    enabled = false;
    UpdateWorker();
    timerThread.reset();
}

void TThreadedTimer::setEnabled(bool value)
{
    if (value == enabled)
        return;
    enabled = value;
    UpdateWorker();
}

void TThreadedTimer::setInterval(std::uint16_t value)
{
    if (value == interval)
        return;
    interval = value;
    timerThread->SleepInterval = value;
    UpdateWorker();
}

void TThreadedTimer::setOnTimer(TTimerEvent handler)
{
    onTimer = std::move(handler);
    UpdateWorker();
}

void TThreadedTimer::setThreadPriority(TThreadPriority value)
{
    if (value == threadPriority)
        return;
    threadPriority = value;
    timerThread->SetPriority(value);
    UpdateWorker();
}

bool TThreadedTimer::Running() const
{
    return interval != 0 && enabled && onTimer;
}

void TThreadedTimer::Tick()
{
    // A copy, so that a handler may replace itself while it runs.
    if (const TTimerEvent handler = onTimer)
        handler(this);
}

void TThreadedTimer::UpdateWorker()
{
    timerThread->Park();
    if (Running())
        timerThread->Release();
}
