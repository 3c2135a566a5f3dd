#pragma once

#include <functional>

// Hands a call from a worker thread to the GUI thread. Run() queues the call behind the GUI
// thread's other events and blocks the worker until it has finished; it never throws. A call that
// returns false has not finished: it goes back behind the events that came in meanwhile and runs
// again as soon as they have been handled, so the GUI thread can wait for something actively while
// it stays responsive. Close() (GUI thread, before the worker is joined) withdraws a pending call
// without running it again, releases a worker blocked in Run(), and makes every later Run() return
// at once.
class THandOff
{
public:
    virtual ~THandOff() = default;
    virtual void Run(std::function<bool()> call) = 0;
    virtual void Close() = 0;
};
