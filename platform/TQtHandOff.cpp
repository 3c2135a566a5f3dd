#include "platform/TQtHandOff.h"

#include "platform/FailureReport.h"

#include <QCoreApplication>
#include <QMetaObject>

struct TQtHandOff::Pending
{
    bool done = false;
    bool withdrawn = false;
};

TQtHandOff::TQtHandOff()
    : context(std::make_unique<QObject>())
{
}

TQtHandOff::~TQtHandOff()
{
    Close();
}

void TQtHandOff::Run(std::function<void()> call)
{
    auto job = std::make_shared<Pending>();
    {
        std::lock_guard lock(mutex);
        if (closed)
            return;
        pending = job;
    }

    // The context lives on the GUI thread, and deleting it drops the posted call, so `this` is
    // alive whenever the call runs.
    QMetaObject::invokeMethod(
        context.get(),
        [this, job, call = std::move(call)] {
            {
                std::lock_guard lock(mutex);
                if (job->withdrawn)
                    return;
            }
            try {
                call();
            } catch (...) {
                ReportCurrentException();
            }
            std::lock_guard lock(mutex);
            job->done = true;
            finished.notify_all();
        },
        Qt::QueuedConnection);

    std::unique_lock lock(mutex);
    finished.wait(lock, [&] { return job->done || job->withdrawn; });
    pending.reset();
}

void TQtHandOff::Close()
{
    {
        std::lock_guard lock(mutex);
        closed = true;
        if (pending)
            pending->withdrawn = true;
        finished.notify_all();
    }
    if (context)
        QCoreApplication::removePostedEvents(context.get(), QEvent::MetaCall);
}
