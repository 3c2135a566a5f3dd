#pragma once

#include <functional>

// Hands a call from a worker thread to the GUI thread. Run() queues the call behind the GUI
// thread's other events and blocks the worker until it has run to its end; it never throws.
// Close() (GUI thread, before the worker is joined) withdraws a pending call without running it,
// releases a worker blocked in Run(), and makes every later Run() return at once.
class THandOff
{
public:
    virtual ~THandOff() = default;
    virtual void Run(std::function<void()> call) = 0;
    virtual void Close() = 0;
};
