#include "app/TNetHostPlay.h"

#include "app/TWindowHost.h"
#include "game/TFieldSurface.h"
#include "game/TGame.h"
#include "platform/FailureReport.h"

#include <QDialog>
#include <QEventLoop>

TNetHostPlay::TNetHostPlay(TGame &shownGame, TWindowHost *host, TNetHostSession::TOptions options, QObject *parent)
    : QObject(parent)
    , game(shownGame)
    , windows(host)
    , session(options)
    , evenOutLag(options.evenOutLag)
{
    connect(&session, &TNetHostSession::playerSeated, this, [this] { RunReporting([this] { Seated(); }); });
    connect(&session, &TNetHostSession::playerLeft, this,
            [this](const QString &reason) { RunReporting([&] { Left(reason); }); });
    connect(&session, &TNetHostSession::action, this,
            [this](TPlayerAction action) { RunReporting([&] { GuestAct(action); }); });
    connect(&session, &TNetHostSession::pauseAsked, this,
            [this](bool pause) { RunReporting([&] { GuestPause(pause); }); });
    connect(&session, &TNetHostSession::crashClosed, this, [this](int crash) {
        guestClosed = std::max(guestClosed, crash);
        if (crashWaitOver)
            crashWaitOver();
    });
    // Who comes and goes is told while the host waits; once the game runs nothing may cover it.
    connect(&session, &TNetHostSession::notice, this, [this](const QString &text) {
        if (!begun)
            emit status(text);
    });
    connect(&game, &TGame::happened, this, [this](const TGameEvent &event) { RunReporting([&] { Follow(event); }); });
    countdownTimer.setSingleShot(true);
    connect(&countdownTimer, &QTimer::timeout, this, [this] { RunReporting([this] { Begin(); }); });
    delayTimer.setSingleShot(true);
    delayTimer.setTimerType(Qt::PreciseTimer);
    connect(&delayTimer, &QTimer::timeout, this, [this] { RunReporting([this] { RunDue(); }); });
    clock.start();
    if (windows)
        windows->setCrashWait([this](QDialog &window) { WaitAfterCrash(window); });
}

TNetHostPlay::~TNetHostPlay()
{
    if (windows)
        windows->setCrashWait(nullptr);
    disconnect(&game, nullptr, this, nullptr);
}

bool TNetHostPlay::Listen(quint16 port, QString *error)
{
    if (!session.Listen(port, error))
        return false;
    // Found on the local network if the discovery port is free to share; hosted just as well if not.
    beacon.setGamePort(session.Port());
    beacon.Listen();
    return true;
}

void TNetHostPlay::Seated()
{
    if (begun || over)
        return;
    beacon.setSeatFree(false);
    emit status(QStringLiteral("A player has joined: the game starts in %1 s.").arg((countdownMs + 999) / 1000));
    session.Countdown(countdownMs);
    emit countdown(countdownMs);
    countdownTimer.start(countdownMs);
}

void TNetHostPlay::Left(const QString &reason)
{
    if (!begun) {
        beacon.setSeatFree(true);
        countdownTimer.stop();
        emit countdown(0);
        emit status(
            QStringLiteral("The player left (%1)\nWaiting for an opponent on port %2.").arg(reason).arg(Port()));
        return;
    }
    if (over)
        return;
    over = true;
    if (crashWaitOver)
        crashWaitOver();
    const QString text = QStringLiteral("Connection lost.\n%1\n\nPlayer 1: %2\nPlayer 2: %3")
                             .arg(reason)
                             .arg(game.redscore)
                             .arg(game.bluescore);
    // Told once the crash, if one is being shown, has let go of the game.
    QTimer::singleShot(0, this, [this, text] { emit lost(text); });
}

void TNetHostPlay::Begin()
{
    if (begun || over || !session.PlayerSeated())
        return;
    begun = true;
    emit started();
    game.Start(TGameMode::Network, this);
}

void TNetHostPlay::Follow(const TGameEvent &event)
{
    if (!begun)
        return;
    if (event.kind == TGameEvent::Kind::BonusShown && event.mask.IsNull()) {
        // Every screen shows the label's pixels as this one draws them, whatever fonts it has.
        TGameEvent told = event;
        auto mask = masks.constFind(event.text);
        if (mask == masks.constEnd())
            mask = masks.insert(event.text, TFieldLabel::TextMask(event.text));
        told.mask = *mask;
        session.Tell(told);
    } else {
        session.Tell(event);
    }
    if (event.kind == TGameEvent::Kind::CrashShown)
        ++crashes;
    if (event.kind == TGameEvent::Kind::State && event.state == TRoundState::GameOver && !over) {
        over = true;
        session.Close(QStringLiteral("The game is over."));
    }
}

void TNetHostPlay::GuestAct(TPlayerAction action)
{
    if (begun && !over)
        game.Act(TPlayer::Blue, action);
}

void TNetHostPlay::GuestPause(bool pause)
{
    if (!begun || over)
        return;
    const TRoundState state = game.State();
    if ((pause && state == TRoundState::Running) || (!pause && state == TRoundState::Paused))
        game.Pause(this);
}

void TNetHostPlay::Pause()
{
    if (begun && !over && game.RoundUnderWay())
        game.Pause(this);
}

void TNetHostPlay::Act(TPlayerAction action)
{
    if (!begun || over)
        return;
    const int oneWay = evenOutLag ? std::max(0, session.RoundTripMs()) / 2 : 0;
    if (oneWay == 0 && delayed.empty()) {
        game.Act(TPlayer::Red, action);
        return;
    }
    // In order: an action never overtakes one given before it.
    delayed.push_back({std::max(clock.elapsed() + oneWay, delayed.empty() ? 0 : delayed.back().due), action});
    if (!delayTimer.isActive())
        delayTimer.start(static_cast<int>(std::max<qint64>(0, delayed.front().due - clock.elapsed())));
}

void TNetHostPlay::RunDue()
{
    while (!delayed.empty() && delayed.front().due <= clock.elapsed()) {
        const TPlayerAction action = delayed.front().action;
        delayed.pop_front();
        game.Act(TPlayer::Red, action);
    }
    if (!delayed.empty() && !delayTimer.isActive())
        delayTimer.start(static_cast<int>(std::max<qint64>(0, delayed.front().due - clock.elapsed())));
}

void TNetHostPlay::WaitAfterCrash(QDialog &window)
{
    // The next round starts once both crash windows are closed, or at the latest 10 s after the
    // crash; a guest that is gone is not waited for.
    const int crash = crashes;
    QEventLoop loop;
    bool closedHere = false;
    crashWaitOver = [&] {
        if (over || (closedHere && guestClosed >= crash))
            loop.quit();
    };
    connect(&window, &QDialog::finished, &loop, [&] {
        closedHere = true;
        crashWaitOver();
    });
    QTimer::singleShot(crashWaitMs, &loop, &QEventLoop::quit);
    window.open();
    if (!over)
        loop.exec();
    crashWaitOver = nullptr;
    if (window.isVisible())
        window.done(QDialog::Accepted);
}

void TNetHostPlay::Stop(const QString &reason)
{
    countdownTimer.stop();
    delayed.clear();
    over = true;
    if (crashWaitOver)
        crashWaitOver();
    session.Close(reason);
}
