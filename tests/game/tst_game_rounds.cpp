// Rounds, crashes, game over, pause and the menu shortcuts of the main window.
#include "support/GameRig.h"

#include "app/TFieldView.h"
#include "app/TProgram.h"
#include "app/TReplayStrip.h"
#include "app/TReplayWatch.h"

#include "components/TPixelPicture.h"
#include "components/TRCADigital.h"
#include "computer/TComputerPlayer.h"
#include "platform/Failure.h"
#include "platform/TProfileFile.h"
#include "replay/TReplay.h"
#include "replay/TReplayPlayback.h"
#include "replay/TReplayRecorder.h"
#include "support/Files.h"

#include <QtTest>

#include <vector>

namespace {

std::vector<TRCADigital *> RedDisplays(const TForm1 &form)
{
    return {form.digispeedr, form.digired, form.liferdigi, form.jumpdigr};
}

std::vector<TRCADigital *> BlueDisplays(const TForm1 &form)
{
    return {form.digispeedb, form.digiblue, form.lifebdigi, form.jumpdigb};
}

QStringList CrashTitles(const GameRig &rig)
{
    return rig.WindowTitles().filter(QRegularExpression(QStringLiteral("^Player \\d crashed!")));
}

Qt::CursorShape FieldCursor(const TForm1 &form)
{
    return form.centralWidget()->cursor().shape();
}

// A key pressed on the keyboard, delivered through the window system like a real one, so that
// menu shortcuts see it.
void PressKey(TForm1 &form, Qt::Key key)
{
    QTest::keyClick(form.windowHandle(), key);
}

QImage Picture(const char *name)
{
    return QImage(QStringLiteral(":/pictures/%1.png").arg(QLatin1String(name)));
}

QString ReadSetting(const char *section, const char *key)
{
    return TProfileFile::Settings().ReadString(QLatin1String(section), QLatin1String(key), QStringLiteral("<none>"));
}

} // namespace

class RoundsTest : public QObject
{
    Q_OBJECT

private slots:
    void roundStartShowsTheDisplaysOfTheMode_data();
    void roundStartShowsTheDisplaysOfTheMode();
    void crashMessagesCountDownTheCycles_data();
    void crashMessagesCountDownTheCycles();
    void crashCreditsTheOpponentAndRestartsFromTheStart_data();
    void crashCreditsTheOpponentAndRestartsFromTheStart();
    void crashWindowOpensWithEverythingStopped();
    void explosionSoundsWhileTheCrashWindowIsOpen();
    void twoPlayerGameOverRecordsBothScoresPlayerOneFirst_data();
    void twoPlayerGameOverRecordsBothScoresPlayerOneFirst();
    void onePlayerGameOverRecordsOnlyRedsSteps();
    void gameOverCompletesWhenTheScoreCannotBeRecorded_data();
    void gameOverCompletesWhenTheScoreCannotBeRecorded();
    void newGameAfterGameOverStartsAfresh();
    void pauseStopsTheCyclesAndResumeRestartsThem_data();
    void pauseStopsTheCyclesAndResumeRestartsThem();
    void shortcutsActOnlyWhileTheirItemIsEnabled();
    void leavingForAnotherProgramPausesARound_data();
    void leavingForAnotherProgramPausesARound();
    void soundSettingIsReadFromTheFile_data();
    void soundSettingIsReadFromTheFile();
    void soundOffSendsNoCommandAndIsKept();
    void soundOffWhileASoundPlaysStopsIt();
    void soundSwitchThatCannotBeKeptIsReportedAndHolds();
    void computerGameIsATwoPlayerGameAtTheLevelOfTheSettings_data();
    void computerGameIsATwoPlayerGameAtTheLevelOfTheSettings();
    void computerGameEndsWithoutTheHallOfFame_data();
    void computerGameEndsWithoutTheHallOfFame();
    void endGameGoesBackToTheStartScreenRecordingNothing_data();
    void endGameGoesBackToTheStartScreenRecordingNothing();
    void brightColoursChangeOnlyWhatIsShownAndAreKept();
    void watchingAGameAgain_data();
    void watchingAGameAgain();
};

void RoundsTest::roundStartShowsTheDisplaysOfTheMode_data()
{
    QTest::addColumn<bool>("twoPlayers");
    QTest::newRow("one player") << false;
    QTest::newRow("two players") << true;
}

void RoundsTest::roundStartShowsTheDisplaysOfTheMode()
{
    QFETCH(bool, twoPlayers);
    GameRig rig;
    rig.Start(twoPlayers);

    for (TRCADigital *display : RedDisplays(rig.form))
        QVERIFY2(!display->isHidden(), qPrintable(display->objectName()));
    for (TRCADigital *display : BlueDisplays(rig.form))
        QVERIFY2(display->isHidden() != twoPlayers, qPrintable(display->objectName()));
    QVERIFY(rig.game.RoundUnderWay());
    QVERIFY(!rig.form.StartEnabled());
    QVERIFY(rig.form.Pause1->isEnabled());
    QVERIFY(rig.game.Clock(TPlayer::Red).Enabled());
    QCOMPARE(rig.game.Clock(TPlayer::Blue).Enabled(), twoPlayers);
    QVERIFY(rig.game.BonusClock().isActive());
    QCOMPARE(FieldCursor(rig.form), Qt::BlankCursor);
    QCOMPARE(rig.form.liferdigi->Value(), 7);
    QCOMPARE(rig.form.digispeedr->Value(), 4);
}

// The crash window names the player and the cycles left; the lives displays follow (the red one
// shows the red half of the strip, which begins at cell 4); the third crash ends the game.
void RoundsTest::crashMessagesCountDownTheCycles_data()
{
    AddPlayerRows();
}

void RoundsTest::crashMessagesCountDownTheCycles()
{
    QFETCH(int, player);
    GameRig rig;
    rig.StartTwoPlayers();
    TRCADigital *lives = player == 1 ? rig.form.liferdigi : rig.form.lifebdigi;
    const int firstCell = player == 1 ? 4 : 0;

    for (int left = 2; left >= 0; --left) {
        QVERIFY(rig.game.RoundUnderWay());
        rig.Crash(player);
        QCOMPARE(lives->Value(), firstCell + left);
    }

    const QString message = QStringLiteral("Player %1 crashed! %2 Cycles left...");
    QCOMPARE(CrashTitles(rig),
             (QStringList{message.arg(player).arg(2), message.arg(player).arg(1), message.arg(player).arg(0)}));
    QVERIFY(!rig.game.RoundUnderWay());
    QVERIFY(rig.form.StartEnabled());
}

// A crash gives the other player 5000 points; lives, scores and jets carry over, while speeds,
// headings and positions start afresh on a cleared field, and the first ticks leave the start.
void RoundsTest::crashCreditsTheOpponentAndRestartsFromTheStart_data()
{
    AddPlayerRows();
}

void RoundsTest::crashCreditsTheOpponentAndRestartsFromTheStart()
{
    QFETCH(int, player);
    GameRig rig;
    rig.StartTwoPlayers();
    rig.TickBoth(10);
    rig.Type(QStringLiteral("wd2as5")); // speeds, a jet each, turns
    rig.TickBoth(2);                    // red at 41 ms scores 2 a step, blue at 61 ms 1

    rig.Crash(player);

    QCOMPARE(rig.game.redscore, 14 + (player == 2 ? 5000 : 0));
    QCOMPARE(rig.game.bluescore, 12 + (player == 1 ? 5000 : 0));
    QCOMPARE(rig.form.digired->Value(), rig.game.redscore);
    QCOMPARE(rig.form.digiblue->Value(), rig.game.bluescore);
    QCOMPARE(rig.game.redlives, player == 1 ? 2 : 3);
    QCOMPARE(rig.game.bluelives, player == 2 ? 2 : 3);
    QCOMPARE(rig.form.liferdigi->Value(), rig.game.redlives + 4);
    QCOMPARE(rig.form.lifebdigi->Value(), rig.game.bluelives);
    QCOMPARE(rig.form.jumpdigr->Value(), 2);
    QCOMPARE(rig.form.jumpdigb->Value(), 2);

    QVERIFY(rig.game.RoundUnderWay());
    QCOMPARE(rig.CountPixels(FieldColour::Black), TFieldSurface::Width * TFieldSurface::Height);
    QCOMPARE(rig.game.Clock(TPlayer::Red).Interval(), 51);
    QCOMPARE(rig.game.Clock(TPlayer::Blue).Interval(), 51);
    QCOMPARE(rig.form.digispeedr->Value(), 4);
    QCOMPARE(rig.form.digispeedb->Value(), 4);
    QVERIFY(rig.game.Clock(TPlayer::Red).Enabled());
    QVERIFY(rig.game.Clock(TPlayer::Blue).Enabled());
    QVERIFY(rig.game.BonusClock().isActive());

    rig.TickBoth();
    QCOMPARE(rig.game.redx, 199);
    QCOMPARE(rig.game.redy, 199);
    QCOMPARE(rig.game.bluex, 199);
    QCOMPARE(rig.game.bluey, 201);
    QCOMPARE(rig.game.GetPixel(199, 199), FieldColour::Red);
    QCOMPARE(rig.game.GetPixel(199, 201), FieldColour::Blue);
    QCOMPARE(rig.game.GetPixel(200, 200), FieldColour::Black);
}

// While the crash window is open nothing moves: both movement timers and the bonus timer are
// stopped and the bonus is off the field. The round already counts as over, so that a key typed
// just as the window closes cannot set a cycle moving again.
void RoundsTest::crashWindowOpensWithEverythingStopped()
{
    GameRig rig;
    rig.StartTwoPlayers();
    rig.PlaceBonusOfKind(8);
    QVERIFY(rig.game.Label1.Visible());
    rig.game.BonusClock().start();
    int checked = 0;
    rig.onWindow = [&](const QString &) {
        ++checked;
        QVERIFY(!rig.game.Clock(TPlayer::Red).Enabled());
        QVERIFY(!rig.game.Clock(TPlayer::Blue).Enabled());
        QVERIFY(!rig.game.BonusClock().isActive());
        QVERIFY(!rig.game.Label1.Visible());
        QCOMPARE(rig.CountPixels(FieldColour::Yellow), 0);
        QVERIFY(!rig.game.RoundUnderWay());
    };

    rig.CrashBlue();

    QCOMPARE(checked, 1);
    QVERIFY(rig.game.BonusClock().isActive());
}

void RoundsTest::explosionSoundsWhileTheCrashWindowIsOpen()
{
    GameRig rig;
    rig.StartTwoPlayers();

    rig.CrashRed();

    QCOMPARE(rig.events, (QStringList{GameRig::SoundCommand("play", "explode.wav"),
                                      QStringLiteral("window: Player 1 crashed! 2 Cycles left..."),
                                      GameRig::SoundCommand("stop", "explode.wav")}));
}

// At the end of a two-player game the displays go, both scores are recorded (player 1 first,
// each with its own applause) and nothing else, and the game-over picture is shown. On the
// program's own host each name is asked for while its applause plays, and the names typed land in
// the hall of fame with their scores.
void RoundsTest::twoPlayerGameOverRecordsBothScoresPlayerOneFirst_data()
{
    QTest::addColumn<GameRig::Hosting>("hosting");
    QTest::addColumn<QStringList>("recordings");
    // Blue: 10 steps and 3 crashes of red; red: 10 steps.
    QTest::newRow("recording host") << GameRig::Hosting::Recording
                                    << QStringList{"record: Player 1 10", "record: Player 2 15010"};
    QTest::newRow("real windows") << GameRig::Hosting::Windows
                                  << QStringList{"window: Enter your name,Player 1",
                                                 "window: Enter your name,Player 2"};
}

void RoundsTest::twoPlayerGameOverRecordsBothScoresPlayerOneFirst()
{
    QFETCH(GameRig::Hosting, hosting);
    QFETCH(QStringList, recordings);
    GameRig rig(hosting);
    rig.names = QStringList{"Ann", "Bob"};
    rig.StartTwoPlayers();
    rig.TickBoth(10);
    rig.CrashRed();
    rig.CrashRed();
    rig.events.clear();

    rig.CrashRed();

    const QString play = GameRig::SoundCommand("play", "applaus.wav");
    const QString stop = GameRig::SoundCommand("stop", "applaus.wav");
    QCOMPARE(rig.events, (QStringList{GameRig::SoundCommand("play", "explode.wav"),
                                      QStringLiteral("window: Player 1 crashed! 0 Cycles left..."),
                                      GameRig::SoundCommand("stop", "explode.wav"), play, recordings.at(0), stop, play,
                                      recordings.at(1), stop}));
    if (hosting == GameRig::Hosting::Windows) {
        QCOMPARE(ReadSetting("TwoPlayers", "1"), QStringLiteral("15010"));
        QCOMPARE(ReadSetting("TwoPlayers", "1n"), QStringLiteral("Bob"));
        QCOMPARE(ReadSetting("TwoPlayers", "2"), QStringLiteral("10"));
        QCOMPARE(ReadSetting("TwoPlayers", "2n"), QStringLiteral("Ann"));
        QCOMPARE(ReadSetting("OnePlayer", "1"), QStringLiteral("<none>"));
    }

    for (const auto &displays : {RedDisplays(rig.form), BlueDisplays(rig.form)})
        for (TRCADigital *display : displays)
            QVERIFY2(display->isHidden(), qPrintable(display->objectName()));
    QVERIFY(!rig.game.RoundUnderWay());
    QVERIFY(rig.form.StartEnabled());
    QVERIFY(!rig.form.Pause1->isEnabled());
    QVERIFY(rig.game.gameover.Visible());
    QVERIFY(!rig.game.Label1.Visible());
    QCOMPARE(FieldCursor(rig.form), Qt::ArrowCursor);
    // Black everywhere but under the game-over picture.
    const QRect picture = rig.game.gameover.Bounds();
    for (int y = 0; y < TFieldSurface::Height; ++y)
        for (int x = 0; x < TFieldSurface::Width; ++x)
            if (!picture.contains(x, y) && rig.game.GetPixel(x, y) != FieldColour::Black)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is not black").arg(x).arg(y)));
}

// In a one-player game the crash points go to blue, who is never shown nor recorded: red's
// recorded score is its steps alone.
void RoundsTest::onePlayerGameOverRecordsOnlyRedsSteps()
{
    GameRig rig;
    rig.StartOnePlayer();
    for (int round = 0; round < 3; ++round) {
        rig.TickRed(10);
        rig.CrashRed();
    }

    QCOMPARE(rig.game.redscore, 30);
    QCOMPARE(rig.form.digired->Value(), 30);
    QCOMPARE(rig.events.mid(9), (QStringList{GameRig::SoundCommand("play", "applaus.wav"), QStringLiteral("record: 30"),
                                             GameRig::SoundCommand("stop", "applaus.wav")}));
    for (TRCADigital *display : BlueDisplays(rig.form))
        QVERIFY2(display->isHidden(), qPrintable(display->objectName()));
    QVERIFY(rig.game.gameover.Visible());
}

// A score that cannot be written is reported, and the game over completes all the same; in a
// two-player game player 2 is still asked, so that the hall of fame keeps both scores.
void RoundsTest::gameOverCompletesWhenTheScoreCannotBeRecorded_data()
{
    QTest::addColumn<bool>("twoPlayers");
    QTest::addColumn<QStringList>("recorded");
    QTest::newRow("one player") << false << QStringList{QStringLiteral("record: 5")};
    QTest::newRow("two players") << true
                                 << QStringList{QStringLiteral("record: Player 1 5"),
                                                QStringLiteral("record: Player 2 15000")};
}

void RoundsTest::gameOverCompletesWhenTheScoreCannotBeRecorded()
{
    QFETCH(bool, twoPlayers);
    QFETCH(QStringList, recorded);
    GameRig rig;
    rig.failRecordings = true;
    rig.Start(twoPlayers);
    rig.TickRed(5);
    for (int i = 0; i < 3; ++i)
        rig.CrashRed();

    QStringList expected;
    for (const QString &record : recorded)
        expected << GameRig::SoundCommand("play", "applaus.wav") << record
                 << GameRig::SoundCommand("stop", "applaus.wav");
    QCOMPARE(rig.failures, QStringList(recorded.size(), QStringLiteral("Kann nicht nach zandrix2.ini schreiben")));
    QCOMPARE(rig.events.filter(QRegularExpression(QStringLiteral("record|applaus"))), expected);
    QVERIFY(rig.game.gameover.Visible());
    QVERIFY(rig.form.StartEnabled());
    QVERIFY(!rig.form.Pause1->isEnabled());
    QCOMPARE(FieldCursor(rig.form), Qt::ArrowCursor);
    QVERIFY(rig.form.digired->isHidden());
}

void RoundsTest::newGameAfterGameOverStartsAfresh()
{
    GameRig rig;
    rig.StartTwoPlayers();
    rig.TickBoth(10);
    rig.Type(QStringLiteral("dd5"));
    for (int i = 0; i < 3; ++i)
        rig.CrashBlue();
    QVERIFY(rig.game.gameover.Visible());

    rig.StartOnePlayer();

    QVERIFY(!rig.game.gameover.Visible());
    QVERIFY(!rig.game.twoplayer);
    QCOMPARE(rig.game.redlives, 3);
    QCOMPARE(rig.game.bluelives, 3);
    QCOMPARE(rig.game.redscore, 0);
    QCOMPARE(rig.game.bluescore, 0);
    QCOMPARE(rig.form.jumpdigr->Value(), 3);
    QCOMPARE(rig.form.jumpdigb->Value(), 3);
    QCOMPARE(rig.form.liferdigi->Value(), 7);
    QCOMPARE(rig.form.lifebdigi->Value(), 3);
    QVERIFY(rig.game.RoundUnderWay());
    QVERIFY(!rig.game.Clock(TPlayer::Blue).Enabled());
    QCOMPARE(rig.CountPixels(FieldColour::Black), TFieldSurface::Width * TFieldSurface::Height);
    QCOMPARE(FieldCursor(rig.form), Qt::BlankCursor);
}

// The same item pauses and resumes; its caption and the window's tell which. The pause stops only
// the movement timers, and resuming starts player 2's only in a two-player game.
void RoundsTest::pauseStopsTheCyclesAndResumeRestartsThem_data()
{
    roundStartShowsTheDisplaysOfTheMode_data();
}

void RoundsTest::pauseStopsTheCyclesAndResumeRestartsThem()
{
    QFETCH(bool, twoPlayers);
    GameRig rig;
    rig.Start(twoPlayers);
    rig.TickRed(5);

    rig.form.Pause1Click(rig.form.Pause1);

    QCOMPARE(rig.form.windowTitle(), QStringLiteral("Game paused - F5 to resume..."));
    QCOMPARE(rig.form.Pause1->text(), QStringLiteral("Resume"));
    QVERIFY((rig.game.State() == TRoundState::Paused));
    QVERIFY(!rig.game.Clock(TPlayer::Red).Enabled());
    QVERIFY(!rig.game.Clock(TPlayer::Blue).Enabled());
    QVERIFY(rig.game.BonusClock().isActive());
    QCOMPARE(FieldCursor(rig.form), Qt::ArrowCursor);

    rig.form.Pause1Click(rig.form.Pause1);

    QCOMPARE(rig.form.windowTitle(), QStringLiteral("Zandrix II"));
    QCOMPARE(rig.form.Pause1->text(), QStringLiteral("Pause"));
    QVERIFY(!(rig.game.State() == TRoundState::Paused));
    QVERIFY(rig.game.Clock(TPlayer::Red).Enabled());
    QCOMPARE(rig.game.Clock(TPlayer::Blue).Enabled(), twoPlayers);
    QCOMPARE(FieldCursor(rig.form), Qt::BlankCursor);
    // The cycle goes on from where it stood.
    rig.TickRed();
    QCOMPARE(rig.game.redx, 194);
    QCOMPARE(rig.game.redy, 194);
    QCOMPARE(rig.game.redscore, 6);
}

// The function keys act through the menu: F1, F2 and F3 only while "Start..." is enabled (between
// games), F5 only while "Pause" is (during a game).
void RoundsTest::shortcutsActOnlyWhileTheirItemIsEnabled()
{
    GameRig rig;
    rig.form.show();
    rig.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&rig.form));

    PressKey(rig.form, Qt::Key_F5);
    QVERIFY(!(rig.game.State() == TRoundState::Paused));

    PressKey(rig.form, Qt::Key_F1);
    QVERIFY(rig.game.RoundUnderWay());
    QVERIFY(!rig.game.twoplayer);
    rig.TickRed(5);

    PressKey(rig.form, Qt::Key_F2);
    PressKey(rig.form, Qt::Key_F1);
    QVERIFY(!rig.game.twoplayer);
    QCOMPARE(rig.CountPixels(FieldColour::Red), 5);
    QCOMPARE(rig.game.redx, 195);

    PressKey(rig.form, Qt::Key_F5);
    QVERIFY((rig.game.State() == TRoundState::Paused));
    PressKey(rig.form, Qt::Key_F5);
    QVERIFY(!(rig.game.State() == TRoundState::Paused));

    for (int i = 0; i < 3; ++i)
        rig.CrashRed();
    QVERIFY(!rig.game.RoundUnderWay());
    PressKey(rig.form, Qt::Key_F5);
    QVERIFY(!(rig.game.State() == TRoundState::Paused));

    PressKey(rig.form, Qt::Key_F2);
    QVERIFY(rig.game.RoundUnderWay());
    QVERIFY(rig.game.twoplayer);
    PressKey(rig.form, Qt::Key_F3);
    QVERIFY(!rig.game.againstcomputer);

    for (int i = 0; i < 3; ++i)
        rig.CrashRed();
    PressKey(rig.form, Qt::Key_F3);
    QVERIFY(rig.game.RoundUnderWay());
    QVERIFY(rig.game.againstcomputer);
}

// Another program taking the keyboard pauses a round being played exactly as F5 does, and the
// round stays paused when the player comes back; at any other moment leaving changes nothing. Nor
// does F5 (a controller's Start) behind a crash window: the next round must not run "paused".
void RoundsTest::leavingForAnotherProgramPausesARound_data()
{
    QTest::addColumn<QString>("moment");
    QTest::addColumn<bool>("pauses");
    QTest::newRow("a round is played") << "round" << true;
    QTest::newRow("already paused") << "paused" << false;
    QTest::newRow("between games") << "between" << false;
    QTest::newRow("the crash window is open") << "crash" << false;
    QTest::newRow("F5 behind the crash window") << "crash F5" << false;
}

void RoundsTest::leavingForAnotherProgramPausesARound()
{
    QFETCH(QString, moment);
    QFETCH(bool, pauses);
    GameRig rig;
    const auto leave = [&] { rig.form.ApplicationDeactivate(&rig.form); };
    if (moment != u"between") {
        rig.StartTwoPlayers();
        rig.TickBoth(3);
    }
    if (moment == u"paused")
        rig.form.Pause1Click(rig.form.Pause1);
    const bool pausedBefore = (rig.game.State() == TRoundState::Paused);
    if (moment.startsWith(u"crash")) {
        rig.onWindow = [&](const QString &) { moment == u"crash" ? leave() : rig.form.Pause1Click(rig.form.Pause1); };
        rig.CrashRed();
    } else {
        leave();
        leave(); // coming back and leaving again
    }

    QCOMPARE((rig.game.State() == TRoundState::Paused), pausedBefore || pauses);
    if (pauses) {
        QCOMPARE(rig.form.windowTitle(), QStringLiteral("Game paused - F5 to resume..."));
        QCOMPARE(rig.form.Pause1->text(), QStringLiteral("Resume"));
        QVERIFY(!rig.game.Clock(TPlayer::Red).Enabled());
        QVERIFY(!rig.game.Clock(TPlayer::Blue).Enabled());
        QCOMPARE(FieldCursor(rig.form), Qt::ArrowCursor);
        rig.form.Pause1Click(rig.form.Pause1);
        QVERIFY(!(rig.game.State() == TRoundState::Paused));
        QVERIFY(rig.game.Clock(TPlayer::Blue).Enabled());
    } else if (moment.startsWith(u"crash")) {
        // The next round runs as if nothing had happened.
        QVERIFY(rig.game.RoundUnderWay());
        QVERIFY(rig.game.Clock(TPlayer::Red).Enabled());
        QCOMPARE(rig.form.windowTitle(), QStringLiteral("Zandrix II"));
    }
}

// "0" switches the sound off; a missing key and any other value leave it on. Bright colours are
// on only with "1".
void RoundsTest::soundSettingIsReadFromTheFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("bright");
    QTest::newRow("no file") << QByteArray() << true << false;
    QTest::newRow("off") << QByteArray("[Sound]\non=0\n") << false << false;
    QTest::newRow("on") << QByteArray("[Sound]\non=1\n") << true << false;
    QTest::newRow("off, with blanks and another case") << QByteArray("[SOUND]\nOn =  0 \n") << false << false;
    QTest::newRow("empty") << QByteArray("[Sound]\non=\n") << true << false;
    QTest::newRow("anything else") << QByteArray("[Sound]\non=no\n") << true << false;
    QTest::newRow("bright colours") << QByteArray("[colours]\n Bright = 1\n") << true << true;
    QTest::newRow("bright colours, anything else") << QByteArray("[Colours]\nbright=yes\n") << true << false;
}

void RoundsTest::soundSettingIsReadFromTheFile()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, on);
    QFETCH(bool, bright);
    TestConfigHome home;
    if (!file.isEmpty())
        Store(home.settingsFile(), file);
    const TProgram program(GameRig::DefaultSeed);
    QVERIFY(program.Form1.Sound1->isCheckable());
    QCOMPARE(program.Form1.Sound1->isChecked(), on);
    QCOMPARE(program.Form1.BrightColours1->isChecked(), bright);
    QCOMPARE(program.Form1.FieldView().Bright(), bright);
}

// With the sound off not one sound command goes out, at a crash or at the game over; the choice
// is in the settings file at once, and switching back on sounds again.
void RoundsTest::soundOffSendsNoCommandAndIsKept()
{
    GameRig rig;
    QVERIFY(rig.form.Sound1->isChecked());
    rig.form.Sound1->trigger();
    QVERIFY(!rig.form.Sound1->isChecked());
    QCOMPARE(ReadSetting("Sound", "on"), QStringLiteral("0"));

    QVERIFY(rig.PlayToGameOver(true, 5));
    QCOMPARE(rig.SoundCommands().filter(QStringLiteral(".wav")), QStringList());
    QCOMPARE(rig.WindowTitles().size(), 3);

    rig.form.Sound1->trigger();
    QCOMPARE(ReadSetting("Sound", "on"), QStringLiteral("1"));
    rig.StartOnePlayer();
    rig.CrashRed();
    QCOMPARE(rig.SoundCommands().filter(QStringLiteral(".wav")),
             (QStringList{GameRig::SoundCommand("play", "explode.wav"), GameRig::SoundCommand("stop", "explode.wav")}));
}

// Switched off while the explosion plays (the crash window is open), the sound stops at once and
// no command follows when the window closes.
void RoundsTest::soundOffWhileASoundPlaysStopsIt()
{
    GameRig rig;
    rig.StartTwoPlayers();
    rig.onWindow = [&](const QString &) { rig.form.Sound1->trigger(); };
    rig.CrashBlue();
    QCOMPARE(rig.events, (QStringList{GameRig::SoundCommand("play", "explode.wav"),
                                      QStringLiteral("window: Player 2 crashed! 2 Cycles left..."),
                                      GameRig::SoundCommand("stop", "explode.wav")}));
    rig.onWindow = {};
    rig.CrashBlue();
    QCOMPARE(rig.SoundCommands().size(), 2);
}

// The menu command reports a failure to keep the choice (an error box, not an exception thrown
// back into Qt), and the sound is switched all the same.
void RoundsTest::soundSwitchThatCannotBeKeptIsReportedAndHolds()
{
    GameRig rig;
    // A directory where the settings file should be: it cannot be written.
    QVERIFY(QDir(rig.home.path()).mkdir(QStringLiteral("zandrix2.ini")));
    rig.form.Sound1->trigger();
    QCOMPARE(rig.failures, QStringList{QStringLiteral("Kann nicht nach %1 schreiben").arg(rig.home.settingsFile())});
    QVERIFY(!rig.form.Sound1->isChecked());
    rig.StartOnePlayer();
    rig.CrashRed();
    QCOMPARE(rig.SoundCommands(), QStringList());
}

// "Against the Computer" is a two-player game in every respect, but that the computer steers the
// blue cycle at the level the settings file holds when the game starts, and the keys of player 2
// steer nothing. A game of another kind afterwards is the players' own again.
void RoundsTest::computerGameIsATwoPlayerGameAtTheLevelOfTheSettings_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<TComputerLevel>("level");
    QTest::newRow("no setting") << QByteArray() << TComputerLevel::Normal;
    QTest::newRow("easy") << QByteArray("[Computer]\nlevel=easy\n") << TComputerLevel::Easy;
    QTest::newRow("hard") << QByteArray("[Computer]\nlevel=hard\n") << TComputerLevel::Hard;
    QTest::newRow("another case, blanks") << QByteArray("[Computer]\nlevel= Hard \n") << TComputerLevel::Hard;
    QTest::newRow("unknown") << QByteArray("[Computer]\nlevel=expert\n") << TComputerLevel::Normal;
}

void RoundsTest::computerGameIsATwoPlayerGameAtTheLevelOfTheSettings()
{
    QFETCH(QByteArray, file);
    QFETCH(TComputerLevel, level);
    GameRig rig;
    if (!file.isEmpty())
        Store(rig.home.settingsFile(), file);

    rig.form.AgainsttheComputer1Click(rig.form.AgainsttheComputer1);

    QVERIFY(rig.game.twoplayer);
    QVERIFY(rig.game.againstcomputer);
    for (const auto &displays : {RedDisplays(rig.form), BlueDisplays(rig.form)})
        for (TRCADigital *display : displays)
            QVERIFY2(!display->isHidden(), qPrintable(display->objectName()));
    QVERIFY(rig.game.Clock(TPlayer::Blue).Enabled());
    QVERIFY(!rig.form.AgainsttheComputer1->isEnabled());
    const auto *computer = dynamic_cast<const TComputerPlayer *>(rig.game.PilotOf(TPlayer::Blue));
    QVERIFY(computer);
    QCOMPARE(computer->Level(), level);
    QVERIFY(!rig.game.PilotOf(TPlayer::Red));

    // Player 2's keys and controller steer nothing, nor does a new game start in the middle of
    // this one; player 1's keys do.
    rig.Type(QStringLiteral("45682"));
    rig.game.Act(TPlayer::Blue, TPlayerAction::TurnLeft);
    rig.game.Start(TGameMode::TwoPlayers);
    QCOMPARE(rig.game.Mode(), TGameMode::AgainstComputer);
    QCOMPARE(rig.game.bluedir, std::uint8_t(4));
    QCOMPARE(rig.game.Clock(TPlayer::Blue).Interval(), std::uint16_t(51));
    QCOMPARE(rig.form.jumpdigb->Value(), 3);
    rig.Type(QStringLiteral("a"));
    QCOMPARE(rig.game.reddir, std::uint8_t(3));

    rig.TickBoth(20);
    QCOMPARE(rig.CountPixels(FieldColour::Blue), 20);
    for (int i = 0; i < 3; ++i)
        rig.CrashRed();
    rig.StartTwoPlayers();
    QVERIFY(!rig.game.PilotOf(TPlayer::Blue));
    QVERIFY(!rig.game.againstcomputer);
}

// Crash messages name the computer; at the game over nothing is recorded and no name asked, both
// scores stay beside the game-over picture, and the applause plays out when the player has won.
void RoundsTest::computerGameEndsWithoutTheHallOfFame_data()
{
    QTest::addColumn<int>("loser");
    QTest::addColumn<QString>("lastCrash");
    QTest::newRow("the player wins") << 2 << "Computer crashed! 0 Cycles left...";
    QTest::newRow("the computer wins") << 1 << "Player 1 crashed! 0 Cycles left...";
}

void RoundsTest::computerGameEndsWithoutTheHallOfFame()
{
    QFETCH(int, loser);
    QFETCH(QString, lastCrash);
    GameRig rig;
    rig.form.AgainsttheComputer1Click(rig.form.AgainsttheComputer1);
    // The computer would steer clear of the edge that the test runs its cycle into.
    rig.game.setPilot(TPlayer::Blue, nullptr);
    rig.TickBoth(10);
    for (int i = 0; i < 3; ++i)
        rig.Crash(loser);

    const QStringList titles = rig.WindowTitles();
    QCOMPARE(titles.size(), 3);
    QCOMPARE(titles.last(), lastCrash);
    QCOMPARE(rig.events.filter(QStringLiteral("record")), QStringList());
    const QStringList applause = rig.SoundCommands().filter(QStringLiteral("applaus.wav"));
    QCOMPARE(applause, loser == 2 ? QStringList{GameRig::SoundCommand("play", "applaus.wav")} : QStringList());
    QVERIFY(rig.game.gameover.Visible());
    QVERIFY(rig.form.StartEnabled());
    QVERIFY(!rig.form.digired->isHidden());
    QVERIFY(!rig.form.digiblue->isHidden());
    QCOMPARE(rig.form.digiblue->Value(), rig.game.bluescore);
    for (TRCADigital *display : {rig.form.digispeedr, rig.form.digispeedb, rig.form.liferdigi, rig.form.lifebdigi,
                                 rig.form.jumpdigr, rig.form.jumpdigb})
        QVERIFY2(display->isHidden(), qPrintable(display->objectName()));
    QVERIFY(!QFile::exists(rig.home.settingsFile()));
    // The blue half of the panel is the computer's, and the game says who won.
    QCOMPARE(rig.form.Image1->Picture(), Picture("panel-computer"));
    QCOMPARE(rig.form.FieldView().Notice(), Picture(loser == 2 ? "winner-player" : "winner-computer"));
    rig.StartOnePlayer();
    QCOMPARE(rig.form.Image1->Picture(), Picture("panel"));
    QVERIFY(rig.form.FieldView().Notice().isNull());
}

// "End Game" ends a game at once, in any of its rounds, paused or not: nothing is recorded, the
// field and panel are as before the first game, with the keys that start one, and the next start
// is a new game.
void RoundsTest::endGameGoesBackToTheStartScreenRecordingNothing_data()
{
    QTest::addColumn<TGameMode>("mode");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<int>("crashesBefore");
    QTest::newRow("one player, first round") << TGameMode::OnePlayer << false << 0;
    QTest::newRow("two players, paused, third round") << TGameMode::TwoPlayers << true << 2;
    QTest::newRow("against the computer, second round") << TGameMode::AgainstComputer << false << 1;
}

void RoundsTest::endGameGoesBackToTheStartScreenRecordingNothing()
{
    QFETCH(TGameMode, mode);
    QFETCH(bool, paused);
    QFETCH(int, crashesBefore);
    GameRig rig;
    QCOMPARE(rig.form.FieldView().Notice(), Picture("starthint"));
    QVERIFY(!rig.form.EndGame1->isEnabled());
    rig.game.Start(mode);
    rig.game.setPilot(TPlayer::Blue, nullptr);
    QVERIFY(rig.form.FieldView().Notice().isNull());
    for (int i = 0; i < crashesBefore; ++i)
        rig.CrashRed();
    rig.TickBoth(20);
    // A bonus on the field, which the end must take away too.
    rig.game.Tick(TClock::Bonus);
    QVERIFY(rig.CountPixels(FieldColour::Yellow) > 0);
    if (paused)
        rig.form.Pause1->trigger();
    QVERIFY(rig.form.EndGame1->isEnabled());

    rig.form.EndGame1->trigger();

    QCOMPARE(rig.game.State(), TRoundState::Idle);
    QVERIFY(rig.form.StartEnabled());
    QVERIFY(!rig.form.EndGame1->isEnabled());
    QVERIFY(!rig.form.Pause1->isEnabled());
    QCOMPARE(rig.form.windowTitle(), QStringLiteral("Zandrix II"));
    QCOMPARE(rig.events.filter(QStringLiteral("record")), QStringList());
    QVERIFY(!QFile::exists(rig.home.settingsFile()));
    QCOMPARE(rig.CountPixels(FieldColour::Black), TFieldSurface::Width * TFieldSurface::Height);
    std::vector<TRCADigital *> displays = RedDisplays(rig.form);
    for (TRCADigital *display : BlueDisplays(rig.form))
        displays.push_back(display);
    for (TRCADigital *display : displays)
        QVERIFY2(display->isHidden(), qPrintable(display->objectName()));
    QCOMPARE(rig.form.FieldView().Notice(), Picture("starthint"));
    QCOMPARE(rig.form.Image1->Picture(), Picture("panel"));
    QVERIFY(!rig.game.BonusClock().isActive());
    // Nothing ticks any more.
    rig.clock->Run(1000);
    QCOMPARE(rig.CountPixels(FieldColour::Black), TFieldSurface::Width * TFieldSurface::Height);

    rig.StartTwoPlayers();
    QCOMPARE(rig.game.redlives, 3);
    QCOMPARE(rig.game.bluelives, 3);
    QCOMPARE(rig.game.redscore, 0);
    QCOMPARE(rig.game.bluescore, 0);
}

// Bright colours change the view's pixels of the trails and the bonus text, never the field's;
// the choice is kept in a section of its own.
void RoundsTest::brightColoursChangeOnlyWhatIsShownAndAreKept()
{
    GameRig rig;
    QVERIFY(!rig.form.BrightColours1->isChecked());
    rig.StartTwoPlayers();
    rig.TickBoth(10);
    const QPoint blue(rig.game.bluex, rig.game.bluey);
    const auto shownAt = [&rig](QPoint at) {
        return rig.form.FieldView().grab(QRect(at, QSize(1, 1))).toImage().pixel(0, 0);
    };
    QCOMPARE(shownAt(blue), qRgb(0, 0, 255));

    rig.form.BrightColours1->trigger();

    QCOMPARE(rig.game.GetPixel(blue.x(), blue.y()), FieldColour::Blue);
    const QRgb bright = shownAt(blue);
    QVERIFY(qBlue(bright) == 255 && qRed(bright) > 60 && qGreen(bright) > 120);
    QCOMPARE(TFieldView::Shown(qRgb(255, 255, 0), true) == qRgb(255, 255, 0), false);
    QCOMPARE(TFieldView::Shown(qRgb(0, 0, 0), true), qRgb(0, 0, 0));
    QCOMPARE(ReadSetting("Colours", "bright"), QStringLiteral("1"));
}

// A game played and then watched again in the window: End shows each round's field as its crash
// window saw it, the keys move through the replay, and leaving (Escape, or starting a game) shows
// the game again. The commands are enabled only where they can act.
void RoundsTest::watchingAGameAgain_data()
{
    QTest::addColumn<QString>("keys");  // while watching, after End of the last round
    QTest::addColumn<bool>("watching"); // afterwards
    QTest::addColumn<QString>("speed");
    QTest::newRow("escape leaves") << "Escape" << false << "";
    QTest::newRow("faster stops at sixteen times") << "Space + + + + + + + + +" << true << "x16";
    QTest::newRow("slower stops at a quarter") << "Space - - - - - - - -" << true << "x1/4";
    QTest::newRow("starting a game leaves") << "F2" << false << "";
}

void RoundsTest::watchingAGameAgain()
{
    QFETCH(QString, keys);
    QFETCH(bool, watching);
    QFETCH(QString, speed);
    GameRig rig;
    TReplayRecorder recorder(rig.game, rig.home.path() + QStringLiteral("/replays"));
    rig.form.setRecorder(&recorder);
    QVERIFY(!rig.form.WatchLastGame1->isEnabled());
    QVERIFY(rig.form.OpenReplay1->isEnabled());
    QVERIFY(!rig.form.ExportRoundasGIF1->isEnabled());

    QStringList crashFields;
    rig.onWindow = [&](const QString &) { crashFields << QString::number(rig.game.field.Checksum(), 16); };
    rig.StartTwoPlayers();
    QVERIFY(!rig.form.WatchLastGame1->isEnabled());
    QVERIFY(!rig.form.OpenReplay1->isEnabled());
    rig.TickBoth(40);
    rig.game.Tick(TClock::Bonus);
    rig.Type(QStringLiteral("d"));
    rig.TickBoth(20);
    rig.CrashRed();
    rig.TickBoth(25);
    rig.CrashRed();
    rig.TickBoth(5);
    rig.CrashRed();
    QVERIFY(rig.game.State() == TRoundState::GameOver);
    QCOMPARE(crashFields.size(), 3);
    QVERIFY(!recorder.LastFile().isEmpty());
    QVERIFY(rig.form.WatchLastGame1->isEnabled());

    rig.form.show();
    rig.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&rig.form));
    PressKey(rig.form, Qt::Key_F6);
    QVERIFY(rig.form.Watching());
    QVERIFY(rig.form.windowTitle().startsWith(QStringLiteral("Zandrix II - Replay")));
    QVERIFY(rig.form.ExportRoundasGIF1->isEnabled());
    QVERIFY(!rig.form.ReplayStrip()->isHidden());
    QCOMPARE(rig.form.Watcher()->Playback().RoundCount(), 3);
    for (int round = 0; round < 3; ++round) {
        PressKey(rig.form, Qt::Key_End);
        QCOMPARE(QString::number(rig.form.FieldView().Surface().Checksum(), 16), crashFields.at(round));
        QVERIFY(rig.form.ReplayStrip()->Message().contains(QStringLiteral("crashed!")));
        if (round < 2)
            PressKey(rig.form, Qt::Key_PageDown);
    }

    for (const QString &key : keys.split(QLatin1Char(' ')))
        QTest::keyClick(rig.form.windowHandle(), QKeySequence::fromString(key)[0].key());
    QCoreApplication::processEvents();
    QCOMPARE(rig.form.Watching(), watching);
    if (watching) {
        QCOMPARE(rig.form.Watcher()->SpeedText(), speed);
        return;
    }
    QCOMPARE(&rig.form.FieldView().Surface(), &rig.game.field);
    QVERIFY(rig.form.ReplayStrip()->isHidden());
    QVERIFY(!rig.form.windowTitle().contains(QStringLiteral("Replay")));
}

QTEST_MAIN(RoundsTest)
#include "tst_game_rounds.moc"
