#pragma once

#include "platform/FailureReport.h"
#include "platform/THandOff.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

// Plays the GUI thread for timers under test without Qt: workers queue their calls here, and the
// thread that pumps (the test's main thread) runs them in order, like an event loop. Every timer
// gets its own hand-off from MakeHandOff(); all of them share this one queue, as all timers share
// the one GUI thread. Create the queue before the timers and let it outlive them.
class TestGuiThread
{
    struct Call
    {
        std::function<bool()> run;
        bool done = false;
        bool withdrawn = false;
    };

    // Shared with the hand-offs and held by every call under way, so that a call may destroy its
    // own timer (and with it the hand-off) while it runs.
    struct Queue
    {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<std::shared_ptr<Call>> calls;
    };

    class HandOff : public THandOff
    {
    public:
        explicit HandOff(std::shared_ptr<Queue> guiQueue)
            : queue(std::move(guiQueue))
        {
        }
        ~HandOff() override { Close(); }

        void Run(std::function<bool()> run) override
        {
            auto call = std::make_shared<Call>();
            call->run = std::move(run);
            std::unique_lock lock(queue->mutex);
            if (closed)
                return;
            current = call;
            queue->calls.push_back(call);
            queue->changed.notify_all();
            queue->changed.wait(lock, [&] { return call->done || call->withdrawn; });
            current.reset();
        }

        // Lets the worker go whether its call is still queued or already running (a call that
        // destroys its own timer closes the hand-off from inside itself).
        void Close() override
        {
            std::lock_guard lock(queue->mutex);
            closed = true;
            if (current) {
                current->withdrawn = true;
                std::erase(queue->calls, current);
            }
            queue->changed.notify_all();
        }

    private:
        std::shared_ptr<Queue> queue;
        // Guarded by queue->mutex. One worker per hand-off, so at most one call is under way.
        bool closed = false;
        std::shared_ptr<Call> current;
    };

public:
    using Clock = std::chrono::steady_clock;

    std::unique_ptr<THandOff> MakeHandOff() { return std::make_unique<HandOff>(queue); }

    // Runs queued calls as they come until `done` holds (checked before every wait and after
    // every call) or `timeout` has passed. Returns whether `done` held.
    bool PumpUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
    {
        const auto deadline = Clock::now() + timeout;
        while (!done()) {
            if (!RunOne(deadline))
                return done();
        }
        return true;
    }

    // Runs queued calls as they come for the given time.
    void PumpFor(std::chrono::milliseconds time)
    {
        const auto deadline = Clock::now() + time;
        while (RunOne(deadline)) {
        }
    }

    // Waits, running nothing, until `count` calls are queued; for catching a worker inside the
    // hand-off.
    bool WaitForQueued(std::size_t count, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(queue->mutex);
        return queue->changed.wait_for(lock, timeout, [&] { return queue->calls.size() >= count; });
    }

    std::size_t Queued() const
    {
        std::lock_guard lock(queue->mutex);
        return queue->calls.size();
    }

private:
    // Waits until a call is queued or the deadline has passed; runs the call. A failure raised by
    // it is reported here, as the GUI thread's own catch point would.
    bool RunOne(Clock::time_point deadline)
    {
        std::shared_ptr<Call> call;
        {
            std::unique_lock lock(queue->mutex);
            if (!queue->changed.wait_until(lock, deadline, [&] { return !queue->calls.empty(); }))
                return false;
            call = std::move(queue->calls.front());
            queue->calls.pop_front();
        }
        bool finished = true;
        try {
            finished = call->run();
        } catch (...) {
            ReportCurrentException();
        }
        std::lock_guard lock(queue->mutex);
        if (!finished) {
            // Not finished: back behind whatever was queued meanwhile, unless withdrawn.
            if (!call->withdrawn)
                queue->calls.push_back(std::move(call));
        } else {
            call->done = true;
        }
        queue->changed.notify_all();
        return true;
    }

    std::shared_ptr<Queue> queue = std::make_shared<Queue>();
};
