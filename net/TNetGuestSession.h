#pragma once

#include "game/PlayerAction.h"
#include "game/TGameEvent.h"
#include "net/NetMessage.h"
#include "net/THandshake.h"
#include "net/TNetLink.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

// The joining side of a network game: joins a host as its blue player or as a watcher, hands on the
// host's stream event by event and sends what this side's player does. It knows the game only as its
// stream and the five actions. Whatever way it ends (a join that fails, a refusal, the host leaving or
// falling silent, Leave()) is told once, by ended().
class TNetGuestSession : public QObject
{
    Q_OBJECT

public:
    TNetGuestSession(TSeat seat, QString password, QObject *parent = nullptr, const TNetLinkLimits &limits = {});
    ~TNetGuestSession() override;

    // Joins the host: seated() or ended() follows.
    void Join(const QString &host, quint16 port);
    bool Seated() const { return seated; }
    TSeat Seat() const { return seat; }
    // Whether the host delays its own actions by the one-way delay (known once seated).
    bool EvenOutLag() const { return handshake.EvenOutLag(); }

    // What this side's player does; nothing before it is seated as the player.
    void Act(TPlayerAction action);
    void AskPause(bool pause);
    // The player closed the crash window of the game's crash-th crash.
    void CrashClosed(int crash);
    // Leaves, telling the host why; ended(reason) follows.
    void Leave(const QString &reason);

    // The mean round trip to the host in milliseconds; -1 before joining.
    int RoundTripMs() const;

signals:
    void seatedAs(TSeat seat);
    // One event of the host's stream, in order.
    void happened(const TGameEvent &event);
    // The host's game starts in ms milliseconds.
    void countdown(int ms);
    // The session is over, and why, for the player.
    void ended(const QString &reason);

private:
    void Connected(int peer);
    void Received(const QByteArray &bytes);
    void Follow(const TNetMessage &message);
    void Send(const TNetMessage &message);
    void End(const QString &reason);

    TNetLink link;
    TSeat seat;
    THandshake handshake;
    int host = -1;
    bool seated = false;
    bool over = false;
    std::uint32_t actions = 0;
    QString target;
    // A host that lets the guest in but never seats it.
    QTimer seatDeadline;
};
