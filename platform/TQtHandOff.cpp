#include "platform/TQtHandOff.h"

#include "platform/FailureReport.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <condition_variable>
#include <mutex>
#include <utility>

struct TQtHandOff::Call
{
    explicit Call(std::function<bool()> function)
        : run(std::move(function))
    {
    }

    std::function<bool()> run;
    bool done = false;
    bool withdrawn = false;
};

struct TQtHandOff::State
{
    explicit State(QObject *postTo)
        : context(postTo)
    {
    }

    // Lives on the GUI thread; a posted call runs only while it exists.
    QObject *const context;
    std::mutex mutex;
    std::condition_variable finished;
    bool closed = false;
    // The call the worker waits for; there is one worker per hand-off.
    std::shared_ptr<Call> pending;
};

TQtHandOff::TQtHandOff()
    : context(std::make_unique<QObject>())
{
    state = std::make_shared<State>(context.get());
}

TQtHandOff::~TQtHandOff()
{
    // Deleting the context drops a call posted after Close() withdrew it.
    Close();
}

void TQtHandOff::Run(std::function<bool()> call)
{
    auto job = std::make_shared<Call>(std::move(call));
    {
        std::lock_guard lock(state->mutex);
        if (state->closed)
            return;
        state->pending = job;
    }
    Post(state, job);

    std::unique_lock lock(state->mutex);
    state->finished.wait(lock, [&] { return job->done || job->withdrawn; });
    state->pending.reset();
}

void TQtHandOff::Post(const std::shared_ptr<State> &state, const std::shared_ptr<Call> &job)
{
    // The posted call owns what it touches after the handler has run; the context is alive
    // whenever it starts, since deleting the context drops it.
    QMetaObject::invokeMethod(
        state->context,
        [shared = state, job] {
            {
                std::lock_guard lock(shared->mutex);
                if (job->withdrawn)
                    return;
            }
            bool finished = true;
            try {
                finished = job->run();
            } catch (...) {
                ReportCurrentException();
            }
            if (!finished) {
                // Posted from the GUI thread, this goes behind whatever arrived meanwhile.
                Post(shared, job);
                return;
            }
            std::lock_guard lock(shared->mutex);
            job->done = true;
            shared->finished.notify_all();
        },
        Qt::QueuedConnection);
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
