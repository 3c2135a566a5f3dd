// The main window's side of a network game: hosting, joining and watching, the keys and the first
// controller steering this computer's own cycle, a remote game shown as it is told, the countdown,
// the round trip on the side panel, and the end of the game however it comes.
#include "app/TFieldView.h"
#include "app/TForm1.h"
#include "app/TNetGuestPlay.h"
#include "app/TNetHostPlay.h"
#include "app/TWindowHost.h"
#include "game/TGame.h"
#include "input/KeyActions.h"
#include "net/NetAddress.h"
#include "platform/Failure.h"
#include "platform/FailureReport.h"
#include "replay/TReplayRecorder.h"
#include "windows/TNetGameDialog.h"
#include "windows/TNetWaitWindow.h"

#include <QFont>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>

namespace {

// The countdown's number, large, in the middle of the field.
QImage CountdownPicture(int seconds)
{
    QImage picture(TFieldSurface::Width, 120, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    QFont font = painter.font();
    font.setPixelSize(96);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(255, 255, 0));
    painter.drawText(picture.rect(), Qt::AlignCenter, QString::number(seconds));
    return picture;
}

} // namespace

void TForm1::CreateRoundTrip()
{
    roundTrip = new QLabel(Panel1);
    roundTrip->setObjectName(QStringLiteral("roundTrip"));
    roundTrip->setGeometry(0, TFieldSurface::Height - 22, Panel1->width(), 16);
    roundTrip->setAlignment(Qt::AlignCenter);
    roundTrip->setStyleSheet(QStringLiteral("color: #ffff00; background: transparent;"));
    roundTrip->hide();
    roundTripTimer.setInterval(500);
    connect(&roundTripTimer, &QTimer::timeout, this, [this] { ShowRoundTrip(); });
    countdownTimer.setInterval(100);
    connect(&countdownTimer, &QTimer::timeout, this, [this] {
        countdownLeftMs -= countdownTimer.interval();
        ShowCountdown(countdownLeftMs);
    });
}

bool TForm1::NetworkBusy() const
{
    return (hosting && !hosting->Over()) || (remote && !remoteEnded);
}

void TForm1::NetworkGame1Click(QObject *)
{
    const std::optional<TNetGameChoice> choice = TNetGameDialog::Choose(this);
    if (!choice)
        return;
    if (choice->way == TNetGameChoice::Way::Host) {
        HostNetworkGame(choice->port, choice->password, choice->evenOutLag);
        // The router forwards the port for as long as the game is hosted.
        router = choice->router;
    } else
        JoinNetworkGame(choice->host, choice->port, choice->password, choice->way == TNetGameChoice::Way::Watch);
}

void TForm1::HostNetworkGame(quint16 port, const QString &password, bool evenOutLag)
{
    StopWatching();
    ForgetNetworkGame();
    if (game.RoundUnderWay())
        game.Abandon();
    auto play = std::make_unique<TNetHostPlay>(
        game, windowHost, TNetHostSession::TOptions{.password = password, .evenOutLag = evenOutLag});
    QString error;
    if (!play->Listen(port, &error))
        throw Failure(QStringLiteral("Cannot host a network game on port %1: %2").arg(port).arg(error).toStdString());
    hosting = std::move(play);
    netBindings = windowHost ? windowHost->ReadBindings() : QStringList{};
    connect(hosting.get(), &TNetHostPlay::status, this, &TForm1::ShowNetStatus);
    connect(hosting.get(), &TNetHostPlay::countdown, this, &TForm1::ShowCountdown);
    connect(hosting.get(), &TNetHostPlay::started, this, [this] {
        CloseWaitWindow();
        roundTripTimer.start();
        ShowRoundTrip();
    });
    connect(hosting.get(), &TNetHostPlay::lost, this,
            [this](const QString &text) { RunReporting([&] { HostLost(text); }); });

    QStringList addresses;
    for (const QString &address : NetAddress::LocalAddresses())
        addresses << NetAddress::Display(address, hosting->Port());
    QString text = QStringLiteral("Waiting for an opponent on port %1.").arg(hosting->Port());
    if (!addresses.isEmpty())
        text += QStringLiteral("\nGive your friend one of these addresses:\n") + addresses.join(QLatin1Char('\n'));
    ShowNetStatus(text);
    if (waitWindow)
        waitWindow->setRouterPort(hosting->Port());
    ShowState(game.State());
}

void TForm1::JoinNetworkGame(const QString &host, quint16 port, const QString &password, bool watching)
{
    StopWatching();
    ForgetNetworkGame();
    if (game.RoundUnderWay())
        game.Abandon();
    remote = std::make_unique<TNetGuestPlay>(watching ? TSeat::Watcher : TSeat::Player, password, this);
    remoteEnded = false;
    netBindings = windowHost ? windowHost->ReadBindings() : QStringList{};
    savedNotice = fieldView->Notice();
    savedNoticeAt = fieldView->NoticeAt();
    remote->WatchField([view = fieldView](const QRect &rect) { view->update(rect); });
    fieldView->setNotice({}, {});
    fieldView->setSurface(remote->Mirror().playfield.field);
    ShowPanelFor(TGameMode::Network);
    for (int i = 0; i < DisplayCount; ++i)
        ShowDisplay(static_cast<TDisplay>(i));
    connect(remote.get(), &TNetGuestPlay::changed, this, &TForm1::ShowRemote);
    // This side keeps the game too, to watch again.
    if (recorder)
        connect(remote.get(), &TNetGuestPlay::changed, recorder, &TReplayRecorder::Take);
    connect(remote.get(), &TNetGuestPlay::countdown, this, &TForm1::ShowCountdown);
    connect(remote.get(), &TNetGuestPlay::seated, this, [this, watching] {
        ShowNetStatus(watching ? QStringLiteral("Watching: the game shows as soon as the host plays.")
                               : QStringLiteral("Joined: the game starts as soon as the host starts it."));
        roundTripTimer.start();
        ShowRoundTrip();
    });
    connect(remote.get(), &TNetGuestPlay::ended, this,
            [this](const QString &reason, bool lost) { RunReporting([&] { RemoteEnded(reason, lost); }); });
    ShowNetStatus(QStringLiteral("Joining %1...").arg(NetAddress::Display(host, port)));
    ShowState(game.State());
    remote->Join(host, port);
}

void TForm1::ShowNetStatus(const QString &text)
{
    if (!waitWindow) {
        waitWindow = new TNetWaitWindow(this);
        waitWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(waitWindow, &TNetWaitWindow::cancelled, this, [this] {
            RunReporting([this] {
                if (NetworkBusy() && !(hosting && hosting->Started())
                    && !(remote && remote->Mirror().state != TRoundState::Idle))
                    StopNetworkGame(QStringLiteral("The other side gave up waiting."));
            });
        });
    }
    waitWindow->setText(text);
    waitWindow->show();
}

void TForm1::CloseWaitWindow()
{
    if (!waitWindow)
        return;
    // Its forwarding on the router, if it asked for one, stays for as long as the game is hosted.
    if (waitWindow->PortOpener())
        router = waitWindow->PortOpener();
    // Closing it would count as cancelling.
    waitWindow->hide();
    waitWindow->deleteLater();
    waitWindow = nullptr;
}

void TForm1::ShowCountdown(int ms)
{
    countdownLeftMs = ms;
    if (ms <= 0) {
        countdownTimer.stop();
        fieldView->setNotice({}, {});
        return;
    }
    CloseWaitWindow();
    if (!countdownTimer.isActive())
        countdownTimer.start();
    const int seconds = (ms + 999) / 1000;
    fieldView->setNotice(CountdownPicture(seconds), QPoint(0, (TFieldSurface::Height - 120) / 2));
}

void TForm1::ShowRoundTrip()
{
    const int ms = hosting ? hosting->RoundTripMs() : remote ? remote->RoundTripMs() : -1;
    if (!NetworkBusy() || ms < 0) {
        roundTrip->hide();
        if (!NetworkBusy())
            roundTripTimer.stop();
        return;
    }
    roundTrip->setText(QStringLiteral("RTT %1 ms").arg(ms));
    roundTrip->show();
    roundTrip->raise();
}

bool TForm1::NetworkAct(QChar key)
{
    if (!NetworkBusy())
        return false;
    for (TPlayerAction action : KeyActions(netBindings, key))
        NetworkAct(action);
    return true;
}

bool TForm1::NetworkAct(TPlayerAction action)
{
    if (hosting && !hosting->Over()) {
        hosting->Act(action);
        return true;
    }
    if (remote && !remoteEnded) {
        remote->Act(action);
        return true;
    }
    return false;
}

bool TForm1::NetworkPause()
{
    if (hosting && !hosting->Over()) {
        hosting->Pause();
        return true;
    }
    if (remote && !remoteEnded) {
        remote->Pause();
        return true;
    }
    return false;
}

bool TForm1::NetworkLeave()
{
    if (remote && !remoteEnded) {
        remote->Leave();
        return true;
    }
    // The host's own game pauses as any game does, and the guest sees it paused.
    return false;
}

void TForm1::ShowRemote(const TGameEvent &event)
{
    // The game shows: nothing is waited for any more (a watcher who came in the middle of it).
    CloseWaitWindow();
    switch (event.kind) {
    case TGameEvent::Kind::Panel: ShowDisplay(event.display); break;
    case TGameEvent::Kind::RoundStart:
        ShowPanelFor(event.mode);
        ShowCountdown(0);
        for (int i = 0; i < DisplayCount; ++i)
            ShowDisplay(static_cast<TDisplay>(i));
        break;
    case TGameEvent::Kind::State: {
        const bool paused = event.state == TRoundState::Paused;
        const bool underWay = event.state == TRoundState::Running || paused;
        Pause1->setEnabled(underWay && !remote->Watching());
        Pause1->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
        setWindowTitle(paused ? QStringLiteral("Game paused - F5 to resume...") : QStringLiteral("Zandrix II"));
        if (event.state == TRoundState::Running)
            centralWidget()->setCursor(Qt::BlankCursor);
        else if (event.state != TRoundState::Crashed)
            centralWidget()->unsetCursor();
        break;
    }
    default: break;
    }
}

void TForm1::RemoteEnded(const QString &reason, bool lost)
{
    remoteEnded = true;
    roundTripTimer.stop();
    roundTrip->hide();
    ShowCountdown(0);
    CloseWaitWindow();
    centralWidget()->unsetCursor();
    ShowState(game.State());
    const TGameMirror &shown = remote->Mirror();
    if (lost) {
        QMessageBox::warning(this, QStringLiteral("Connection lost"),
                             QStringLiteral("Connection lost.\n%1\n\nPlayer 1: %2\nPlayer 2: %3")
                                 .arg(reason)
                                 .arg(shown.Display(TDisplay::RedScore).Value())
                                 .arg(shown.Display(TDisplay::BlueScore).Value()));
    } else if (!remote->Seated() || shown.state == TRoundState::Idle) {
        // A join that did not succeed, or a host that went before the game began.
        ReportFailure(reason.toStdString());
    }
}

void TForm1::HostLost(const QString &text)
{
    roundTripTimer.stop();
    roundTrip->hide();
    if (game.State() == TRoundState::Running)
        game.Pause(this);
    QMessageBox::warning(this, QStringLiteral("Connection lost"), text);
    game.Abandon();
    ShowState(game.State());
}

void TForm1::StopNetworkGame(const QString &reason)
{
    if (hosting && !hosting->Over())
        hosting->Stop(reason);
    if (remote && !remoteEnded) {
        remote->Stop(reason);
        remoteEnded = true;
    }
    ShowCountdown(0);
    roundTripTimer.stop();
    roundTrip->hide();
    CloseWaitWindow();
    ShowState(game.State());
}

void TForm1::ForgetNetworkGame()
{
    if (!hosting && !remote)
        return;
    StopNetworkGame(QStringLiteral("The other player left."));
    hosting.reset();
    router.reset();
    if (remote) {
        remote.reset();
        fieldView->setSurface(game.field);
        fieldView->setNotice(savedNotice, savedNoticeAt);
        ShowPanelFor(game.Mode());
        for (int i = 0; i < DisplayCount; ++i)
            ShowDisplay(static_cast<TDisplay>(i));
        setWindowTitle(QStringLiteral("Zandrix II"));
    }
    ShowState(game.State());
}
