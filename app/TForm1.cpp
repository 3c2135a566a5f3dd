#include "app/TForm1.h"

#include "app/TFieldView.h"
#include "app/TWindowHost.h"
#include "components/TPixelPicture.h"
#include "components/TRCADigital.h"
#include "computer/TComputerPlayer.h"
#include "game/Rules.h"
#include "game/TPilot.h"
#include "halloffame/TForm3.h"
#include "input/TGamepads.h"
#include "platform/FailureReport.h"
#include "platform/TMediaCommands.h"
#include "platform/TProfileFile.h"
#include "platform/WindowLook.h"
#include "settings/ComputerSection.h"
#include "settings/SoundSection.h"
#include "settings/TSettings.h"
#include "windows/TAboutBox.h"
#include "windows/THelpwindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>
#include <QThread>

#include <chrono>

namespace {

constexpr int ClientWidth = 695;
constexpr int ClientHeight = 553;
constexpr int PanelWidth = 92;

QImage Picture(const char *name)
{
    return QImage(QStringLiteral(":/pictures/%1.png").arg(QLatin1String(name)));
}

// Creates, shows modally and destroys one of the secondary windows.
template <typename Window> int ShowModal(QWidget *owner)
{
    Window window(owner);
    return window.exec();
}

} // namespace

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent)
    , Label1(field, FieldColour::Yellow, false)
    , Label2(field, FieldColour::Black, true)
    , gameover(field, Picture("gameover"), false)
    , media(std::make_unique<TMediaCommands>())
    , soundOn(SoundSection::Read(TProfileFile::Settings()))
    , host(std::make_unique<TWindowHost>(*this))
{
    setWindowTitle(QStringLiteral("Zandrix II"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    // A single fixed border: no maximising.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);

    gameover.setTop(48);

    auto *client = new QWidget(this);
    client->setFixedSize(ClientWidth, ClientHeight);
    client->setAutoFillBackground(true);
    QPalette black = client->palette();
    black.setColor(QPalette::Window, Qt::black);
    client->setPalette(black);
    setCentralWidget(client);

    fieldView = new TFieldView(field, client);
    fieldView->move(0, 0);
    field.onChanged = [view = fieldView](const QRect &rect) { view->update(rect); };

    CreateSidePanel();
    CreateMenu();

    // The movement timers as the window stores them: disabled, 51 ms, above normal priority.
    for (TThreadedTimer *timer : {&hiresTimer1, &hiresTimer2}) {
        timer->setEnabled(false);
        timer->setInterval(Rules::StartInterval);
        timer->setThreadPriority(tpHigher);
    }
    hiresTimer1.setOnTimer([this](TThreadedTimer *) { hiresTimer1Timer(&hiresTimer1); });
    hiresTimer2.setOnTimer([this](TThreadedTimer *) { HiResTimer2Timer(&hiresTimer2); });

    // Leaving the game for another program in the middle of a round pauses it.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            RunReporting([this] { ApplicationDeactivate(this); });
    });

    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, [this] { RunReporting([this] { Timer1Timer(&Timer1); }); });

    // Fixed size, centred on the screen once the layout has given the window its real size.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    CentreOnScreen(*this);
    fieldView->setFocus();
    ConnectGamepads();

    FormCreate(this);
}

TForm1::~TForm1()
{
    // Nothing may call into the window while its members go away.
    StopTimers();
}

void TForm1::StopTimers()
{
    Timer1.stop();
    hiresTimer1.setEnabled(false);
    hiresTimer2.setEnabled(false);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Closing ends the program at once, in the middle of a game too: no tick still on its way may
    // go on playing (and open a crash window) while the program winds down.
    StopTimers();
    running = false;
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
    Pause1 = AddCommand(Game, QStringLiteral("Pause"), &TForm1::Pause1Click, Qt::Key_F5);
    Pause1->setEnabled(false);
    Game->addSeparator();
    Exitasif1 = AddCommand(Game, QStringLiteral("Exit (as if....)"), &TForm1::Exitasif1Click);

    View = menuBar()->addMenu(QStringLiteral("Misc."));
    HallOfFame1 = AddCommand(View, QStringLiteral("Hall Of Fame"), &TForm1::HallOfFame1Click);
    View->addSeparator();
    Settings1 = AddCommand(View, QStringLiteral("Settings"), &TForm1::Settings1Click);
    Sound1 = AddCommand(View, QStringLiteral("Sound"), &TForm1::Sound1Click);
    Sound1->setCheckable(true);
    Sound1->setChecked(soundOn);

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
}

void TForm1::setStartEnabled(bool enabled)
{
    // A shortcut acts only while its item and every menu above it are enabled.
    Start1->setEnabled(enabled);
    N1Player1->setEnabled(enabled);
    N2Players1->setEnabled(enabled);
    AgainsttheComputer1->setEnabled(enabled);
}

bool TForm1::StartEnabled() const
{
    return Start1->isEnabled();
}

void TForm1::setMedia(std::unique_ptr<TMediaCommands> commands)
{
    media = std::move(commands);
}

void TForm1::setHost(std::unique_ptr<TGameHost> gameHost)
{
    host = std::move(gameHost);
}

void TForm1::StartSound(const QString &path)
{
    if (!soundOn)
        return;
    media->mciSendString(QStringLiteral("play ") + path);
    if (!soundsPlaying.contains(path))
        soundsPlaying.append(path);
}

void TForm1::StopSound(const QString &path) noexcept
{
    // Only a sound that was started is stopped: with the sound off no command goes out at all.
    if (!soundsPlaying.removeOne(path))
        return;
    try {
        media->mciSendString(QStringLiteral("stop ") + path);
    } catch (...) {
        // Not even the memory for the command: the sound plays to its end.
    }
}

QString TForm1::SoundPath(const char *file)
{
    // The directory of the program file with its trailing separator, then the file name; the
    // path is passed whole, blanks and all.
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(file);
}

TPlayerView TForm1::Player(std::uint8_t number)
{
    if (number == 1)
        return {1,         reddir,      redx,     redy,       hiresTimer1,      redscore,           redlives,
                *jumpdigr, *digispeedr, *digired, *liferdigi, FieldColour::Red, Rules::RedLivesCell};
    return {2,         bluedir,     bluex,     bluey,      hiresTimer2,       bluescore,           bluelives,
            *jumpdigb, *digispeedb, *digiblue, *lifebdigi, FieldColour::Blue, Rules::BlueLivesCell};
}

TCycleSight TForm1::Sight(std::uint8_t number)
{
    return Player(number).Sight(number == 1 || twoplayer);
}

void TForm1::keyPressEvent(QKeyEvent *event)
{
    // Key preview: every typed character goes to the game first. Function keys type nothing and
    // are left to the menu shortcuts.
    const QString text = event->text();
    RunReporting([&] {
        for (QChar key : text)
            FormKeyPress(this, key);
    });
    QMainWindow::keyPressEvent(event);
}

void TForm1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        RunReporting([this] { FormActivate(this); });
}

void TForm1::FormCreate(QObject *)
{
    generator.seed(static_cast<std::mt19937::result_type>(std::chrono::system_clock::now().time_since_epoch().count()));
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
    if (!StartEnabled())
        return;
    twoplayer = false;
    LeaveTheComputer();
    startgame(Sender);
}

void TForm1::N2Players1Click(QObject *Sender)
{
    if (!StartEnabled())
        return;
    twoplayer = true;
    LeaveTheComputer();
    startgame(Sender);
}

void TForm1::LeaveTheComputer()
{
    // The computer steers no more once a game of another kind begins.
    if (!againstcomputer)
        return;
    againstcomputer = false;
    setPilot(2, nullptr);
}

void TForm1::AgainsttheComputer1Click(QObject *Sender)
{
    if (!StartEnabled())
        return;
    // A two-player game in every respect, but that the computer steers the blue cycle. Its
    // level holds for the whole game; its own random draws are seeded from the game's generator,
    // so that a seeded game with the same events plays the same.
    twoplayer = true;
    againstcomputer = true;
    const TComputerLevel level = ComputerLevelFromText(ComputerSection::Read(TProfileFile::Settings()));
    setPilot(2, std::make_unique<TComputerPlayer>(level, static_cast<std::uint32_t>(generator())));
    startgame(Sender);
}

void TForm1::Pause1Click(QObject *)
{
    if (!Pause1->isEnabled())
        return;
    if (!paused) {
        setWindowTitle(QStringLiteral("Game paused - F5 to resume..."));
        hiresTimer1.setEnabled(false);
        hiresTimer2.setEnabled(false);
        Pause1->setText(QStringLiteral("Resume"));
        paused = true;
        centralWidget()->unsetCursor();
    } else {
        setWindowTitle(QStringLiteral("Zandrix II"));
        hiresTimer1.setEnabled(true);
        if (twoplayer)
            hiresTimer2.setEnabled(true);
        Pause1->setText(QStringLiteral("Pause"));
        paused = false;
        centralWidget()->setCursor(Qt::BlankCursor);
    }
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
        newctrls = true;
        gamepads->ReadMapping();
    });
    ShowModal<TSettings>(this);
}

void TForm1::Sound1Click(QObject *)
{
    // In effect at once, even if the choice cannot be kept in the settings file.
    soundOn = Sound1->isChecked();
    if (!soundOn) {
        const QStringList playing = soundsPlaying;
        for (const QString &path : playing)
            StopSound(path);
    }
    TProfileFile settings = TProfileFile::Settings();
    SoundSection::Write(settings, soundOn);
}

void TForm1::ApplicationDeactivate(QObject *)
{
    // A round being played pauses as F5 pauses it, and stays paused when the player comes back,
    // until F5. The game's own windows keep the application active, so opening them is not
    // leaving; nor does anything happen when the game is already paused or between rounds.
    if (running && !paused && Pause1->isEnabled())
        Pause1Click(Pause1);
}

void TForm1::Help1Click(QObject *)
{
    ShowModal<THelpwindow>(this);
}

void TForm1::About1Click(QObject *)
{
    ShowModal<TAboutBox>(this);
}

void TForm1::clearfield()
{
    field.FillRect(QRect(0, 0, 800, 600), FieldColour::Black);
}

void TForm1::ConnectGamepads()
{
    // A controller's commands go through the very code of the keys, under the same conditions.
    gamepads = std::make_unique<TGamepads>();
    connect(gamepads.get(), &TGamepads::action, this,
            [this](std::uint8_t player, TPlayerAction action) { RunReporting([&] { Act(player, action); }); });
    connect(gamepads.get(), &TGamepads::pause, this, [this] { RunReporting([this] { Pause1Click(Pause1); }); });
}
