#include "input/GamepadSection.h"
#include "input/TDeviceWatch.h"
#include "input/TGamepadHub.h"
#include "settings/TSettings.h"
#include "support/GameRig.h"

#include "app/TProgram.h"
#include "support/ModalAnswer.h"
#include "support/TestConfigHome.h"

#include "components/TRCADigital.h"
#include "game/Headings.h"
#include "game/Rules.h"
#include "platform/TProfileFile.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <SDL.h>

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One of SDL's virtual controllers: described as a game controller with every button and axis,
// SDL maps button n to SDL_GameControllerButton n and axis 0 to the left stick's x. Every change
// is followed by a Pump of the hub, since a virtual controller has no device node to wake it.
class VirtualPad
{
public:
    explicit VirtualPad(TGamepadHub &gamepads)
        : hub(gamepads)
    {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Virtual Pad";
        joystick = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
        instance = SDL_JoystickInstanceID(joystick);
        hub.Pump();
    }
    ~VirtualPad() { Unplug(); }
    VirtualPad(const VirtualPad &) = delete;
    VirtualPad &operator=(const VirtualPad &) = delete;

    bool Plugged() const { return joystick != nullptr; }

    void Unplug()
    {
        if (!joystick)
            return;
        SDL_JoystickClose(joystick);
        joystick = nullptr;
        for (int index = 0; index < SDL_NumJoysticks(); ++index)
            if (SDL_JoystickGetDeviceInstanceID(index) == instance)
                SDL_JoystickDetachVirtual(index);
        hub.Pump();
    }

    void Button(SDL_GameControllerButton button, bool down)
    {
        SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
        hub.Pump();
    }
    void Click(SDL_GameControllerButton button)
    {
        Button(button, true);
        Button(button, false);
    }
    void Stick(int x)
    {
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(x));
        hub.Pump();
    }
    // A button by SDL's name, or "stick:<x>" (pushed there, then let go).
    void Use(const QString &control)
    {
        if (control.startsWith(QLatin1String("stick:"))) {
            Stick(control.mid(6).toInt());
            Stick(0);
        } else {
            Click(SDL_GameControllerGetButtonFromString(control.toLatin1().constData()));
        }
    }

private:
    TGamepadHub &hub;
    SDL_Joystick *joystick = nullptr;
    SDL_JoystickID instance = -1;
};

// What a command can change, for both players.
struct Cycles
{
    int reddir, bluedir, redInterval, blueInterval, redJets, blueJets;
    bool operator==(const Cycles &) const = default;
};

Cycles Of(TForm1 &form)
{
    TGame &game = form.game;
    return {game.reddir,
            game.bluedir,
            game.Clock(TPlayer::Red).Interval(),
            game.Clock(TPlayer::Blue).Interval(),
            form.jumpdigr->Value(),
            form.jumpdigb->Value()};
}

// The cycles with one of them changed: "reddir", "bluedir", "redInterval", ...; "" for none.
Cycles With(Cycles cycles, const QString &what, int value)
{
    int *fields[] = {&cycles.reddir,       &cycles.bluedir, &cycles.redInterval,
                     &cycles.blueInterval, &cycles.redJets, &cycles.blueJets};
    const char *names[] = {"reddir", "bluedir", "redInterval", "blueInterval", "redJets", "blueJets"};
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (what == QLatin1String(names[i]))
            *fields[i] = value;
    return cycles;
}

char *toString(const Cycles &c)
{
    return QTest::toString(QStringLiteral("dir %1/%2 interval %3/%4 jets %5/%6")
                               .arg(c.reddir)
                               .arg(c.bluedir)
                               .arg(c.redInterval)
                               .arg(c.blueInterval)
                               .arg(c.redJets)
                               .arg(c.blueJets));
}

const QStringList DefaultControls{"dpleft", "dpright",       "stick:-32768", "stick:32767",
                                  "a",      "rightshoulder", "leftshoulder"};

QStringList Players(TGamepadHub &hub)
{
    QStringList players;
    for (const TGamepadHub::Controller &controller : hub.Controllers())
        players << QString::number(controller.player);
    return players;
}

void Store(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class tst_gamepads : public QObject
{
    Q_OBJECT

private slots:
    // The buttons a controller comes with, and the stick, act for the player of that controller.
    void defaultMappingActsForItsPlayer_data()
    {
        QTest::addColumn<int>("pad");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("changes");
        QTest::addColumn<int>("to");
        const int faster = Rules::StartInterval - Rules::SpeedStep;
        const int slower = Rules::StartInterval + Rules::SpeedStep;
        const auto row = [](const char *name, int pad, const char *control, const char *changes, int to) {
            QTest::newRow(name) << pad << QString::fromLatin1(control) << QString::fromLatin1(changes) << to;
        };
        row("1: D-pad left", 0, "dpleft", "reddir", 3);
        row("1: D-pad right", 0, "dpright", "reddir", 1);
        row("1: stick full left", 0, "stick:-32768", "reddir", 3);
        row("1: stick right at half", 0, "stick:16384", "reddir", 1);
        row("1: stick right short of half", 0, "stick:16383", "", 0);
        row("1: south button jumps", 0, "a", "redJets", Rules::StartJets - 1);
        row("1: right shoulder", 0, "rightshoulder", "redInterval", faster);
        row("1: left shoulder", 0, "leftshoulder", "redInterval", slower);
        row("1: B is nothing", 0, "b", "", 0);
        row("2: D-pad left", 1, "dpleft", "bluedir", 5);
        row("2: stick full right", 1, "stick:32767", "bluedir", 3);
        row("2: south button jumps", 1, "a", "blueJets", Rules::StartJets - 1);
        row("2: right shoulder", 1, "rightshoulder", "blueInterval", faster);
        row("2: left shoulder", 1, "leftshoulder", "blueInterval", slower);
    }
    void defaultMappingActsForItsPlayer()
    {
        QFETCH(int, pad);
        QFETCH(QString, control);
        QFETCH(QString, changes);
        QFETCH(int, to);
        GameRig rig;
        const auto hub = TGamepadHub::Shared();
        VirtualPad pads[2]{VirtualPad(*hub), VirtualPad(*hub)};
        rig.StartTwoPlayers();
        const Cycles before = Of(rig.form);
        pads[pad].Use(control);
        QCOMPARE(Of(rig.form), With(before, changes, to));
    }

    // A stick held over, or brought back only part of the way, turns once.
    void stickTurnsOncePerPush_data()
    {
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<int>("heading");
        QTest::newRow("held far left") << QList<int>{-32768, -31000, -26000, -32768} << 3;
        QTest::newRow("back to a quarter, pushed again") << QList<int>{-20000, -8192, -20000} << 3;
        QTest::newRow("back below a quarter, pushed again") << QList<int>{-20000, -8191, -20000} << 4;
        QTest::newRow("three pushes") << QList<int>{-32768, 0, -32768, 0, -32768} << 5;
        QTest::newRow("left, straight over to right, again right") << QList<int>{-32768, 32767, 0, 32767} << 1;
    }
    void stickTurnsOncePerPush()
    {
        QFETCH(QList<int>, positions);
        QFETCH(int, heading);
        GameRig rig;
        const auto hub = TGamepadHub::Shared();
        VirtualPad pad(*hub);
        rig.StartOnePlayer();
        for (int x : positions)
            pad.Stick(x);
        QCOMPARE(int(rig.game.reddir), heading);
    }

    // A controller's buttons reach the game through the keys' own gate, which tst_game_keyboard
    // tries at every moment. What is the controllers' own: Start pauses and resumes like F5, and
    // does nothing between games (it does not go through F5's menu item), and the buttons do
    // nothing while paused or behind a modal window opened in the middle of a round.
    void startPausesAndNothingActsWhilePausedOrBehindAWindow()
    {
        GameRig rig;
        const auto hub = TGamepadHub::Shared();
        VirtualPad pads[2]{VirtualPad(*hub), VirtualPad(*hub)};
        const auto startChangesNothing = [&] {
            pads[0].Click(SDL_CONTROLLER_BUTTON_START);
            QVERIFY(rig.game.State() != TRoundState::Paused);
            QVERIFY(!rig.game.Clock(TPlayer::Red).Enabled());
            QCOMPARE(rig.form.windowTitle(), QStringLiteral("Zandrix II"));
        };
        startChangesNothing();

        rig.StartTwoPlayers();
        pads[1].Click(SDL_CONTROLLER_BUTTON_START);
        QVERIFY(rig.game.State() == TRoundState::Paused);
        const Cycles before = Of(rig.form);
        for (VirtualPad &pad : pads)
            for (const QString &control : DefaultControls)
                pad.Use(control);
        QCOMPARE(Of(rig.form), before);
        QVERIFY(!rig.game.Clock(TPlayer::Red).Enabled() && !rig.game.Clock(TPlayer::Blue).Enabled());
        pads[0].Click(SDL_CONTROLLER_BUTTON_START);
        QVERIFY(rig.game.State() != TRoundState::Paused);
        QVERIFY(rig.game.Clock(TPlayer::Red).Enabled());
        QCOMPARE(rig.form.windowTitle(), QStringLiteral("Zandrix II"));

        const Cycles playing = Of(rig.form);
        bool running = false;
        AnswerNextModal([&](QWidget *box) {
            running = rig.game.State() == TRoundState::Running;
            for (VirtualPad &pad : pads)
                for (const QString &control : DefaultControls)
                    pad.Use(control);
            pads[0].Click(SDL_CONTROLLER_BUTTON_START);
            box->close();
        });
        rig.form.About1Click(rig.form.About1);
        QVERIFY(running);
        QCOMPARE(Of(rig.form), playing);
        QVERIFY(rig.game.State() == TRoundState::Running);

        for (int i = 0; i < Rules::StartLives; ++i)
            rig.CrashRed();
        QVERIFY(!rig.game.RoundUnderWay());
        startChangesNothing();
    }

    // Controllers come and go mid-game: a new one drives the first player without one at once, one
    // pulled out leaves its cycle going straight on and the other player as it was, and a third
    // one waits for a free player.
    void controllersComeAndGoMidGame()
    {
        GameRig rig;
        const auto hub = TGamepadHub::Shared();
        rig.StartTwoPlayers();
        std::optional<VirtualPad> first(std::in_place, *hub);
        first->Click(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        QCOMPARE(int(rig.game.reddir), 3);
        VirtualPad second(*hub);
        second.Click(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        QCOMPARE(int(rig.game.bluedir), 5);
        QCOMPARE(Players(*hub), (QStringList{"1", "2"}));

        first->Stick(-32768); // pulled out with the stick pushed: nothing is left held
        QCOMPARE(int(rig.game.reddir), 4);
        first.reset();
        const Cycles pulled = Of(rig.form);
        rig.TickBoth(3);
        QCOMPARE(Of(rig.form), pulled);
        QVERIFY(rig.game.Clock(TPlayer::Red).Enabled());
        second.Click(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        QCOMPARE(int(rig.game.bluedir), 4);
        QCOMPARE(Players(*hub), QStringList{"2"});

        VirtualPad third(*hub);
        VirtualPad fourth(*hub);
        QCOMPARE(Players(*hub), (QStringList{"2", "1", "0"}));
        third.Click(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        QCOMPARE(int(rig.game.reddir), 3);
        fourth.Click(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        QCOMPARE(int(rig.game.bluedir), 4);
        second.Unplug();
        QCOMPARE(Players(*hub), (QStringList{"1", "2"}));
        fourth.Click(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        QCOMPARE(int(rig.game.bluedir), 3);
    }

    // The page lists the controllers as they come and go, with their players.
    void pageListsTheControllers()
    {
        TestConfigHome home;
        const auto hub = TGamepadHub::Shared();
        TSettings dialog(nullptr);
        auto *list = dialog.findChild<QLabel *>(QStringLiteral("ControllerList"));
        QCOMPARE(list->text(), QStringLiteral("No controller found."));
        std::optional<VirtualPad> pads[4];
        for (std::size_t i = 0; i < 3; ++i)
            pads[i].emplace(*hub);
        QCOMPARE(list->text(), QStringLiteral("Player 1: Virtual Pad\nPlayer 2: Virtual Pad\nSpare: Virtual Pad"));
        pads[3].emplace(*hub);
        QCOMPARE(list->text(), QStringLiteral("Player 1: Virtual Pad\nPlayer 2: Virtual Pad\n(and 2 more)"));
        pads[0].reset();
        pads[3].reset();
        QCOMPARE(list->text(), QStringLiteral("Player 2: Virtual Pad\nPlayer 1: Virtual Pad"));
        pads[1].reset();
        pads[2].reset();
        QCOMPARE(list->text(), QStringLiteral("No controller found."));
    }

    // A button is changed on the page with that player's own controller, used once the dialog
    // has closed with OK, and read by a fresh window as the program reads it at its start.
    void changedMappingIsUsedAfterOkAndAfterARestart()
    {
        TestConfigHome home;
        std::optional<GameRig> rig(std::in_place);
        const auto hub = TGamepadHub::Shared();
        std::optional<VirtualPad> pads[2];
        for (auto &pad : pads)
            pad.emplace(*hub);
        QStringList shown;
        AnswerNextModal([&](QWidget *dialog) {
            dialog->findChild<QTabWidget *>()->setCurrentIndex(2);
            auto box = [dialog](const char *name) { return dialog->findChild<QLineEdit *>(QLatin1String(name)); };
            shown << box("jumpa")->text() << box("leftb")->text();
            box("jumpa")->setFocus();
            pads[1]->Click(SDL_CONTROLLER_BUTTON_X);     // the other player's controller
            pads[0]->Click(SDL_CONTROLLER_BUTTON_START); // kept for pausing
            shown << box("jumpa")->text();
            pads[0]->Click(SDL_CONTROLLER_BUTTON_X);
            box("leftb")->setFocus();
            pads[1]->Click(SDL_CONTROLLER_BUTTON_B);
            shown << box("jumpa")->text() << box("leftb")->text();
            dialog->findChild<QPushButton *>(QStringLiteral("OKBtn"))->click();
        });
        rig->form.Settings1Click(rig->form.Settings1);
        QCOMPARE(shown, (QStringList{"A", "D-pad left", "A", "X", "B"}));
        const QByteArray saved = Contents(rig->home.settingsFile());
        QVERIFY2(saved.contains("\n[Gamepad]\nlefta=dpleft\nrighta=dpright\nfasta=rightshoulder\n"
                                "slowa=leftshoulder\njumpa=x\nleftb=b\nrightb=dpright\n"),
                 saved.constData());

        auto playWith = [&](TForm1 &form) {
            form.N2Players1Click(form.N2Players1);
            const Cycles before = Of(form);
            pads[0]->Click(SDL_CONTROLLER_BUTTON_A);
            pads[1]->Click(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
            QCOMPARE(Of(form), before);
            pads[0]->Click(SDL_CONTROLLER_BUTTON_X);
            pads[1]->Click(SDL_CONTROLLER_BUTTON_B);
            QCOMPARE(Of(form), With(With(before, "redJets", Rules::StartJets - 1), "bluedir", 5));
        };
        playWith(rig->form);
        for (auto &pad : pads)
            pad.reset();
        rig.reset();

        // The program starts without a controller; they come later.
        Store(home.settingsFile(), saved);
        TProgram restarted(GameRig::DefaultSeed, std::make_unique<TDrivenTicks>());
        for (auto &pad : pads)
            pad.emplace(*hub);
        playWith(restarted.Form1);
    }

    void badMappingValuesReadAsTheDefaults_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("jumpa");
        QTest::newRow("missing") << QByteArray() << "a";
        QTest::newRow("empty") << QByteArray("jumpa=\n") << "a";
        QTest::newRow("unknown") << QByteArray("jumpa=button7\n") << "a";
        QTest::newRow("an axis") << QByteArray("jumpa=lefttrigger\n") << "a";
        QTest::newRow("start, kept for pausing") << QByteArray("jumpa=start\n") << "a";
        QTest::newRow("bytes") << QByteArray("jumpa=\x01\xff\xfe x\n") << "a";
        QTest::newRow("far too long") << QByteArray("jumpa=" + QByteArray(3000, 'x') + "\n") << "a";
        QTest::newRow("upper case") << QByteArray("JUMPA=LeftStick\n") << "leftstick";
        QTest::newRow("blanks around") << QByteArray("jumpa =  back  \n") << "back";
    }
    void badMappingValuesReadAsTheDefaults()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, jumpa);
        TestConfigHome home;
        Store(home.settingsFile(), "[Gamepad]\n" + stored);
        TProfileFile::KeyValues expected = GamepadSection::Values(TPadMapping());
        expected.at(4).second = jumpa;
        QCOMPARE(GamepadSection::Values(GamepadSection::Read(TProfileFile::Settings())), expected);
    }

    // The wake-up of a device node: once per burst, all of it read; a node that hangs up is
    // closed at once rather than waking the loop for ever.
    void deviceWatchWakesOnceAndLetsGoOfAHungUpNode()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("node"));
        QCOMPARE(mkfifo(path.toLocal8Bit().constData(), 0600), 0);
        int woken = 0;
        TDeviceWatch watch(path, [&] { ++woken; });
        QVERIFY(watch.Watching());
        const int writer = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
        QVERIFY(writer >= 0);
        QCOMPARE(::write(writer, "abcdef", 6), ssize_t(6));
        QTRY_COMPARE(woken, 1);
        QTest::qWait(50);
        QCOMPARE(woken, 1);

        ::close(writer);
        QTRY_COMPARE(woken, 2);
        QVERIFY(!watch.Watching());
        QTest::qWait(50);
        QCOMPARE(woken, 2);

        QVERIFY(!TDeviceWatch(dir.filePath(QStringLiteral("none")), [] {}).Watching());
    }
};

QTEST_MAIN(tst_gamepads)
#include "tst_gamepads.moc"
