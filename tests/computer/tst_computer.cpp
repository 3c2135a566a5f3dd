// The computer opponent: what it does on small drawn fields, that it is deterministic, that a
// better level beats a worse one, and that it plays through the real window like a player.
#include "support/GameRig.h"

#include "components/TRCADigital.h"
#include "computer/TComputerPlayer.h"
#include "game/Headings.h"
#include "game/Rules.h"
#include "game/TGameHost.h"

#include <QtTest>

#include <memory>

namespace {

using Level = TComputerLevel;

// Red at `head` with a trail of a few pixels behind it; the given rectangles are blue walls.
struct Situation
{
    TFieldSurface field;
    TCycleSight red{TPlayer::Red, 0, 0, 0, Rules::StartInterval, 3, true};
    TCycleSight blue{TPlayer::Blue, 20, 530, 7, Rules::StartInterval, 3, true};

    Situation(QPoint head, std::uint8_t dir, const QList<QRect> &walls, std::int32_t jets = 3)
    {
        for (const QRect &wall : walls)
            field.FillRect(wall, FieldColour::Blue);
        std::uint16_t x = static_cast<std::uint16_t>(head.x());
        std::uint16_t y = static_cast<std::uint16_t>(head.y());
        const auto back = static_cast<std::uint8_t>((dir + 3) % 8 + 1);
        for (int i = 0; i < 5; ++i) {
            field.SetPixel(x, y, FieldColour::Red);
            Advance(x, y, back, 1);
        }
        red.x = static_cast<std::uint16_t>(head.x());
        red.y = static_cast<std::uint16_t>(head.y());
        red.dir = dir;
        red.jets = jets;
    }
};

// Where the actions take red's head: the pixel its next step lands on, as the game would carry
// them out.
struct Move
{
    QPoint landing;
    std::uint8_t dir = 0;
    bool jumped = false;
};

Move Carry(const TPilotActions &actions, const TCycleSight &cycle)
{
    std::uint16_t x = cycle.x, y = cycle.y, interval = cycle.interval;
    std::uint8_t dir = cycle.dir;
    Move move;
    for (TPlayerAction action : actions) {
        switch (action) {
        case TPlayerAction::TurnLeft: dir = Normalised(static_cast<std::uint8_t>(dir + 1)); break;
        case TPlayerAction::TurnRight: dir = Normalised(static_cast<std::uint8_t>(dir - 1)); break;
        case TPlayerAction::Faster:
            interval = static_cast<std::uint16_t>(interval >= 2 ? interval - 10 : interval);
            break;
        case TPlayerAction::Slower:
            interval = static_cast<std::uint16_t>(interval <= 96 ? interval + 10 : interval);
            break;
        case TPlayerAction::Jump:
            move.jumped = cycle.jets > 0;
            if (move.jumped)
                Advance(x, y, dir, Rules::JumpDistance(interval));
            break;
        }
    }
    Advance(x, y, dir, 1);
    move.landing = QPoint(x, y);
    move.dir = dir;
    return move;
}

bool Free(const TFieldSurface &field, QPoint p)
{
    const std::uint32_t colour = field.GetPixel(p.x(), p.y());
    return colour == FieldColour::Black || colour == FieldColour::Yellow;
}

// Plays rounds in the window in simulated time: each movement handler is called when its
// interval says it is due (red first at equal times), until a crash. Returns the loser.
int PlayRound(TGame &game)
{
    std::array<std::int64_t, 2> due{game.Clock(TPlayer::Red).Interval(), game.Clock(TPlayer::Blue).Interval()};
    const std::uint8_t red = game.redlives, blue = game.bluelives;
    for (int ticks = 0; ticks < 400000; ++ticks) {
        const int player = due[0] <= due[1] ? 1 : 2;
        if (player == 1)
            game.Tick(TClock::Red);
        else
            game.Tick(TClock::Blue);
        if (game.redlives != red || game.bluelives != blue)
            return game.redlives != red ? 1 : 2;
        due[player - 1] += game.Clock(player == 1 ? TPlayer::Red : TPlayer::Blue).Interval();
    }
    return 0;
}

} // namespace

class ComputerTest : public QObject
{
    Q_OBJECT

private slots:
    void levelText_data();
    void levelText();
    void noMoveIntoAWall_data();
    void noMoveIntoAWall();
    void jetOnlyWhenBoxedIn_data();
    void jetOnlyWhenBoxedIn();
    void closeQuartersAgainstAFastOpponent_data();
    void closeQuartersAgainstAFastOpponent();
    void closingBoxIsLeftAtSpeed_data();
    void closingBoxIsLeftAtSpeed();
    void sameSeedSameDecisions();
    void openingsVaryWithTheSeed();
    void slowOpponentIsShutIn_data();
    void slowOpponentIsShutIn();
    void hardBeatsEasy();
    void gameAgainstTheComputerReplays();
    void fasterGoesThroughTheKeys();
};

// The settings file may hold anything: whatever is not a level's name is Normal.
void ComputerTest::levelText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("level");
    QTest::newRow("easy") << "easy" << int(Level::Easy);
    QTest::newRow("hard, any case, blanks") << " HaRd " << int(Level::Hard);
    QTest::newRow("capitals, tab and line break") << "\tEASY\n" << int(Level::Easy);
    QTest::newRow("normal") << "normal" << int(Level::Normal);
    QTest::newRow("empty") << "" << int(Level::Normal);
    QTest::newRow("unknown") << "expert" << int(Level::Normal);
    QTest::newRow("prefix") << "easyish" << int(Level::Normal);
}

void ComputerTest::levelText()
{
    QFETCH(QString, text);
    QFETCH(int, level);
    QCOMPARE(int(ComputerLevelFromText(text)), level);
    QCOMPARE(ComputerLevelFromText(ComputerLevelText(Level(level))), Level(level));
}

// While any step is free the computer takes one, and out of a dead end it takes the way out.
// (Easy is left out: a late turn into the wall is one of the beginner's mistakes it makes.)
void ComputerTest::noMoveIntoAWall_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QPoint>("head");
    QTest::addColumn<int>("dir");
    QTest::addColumn<QList<QRect>>("walls");
    QTest::addColumn<QPoint>("exit"); // the one good pixel, or (0, 0) when any free one will do

    const QPoint any(0, 0);
    const QList<QRect> ahead{QRect(301, 250, 1, 100)};
    const QList<QRect> corner{QRect(301, 250, 1, 100), QRect(250, 299, 52, 1)};
    // A corridor three pixels wide, closed ahead and at the far end, with a gap on the right.
    const QList<QRect> deadEnd{QRect(298, 299, 5, 1), QRect(298, 299, 1, 12), QRect(302, 301, 1, 10),
                               QRect(298, 310, 5, 1)};
    // A single pixel gap straight ahead in a long wall.
    const QList<QRect> gap{QRect(301, 100, 1, 200), QRect(301, 301, 1, 200)};
    for (Level level : {Level::Normal, Level::Hard}) {
        const QByteArray name = level == Level::Hard ? "hard: " : "normal: ";
        QTest::newRow(name + "wall ahead") << int(level) << QPoint(300, 300) << 7 << ahead << any;
        QTest::newRow(name + "walls ahead and left") << int(level) << QPoint(300, 300) << 7 << corner << any;
        QTest::newRow(name + "diagonal into a corner") << int(level) << QPoint(300, 300) << 8 << corner << any;
        QTest::newRow(name + "dead end with one exit")
            << int(level) << QPoint(300, 300) << 1 << deadEnd << QPoint(301, 300);
        QTest::newRow(name + "gap straight ahead") << int(level) << QPoint(300, 300) << 7 << gap << any;
        QTest::newRow(name + "field's edge ahead") << int(level) << QPoint(602, 300) << 7 << QList<QRect>{} << any;
    }
}

void ComputerTest::noMoveIntoAWall()
{
    QFETCH(int, level);
    QFETCH(QPoint, head);
    QFETCH(int, dir);
    QFETCH(QList<QRect>, walls);
    QFETCH(QPoint, exit);
    for (std::uint32_t seed = 1; seed <= 5; ++seed) {
        Situation situation(head, static_cast<std::uint8_t>(dir), walls);
        TComputerPlayer pilot(Level(level), seed);
        const Move move = Carry(pilot.Decide(situation.field, situation.red, situation.blue), situation.red);
        QVERIFY2(Free(situation.field, move.landing), qPrintable(QStringLiteral("seed %1: into the wall at %2,%3")
                                                                     .arg(seed)
                                                                     .arg(move.landing.x())
                                                                     .arg(move.landing.y())));
        if (exit != QPoint(0, 0))
            QCOMPARE(move.landing, exit);
        QVERIFY(!move.jumped);
    }
}

// A jet is used to leap a wall when every step is a wall, and never without a jet (nor when a step
// is free: see noMoveIntoAWall). Against a fast opponent Hard keeps its last jet once a round is
// under way: a cycle that crashed starts the next round late and may be boxed in before its first
// step.
void ComputerTest::jetOnlyWhenBoxedIn_data()
{
    QTest::addColumn<int>("jets");
    QTest::addColumn<int>("earlierSteps"); // decisions in this round before, without jets
    QTest::addColumn<int>("opponentInterval");
    QTest::addColumn<bool>("jumps");
    QTest::newRow("three jets") << 3 << 0 << 1 << true;
    QTest::newRow("one jet") << 1 << 0 << 1 << true;
    QTest::newRow("no jet") << 0 << 0 << 1 << false;
    QTest::newRow("two jets, round under way") << 2 << 8 << 1 << true;
    QTest::newRow("last jet, round under way") << 1 << 8 << 1 << false;
    QTest::newRow("last jet, slow opponent") << 1 << 8 << 51 << true;
}

void ComputerTest::jetOnlyWhenBoxedIn()
{
    QFETCH(int, jets);
    QFETCH(int, earlierSteps);
    QFETCH(int, opponentInterval);
    QFETCH(bool, jumps);
    // A ring of wall round the head's pixel (the head itself is drawn over it), open field beyond.
    Situation situation(QPoint(300, 300), 7, {QRect(299, 299, 3, 3)}, 0);
    situation.blue.interval = static_cast<std::uint16_t>(opponentInterval);
    TComputerPlayer pilot(Level::Hard, 1);
    for (int i = 0; i < earlierSteps; ++i)
        pilot.Decide(situation.field, situation.red, situation.blue);
    situation.red.jets = jets;
    const TPilotActions actions = pilot.Decide(situation.field, situation.red, situation.blue);
    QCOMPARE(std::count(actions.begin(), actions.end(), TPlayerAction::Jump) > 0, jumps);
    if (jumps)
        QVERIFY(Free(situation.field, Carry(actions, situation.red).landing));
}

// Head to head with an opponent riding flat out across its way, a level that weighs the pixels
// turns away from the crossing, to the side it gets to first, and rides flat out; it never steps
// where the opponent can be as soon. A cycle that starts a round late, boxed in round the start,
// leaps clear at once, lengthening the leap with the speed keys.
void ComputerTest::closeQuartersAgainstAFastOpponent_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QPoint>("rival");
    QTest::addColumn<int>("rivalDir");
    QTest::addColumn<QList<QRect>>("walls");
    QTest::addColumn<bool>("leaps");
    // Blue heads left across red's way up, as near to the crossing as red is.
    QTest::newRow("hard, crossing ahead") << int(Level::Hard) << QPoint(306, 294) << 3 << QList<QRect>{} << false;
    QTest::newRow("normal, crossing ahead") << int(Level::Normal) << QPoint(306, 294) << 3 << QList<QRect>{} << false;
    QTest::newRow("hard, alongside") << int(Level::Hard) << QPoint(303, 300) << 1 << QList<QRect>{} << false;
    // A square drawn round the head, and blue beside it.
    const QList<QRect> box{QRect(295, 295, 11, 1), QRect(295, 305, 11, 1), QRect(295, 295, 1, 11),
                           QRect(305, 295, 1, 11)};
    QTest::newRow("hard, boxed in at the start") << int(Level::Hard) << QPoint(307, 300) << 5 << box << true;
}

void ComputerTest::closeQuartersAgainstAFastOpponent()
{
    QFETCH(int, level);
    QFETCH(QPoint, rival);
    QFETCH(int, rivalDir);
    QFETCH(QList<QRect>, walls);
    QFETCH(bool, leaps);
    for (std::uint32_t seed = 1; seed <= 5; ++seed) {
        Situation situation(QPoint(300, 300), 1, walls);
        situation.blue.x = static_cast<std::uint16_t>(rival.x());
        situation.blue.y = static_cast<std::uint16_t>(rival.y());
        situation.blue.dir = static_cast<std::uint8_t>(rivalDir);
        situation.blue.interval = 1;
        TComputerPlayer pilot(Level(level), seed);
        const TPilotActions actions = pilot.Decide(situation.field, situation.red, situation.blue);
        const Move move = Carry(actions, situation.red);
        QVERIFY(Free(situation.field, move.landing));
        QVERIFY(std::count(actions.begin(), actions.end(), TPlayerAction::Faster) > 0);
        QCOMPARE(move.jumped, leaps);
        if (leaps) {
            QVERIFY(std::abs(move.landing.x() - 300) > 5 || std::abs(move.landing.y() - 300) > 5);
            continue;
        }
        QVERIFY2(move.landing.x() <= 300, qPrintable(QStringLiteral("seed %1: towards the opponent, to %2,%3")
                                                         .arg(seed)
                                                         .arg(move.landing.x())
                                                         .arg(move.landing.y())));
        QVERIFY(std::max(std::abs(move.landing.x() - rival.x()), std::abs(move.landing.y() - rival.y())) > 1);
    }
}

// A corridor whose open end a fast opponent is about to close: a level that reads speed rides out
// faster, with its jets kept, since the way out is still open; Easy never touches the speed keys.
void ComputerTest::closingBoxIsLeftAtSpeed_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("opponentInterval");
    QTest::addColumn<bool>("faster");
    QTest::newRow("hard, opponent flat out") << int(Level::Hard) << 1 << true;
    QTest::newRow("hard, opponent at 21 ms") << int(Level::Hard) << 21 << true;
    QTest::newRow("normal, opponent flat out") << int(Level::Normal) << 1 << true;
    QTest::newRow("easy, opponent flat out") << int(Level::Easy) << 1 << false;
}

void ComputerTest::closingBoxIsLeftAtSpeed()
{
    QFETCH(int, level);
    QFETCH(int, opponentInterval);
    QFETCH(bool, faster);
    // Walls above and below, closed behind; open on the right, where blue heads down across the
    // opening.
    Situation situation(QPoint(300, 300), 7,
                        {QRect(250, 290, 100, 1), QRect(250, 310, 100, 1), QRect(250, 290, 1, 21)});
    situation.blue.x = 360;
    situation.blue.y = 270;
    situation.blue.dir = 5;
    situation.blue.interval = static_cast<std::uint16_t>(opponentInterval);
    TComputerPlayer pilot(Level(level), 3);
    const TPilotActions actions = pilot.Decide(situation.field, situation.red, situation.blue);
    QCOMPARE(std::count(actions.begin(), actions.end(), TPlayerAction::Faster) > 0, faster);
    const Move move = Carry(actions, situation.red);
    QVERIFY(!move.jumped);
    QVERIFY(Free(situation.field, move.landing));
}

// Two pilots with one seed, shown the same field and sights tick after tick, act alike; the
// field grows with the actions of the first.
void ComputerTest::sameSeedSameDecisions()
{
    for (Level level : {Level::Easy, Level::Normal, Level::Hard}) {
        Situation situation(QPoint(200, 200), 2, {QRect(100, 120, 300, 1), QRect(150, 300, 1, 200)});
        TComputerPlayer first(level, 42), second(level, 42);
        for (int tick = 0; tick < 1500; ++tick) {
            const TPilotActions actions = first.Decide(situation.field, situation.red, situation.blue);
            const TPilotActions again = second.Decide(situation.field, situation.red, situation.blue);
            QVERIFY(std::equal(actions.begin(), actions.end(), again.begin(), again.end()));
            const Move move = Carry(actions, situation.red);
            if (!Free(situation.field, move.landing))
                break;
            situation.red.jets -= move.jumped ? 1 : 0;
            situation.red.x = static_cast<std::uint16_t>(move.landing.x());
            situation.red.y = static_cast<std::uint16_t>(move.landing.y());
            situation.red.dir = move.dir;
            situation.field.SetPixel(move.landing.x(), move.landing.y(), FieldColour::Red);
        }
    }
}

// The way a pilot goes through the first round: every pixel its head was on, with the actions it
// gave there.
class OpeningRecorder final : public TPilot
{
public:
    OpeningRecorder(std::unique_ptr<TPilot> held, QString &record)
        : pilot(std::move(held))
        , opening(record)
    {
    }
    void NewRound() override
    {
        rounds += 1;
        pilot->NewRound();
    }
    TPilotActions Decide(const TFieldSurface &field, const TCycleSight &own, const TCycleSight &other) override
    {
        const TPilotActions actions = pilot->Decide(field, own, other);
        if (rounds <= 1) {
            opening += QStringLiteral("%1,%2:").arg(own.x).arg(own.y);
            for (TPlayerAction action : actions)
                opening += QString::number(int(action));
        }
        return actions;
    }

private:
    std::unique_ptr<TPilot> pilot;
    QString &opening;
    int rounds = 0;
};

// Twenty seeds, twenty ways through the first five seconds of a round (or to its end, if sooner:
// Hard shuts a cycle that rides straight in at once), at every level: a player cannot learn one
// opening by heart.
void ComputerTest::openingsVaryWithTheSeed()
{
    for (Level level : {Level::Easy, Level::Normal, Level::Hard}) {
        QSet<QString> openings;
        for (std::uint32_t seed = 1; seed <= 20; ++seed) {
            GameRig rig;
            QString opening;
            rig.game.setPilot(TPlayer::Blue, std::make_unique<OpeningRecorder>(
                                                 std::make_unique<TComputerPlayer>(level, seed), opening));
            rig.StartTwoPlayers();
            // Red rides straight on, the same in every round.
            rig.clock->Run(5000);
            openings.insert(opening);
        }
        QVERIFY2(openings.size() == 20,
                 qPrintable(QStringLiteral("level %1: %2 openings").arg(int(level)).arg(openings.size())));
    }
}

// A slow cycle riding straight on in the open is shut in by Hard within a second or two: it
// crashes long before it could reach the field's edge (ten seconds away at 51 ms). Easy never
// hunts.
void ComputerTest::slowOpponentIsShutIn_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("redInterval");
    QTest::addColumn<bool>("shutIn");
    QTest::newRow("hard, red at 51 ms") << int(Level::Hard) << 51 << true;
    QTest::newRow("hard, red at 101 ms") << int(Level::Hard) << 101 << true;
    QTest::newRow("easy, red at 51 ms") << int(Level::Easy) << 51 << false;
}

void ComputerTest::slowOpponentIsShutIn()
{
    QFETCH(int, level);
    QFETCH(int, redInterval);
    QFETCH(bool, shutIn);
    for (std::uint32_t seed = 1; seed <= 5; ++seed) {
        GameRig rig;
        rig.game.setPilot(TPlayer::Blue, std::make_unique<TComputerPlayer>(Level(level), seed));
        rig.StartTwoPlayers();
        for (int key = 0; key < (redInterval - Rules::StartInterval) / Rules::SpeedStep; ++key)
            rig.game.Act(TPlayer::Red, TPlayerAction::Slower);
        const std::uint8_t lives = rig.game.redlives;
        rig.clock->Run(3000);
        QVERIFY2((rig.game.redlives < lives) == shutIn, qPrintable(QStringLiteral("seed %1").arg(seed)));
    }
}

// Ten rounds in the real window, the colours swapped from game to game: Hard wins clearly.
void ComputerTest::hardBeatsEasy()
{
    int hardWins = 0, rounds = 0;
    for (int game = 0; rounds < 10; ++game) {
        GameRig rig(GameRig::DefaultSeed + static_cast<std::uint32_t>(game));
        const int hard = game % 2 == 0 ? 1 : 2;
        rig.game.setPilot(GameRig::PlayerOf(hard), std::make_unique<TComputerPlayer>(Level::Hard, 7u + game));
        rig.game.setPilot(GameRig::PlayerOf(3 - hard), std::make_unique<TComputerPlayer>(Level::Easy, 11u + game));
        rig.StartTwoPlayers();
        while (rounds < 10 && rig.game.redlives > 0 && rig.game.bluelives > 0) {
            const int loser = PlayRound(rig.game);
            QVERIFY(loser != 0);
            hardWins += loser != hard ? 1 : 0;
            ++rounds;
        }
    }
    QVERIFY2(hardWins >= 8, qPrintable(QStringLiteral("Hard won %1 of 10").arg(hardWins)));
}

// A seeded game against the computer, the human's part scripted, ends the same way twice.
void ComputerTest::gameAgainstTheComputerReplays()
{
    const auto play = [] {
        GameRig rig(GameRig::DefaultSeed);
        rig.game.setPilot(TPlayer::Blue, std::make_unique<TComputerPlayer>(Level::Hard, 1234));
        rig.StartTwoPlayers();
        for (int tick = 1; tick <= 3000; ++tick) {
            rig.TickRed();
            rig.TickBlue();
            // Red steers a staircase; a bonus now and then.
            if (tick % 45 == 0)
                rig.game.Act(TPlayer::Red, tick % 90 == 0 ? TPlayerAction::TurnRight : TPlayerAction::TurnLeft);
            if (tick % 700 == 0)
                rig.game.Tick(TClock::Bonus);
        }
        return QStringList{QString::number(rig.game.redscore),          QString::number(rig.game.bluescore),
                           QString::number(rig.game.redlives),          QString::number(rig.game.bluelives),
                           QString::number(rig.form.jumpdigb->Value()), rig.FieldChecksum()};
    };
    const QStringList first = play();
    QVERIFY(first.at(1).toInt() > 0);
    QCOMPARE(play(), first);
}

// The computer's Faster is the speed key's: the timer keeps running at the new interval and the
// dial shows it. (Hard alone aims at 41 ms from its first tick.)
void ComputerTest::fasterGoesThroughTheKeys()
{
    GameRig rig;
    rig.game.setPilot(TPlayer::Red, std::make_unique<TComputerPlayer>(Level::Hard, 5));
    rig.form.N1Player1Click(rig.form.N1Player1);
    QCOMPARE(rig.game.Clock(TPlayer::Red).Interval(), Rules::StartInterval);
    rig.TickRed();
    QCOMPARE(rig.game.Clock(TPlayer::Red).Interval(), std::uint16_t(41));
    QVERIFY(rig.game.Clock(TPlayer::Red).Enabled());
    QCOMPARE(rig.form.digispeedr->Value(), Rules::SpeedDial(41));
}

QTEST_MAIN(ComputerTest)
#include "tst_computer.moc"
