#pragma once

#include "game/PlayerAction.h"
#include "game/TGameEvent.h"
#include "net/TGameBeacon.h"
#include "net/TNetHostSession.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>

class QDialog;
class TGame;
class TWindowHost;

// Hosting a network game in the program: runs the game on this computer as red, starts it with a
// countdown once a guest sits down as blue, carries out the guest's actions and pauses, delays this
// side's own actions by the one-way delay when the lag is evened out, waits at each crash for both
// crash windows, and ends the game when the guest is gone.
class TNetHostPlay : public QObject
{
    Q_OBJECT

public:
    // How long both fields count down before the game starts, and how long a crash waits at most
    // for the guest's window.
    static constexpr int CountdownMs = 3000;
    static constexpr int CrashWaitMs = 10000;

    // With the program's windows, each crash window waits for the guest's (see WaitAfterCrash);
    // without (a headless game), the game goes on as its own host lets it.
    TNetHostPlay(TGame &game, TWindowHost *windows, TNetHostSession::TOptions options, QObject *parent = nullptr);
    ~TNetHostPlay() override;

    bool Listen(quint16 port, QString *error);
    // The countdown's length and the longest wait at a crash (tests and benches make them short).
    void setCountdownMs(int ms) { countdownMs = ms; }
    void setCrashWaitMs(int ms) { crashWaitMs = ms; }
    quint16 Port() const { return session.Port(); }
    TNetHostSession &Session() { return session; }

    // One of this computer's actions (either key set, the first controller): red's.
    void Act(TPlayerAction action);
    // F5 or a controller's Start: pauses or resumes both sides.
    void Pause();
    // Why the game cannot be found on the local network, empty when it can.
    QString BeaconError() const { return beacon.error(); }
    // Whether the game has begun (the countdown is over).
    bool Started() const { return begun; }
    // Whether the game has ended: over, lost or stopped.
    bool Over() const { return over; }
    int RoundTripMs() const { return session.RoundTripMs(); }
    // This side ends the network game: the guests are told, the game ends without a score kept.
    void Stop(const QString &reason);
    // Shows this side's crash window and returns once it and the guest's are closed, 10 s after
    // the crash at the latest, or at once when the guest is gone.
    void WaitAfterCrash(QDialog &window);

signals:
    // What the host's player waits for, in words (a guest joined, left, a watcher came).
    void status(const QString &text);
    // The game starts in ms milliseconds.
    void countdown(int ms);
    void started();
    // The guest is gone in the middle of the game: the text to show, with both scores.
    void lost(const QString &text);

private:
    void Seated();
    void Left(const QString &reason);
    void Begin();
    void Follow(const TGameEvent &event);
    void GuestAct(TPlayerAction action);
    void GuestPause(bool pause);
    void RunDue();

    TGame &game;
    TWindowHost *windows;
    TNetHostSession session;
    // Answers the players on the local network who look for a game.
    TGameBeacon beacon{0};
    bool evenOutLag;
    int countdownMs = CountdownMs;
    int crashWaitMs = CrashWaitMs;
    bool begun = false;
    bool over = false;
    QTimer countdownTimer;

    // This side's own actions waiting out the one-way delay, with when each is due.
    struct Delayed
    {
        qint64 due;
        TPlayerAction action;
    };
    std::deque<Delayed> delayed;
    QTimer delayTimer;
    QElapsedTimer clock;

    // Crashes told so far, and the latest whose window the guest has closed.
    int crashes = 0;
    int guestClosed = 0;
    // Set while a crash waits: ends the wait.
    std::function<void()> crashWaitOver;

    // The pixels of each bonus text, so that every screen shows the host's.
    QHash<QString, TLabelMask> masks;
};
