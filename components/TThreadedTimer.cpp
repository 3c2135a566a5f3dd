#include "components/TThreadedTimer.h"

#include "platform/ActiveWait.h"
#include "platform/FailureReport.h"

#include <algorithm>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The worker's lead beyond the learned reach, and its bounds (see TTimerThread): the share keeps
// the GUI thread's active waiting small, the longest lead is past any wake-up worth planning for.
constexpr std::chrono::nanoseconds kLeadMargin = 50us;
constexpr std::chrono::nanoseconds kLongestLead = 3ms;
constexpr std::int64_t kLeadShareOfInterval = 32;
// Closer than this to the sleep's end the GUI thread waits for it without handling other events.
constexpr std::chrono::nanoseconds kWaitHere = 20us;
// A reach beyond this is a stall of the whole machine, not something to plan for.
constexpr std::chrono::nanoseconds kLongestReach = 2ms;

} // namespace

// What the GUI thread reports back about one tick. Shared with the queued call, which may
// outlive this worker when the handler destroys its own timer.
struct TTimerThread::HandedTick
{
    enum Outcome : std::uint8_t {
        NotRun,         // withdrawn: the timer is being destroyed
        Ticked,         // the handler ran
        StoppedInSleep, // the timer stopped before the sleep ended: the sleep keeps its deadline
        Dropped,        // the timer stopped after the sleep ended: the tick is lost
    };

    explicit HandedTick(Clock::time_point sleepEnd)
        : due(sleepEnd)
    {
    }

    const Clock::time_point due;
    Outcome outcome = NotRun;
    // When the call first reached the GUI thread; zero until then.
    Clock::time_point reached;
    Clock::time_point returned;
};

TTimerThread::TTimerThread(TThreadedTimer &owner, THandOff &guiHandOff)
    : OwnerTimer(owner)
    , handOff(guiHandOff)
    , reachEstimate(200us)
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
    Clock::time_point from = Clock::now();
    std::uint32_t milliseconds = SleepInterval.load();
    for (;;) {
        const Clock::time_point due = from + std::chrono::milliseconds(milliseconds);
        const Clock::time_point wakeAt = due - Lead(milliseconds);
        TTimerProbe *const probe = Probe.load(std::memory_order_acquire);
        if (probe)
            probe->Sleeping(from, milliseconds, wakeAt);
        if (!SleepUntil(wakeAt))
            return;
        if (probe)
            probe->Woke();

        const auto tick = std::make_shared<HandedTick>(due);
        handOff.Run([this, tick] { return DoTimer(*tick); });
        // Parked during the hand-off (typically by the handler itself): stay here until released.
        bool waited = false;
        if (!WaitWhileParked(&waited))
            return;

        if (tick->outcome == HandedTick::StoppedInSleep)
            continue;
        if (tick->outcome == HandedTick::Ticked)
            Learn(tick->reached - wakeAt);
        // The next sleep counts from the handler's return; after a stop, from the release.
        from = tick->outcome == HandedTick::Ticked && !waited ? tick->returned : Clock::now();
        milliseconds = SleepInterval.load();
    }
}

bool TTimerThread::DoTimer(HandedTick &tick)
{
    const Clock::time_point now = Clock::now();
    if (tick.reached == Clock::time_point())
        tick.reached = now;
    // Early: let the GUI thread's other events go first, and come back. Close to the sleep's end
    // wait here, since the events in between may take a while.
    if (now < tick.due) {
        if (tick.due - now > kWaitHere)
            return false;
        WaitActivelyUntil(tick.due);
    }
    // The timer may have been stopped from the GUI thread after this tick was handed over; the
    // game must not see a tick after it stopped its timers.
    if (!OwnerTimer.Running()) {
        tick.outcome = tick.reached < tick.due ? HandedTick::StoppedInSleep : HandedTick::Dropped;
        return true;
    }
    tick.outcome = HandedTick::Ticked;
    try {
        OwnerTimer.Tick();
    } catch (...) {
        ReportCurrentException();
    }
    // Only `tick` from here on: the handler may have destroyed this worker.
    tick.returned = Clock::now();
    return true;
}

std::chrono::nanoseconds TTimerThread::Lead(std::uint32_t milliseconds) const
{
    const std::chrono::nanoseconds share =
        std::chrono::nanoseconds(std::chrono::milliseconds(milliseconds)) / kLeadShareOfInterval;
    // The reach varies widely from tick to tick on a busy or virtual machine: twice the estimate.
    return std::min({2 * reachEstimate + kLeadMargin, share, kLongestLead});
}

void TTimerThread::Learn(std::chrono::nanoseconds reach)
{
    // Follows a high percentile of the reach: up fast, down slowly.
    reach = std::clamp(reach, std::chrono::nanoseconds::zero(), kLongestReach);
    if (reach > reachEstimate)
        reachEstimate += (reach - reachEstimate) / 8;
    else
        reachEstimate -= (reachEstimate - reach) / 16;
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
