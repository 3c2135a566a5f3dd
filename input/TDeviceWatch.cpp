#include "input/TDeviceWatch.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

TDeviceWatch::TDeviceWatch(const QString &path, std::function<void()> activity, QObject *parent)
    : QObject(parent)
    , onActivity(std::move(activity))
{
    fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
}

TDeviceWatch::~TDeviceWatch()
{
    Stop();
}

void TDeviceWatch::Stop()
{
    // The notifier is switched off before its descriptor closes: the event loop must never wait
    // on a closed one. It is only deleted with the watch, since Stop may run from its own signal.
    if (notifier)
        notifier->setEnabled(false);
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

void TDeviceWatch::Drain()
{
    // Events come in bursts (a button and its report of sync); one wake-up takes them all.
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got > 0)
            continue;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        // The end of the data or an error (ENODEV once the device is gone).
        Stop();
        break;
    }
    if (onActivity)
        onActivity();
}
