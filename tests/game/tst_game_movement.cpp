// The movement tick: one pixel per tick, and the colour of the pixel it lands on decides whether
// the cycle crashes, collects a bonus or simply goes on.
#include "support/GameRig.h"

#include "game/TDrivenTicks.h"
#include "game/TTimerTicks.h"

#include "components/TRCADigital.h"

#include <QtTest>

#include <cstdint>
#include <limits>
#include <utility>

namespace {
constexpr std::int32_t Int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t Int32Min = std::numeric_limits<std::int32_t>::min();
} // namespace

class MovementTest : public QObject
{
    Q_OBJECT

private slots:
    void stepScoreDependsOnInterval_data();
    void stepScoreDependsOnInterval();
    void edgesAndSidePanelAreWalls_data();
    void edgesAndSidePanelAreWalls();
    void timersTickWithThemselvesAsSender_data();
    void timersTickWithThemselvesAsSender();
    void drivenClockTicksAsTheTimersWould_data();
    void drivenClockTicksAsTheTimersWould();
    void fourTurnsReverseOntoOwnTrail_data();
    void fourTurnsReverseOntoOwnTrail();
    void otherTrailIsAWall_data();
    void otherTrailIsAWall();
    void yellowPixelCollectsBonusAndStillScores_data();
    void yellowPixelCollectsBonusAndStillScores();
    void diagonalTrailsCrossBetweenPixels();
    void blueCycleStaysStillInOnePlayerGame();
    void scoresWrapInsteadOfOverflowing_data();
    void scoresWrapInsteadOfOverflowing();
};

// The simulated clock of the tests, the bench and playbacks delivers each tick when the program's
// timers would: a script of steps ("on red", "off red", "interval red 11", "start bonus", "stop
// bonus", "interval bonus 300", "run 100"; "tick: ..." does its step inside the next tick) gives
// the ticks as clock@milliseconds.
void MovementTest::drivenClockTicksAsTheTimersWould_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("ticks");
    QTest::newRow("a cycle every interval") << "on red; run 160"
                                            << "red@51 red@102 red@153";
    QTest::newRow("off and on again keeps the wait") << "on red; run 30; off red; on red; run 30"
                                                     << "red@51";
    QTest::newRow("nothing while off") << "on red; run 10; off red; run 100"
                                       << "";
    QTest::newRow("a wait run out while off ticks when on") << "on red; run 10; off red; run 100; on red; run 0"
                                                            << "red@110";
    QTest::newRow("a blocking window's time, passed in a tick, runs out the other clock's wait")
        << "on red; on blue; tick: pass 1000; run 60; run 0"
        << "red@51 blue@1051";
    QTest::newRow("the next wait counts from the handler, at the new interval")
        << "on red; tick: interval red 11; run 80"
        << "red@51 red@62 red@73";
    QTest::newRow("a speed key between ticks waits for the next wait")
        << "on red; run 20; off red; interval red 11; on red; run 70"
        << "red@51 red@62 red@73 red@84";
    QTest::newRow("the same moment: red, blue, bonus") << "interval bonus 51; on blue; start bonus; on red; run 51"
                                                       << "red@51 blue@51 bonus@51";
    QTest::newRow("the bonus clock repeats") << "interval bonus 300; start bonus; run 700"
                                             << "bonus@300 bonus@600";
    QTest::newRow("starting the bonus clock again restarts its wait") << "start bonus; run 500; start bonus; run 1000"
                                                                      << "bonus@1500";
    QTest::newRow("a bonus clock stopped in its tick stays stopped")
        << "interval bonus 100; start bonus; tick: stop bonus; run 1000"
        << "bonus@100";
    QTest::newRow("a new bonus interval restarts a running wait") << "start bonus; run 400; interval bonus 100; run 150"
                                                                  << "bonus@500";
}

void MovementTest::drivenClockTicksAsTheTimersWould()
{
    QFETCH(QString, script);
    QFETCH(QString, ticks);
    TDrivenTicks clock;
    QStringList seen;
    QStringList inTick;
    const auto clockNamed = [](const QString &name) {
        return name == u"red" ? TClock::Red : name == u"blue" ? TClock::Blue : TClock::Bonus;
    };
    const auto perform = [&](const QString &step) {
        const QStringList words = step.trimmed().split(u' ');
        const QString &verb = words.at(0);
        if (verb == u"run")
            return clock.Run(words.at(1).toInt());
        if (verb == u"pass")
            return clock.Pass(words.at(1).toInt());
        const TClock which = clockNamed(words.at(1));
        if (verb == u"on" || verb == u"off")
            clock.Movement(which).setEnabled(verb == u"on");
        else if (verb == u"start")
            clock.Bonus().start();
        else if (verb == u"stop")
            clock.Bonus().stop();
        else if (which == TClock::Bonus)
            clock.Bonus().setInterval(words.at(2).toInt());
        else
            clock.Movement(which).setInterval(static_cast<std::uint16_t>(words.at(2).toInt()));
    };
    clock.onTick = [&](TClock which, QObject *Sender) {
        seen << QStringLiteral("%1@%2")
                    .arg(which == TClock::Red    ? "red"
                         : which == TClock::Blue ? "blue"
                                                 : "bonus")
                    .arg(clock.Now());
        QCOMPARE(Sender, clock.Sender(which));
        for (const QString &step : std::exchange(inTick, {}))
            perform(step);
    };
    for (const QString &step : script.split(u';'))
        step.trimmed().startsWith(u"tick:") ? void(inTick << step.trimmed().mid(5)) : perform(step);
    QCOMPARE(seen.join(u' '), ticks);
}

// Faster cycles earn double: 2 points a step below 51 ms, 1 from 51 ms on, for both players.
void MovementTest::stepScoreDependsOnInterval_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("points");
    const int points[] = {2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1};
    for (int i = 0; i <= 10; ++i) {
        const int interval = 1 + 10 * i;
        QTest::addRow("%d ms", interval) << interval << points[i];
    }
}

void MovementTest::stepScoreDependsOnInterval()
{
    QFETCH(int, interval);
    QFETCH(int, points);
    GameRig rig;
    rig.StartTwoPlayers();
    rig.game.Clock(TPlayer::Red).setInterval(static_cast<std::uint16_t>(interval));
    rig.game.Clock(TPlayer::Blue).setInterval(static_cast<std::uint16_t>(interval));

    rig.TickBoth(3);

    QCOMPARE(rig.game.redscore, 3 * points);
    QCOMPARE(rig.game.bluescore, 3 * points);
    QCOMPARE(rig.form.digired->Value(), 3 * points);
    QCOMPARE(rig.form.digiblue->Value(), 3 * points);
}

// The field is columns 0..602 and rows 0..552; one step beyond it (a wrapped coordinate, the side
// panel, below the client area) crashes with nothing drawn and nothing scored.
void MovementTest::edgesAndSidePanelAreWalls_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<int>("dir");
    QTest::addColumn<QPoint>("landing"); // (-1, -1): crashes

    const QPoint crash(-1, -1);
    QTest::newRow("left of column 0 wraps to 65535") << QPoint(0, 300) << 3 << crash;
    QTest::newRow("above row 0 wraps to 65535") << QPoint(300, 0) << 1 << crash;
    QTest::newRow("diagonally out of the top-left corner") << QPoint(0, 0) << 2 << crash;
    QTest::newRow("into the side panel at column 603") << QPoint(602, 300) << 7 << crash;
    QTest::newRow("diagonally into the side panel") << QPoint(602, 300) << 8 << crash;
    QTest::newRow("below row 552") << QPoint(300, 552) << 5 << crash;
    QTest::newRow("onto column 0") << QPoint(1, 300) << 3 << QPoint(0, 300);
    QTest::newRow("onto row 0") << QPoint(300, 1) << 1 << QPoint(300, 0);
    QTest::newRow("onto column 602") << QPoint(601, 300) << 7 << QPoint(602, 300);
    QTest::newRow("onto row 552") << QPoint(300, 551) << 5 << QPoint(300, 552);
    QTest::newRow("onto the bottom-right corner") << QPoint(601, 551) << 6 << QPoint(602, 552);
}

void MovementTest::edgesAndSidePanelAreWalls()
{
    QFETCH(QPoint, from);
    QFETCH(int, dir);
    QFETCH(QPoint, landing);
    GameRig rig;
    rig.StartOnePlayer();
    rig.PlaceRed(from.x(), from.y(), static_cast<std::uint8_t>(dir));

    rig.TickRed();

    if (landing == QPoint(-1, -1)) {
        QCOMPARE(rig.WindowTitles(), QStringList{"Player 1 crashed! 2 Cycles left..."});
        QCOMPARE(rig.game.redlives, 2);
        QCOMPARE(rig.game.redscore, 0);
    } else {
        QVERIFY(rig.WindowTitles().isEmpty());
        QCOMPARE(rig.game.GetPixel(landing.x(), landing.y()), FieldColour::Red);
        QCOMPARE(rig.game.redscore, 1);
    }
}

// A timer's own handler names the timer as the Sender of all that its tick sets off, down to the
// crash window. The window's handlers are left in place; the timers stand still, so that only the
// test ticks.
void MovementTest::timersTickWithThemselvesAsSender_data()
{
    AddPlayerRows();
}

void MovementTest::timersTickWithThemselvesAsSender()
{
    QFETCH(int, player);
    GameRig rig(GameRig::Hosting::Recording, GameRig::Ticks::Threaded);
    rig.Start(player == 2);
    rig.game.Clock(TPlayer::Red).setEnabled(false);
    rig.game.Clock(TPlayer::Blue).setEnabled(false);
    auto &ticks = static_cast<TTimerTicks &>(rig.game.Ticks());
    TQtThreadedTimer &timer = player == 1 ? ticks.hiresTimer1 : ticks.hiresTimer2;
    rig.Place(player, 0, 300, 3);

    timer.Tick();

    QCOMPARE(rig.WindowTitles(), QStringList{QStringLiteral("Player %1 crashed! 2 Cycles left...").arg(player)});
    QCOMPARE(rig.crashSenders.size(), std::size_t(1));
    QCOMPARE(rig.crashSenders.front(), static_cast<const QObject *>(&timer));
}

// Several turns between two ticks add up: four turns the same way point the cycle back at the
// pixel it came from.
void MovementTest::fourTurnsReverseOntoOwnTrail_data()
{
    QTest::addColumn<int>("player");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("reversedDir");

    // Red starts heading 2 (up-left), blue heading 4 (down-left).
    QTest::newRow("player 1, four left turns") << 1 << "aaaa" << 6;
    QTest::newRow("player 1, four right turns") << 1 << "ssss" << 6;
    QTest::newRow("player 2, four left turns") << 2 << "4444" << 8;
    QTest::newRow("player 2, four right turns") << 2 << "6666" << 8;
}

void MovementTest::fourTurnsReverseOntoOwnTrail()
{
    QFETCH(int, player);
    QFETCH(QString, keys);
    QFETCH(int, reversedDir);
    GameRig rig;
    rig.StartTwoPlayers();
    rig.TickBoth(3);

    rig.Type(keys);
    QCOMPARE(player == 1 ? rig.game.reddir : rig.game.bluedir, reversedDir);
    QVERIFY(rig.WindowTitles().isEmpty());
    rig.Tick(player);

    QCOMPARE(rig.WindowTitles(), QStringList{QStringLiteral("Player %1 crashed! 2 Cycles left...").arg(player)});
}

// Player 1 into player 2's trail, and the other way round.
void MovementTest::otherTrailIsAWall_data()
{
    AddPlayerRows();
}

void MovementTest::otherTrailIsAWall()
{
    QFETCH(int, player);
    GameRig rig;
    rig.StartTwoPlayers();
    // The other cycle lays a vertical line at column 300 from row 100 down to row 109; this one
    // drives right along row 105 into it.
    const int other = 3 - player;
    rig.Place(other, 300, 99, 5);
    rig.Tick(other, 10);
    rig.Place(player, 295, 105, 7);
    rig.Tick(player, 4);
    QVERIFY(rig.WindowTitles().isEmpty());
    rig.Tick(player);

    QCOMPARE(rig.WindowTitles(), QStringList{QStringLiteral("Player %1 crashed! 2 Cycles left...").arg(player)});
}

// The head lands on a yellow pixel of the bonus text: the bonus is collected, the trail pixel is
// drawn over the yellow one, and the step scores as usual.
void MovementTest::yellowPixelCollectsBonusAndStillScores_data()
{
    QTest::addColumn<int>("player");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("jets");

    QTest::newRow("player 1, 1000 points") << 1 << 3 << 1000 << 0;
    QTest::newRow("player 1, jump jet") << 1 << 1 << 0 << 1;
    QTest::newRow("player 2, 2500 points") << 2 << 5 << 2500 << 0;
    QTest::newRow("player 2, jump jet") << 2 << 2 << 0 << 1;
}

void MovementTest::yellowPixelCollectsBonusAndStillScores()
{
    QFETCH(int, player);
    QFETCH(int, kind);
    QFETCH(int, points);
    QFETCH(int, jets);
    GameRig rig;
    rig.StartTwoPlayers();
    rig.PlaceBonusOfKind(static_cast<std::uint8_t>(kind));
    QCOMPARE(rig.game.bonuskind, kind);
    const QRect bonus = rig.game.Label1.Bounds();
    const QPoint yellow = rig.FirstYellowPixel();
    QVERIFY(bonus.contains(yellow));

    rig.Place(player, yellow.x() - 1, yellow.y(), 7);
    rig.Tick(player);

    const bool red = player == 1;
    QVERIFY(!rig.game.Label1.Visible());
    QCOMPARE(rig.game.GetPixel(yellow.x(), yellow.y()), red ? FieldColour::Red : FieldColour::Blue);
    // The rest of the text is gone with the label: nothing yellow is left anywhere.
    QCOMPARE(rig.CountPixels(FieldColour::Yellow), 0);
    QCOMPARE(red ? rig.game.redscore : rig.game.bluescore, points + 1);
    QCOMPARE((red ? rig.form.digired : rig.form.digiblue)->Value(), points + 1);
    QCOMPARE((red ? rig.form.jumpdigr : rig.form.jumpdigb)->Value(), 3 + jets);
    QVERIFY(rig.WindowTitles().isEmpty());
}

// A diagonal step tests only the pixel it lands on, so two diagonal trails in crossing directions
// pass through each other where they meet between pixels.
void MovementTest::diagonalTrailsCrossBetweenPixels()
{
    GameRig rig;
    rig.StartTwoPlayers();
    rig.PlaceRed(100, 100, 6);  // down and right: (101,101), (102,102), (103,103)...
    rig.PlaceBlue(100, 103, 8); // up and right: (101,102), (102,101), (103,100)...

    rig.TickBoth(6);

    QVERIFY(rig.WindowTitles().isEmpty());
    QCOMPARE(rig.game.GetPixel(101, 101), FieldColour::Red);
    QCOMPARE(rig.game.GetPixel(102, 102), FieldColour::Red);
    QCOMPARE(rig.game.GetPixel(101, 102), FieldColour::Blue);
    QCOMPARE(rig.game.GetPixel(102, 101), FieldColour::Blue);
    QCOMPARE(rig.game.redscore, 6);
    QCOMPARE(rig.game.bluescore, 6);
}

void MovementTest::blueCycleStaysStillInOnePlayerGame()
{
    GameRig rig;
    rig.StartOnePlayer();
    // Player 2's turn and speed keys are ignored as well.
    rig.TickRed(20);
    rig.Type(QStringLiteral("4682"));
    rig.TickRed(20);

    QVERIFY(!rig.game.Clock(TPlayer::Blue).Enabled());
    QCOMPARE(rig.game.bluex, 200);
    QCOMPARE(rig.game.bluey, 200);
    QCOMPARE(rig.game.bluedir, 4);
    QCOMPARE(rig.game.Clock(TPlayer::Blue).Interval(), 51);
    QCOMPARE(rig.CountPixels(FieldColour::Blue), 0);
    QCOMPARE(rig.CountPixels(FieldColour::Red), 40);
    QVERIFY(rig.form.digiblue->isHidden());
}

// A score never overflows: it wraps like a two's complement value, and the display shows the
// wrapped value.
void MovementTest::scoresWrapInsteadOfOverflowing_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("expected");

    QTest::newRow("step") << "step" << Int32Max << Int32Min;
    // 5000 bonus points plus 1 for the step.
    QTest::newRow("bonus") << "bonus" << Int32Max - 999 << Int32Min + 4001;
    QTest::newRow("crash points") << "crash" << Int32Max - 4000 << Int32Min + 999;
}

void MovementTest::scoresWrapInsteadOfOverflowing()
{
    QFETCH(QString, source);
    QFETCH(int, start);
    QFETCH(int, expected);
    GameRig rig;
    rig.StartTwoPlayers();
    rig.game.redscore = start;

    if (source == u"step") {
        rig.TickRed();
    } else if (source == u"bonus") {
        rig.PlaceBonusOfKind(7);
        const QPoint yellow = rig.FirstYellowPixel();
        rig.PlaceRed(yellow.x() - 1, yellow.y(), 7);
        rig.TickRed();
    } else {
        rig.CrashBlue();
    }

    QCOMPARE(rig.game.redscore, expected);
    QCOMPARE(rig.form.digired->Value(), expected);
}

QTEST_MAIN(MovementTest)
#include "tst_game_movement.moc"
