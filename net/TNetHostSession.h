#pragma once

#include "game/PlayerAction.h"
#include "game/TGameEvent.h"
#include "game/TGameMirror.h"
#include "net/NetMessage.h"
#include "net/THandshake.h"
#include "net/TNetLink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>
#include <vector>

// The host's side of a network game: seats one guest as the blue player and up to eight watchers,
// passes the game's stream to all of them and hands on what the player sends (its actions, a pause,
// the closing of its crash window). It knows the game only as its stream and the five actions: the
// one who runs the game feeds Tell() and follows the signals.
class TNetHostSession : public QObject
{
    Q_OBJECT

public:
    struct TOptions
    {
        QString password;
        // Whether the host's own actions wait the one-way delay (told to the guest as it is seated).
        bool evenOutLag = true;
        TNetLinkLimits limits = DefaultLimits();
        // A guest that is not seated this long after it connected is let go.
        int handshakeMs = 5000;
    };
    // The link's limits for a host: a player that turns on every pixel at the top speed sends up to
    // a thousand actions a second, so the host allows a few times that.
    static TNetLinkLimits DefaultLimits();

    explicit TNetHostSession(TOptions options, QObject *parent = nullptr);
    ~TNetHostSession() override;

    // Listens for guests on the port (0: a free one); on failure tells why in *error.
    bool Listen(quint16 port, QString *error);
    quint16 Port() const { return link.Port(); }

    // One event of the game's stream, passed on to every seated guest within a few milliseconds.
    void Tell(const TGameEvent &event);
    // Tells the guests that the game starts in ms milliseconds.
    void Countdown(int ms);
    // Tells every guest why the game ends and lets them go; the session takes no one any more.
    void Close(const QString &reason);

    bool PlayerSeated() const { return player >= 0; }
    int WatcherCount() const;
    // The mean round trip to the player in milliseconds; -1 without a player.
    int RoundTripMs() const;
    // The bytes of the stream sent so far, to the player alone.
    qint64 BytesToPlayer() const { return bytesToPlayer; }

signals:
    void playerSeated();
    void playerLeft(const QString &reason);
    // The player's actions, in the order it gave them.
    void action(TPlayerAction action);
    // The player asks to pause (true) or to go on (false).
    void pauseAsked(bool pause);
    // The player closed the crash window of the game's crash-th crash (1 for the first).
    void crashClosed(int crash);
    // Something the host's player may want to know: a guest turned away, a watcher come or gone.
    void notice(const QString &text);

private:
    struct Guest
    {
        THandshake handshake;
        QElapsedTimer since;
        bool seated = false;
        // Let go: its disconnection is on the way.
        bool leaving = false;
        TSeat seat = TSeat::Watcher;
        std::uint32_t lastAction = 0;
    };

    void Connected(int peer);
    void Disconnected(int peer, const QString &reason);
    void Received(int peer, const QByteArray &bytes);
    void Greet(int peer, Guest &guest, const TNetMessage &message);
    void Play(int peer, Guest &guest, const TNetMessage &message);
    // Sends the game so far to a watcher seated in the middle of it.
    void CatchUp(int peer);
    void Send(int peer, const TNetMessage &message);
    void SendEvents(int peer, const std::vector<TGameEvent> &events);
    void Flush();
    void DropUnseated();
    THandshake::TFreeSeats FreeSeats() const;

    TOptions options;
    TNetLink link;
    std::map<int, Guest> guests;
    int player = -1;
    bool closed = false;

    // The events not sent yet: sent together, at most every few milliseconds.
    std::vector<TGameEvent> pending;
    QTimer flushTimer;
    QElapsedTimer sinceFlush;
    // For a watcher who comes late: the game as it stood when the current round's events began,
    // and those events.
    TGameMirror mirror;
    TGameMirror roundBase;
    std::vector<TGameEvent> roundEvents;
    QTimer handshakeTimer;
    qint64 bytesToPlayer = 0;
};
