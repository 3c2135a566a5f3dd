// Guards what the bench's figures rest on: a threaded timer counts its next sleep from the moment
// the handler returned, so a worker that is slow to run again after the hand-off (as on a loaded
// or virtual machine) does not lengthen the period. Lives beside the bench, which found it.

#include "timer/TestHandOff.h"

#include "components/TThreadedTimer.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Plays a worker that the scheduler lets run again only a while after its call has ended.
class SlowReturnHandOff : public THandOff
{
public:
    SlowReturnHandOff(std::unique_ptr<THandOff> handOff, std::chrono::milliseconds returnDelay)
        : inner(std::move(handOff))
        , delay(returnDelay)
    {
    }

    void Run(std::function<void()> call) override
    {
        inner->Run(std::move(call));
        std::this_thread::sleep_for(delay);
    }

    void Close() override { inner->Close(); }

private:
    std::unique_ptr<THandOff> inner;
    std::chrono::milliseconds delay;
};

// A loaded machine wakes a thread late, never early (as in the timer suite).
constexpr auto kLate = 200ms;

} // namespace

TEST(SleepOrigin, NextSleepCountsFromTheHandlersReturnNotFromTheWorkersResumption)
{
    TestGuiThread gui;
    std::vector<Clock::time_point> starts;
    std::vector<Clock::time_point> ends;
    TThreadedTimer timer(std::make_unique<SlowReturnHandOff>(gui.MakeHandOff(), 300ms));
    timer.setInterval(400);
    timer.setOnTimer([&](TThreadedTimer *) {
        starts.push_back(Clock::now());
        ends.push_back(Clock::now());
    });
    ASSERT_TRUE(gui.PumpUntil([&] { return starts.size() >= 3; }, 5s));
    for (std::size_t i = 1; i < starts.size(); ++i) {
        SCOPED_TRACE(i);
        // No catch-up: a full interval after the handler returned...
        EXPECT_GE(starts[i] - ends[i - 1], 400ms);
        // ...but not 400 ms after the worker ran again, which would be 700 ms after the return.
        EXPECT_LT(starts[i] - ends[i - 1], 400ms + kLate);
    }
}

TEST(SleepOrigin, ReleaseAfterTheHandlerReturnedStillStartsAFullSleep)
{
    TestGuiThread gui;
    std::vector<Clock::time_point> starts;
    TThreadedTimer timer(std::make_unique<SlowReturnHandOff>(gui.MakeHandOff(), 300ms));
    timer.setInterval(400);
    timer.setOnTimer([&](TThreadedTimer *sender) {
        starts.push_back(Clock::now());
        sender->setEnabled(false);
    });
    ASSERT_TRUE(gui.PumpUntil([&] { return starts.size() >= 1; }, 5s));
    // Released while the worker has not yet come back from the hand-off.
    gui.PumpFor(100ms);
    const auto enabledAt = Clock::now();
    timer.setEnabled(true);
    ASSERT_TRUE(gui.PumpUntil([&] { return starts.size() >= 2; }, 5s));
    EXPECT_GE(starts[1] - enabledAt, 400ms);
    EXPECT_LT(starts[1] - enabledAt, 400ms + kLate);
}
