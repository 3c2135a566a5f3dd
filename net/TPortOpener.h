#pragma once

#include <QObject>
#include <QString>

#include <memory>

// "Open the port on my router": asks the router on the local network, over UPnP, to forward a UDP
// port to this computer, so that a friend elsewhere can join the game hosted here. The asking takes
// a few seconds and runs on a thread of its own; done() tells how it went, in a sentence for the
// player. The forwarding is removed again by Close() or when the opener is destroyed (in the
// background; the destructor waits for it a moment at most).
class TPortOpener : public QObject
{
    Q_OBJECT
public:
    explicit TPortOpener(QObject *parent = nullptr);
    ~TPortOpener() override;
    TPortOpener(const TPortOpener &) = delete;
    TPortOpener &operator=(const TPortOpener &) = delete;

    // Asks the router to forward the UDP port; done() follows. Ignored while an asking is under way.
    void Open(quint16 port);
    // Removes the forwarding this opener made, if any (one still being made is removed once made).
    void Close();
    // Whether an Open() has not yet told how it went.
    bool IsBusy() const { return busy; }
    // Whether the router forwards the port for this opener.
    bool IsOpen() const { return open; }
    quint16 Port() const { return port; }

signals:
    void done(bool ok, const QString &message);

private:
    struct Shared;
    void Finished(quint64 generation, bool ok, const QString &message);

    std::shared_ptr<Shared> shared;
    // The Open() whose outcome is awaited (0: none).
    quint64 asking = 0;
    quint16 port = 0;
    bool busy = false;
    bool open = false;
};
