#pragma once

#include "game/PlayerAction.h"
#include "game/TGameMirror.h"
#include "net/TNetGuestSession.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class Tcrash;

// Playing (or watching) a game hosted on another computer: the host's stream rebuilds the game
// here as a replay is rebuilt, only live; this side's keys and controller steer the blue cycle
// through the network; a crash opens this side's own crash window, whose closing the host hears.
class TNetGuestPlay : public QObject
{
    Q_OBJECT

public:
    // Without an owner (a headless game) no crash window opens: each crash is closed at once.
    TNetGuestPlay(TSeat seat, const QString &password, QWidget *owner, QObject *parent = nullptr);
    ~TNetGuestPlay() override;

    void Join(const QString &host, quint16 port);
    const TGameMirror &Mirror() const { return mirror; }
    // Called with each rectangle of the field that changes.
    void WatchField(std::function<void(const QRect &)> changed)
    {
        mirror.playfield.field.onChanged = std::move(changed);
    }
    TSeat Seat() const { return session.Seat(); }
    bool Seated() const { return session.Seated(); }
    bool Watching() const { return session.Seat() == TSeat::Watcher; }
    int RoundTripMs() const { return session.RoundTripMs(); }

    // One of this computer's actions (either key set, the first controller): blue's.
    void Act(TPlayerAction action);
    // F5 or a controller's Start: pauses or resumes both sides.
    void Pause();
    // The player has left for another program: the round pauses on both sides.
    void Leave();
    // This side ends the network game.
    void Stop(const QString &reason);

signals:
    void seated(TSeat seat);
    // The mirror has changed: event is the last one applied.
    void changed(const TGameEvent &event);
    void countdown(int ms);
    // The session is over: why, and whether it ended a game under way (the connection was lost).
    void ended(const QString &reason, bool lost);

private:
    void Follow(const TGameEvent &event);
    void ShowCrash(const QString &text);
    void CloseCrash();

    QPointer<QWidget> owner;
    TNetGuestSession session;
    TGameMirror mirror;
    int crashes = 0;
    QPointer<Tcrash> crashWindow;
    bool stopping = false;
};
