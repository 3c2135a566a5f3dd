#include "app/TForm1.h"

#include "app/TExportGifDialog.h"
#include "app/TFieldView.h"
#include "app/TNetGuestPlay.h"
#include "app/TNetHostPlay.h"
#include "app/TReplayStrip.h"
#include "app/TReplayWatch.h"
#include "app/TWindowHost.h"
#include "components/TPixelPicture.h"
#include "components/TRCADigital.h"
#include "game/TGame.h"
#include "halloffame/TForm3.h"
#include "input/TGamepads.h"
#include "platform/Failure.h"
#include "platform/FailureReport.h"
#include "platform/TProfileFile.h"
#include "platform/WindowLook.h"
#include "replay/TReplay.h"
#include "replay/TReplayPlayback.h"
#include "replay/TReplayRecorder.h"
#include "replay/TRoundGif.h"
#include "settings/ColourSection.h"
#include "settings/TSettings.h"
#include "windows/TAboutBox.h"
#include "windows/THelpwindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QTimer>

#include <optional>

namespace {

// The client area: the field, and the side panel right of it.
constexpr int PanelWidth = 92;
constexpr int ClientWidth = TFieldSurface::Width + PanelWidth;
constexpr int ClientHeight = TFieldSurface::Height;

QImage Picture(const char *name)
{
    return QImage(QStringLiteral(":/pictures/%1.png").arg(QLatin1String(name)));
}

// Where the view's notices stand on the field: the keys that start a game in the middle, who won
// over the floor of the game-over picture.
constexpr QPoint StartHintAt(0, 216);
constexpr QPoint WinnerAt(0, 410);

// Creates, shows modally and destroys one of the secondary windows.
template <typename Window> int ShowModal(QWidget *owner)
{
    Window window(owner);
    return window.exec();
}

} // namespace

TForm1::TForm1(TGame &shownGame, std::unique_ptr<TGamepads> controllers, QWidget *parent)
    : QMainWindow(parent)
    , game(shownGame)
    , gamepads(std::move(controllers))
{
    setWindowTitle(QStringLiteral("Zandrix II"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    // A single fixed border: no maximising.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);

    auto *client = new QWidget(this);
    client->setFixedSize(ClientWidth, ClientHeight);
    client->setAutoFillBackground(true);
    QPalette black = client->palette();
    black.setColor(QPalette::Window, Qt::black);
    client->setPalette(black);
    setCentralWidget(client);

    fieldView = new TFieldView(game.field, client);
    fieldView->move(0, 0);
    game.field.onChanged = [view = fieldView](const QRect &rect) { view->update(rect); };

    CreateSidePanel();
    CreateRoundTrip();
    CreateMenu();
    for (int i = 0; i < DisplayCount; ++i)
        ShowDisplay(static_cast<TDisplay>(i));
    ShowState(game.State());
    connect(&game, &TGame::happened, this, &TForm1::Show);
    connect(&game, &TGame::stateChanged, this, &TForm1::ShowState);

    // Leaving the game for another program in the middle of a round pauses it.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            RunReporting([this] { ApplicationDeactivate(this); });
    });

    // Fixed size, centred on the screen once the layout has given the window its real size.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    CentreOnScreen(*this);
    fieldView->setFocus();
    ConnectGamepads();
}

TForm1::~TForm1()
{
    // The game may outlive its window: it tells this window nothing more.
    disconnect(&game, nullptr, this, nullptr);
    game.field.onChanged = nullptr;
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Closing ends the program at once, in the middle of a game too; the other side of a network
    // game hears why.
    if (NetworkBusy())
        StopNetworkGame(QStringLiteral("The other player closed the game."));
    game.End();
    QMainWindow::closeEvent(event);
    // And it ends the program here. Left to Qt, the program ends once Qt finds its last window
    // closed, through a quit that it posts and that any window may still refuse; a close that came
    // in the same batch of events as a modal window's answer, before the code that showed that
    // window went on, could leave the program running with nothing on the screen. exit() cannot
    // be refused, and every modal loop still to come returns at once. Only within the program's own
    // event loop: a test that drives the window by hand keeps its loops.
    if (event->isAccepted() && QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

QAction *TForm1::AddCommand(QMenu *menu, const QString &caption, void (TForm1::*handler)(QObject *),
                            const QKeySequence &shortcut)
{
    QAction *action = menu->addAction(caption);
    connect(action, &QAction::triggered, this,
            [this, action, handler] { RunReporting([&] { (this->*handler)(action); }); });
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        // Shortcuts act while the window is active, also when the menu is closed.
        action->setShortcutContext(Qt::WindowShortcut);
    }
    return action;
}

void TForm1::CreateMenu()
{
    Game = menuBar()->addMenu(QStringLiteral("Game"));
    Start1 = Game->addMenu(QStringLiteral("Start..."));
    N1Player1 = AddCommand(Start1, QStringLiteral("1 Player"), &TForm1::N1Player1Click, Qt::Key_F1);
    N2Players1 = AddCommand(Start1, QStringLiteral("2 Players"), &TForm1::N2Players1Click, Qt::Key_F2);
    AgainsttheComputer1 =
        AddCommand(Start1, QStringLiteral("Against the Computer"), &TForm1::AgainsttheComputer1Click, Qt::Key_F3);
    NetworkGame1 = AddCommand(Start1, QStringLiteral("Network Game..."), &TForm1::NetworkGame1Click);
    Pause1 = AddCommand(Game, QStringLiteral("Pause"), &TForm1::Pause1Click, Qt::Key_F5);
    Pause1->setEnabled(false);
    EndGame1 = AddCommand(Game, QStringLiteral("End Game"), &TForm1::EndGame1Click);
    EndGame1->setEnabled(false);
    Game->addSeparator();
    WatchLastGame1 = AddCommand(Game, QStringLiteral("Watch Last Game"), &TForm1::WatchLastGame1Click, Qt::Key_F6);
    OpenReplay1 = AddCommand(Game, QStringLiteral("Open Replay..."), &TForm1::OpenReplay1Click,
                             QKeySequence(Qt::CTRL | Qt::Key_O));
    SaveReplayAs1 = AddCommand(Game, QStringLiteral("Save Replay As..."), &TForm1::SaveReplayAs1Click);
    ExportRoundasGIF1 = AddCommand(Game, QStringLiteral("Export Round as GIF..."), &TForm1::ExportRoundasGIF1Click);
    Game->addSeparator();
    Exitasif1 = AddCommand(Game, QStringLiteral("Exit (as if....)"), &TForm1::Exitasif1Click);

    View = menuBar()->addMenu(QStringLiteral("Misc."));
    HallOfFame1 = AddCommand(View, QStringLiteral("Hall Of Fame"), &TForm1::HallOfFame1Click);
    View->addSeparator();
    Settings1 = AddCommand(View, QStringLiteral("Settings"), &TForm1::Settings1Click);
    Sound1 = AddCommand(View, QStringLiteral("Sound"), &TForm1::Sound1Click);
    Sound1->setCheckable(true);
    Sound1->setChecked(game.SoundOn());
    BrightColours1 = AddCommand(View, QStringLiteral("Bright Colours"), &TForm1::BrightColours1Click);
    BrightColours1->setCheckable(true);
    BrightColours1->setChecked(ColourSection::ReadBright(TProfileFile::Settings()));
    fieldView->setBright(BrightColours1->isChecked());

    N1 = menuBar()->addMenu(QStringLiteral("?"));
    Help1 = AddCommand(N1, QStringLiteral("Help"), &TForm1::Help1Click, Qt::Key_F12);
    N1->addSeparator();
    About1 = AddCommand(N1, QStringLiteral("About"), &TForm1::About1Click);
}

TRCADigital *TForm1::CreateDisplay(const char *name, QRect place, const QImage &strip, std::uint16_t margin)
{
    auto *display = new TRCADigital(Panel1);
    display->setObjectName(QLatin1String(name));
    display->setGeometry(place);
    display->setMargin(margin);
    display->setNumbers(strip);
    display->hide();
    return display;
}

void TForm1::CreateSidePanel()
{
    Panel1 = new QWidget(centralWidget());
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(ClientWidth - PanelWidth, 0, PanelWidth, ClientHeight);
    Image1 = new TPixelPicture(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, PanelWidth, ClientHeight - 1);
    Image1->setPicture(Picture("panel"));

    const QImage digitsOrange = Picture("digits-orange");
    const QImage digitsCyan = Picture("digits-cyan");
    const QImage cycles = Picture("cycles");
    digispeedr = CreateDisplay("digispeedr", {30, 40, 25, 32}, Picture("dial-orange"), 0);
    digired = CreateDisplay("digired", {12, 80, 67, 25}, digitsOrange, 1);
    liferdigi = CreateDisplay("liferdigi", {12, 112, 65, 21}, cycles, 0);
    jumpdigr = CreateDisplay("jumpdigr", {24, 144, 40, 25}, digitsOrange, 1);
    digispeedb = CreateDisplay("digispeedb", {30, 216, 25, 32}, Picture("dial-cyan"), 0);
    digiblue = CreateDisplay("digiblue", {12, 256, 67, 25}, digitsCyan, 1);
    lifebdigi = CreateDisplay("lifebdigi", {12, 288, 65, 21}, cycles, 0);
    jumpdigb = CreateDisplay("jumpdigb", {24, 312, 40, 25}, digitsCyan, 1);
    displays = {digispeedr, digired, liferdigi, jumpdigr, digispeedb, digiblue, lifebdigi, jumpdigb};

    replayStrip = new TReplayStrip(Panel1);
    replayStrip->hide();
    connect(replayStrip, &TReplayStrip::seek, this, [this](double share) {
        if (watch)
            RunReporting([&] { watch->SeekShare(share); });
    });
}

void TForm1::setStartEnabled(bool enabled)
{
    // A shortcut acts only while its item and every menu above it are enabled.
    Start1->setEnabled(enabled);
    N1Player1->setEnabled(enabled);
    N2Players1->setEnabled(enabled);
    AgainsttheComputer1->setEnabled(enabled);
    NetworkGame1->setEnabled(enabled);
}

bool TForm1::StartEnabled() const
{
    return Start1->isEnabled();
}

void TForm1::Show(const TGameEvent &event)
{
    // While a replay or a remote game is watched the window shows that; the game shows again on
    // leaving it.
    if (watch || remote)
        return;
    switch (event.kind) {
    case TGameEvent::Kind::Panel: ShowDisplay(event.display); break;
    case TGameEvent::Kind::RoundStart:
        ShowPanelFor(event.mode);
        fieldView->setNotice({}, {});
        break;
    case TGameEvent::Kind::GameEnd:
        // Against the computer no hall of fame takes the scores: the game says who won.
        if (event.mode == TGameMode::AgainstComputer)
            fieldView->setNotice(Picture(event.player == TPlayer::Red ? "winner-player" : "winner-computer"), WinnerAt);
        break;
    default: break;
    }
}

void TForm1::ShowPanelFor(TGameMode mode)
{
    const bool computer = mode == TGameMode::AgainstComputer;
    if (computer != panelForComputer)
        Image1->setPicture(Picture(computer ? "panel-computer" : "panel"));
    panelForComputer = computer;
}

void TForm1::ShowDisplay(TDisplay which)
{
    TRCADigital *display = displays.at(static_cast<std::size_t>(which));
    const TGameMirror *mirror = ShownMirror();
    const TPanelDisplay &shown = mirror ? mirror->Display(which) : game.Display(which);
    display->setValue(shown.Value());
    display->setVisible(shown.Visible());
}

void TForm1::ShowState(TRoundState state)
{
    // "Start..." between games, "Pause" while a round is played; the pointer is hidden over a
    // round being played and while its crash window is open.
    setStartEnabled(game.StartAllowed() && !NetworkBusy());
    Pause1->setEnabled(game.RoundUnderWay());
    EndGame1->setEnabled(game.RoundUnderWay() || NetworkBusy());
    EnableReplayCommands();
    if (watch || remote)
        return;
    if (state == TRoundState::Idle) {
        // The start screen: the panel of two players and the keys that start a game.
        ShowPanelFor(TGameMode::TwoPlayers);
        fieldView->setNotice(Picture("starthint"), StartHintAt);
    }
    const bool paused = state == TRoundState::Paused;
    ShowCaption();
    Pause1->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    if (state == TRoundState::Running)
        centralWidget()->setCursor(Qt::BlankCursor);
    else if (state != TRoundState::Crashed)
        centralWidget()->unsetCursor();
}

void TForm1::ShowCaption()
{
    if (watch)
        setWindowTitle(QStringLiteral("Zandrix II - Replay - %1").arg(watchedName));
    else if (game.State() == TRoundState::Paused)
        setWindowTitle(QStringLiteral("Game paused - F5 to resume..."));
    else
        setWindowTitle(QStringLiteral("Zandrix II"));
}

void TForm1::keyPressEvent(QKeyEvent *event)
{
    // A replay being watched takes its own keys; the game gets none meanwhile.
    if (watch) {
        bool used = false;
        RunReporting([&] { used = watch->Key(event->key()); });
        if (!used)
            QMainWindow::keyPressEvent(event);
        return;
    }
    // Key preview: every typed character goes to the game first (in a network game, to this
    // computer's own cycle). Function keys type nothing and are left to the menu shortcuts.
    const QString text = event->text();
    RunReporting([&] {
        for (QChar key : text)
            if (!NetworkAct(key))
                game.Type(key);
    });
    QMainWindow::keyPressEvent(event);
}

void TForm1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        RunReporting([this] { FormActivate(this); });
}

void TForm1::FormActivate(QObject *)
{
    for (TRCADigital *display : {digispeedr, digispeedb, digired, digiblue, lifebdigi, liferdigi, jumpdigr, jumpdigb})
        display->setBevelWidth(1);
    jumpdigr->setHeight(17);
    jumpdigb->setHeight(17);
}

void TForm1::N1Player1Click(QObject *Sender)
{
    StopWatching();
    ForgetNetworkGame();
    game.Start(TGameMode::OnePlayer, Sender);
}

void TForm1::N2Players1Click(QObject *Sender)
{
    StopWatching();
    ForgetNetworkGame();
    game.Start(TGameMode::TwoPlayers, Sender);
}

void TForm1::AgainsttheComputer1Click(QObject *Sender)
{
    StopWatching();
    ForgetNetworkGame();
    game.Start(TGameMode::AgainstComputer, Sender);
}

void TForm1::Pause1Click(QObject *Sender)
{
    if (!NetworkPause())
        game.Pause(Sender);
}

void TForm1::EndGame1Click(QObject *)
{
    if (NetworkBusy())
        StopNetworkGame(QStringLiteral("The other player ended the game."));
    game.Abandon();
}

void TForm1::setRecorder(TReplayRecorder *keeper)
{
    recorder = keeper;
    if (recorder) {
        connect(recorder, &TReplayRecorder::gameKept, this, &TForm1::EnableReplayCommands);
        // The game has ended when its file cannot be written: the player hears of it once the
        // game's own windows are done.
        connect(
            recorder, &TReplayRecorder::keepFailed, this,
            [](const QString &message) { ReportFailure(message.toStdString()); }, Qt::QueuedConnection);
    }
    EnableReplayCommands();
}

void TForm1::EnableReplayCommands()
{
    // Between games only; a game is watched again once one has been played.
    const bool between = game.StartAllowed() && !NetworkBusy();
    const bool kept = recorder && recorder->LastGame();
    WatchLastGame1->setEnabled(between && kept);
    OpenReplay1->setEnabled(between);
    SaveReplayAs1->setEnabled(between && (watch || kept));
    ExportRoundasGIF1->setEnabled(between && watch);
}

void TForm1::WatchLastGame1Click(QObject *)
{
    if (!recorder || !recorder->LastGame())
        return;
    const QString file = recorder->LastFile();
    Watch(recorder->LastGame(), file.isEmpty() ? QStringLiteral("Last Game") : QFileInfo(file).completeBaseName());
}

void TForm1::OpenReplay1Click(QObject *)
{
    const QString folder = TReplayRecorder::DefaultFolder();
    QDir().mkpath(folder);
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open Replay"), folder,
                                                      QStringLiteral("Zandrix II replays (*.zxreplay);;All files (*)"));
    if (!path.isEmpty())
        OpenReplay(path);
}

void TForm1::OpenReplay(const QString &path)
{
    auto replay = std::make_shared<const TReplay>(TReplay::Read(path));
    if (replay->rounds.empty())
        throw Failure(QStringLiteral("%1 holds no round to watch.").arg(QDir::toNativeSeparators(path)).toStdString());
    if (const int mismatches = replay->VerifyChecksums(); mismatches != 0)
        throw Failure(QStringLiteral("%1 is damaged: %2 of its rounds do not end as the file says.")
                          .arg(QDir::toNativeSeparators(path))
                          .arg(mismatches)
                          .toStdString());
    Watch(std::move(replay), QFileInfo(path).completeBaseName());
}

void TForm1::SaveReplayAs1Click(QObject *)
{
    const std::shared_ptr<const TReplay> replay = watch ? watch->Replay() : recorder ? recorder->LastGame() : nullptr;
    if (!replay)
        return;
    const QString suggested = watch ? watchedName : QFileInfo(recorder->LastFile()).completeBaseName();
    const QString path = AskFileName(QStringLiteral("Save Replay As"),
                                     QDir::home().filePath(suggested.isEmpty() ? QStringLiteral("game") : suggested)
                                         + QStringLiteral(".zxreplay"),
                                     QStringLiteral("Zandrix II replays (*.zxreplay)"));
    if (!path.isEmpty())
        replay->Write(path);
}

void TForm1::ExportRoundasGIF1Click(QObject *)
{
    if (!watch)
        return;
    // The round stands still while it is exported.
    watch->setPlaying(false);
    int scale = 1;
    double speed = 1.0;
    {
        TExportGifDialog choice(this);
        if (choice.exec() != QDialog::Accepted)
            return;
        scale = choice.Scale();
        speed = choice.Speed();
    }
    const int round = watch->Playback().Round();
    const QString path =
        AskFileName(QStringLiteral("Export Round as GIF"),
                    QDir::home().filePath(QStringLiteral("%1-round%2.gif").arg(watchedName).arg(round + 1)),
                    QStringLiteral("GIF pictures (*.gif)"));
    if (path.isEmpty())
        return;
    TRoundGif gif(watch->Replay(), round, {.scale = scale, .speed = speed, .bright = fieldView->Bright()},
                  &TFieldView::Shown);
    QProgressDialog progress(QStringLiteral("Exporting round %1...").arg(round + 1), QStringLiteral("Cancel"), 0,
                             gif.FrameCount(), this);
    progress.setWindowTitle(QStringLiteral("Export Round as GIF"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    gif.Save(path, [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
}

QString TForm1::AskFileName(const QString &caption, const QString &suggested, const QString &filter)
{
    return QFileDialog::getSaveFileName(this, caption, suggested, filter);
}

void TForm1::Watch(std::shared_ptr<const TReplay> replay, const QString &name)
{
    StopWatching();
    ForgetNetworkGame();
    savedNotice = fieldView->Notice();
    savedNoticeAt = fieldView->NoticeAt();
    watch = std::make_unique<TReplayWatch>(std::move(replay));
    watchedName = name;
    connect(watch.get(), &TReplayWatch::changed, this, &TForm1::ShowWatched);
    // Leaving from inside the watch's own key handling: the watch goes once that has returned.
    connect(watch.get(), &TReplayWatch::leave, this,
            [this] { QTimer::singleShot(0, this, [this] { StopWatching(); }); });
    fieldView->setNotice({}, {});
    fieldView->setSurface(watch->Playback().Mirror().playfield.field);
    replayStrip->show();
    replayStrip->raise();
    centralWidget()->unsetCursor();
    ShowCaption();
    EnableReplayCommands();
    ShowWatched();
}

void TForm1::StopWatching()
{
    if (!watch)
        return;
    watch.reset();
    replayStrip->hide();
    fieldView->setSurface(game.field);
    fieldView->setNotice(savedNotice, savedNoticeAt);
    ShowPanelFor(game.Mode());
    for (int i = 0; i < DisplayCount; ++i)
        ShowDisplay(static_cast<TDisplay>(i));
    ShowState(game.State());
}

const TGameMirror *TForm1::ShownMirror() const
{
    if (watch)
        return &watch->Playback().Mirror();
    if (remote)
        return &remote->Mirror();
    return nullptr;
}

void TForm1::ShowWatched()
{
    if (!watch)
        return;
    const TReplayPlayback &playback = watch->Playback();
    const TGameMirror &mirror = playback.Mirror();
    ShowPanelFor(mirror.mode);
    for (int i = 0; i < DisplayCount; ++i)
        ShowDisplay(static_cast<TDisplay>(i));
    fieldView->update();
    replayStrip->setRound(playback.Round() + 1, playback.RoundCount());
    replayStrip->setTime(playback.Time(), playback.RoundLength());
    replayStrip->setSpeed(watch->Playing() ? watch->SpeedText() : QStringLiteral("PAUSE"));
    replayStrip->setMessage(playback.CrashText());
}

void TForm1::Exitasif1Click(QObject *)
{
    close();
}

void TForm1::HallOfFame1Click(QObject *)
{
    ShowModal<TForm3>(this);
}

void TForm1::Settings1Click(QObject *)
{
    // However the dialog closed, either button or a failure, the next round reads the bindings
    // again (not before it opens: a round that starts while it is open reads them too), and the
    // controllers' buttons are read again at once.
    const auto readAgain = qScopeGuard([this] {
        game.BindingsChanged();
        gamepads->ReadMapping();
        // This computer's keys in a network game: a settings file that cannot be read is reported.
        if (NetworkBusy() && windowHost)
            RunReporting([this] { netBindings = windowHost->ReadBindings(); });
    });
    ShowModal<TSettings>(this);
}

void TForm1::Sound1Click(QObject *)
{
    game.setSoundOn(Sound1->isChecked());
}

void TForm1::BrightColours1Click(QObject *)
{
    // In effect at once, also when it cannot be kept in the settings file.
    fieldView->setBright(BrightColours1->isChecked());
    TProfileFile settings = TProfileFile::Settings();
    ColourSection::WriteBright(settings, BrightColours1->isChecked());
}

void TForm1::ApplicationDeactivate(QObject *)
{
    // The game's own windows keep the application active, so opening them is not leaving.
    if (!NetworkLeave())
        game.Leave();
}

void TForm1::Help1Click(QObject *)
{
    ShowModal<THelpwindow>(this);
}

void TForm1::About1Click(QObject *)
{
    ShowModal<TAboutBox>(this);
}

void TForm1::ConnectGamepads()
{
    // A controller's commands go through the very code of the keys, under the same conditions.
    connect(gamepads.get(), &TGamepads::action, this, [this](std::uint8_t number, TPlayerAction action) {
        // In a network game the first controller steers this computer's own cycle, and no other.
        if (NetworkBusy()) {
            if (number == 1)
                RunReporting([&] { NetworkAct(action); });
        } else if (const std::optional<TPlayer> player = PlayerNumbered(number)) {
            RunReporting([&] { game.Act(*player, action); });
        }
    });
    connect(gamepads.get(), &TGamepads::pause, this, [this] { RunReporting([this] { Pause1Click(Pause1); }); });
}
