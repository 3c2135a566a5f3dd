#pragma once

#include "platform/THandOff.h"

#include <QObject>

#include <condition_variable>
#include <memory>
#include <mutex>

// The hand-off through the Qt event loop: the call is posted as a queued invocation to a context
// object that lives on the GUI thread, and the worker waits for it on its own condition, so that
// Close() can always release it.
class TQtHandOff : public THandOff
{
public:
    TQtHandOff();
    ~TQtHandOff() override;

    void Run(std::function<void()> call) override;
    void Close() override;

private:
    struct Pending;
    std::unique_ptr<QObject> context;
    std::mutex mutex;
    std::condition_variable finished;
    bool closed = false;
    std::shared_ptr<Pending> pending;
};
