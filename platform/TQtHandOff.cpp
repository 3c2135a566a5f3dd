#include "platform/TQtHandOff.h"

#include "platform/FailureReport.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <condition_variable>
#include <mutex>

struct TQtHandOff::Call
{
    bool done = false;
    bool withdrawn = false;
};

struct TQtHandOff::State
{
    std::mutex mutex;
    std::condition_variable finished;
    bool closed = false;
    // The call the worker waits for; there is one worker per hand-off.
    std::shared_ptr<Call> pending;
};

TQtHandOff::TQtHandOff()
    : state(std::make_shared<State>())
    , context(std::make_unique<QObject>())
{
}

TQtHandOff::~TQtHandOff()
{
    // Deleting the context drops a call posted after Close() withdrew it.
    Close();
}

void TQtHandOff::Run(std::function<void()> call)
{
    auto job = std::make_shared<Call>();
    {
        std::lock_guard lock(state->mutex);
        if (state->closed)
            return;
        state->pending = job;
    }

    // The posted call owns what it touches after the handler has run; `context` is alive whenever
    // it starts, since deleting the context drops it.
    QMetaObject::invokeMethod(
        context.get(),
        [shared = state, job, call = std::move(call)] {
            {
                std::lock_guard lock(shared->mutex);
                if (job->withdrawn)
                    return;
            }
            try {
                call();
            } catch (...) {
                ReportCurrentException();
            }
            std::lock_guard lock(shared->mutex);
            job->done = true;
            shared->finished.notify_all();
        },
        Qt::QueuedConnection);

    std::unique_lock lock(state->mutex);
    state->finished.wait(lock, [&] { return job->done || job->withdrawn; });
    state->pending.reset();
}

void TQtHandOff::Close()
{
    {
        std::lock_guard lock(state->mutex);
        state->closed = true;
        if (state->pending)
            state->pending->withdrawn = true;
        state->finished.notify_all();
    }
    QCoreApplication::removePostedEvents(context.get(), QEvent::MetaCall);
}
