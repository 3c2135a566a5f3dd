#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;

// Wakes the GUI thread when an input device node has something to say, without polling: it
// opens the node a second time, read-only, and the event loop waits on that descriptor together
// with everything else. Each reader of an evdev or hidraw node gets its own copy of the events,
// so what is read here is taken from no one; it is thrown away, and the owner is told to fetch
// the real thing (SDL reads its own descriptor).
//
// A node that goes away (a controller pulled out) reports an error or the end of its data: the
// watch then closes its descriptor for good, so that a hung-up node cannot wake the loop again
// and again, and tells the owner once more so that it notices the removal.
class TDeviceWatch : public QObject
{
    Q_OBJECT

public:
    // Watches the node at `path`; `onActivity` runs on the GUI thread after each wake-up. The
    // owner may delete the watch from there only with deleteLater().
    TDeviceWatch(const QString &path, std::function<void()> onActivity, QObject *parent = nullptr);
    ~TDeviceWatch() override;

    // Whether the node is open and watched (false if it could not be opened or has gone away).
    bool Watching() const { return fd >= 0; }
    // Closes the descriptor: nothing more comes from this watch.
    void Stop();

private:
    void Drain();

    int fd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    std::function<void()> onActivity;
};
