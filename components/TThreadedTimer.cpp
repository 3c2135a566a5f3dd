#include "components/TThreadedTimer.h"

#include "platform/FailureReport.h"

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
    for (;;) {
        const std::uint32_t milliseconds = SleepInterval.load();
        TTimerProbe *const probe = Probe.load(std::memory_order_acquire);
        if (probe)
            probe->Sleeping(std::chrono::steady_clock::now(), milliseconds);
        if (!Sleep(milliseconds))
            return;
        if (probe)
            probe->Woke();
        handOff.Run([this] { DoTimer(); });
        // Parked during the hand-off (typically by the handler itself): stay here until released.
        if (!WaitWhileParked())
            return;
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
