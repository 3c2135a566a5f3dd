#include "app/TNetGuestPlay.h"

#include "platform/FailureReport.h"
#include "windows/Tcrash.h"

TNetGuestPlay::TNetGuestPlay(TSeat seat, const QString &password, QWidget *window, QObject *parent)
    : QObject(parent)
    , owner(window)
    , session(seat, password)
{
    connect(&session, &TNetGuestSession::seatedAs, this, &TNetGuestPlay::seated);
    connect(&session, &TNetGuestSession::countdown, this, &TNetGuestPlay::countdown);
    connect(&session, &TNetGuestSession::happened, this,
            [this](const TGameEvent &event) { RunReporting([&] { Follow(event); }); });
    connect(&session, &TNetGuestSession::ended, this, [this](const QString &reason) {
        CloseCrash();
        // A game that was being played when the host went is lost; one that had ended, or had not
        // begun, is not.
        const bool underWay = mirror.state != TRoundState::Idle && mirror.state != TRoundState::GameOver;
        emit ended(reason, underWay && !stopping);
    });
}

TNetGuestPlay::~TNetGuestPlay()
{
    stopping = true;
    CloseCrash();
}

void TNetGuestPlay::Join(const QString &host, quint16 port)
{
    session.Join(host, port);
}

void TNetGuestPlay::Follow(const TGameEvent &event)
{
    mirror.Apply(event);
    switch (event.kind) {
    case TGameEvent::Kind::CrashShown:
        ++crashes;
        ShowCrash(event.text);
        break;
    case TGameEvent::Kind::State:
        // The host has gone on without waiting any longer for this window.
        if (event.state == TRoundState::Running || event.state == TRoundState::GameOver)
            CloseCrash();
        break;
    default: break;
    }
    emit changed(event);
}

void TNetGuestPlay::ShowCrash(const QString &text)
{
    CloseCrash();
    if (!owner) {
        session.CrashClosed(crashes);
        return;
    }
    auto *window = new Tcrash(owner);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(text);
    const int crash = crashes;
    connect(window, &QDialog::finished, this, [this, crash] {
        if (!stopping)
            session.CrashClosed(crash);
    });
    crashWindow = window;
    if (!Watching())
        window->open();
    else
        window->show();
}

void TNetGuestPlay::CloseCrash()
{
    if (crashWindow)
        crashWindow->done(QDialog::Accepted);
}

void TNetGuestPlay::Act(TPlayerAction action)
{
    if (mirror.state == TRoundState::Running)
        session.Act(action);
}

void TNetGuestPlay::Pause()
{
    if (mirror.state == TRoundState::Running)
        session.AskPause(true);
    else if (mirror.state == TRoundState::Paused)
        session.AskPause(false);
}

void TNetGuestPlay::Leave()
{
    if (mirror.state == TRoundState::Running)
        session.AskPause(true);
}

void TNetGuestPlay::Stop(const QString &reason)
{
    stopping = true;
    CloseCrash();
    session.Leave(reason);
}
