// The threaded timer without Qt: TestGuiThread plays the GUI thread, so every handler here runs on
// the test's main thread while it pumps.
//
// Timing: a loaded machine wakes a thread late, never early. Lower bounds are therefore exact, and
// upper bounds allow kLate on top of what the timer promises; where a test tells two behaviours
// apart by time, their times differ by more than kLate.

#include "TestHandOff.h"

#include "components/TThreadedTimer.h"
#include "platform/Failure.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::chrono::milliseconds kLate = 200ms;
// A destructor that waited for a sleep or a tick would take far longer than this (or forever).
constexpr std::chrono::milliseconds kNoWait = 1000ms;

bool ThreadExists(int tid)
{
    return std::filesystem::exists("/proc/self/task/" + std::to_string(tid));
}

int NiceValueOf(int tid)
{
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    EXPECT_EQ(errno, 0) << "getpriority of thread " << tid;
    return nice;
}

// Whether this process may give a thread a priority above normal (root or CAP_SYS_NICE).
bool MayRaisePriority()
{
    bool allowed = false;
    std::thread probe([&] { allowed = setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), -1) == 0; });
    probe.join();
    return allowed;
}

class ThreadedTimerTest : public ::testing::Test
{
protected:
    void TearDown() override { SetFailureReporter(nullptr); }

    // A handler that notes when each tick reached it.
    TThreadedTimer::TTimerEvent Record()
    {
        return [this](TThreadedTimer *) { ticks.push_back(Clock::now()); };
    }

    bool PumpUntilTicks(std::size_t count, std::chrono::milliseconds timeout = 2s)
    {
        return gui.PumpUntil([&] { return ticks.size() >= count; }, timeout);
    }

    TestGuiThread gui;
    std::vector<Clock::time_point> ticks;
};

struct MissingPiece
{
    const char *name;
    void (*withhold)(TThreadedTimer &timer, TThreadedTimer::TTimerEvent handler);
    void (*give)(TThreadedTimer &timer, TThreadedTimer::TTimerEvent handler);
};

// The three ways a timer can lack what it needs to run, each set up without the timer ever
// running, and the step that gives it the missing piece.
const MissingPiece kMissingPieces[] = {
    {"disabled",
     [](TThreadedTimer &timer, TThreadedTimer::TTimerEvent handler) {
         timer.setEnabled(false);
         timer.setInterval(40);
         timer.setOnTimer(std::move(handler));
     },
     [](TThreadedTimer &timer, TThreadedTimer::TTimerEvent) { timer.setEnabled(true); }},
    {"interval 0",
     [](TThreadedTimer &timer, TThreadedTimer::TTimerEvent handler) {
         timer.setInterval(0);
         timer.setOnTimer(std::move(handler));
     },
     [](TThreadedTimer &timer, TThreadedTimer::TTimerEvent) { timer.setInterval(40); }},
    {"no handler", [](TThreadedTimer &timer, TThreadedTimer::TTimerEvent) { timer.setInterval(40); },
     [](TThreadedTimer &timer, TThreadedTimer::TTimerEvent handler) { timer.setOnTimer(std::move(handler)); }},
};

TEST_F(ThreadedTimerTest, StaysParkedUntilTheMissingPieceIsGivenThenTicksAfterOneInterval)
{
    for (const MissingPiece &missing : kMissingPieces) {
        SCOPED_TRACE(missing.name);
        ticks.clear();
        TThreadedTimer timer(gui.MakeHandOff());
        missing.withhold(timer, Record());
        EXPECT_TRUE(timer.TimerThread().Parked());
        gui.PumpFor(130ms);
        EXPECT_TRUE(ticks.empty());

        const auto givenAt = Clock::now();
        missing.give(timer, Record());
        EXPECT_FALSE(timer.TimerThread().Parked());
        ASSERT_TRUE(PumpUntilTicks(1));
        EXPECT_GE(ticks[0] - givenAt, 40ms);
        EXPECT_LT(ticks[0] - givenAt, 40ms + kLate);
    }
}

TEST_F(ThreadedTimerTest, HandlerThatDisablesItsOwnTimerGetsNoFurtherTickUntilReenabled)
{
    TThreadedTimer timer(gui.MakeHandOff());
    timer.setInterval(30);
    timer.setOnTimer([&](TThreadedTimer *sender) {
        EXPECT_EQ(sender, &timer);
        ticks.push_back(Clock::now());
        sender->setEnabled(false);
    });
    ASSERT_TRUE(PumpUntilTicks(1));
    EXPECT_TRUE(timer.TimerThread().Parked());
    gui.PumpFor(120ms);
    EXPECT_EQ(ticks.size(), 1u);

    // The worker was held in the hand-off: enabling again starts a full sleep.
    const auto enabledAt = Clock::now();
    timer.setEnabled(true);
    ASSERT_TRUE(PumpUntilTicks(2));
    EXPECT_GE(ticks[1] - enabledAt, 30ms);
    EXPECT_LT(ticks[1] - enabledAt, 30ms + kLate);
}

// How the game changes a cycle's speed from a key handler, between ticks.
TEST_F(ThreadedTimerTest, SpeedChangeParksTwiceThenRunsAndTheNewIntervalGovernsTheNextSleep)
{
    TThreadedTimer timer(gui.MakeHandOff());
    timer.setInterval(20);
    timer.setOnTimer(Record());
    ASSERT_TRUE(PumpUntilTicks(1));

    timer.setEnabled(false);
    EXPECT_TRUE(timer.TimerThread().Parked());
    timer.setInterval(120);
    EXPECT_TRUE(timer.TimerThread().Parked());
    timer.setEnabled(true);
    EXPECT_FALSE(timer.TimerThread().Parked());

    // The sleep under way (if it had begun) keeps its length; the one after it is the new one.
    ASSERT_TRUE(PumpUntilTicks(3));
    EXPECT_GE(ticks[2] - ticks[1], 120ms);
    EXPECT_LT(ticks[2] - ticks[1], 120ms + kLate);
}

// The tests below that need the worker inside a sleep give it a long one after a short first
// sleep, and wait a good while before touching it, since a loaded machine may be slow to let the
// worker leave the hand-off and begin that sleep.

TEST_F(ThreadedTimerTest, SleepParkedPastItsDeadlineTicksAtOnceOnRelease)
{
    TThreadedTimer timer(gui.MakeHandOff());
    timer.setInterval(20);
    timer.setOnTimer([&](TThreadedTimer *sender) {
        ticks.push_back(Clock::now());
        sender->setInterval(400);
    });
    ASSERT_TRUE(PumpUntilTicks(1));
    gui.PumpFor(150ms);
    timer.setEnabled(false);
    gui.PumpFor(500ms); // past the deadline of the parked sleep
    EXPECT_EQ(ticks.size(), 1u);

    const auto releasedAt = Clock::now();
    timer.setEnabled(true);
    ASSERT_TRUE(PumpUntilTicks(2));
    // A restarted sleep would put the tick a whole interval after the release.
    EXPECT_LT(ticks[1] - releasedAt, 400ms);
}

TEST_F(ThreadedTimerTest, RepeatingCurrentValuesMidSleepLeavesTheTickWhereItWas)
{
    TThreadedTimer timer(gui.MakeHandOff());
    const TThreadedTimer::TTimerEvent handler = [&](TThreadedTimer *sender) {
        ticks.push_back(Clock::now());
        sender->setInterval(400);
    };
    timer.setInterval(20);
    timer.setOnTimer(handler);
    ASSERT_TRUE(PumpUntilTicks(1));
    gui.PumpFor(250ms);
    ASSERT_EQ(ticks.size(), 1u);

    const auto repeatedAt = Clock::now();
    timer.setEnabled(true);
    timer.setInterval(400);
    timer.setThreadPriority(tpNormal);
    timer.setOnTimer(handler);
    EXPECT_FALSE(timer.TimerThread().Parked());

    ASSERT_TRUE(PumpUntilTicks(2));
    EXPECT_GE(ticks[1] - ticks[0], 400ms);
    // A restarted sleep would end a whole interval after the repetition.
    EXPECT_LT(ticks[1] - repeatedAt, 400ms);
}

TEST_F(ThreadedTimerTest, SlowHandlerStretchesThePeriodWithoutCatchingUp)
{
    std::vector<Clock::time_point> ends;
    TThreadedTimer timer(gui.MakeHandOff());
    timer.setInterval(20);
    timer.setOnTimer([&](TThreadedTimer *) {
        ticks.push_back(Clock::now());
        if (ticks.size() <= 3)
            std::this_thread::sleep_for(60ms);
        ends.push_back(Clock::now());
    });
    ASSERT_TRUE(PumpUntilTicks(5));
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_GE(ticks[i] - ends[i - 1], 20ms);
    }
}

TEST_F(ThreadedTimerTest, DestroyingASleepingTimerNeitherWaitsNorDeliversAndLeavesNoThread)
{
    auto timer = std::make_unique<TThreadedTimer>(gui.MakeHandOff());
    timer->setInterval(20);
    timer->setOnTimer([&](TThreadedTimer *sender) {
        ticks.push_back(Clock::now());
        sender->setInterval(5000); // the next sleep is a long one
    });
    ASSERT_TRUE(PumpUntilTicks(1));
    gui.PumpFor(30ms);
    const int tid = timer->TimerThread().NativeId();
    ASSERT_TRUE(ThreadExists(tid));

    const auto start = Clock::now();
    timer.reset();
    EXPECT_LT(Clock::now() - start, kNoWait);
    gui.PumpFor(80ms);
    EXPECT_EQ(ticks.size(), 1u);
    // The kernel lists a joined thread for a moment longer.
    EXPECT_TRUE(gui.PumpUntil([&] { return !ThreadExists(tid); }, 1s));
}

TEST_F(ThreadedTimerTest, DestroyingATimerWhoseTickIsQueuedReleasesTheWorkerAndDropsTheTick)
{
    auto timer = std::make_unique<TThreadedTimer>(gui.MakeHandOff());
    timer->setInterval(10);
    timer->setOnTimer(Record());
    ASSERT_TRUE(gui.WaitForQueued(1, 2s)); // the worker now waits in the hand-off

    const auto start = Clock::now();
    timer.reset();
    EXPECT_LT(Clock::now() - start, kNoWait);
    EXPECT_EQ(gui.Queued(), 0u);
    gui.PumpFor(50ms);
    EXPECT_TRUE(ticks.empty());
}

// Destruction lands at every stage of the worker's loop: starting, asleep, queuing its tick,
// waiting in the hand-off, returning from it. (Mostly for ThreadSanitizer's sake.)
TEST_F(ThreadedTimerTest, DestroyingAtAnyMomentNeverDeliversAfterwards)
{
    for (int round = 0; round < 60; ++round) {
        auto timer = std::make_unique<TThreadedTimer>(gui.MakeHandOff());
        timer->setInterval(1);
        timer->setOnTimer(Record());
        gui.PumpFor(std::chrono::milliseconds(round % 4));
        timer.reset();
        const std::size_t delivered = ticks.size();
        gui.PumpFor(2ms);
        ASSERT_EQ(ticks.size(), delivered) << "round " << round;
    }
}

TEST_F(ThreadedTimerTest, HandlerMayDestroyItsOwnTimer)
{
    auto timer = std::make_unique<TThreadedTimer>(gui.MakeHandOff());
    timer->setInterval(10);
    timer->setOnTimer([&](TThreadedTimer *) {
        ticks.push_back(Clock::now());
        timer.reset();
    });
    ASSERT_TRUE(PumpUntilTicks(1));
    EXPECT_EQ(timer, nullptr);
    gui.PumpFor(50ms);
    EXPECT_EQ(ticks.size(), 1u);
}

TEST_F(ThreadedTimerTest, HandlerFailureIsReportedOnTheGuiThreadAndTheTimerKeepsTicking)
{
    std::vector<std::string> reports;
    std::vector<std::thread::id> reportedOn;
    SetFailureReporter([&](const std::string &message) {
        reports.push_back(message);
        reportedOn.push_back(std::this_thread::get_id());
    });
    TThreadedTimer timer(gui.MakeHandOff());
    timer.setInterval(10);
    timer.setOnTimer([&](TThreadedTimer *) {
        ticks.push_back(Clock::now());
        if (ticks.size() == 1)
            throw Failure("Kann nicht nach zandrix2.ini schreiben");
        if (ticks.size() == 2)
            throw 42;
    });
    ASSERT_TRUE(PumpUntilTicks(4));
    EXPECT_EQ(reports, (std::vector<std::string>{"Kann nicht nach zandrix2.ini schreiben", "Unknown failure"}));
    for (const std::thread::id id : reportedOn)
        EXPECT_EQ(id, std::this_thread::get_id());
    EXPECT_TRUE(timer.Enabled());
}

struct WayToStop
{
    const char *name;
    void (*stop)(TThreadedTimer &timer);
    void (*restart)(TThreadedTimer &timer, TThreadedTimer::TTimerEvent handler);
};

const WayToStop kWaysToStop[] = {
    {"disabled", [](TThreadedTimer &timer) { timer.setEnabled(false); },
     [](TThreadedTimer &timer, TThreadedTimer::TTimerEvent) { timer.setEnabled(true); }},
    {"interval 0", [](TThreadedTimer &timer) { timer.setInterval(0); },
     [](TThreadedTimer &timer, TThreadedTimer::TTimerEvent) { timer.setInterval(10); }},
    {"handler removed", [](TThreadedTimer &timer) { timer.setOnTimer(nullptr); },
     [](TThreadedTimer &timer, TThreadedTimer::TTimerEvent handler) { timer.setOnTimer(std::move(handler)); }},
};

// A key or menu handler stops the timer while its tick already waits in the GUI thread's queue.
TEST_F(ThreadedTimerTest, TickQueuedBeforeTheTimerWasStoppedIsDroppedAndTheTimerStartsAgain)
{
    for (const WayToStop &way : kWaysToStop) {
        SCOPED_TRACE(way.name);
        ticks.clear();
        TThreadedTimer timer(gui.MakeHandOff());
        timer.setInterval(10);
        timer.setOnTimer(Record());
        ASSERT_TRUE(gui.WaitForQueued(1, 2s));

        way.stop(timer);
        gui.PumpFor(60ms);
        EXPECT_TRUE(ticks.empty());
        EXPECT_TRUE(timer.TimerThread().Parked());

        way.restart(timer, Record());
        EXPECT_TRUE(PumpUntilTicks(1));
    }
}

// Notes when the sleep under way ends.
class DueProbe : public TTimerProbe
{
public:
    void Sleeping(Clock::time_point from, std::uint32_t milliseconds, Clock::time_point) noexcept override
    {
        due = from + std::chrono::milliseconds(milliseconds);
    }
    void Woke() noexcept override {}

    std::atomic<Clock::time_point> due{};
};

// The worker hands its tick over a little before the sleep ends, and the GUI thread waits for the
// end. A stop in that moment is a stop during the sleep: the sleep keeps its deadline.
TEST_F(ThreadedTimerTest, StopWhileTheTickWaitsForTheSleepsEndKeepsItsDeadline)
{
    constexpr std::size_t kTeachingTicks = 8;
    DueProbe probe;
    TThreadedTimer timer(gui.MakeHandOff());
    timer.TimerThread().setProbe(&probe);
    timer.setInterval(20);
    timer.setOnTimer([&](TThreadedTimer *sender) {
        ticks.push_back(Clock::now());
        if (ticks.size() == kTeachingTicks)
            sender->setInterval(320);
    });
    // A GUI thread slow to take the ticks teaches the worker to hand them over as early as it may.
    for (std::size_t tick = 1; tick <= kTeachingTicks; ++tick) {
        ASSERT_TRUE(gui.WaitForQueued(1, 2s));
        std::this_thread::sleep_for(3ms);
        ASSERT_TRUE(PumpUntilTicks(tick));
    }
    ASSERT_TRUE(gui.WaitForQueued(1, 2s));
    if (Clock::now() > probe.due.load() - 100us)
        GTEST_SKIP() << "the worker woke too late to hand over its tick early ("
                     << std::chrono::duration_cast<std::chrono::microseconds>(probe.due.load() - Clock::now()).count()
                     << " us before the sleep's end)";

    timer.setEnabled(false);
    gui.PumpFor(400ms); // past the deadline
    EXPECT_EQ(ticks.size(), kTeachingTicks);
    EXPECT_TRUE(timer.TimerThread().Parked());

    const auto releasedAt = Clock::now();
    timer.setEnabled(true);
    ASSERT_TRUE(PumpUntilTicks(kTeachingTicks + 1));
    // A new sleep would put the tick a whole interval (320 ms) after the release; a busy machine
    // (a sanitizer build beside other suites) may take a good part of that to deliver the old one.
    EXPECT_LT(ticks.back() - releasedAt, 300ms);
}

TEST_F(ThreadedTimerTest, PriorityChangeAppliesToTheWorkerAtOnceAndLosesNoTick)
{
    TThreadedTimer timer(gui.MakeHandOff());
    timer.setThreadPriority(tpLower);
    timer.setInterval(60);
    timer.setOnTimer(Record());
    ASSERT_TRUE(PumpUntilTicks(1));
    const int tid = timer.TimerThread().NativeId();
    ASSERT_NE(tid, 0);
    EXPECT_EQ(NiceValueOf(tid), TThread::NiceValue(tpLower)); // given when the thread started

    // Between ticks: the next tick still comes.
    timer.setThreadPriority(tpLowest);
    EXPECT_EQ(NiceValueOf(tid), TThread::NiceValue(tpLowest));
    ASSERT_TRUE(PumpUntilTicks(2));

    // Inside the hand-off: the queued tick is still delivered.
    ASSERT_TRUE(gui.WaitForQueued(1, 2s));
    timer.setThreadPriority(tpIdle);
    EXPECT_EQ(NiceValueOf(tid), TThread::NiceValue(tpIdle));
    ASSERT_TRUE(PumpUntilTicks(3, 100ms));

    if (MayRaisePriority()) {
        timer.setThreadPriority(tpHigher);
        EXPECT_EQ(NiceValueOf(tid), TThread::NiceValue(tpHigher));
    }
}

} // namespace
