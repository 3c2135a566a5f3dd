// A recorded game played again: a fixed seed and a fixed sequence of keys and ticks for both
// players must end in the same crash, with the same scores and the same field, every time. Any
// change to the rules of movement, scoring, keys, jumps or bonus placement shows up here. When a
// rule changes on purpose, check the new outcome by hand before taking its values below.
#include "support/Files.h"
#include "support/GameRig.h"
#include "support/ShownGif.h"

#include "components/TRCADigital.h"
#include "game/TFieldSurface.h"
#include "game/TGameMirror.h"
#include "replay/TReplay.h"
#include "replay/TReplayPlayback.h"
#include "replay/TReplayRecorder.h"
#include "replay/TRoundGif.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <random>

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// One step per ";":
//   both N   N ticks of each cycle, red first
//   red N    N ticks of player 1 only
//   blue N   N ticks of player 2 only
//   keys S   the characters of S typed one after the other
//   bonus    the bonus timer fires
// The bonus lies out of the cycles' way: the field's checksum then does not depend on the glyphs
// of the installed font, only on the rules.
const char *const Script = "both 20; keys w4; both 15; keys a; bonus; both 30; keys d2; both 10; keys 66;"
                           " both 20; keys ss; red 10; keys 5; both 25; keys yy; both 40; keys 8a; both 12;"
                           " keys s; both 30; keys 44; blue 20; keys d; both 22; keys aa; both 22; keys aa44;"
                           " both 300";

struct Outcome
{
    int crashStep = -1;
    QString crashTitle;
    QString checksum;
    int redPixels = 0;
    int bluePixels = 0;
    bool bonusOnField = false;
    QPoint redHead;
    QPoint bonusPlace;
    int bonusKind = 0;
};

} // namespace

class ReplayTest : public QObject
{
    Q_OBJECT

private slots:
    void recordedGameEndsTheSameWay();
    void streamAloneRebuildsTheGame();
    void crashIsToldInTheOrderItHappens();
    void playbackShowsEachCrashAsItsWindowDid();
    void seekingShowsWhatPlayingThroughShows_data();
    void seekingShowsWhatPlayingThroughShows();
    void playedGameIsKeptAndReadBack_data();
    void playedGameIsKeptAndReadBack();
    void recorderKeepsEachGame_data();
    void recorderKeepsEachGame();
    void oddGamesPlayBackWithoutHarm_data();
    void oddGamesPlayBackWithoutHarm();
    void roundIsExportedAsGif_data();
    void roundIsExportedAsGif();
};

void ReplayTest::recordedGameEndsTheSameWay()
{
    GameRig rig(GameRig::DefaultSeed);
    Outcome outcome;
    int step = 0;
    // The field as the crash left it, seen while the crash window is open (afterwards the next
    // round clears it).
    rig.onWindow = [&](const QString &title) {
        if (outcome.crashStep >= 0)
            return;
        outcome.crashStep = step;
        outcome.crashTitle = title;
        outcome.checksum = rig.FieldChecksum();
        outcome.redPixels = rig.CountPixels(FieldColour::Red);
        outcome.bluePixels = rig.CountPixels(FieldColour::Blue);
        outcome.bonusOnField = rig.game.Label1.Visible();
        outcome.redHead = QPoint(rig.game.redx, rig.game.redy);
        outcome.bonusPlace = QPoint(rig.game.bonusx, rig.game.bonusy);
        outcome.bonusKind = rig.game.bonuskind;
    };
    rig.StartTwoPlayers();

    const QStringList steps = QString::fromLatin1(Script).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (step = 0; step < steps.size() && outcome.crashStep < 0; ++step) {
        const QStringList words = steps.at(step).trimmed().split(QLatin1Char(' '));
        const QString &verb = words.front();
        const int count = words.size() > 1 ? words.at(1).toInt() : 0;
        for (int i = 0; i < count && outcome.crashStep < 0; ++i) {
            if (verb == u"both" || verb == u"red")
                rig.TickRed();
            if ((verb == u"both" || verb == u"blue") && outcome.crashStep < 0)
                rig.TickBlue();
        }
        if (verb == u"keys")
            rig.Type(words.at(1));
        else if (verb == u"bonus")
            rig.game.Tick(TClock::Bonus);
    }

    QCOMPARE(outcome.crashStep, steps.size() - 1);
    QCOMPARE(outcome.crashTitle, QStringLiteral("Player 1 crashed! 2 Cycles left..."));
    // Red came down column 60 into blue's trail along row 275.
    QCOMPARE(outcome.redHead, QPoint(60, 275));
    QVERIFY(!outcome.bonusOnField);
    QCOMPARE(outcome.bonusPlace, QPoint(312, 374));
    QCOMPARE(outcome.bonusKind, 3);
    QCOMPARE(rig.game.redscore, 621);
    QCOMPARE(rig.game.bluescore, 5521);
    QCOMPARE(rig.game.redlives, 2);
    QCOMPARE(rig.game.bluelives, 3);
    QCOMPARE(rig.form.jumpdigr->Value(), 1);
    QCOMPARE(rig.form.jumpdigb->Value(), 2);
    QCOMPARE(outcome.redPixels, 511);
    QCOMPARE(outcome.bluePixels, 521);
    QCOMPARE(outcome.checksum, QStringLiteral("7e22c935276700404be144d4cf3633840076654ece34d0bb69787d4f9f7761fd"));
}

namespace {

// Where the mirror differs from the live game; empty when it does not.
QString Difference(TGame &game, const TGameMirror &mirror)
{
    if (game.field.Image() != mirror.playfield.field.Image())
        return QStringLiteral("field");
    for (const auto &[live, rebuilt] :
         {std::pair{&game.Label1, &mirror.playfield.Label1}, std::pair{&game.Label2, &mirror.playfield.Label2}})
        if (live->Visible() != rebuilt->Visible() || live->Caption() != rebuilt->Caption()
            || live->Bounds() != rebuilt->Bounds())
            return QStringLiteral("label");
    if (game.gameover.Visible() != mirror.playfield.gameover.Visible())
        return QStringLiteral("game-over picture");
    for (int i = 0; i < DisplayCount; ++i) {
        const auto display = static_cast<TDisplay>(i);
        if (game.Display(display).Value() != mirror.Display(display).Value()
            || game.Display(display).Visible() != mirror.Display(display).Visible())
            return QStringLiteral("display %1").arg(i);
    }
    for (TPlayer player : BothPlayers)
        if (game.Player(player).State() != mirror.Of(player))
            return QStringLiteral("cycle %1").arg(Number(player));
    if (game.State() != mirror.state || game.Mode() != mirror.mode)
        return QStringLiteral("state");
    return {};
}

} // namespace

// Seeded games of both players in simulated time, with turns, speed changes and jumps typed at
// random and every kind of bonus collected: a listener that sees only the game's stream rebuilds
// the field, the labels, the panel and the cycles exactly, at every change of the round's state
// (every round's start and end, the game's end), and its field's checksum matches the one told at
// each round's end.
void ReplayTest::streamAloneRebuildsTheGame()
{
    GameRig rig(GameRig::DefaultSeed);
    TGameMirror mirror;
    QStringList differences;
    int comparisons = 0;
    QObject::connect(&rig.game, &TGame::happened, &rig.game, [&](const TGameEvent &event) {
        mirror.Apply(event);
        if (event.kind != TGameEvent::Kind::State)
            return;
        ++comparisons;
        if (const QString difference = Difference(rig.game, mirror); !difference.isEmpty())
            differences << QStringLiteral("%1 at %2 ms").arg(difference).arg(event.time);
    });

    std::mt19937 draw(7);
    const QString keys = QStringLiteral("aswyd46825");
    std::array<int, 10> collected{};
    int games = 0, jumps = 0;
    for (; games < 10 && std::count(collected.begin(), collected.end(), 0) > 0; ++games) {
        rig.StartTwoPlayers();
        for (int step = 0; step < 100000 && rig.game.State() != TRoundState::GameOver; ++step) {
            rig.clock->Run(37);
            const QChar key = keys.at(static_cast<qsizetype>(draw() % 30 % 10));
            if (draw() % 3 == 0) {
                const std::int32_t jets = rig.game.Display(TDisplay::RedJets).Value();
                rig.Type(QString(key));
                jumps += key == u'd' && rig.game.Display(TDisplay::RedJets).Value() < jets ? 1 : 0;
            }
            if (draw() % 40 == 0 && rig.game.RoundUnderWay()) {
                // A bonus now rather than later, collected by either player.
                if (!rig.game.Label1.Visible())
                    rig.Tick(TClock::Bonus);
                const std::uint8_t kind = rig.game.bonuskind;
                rig.CollectBonus(1 + static_cast<int>(draw() % 2));
                ++collected.at(kind - 1);
            }
        }
        QCOMPARE(rig.game.State(), TRoundState::GameOver);
        QVERIFY2(differences.isEmpty(), qPrintable(differences.join(u", ")));
    }
    QCOMPARE(std::count(collected.begin(), collected.end(), 0), 0);
    QVERIFY(jumps > 0);
    QVERIFY2(mirror.roundEnds >= 3 * games, qPrintable(QString::number(mirror.roundEnds)));
    QCOMPARE(mirror.checksumMismatches, 0);
    QVERIFY(comparisons > mirror.roundEnds);
    QCOMPARE(Difference(rig.game, mirror), QString());
}

// A crash in simulated time, as the stream tells it (the panel's events left out): the crash at the
// round's time of its tick, the lost bonus, the state, the field's checksum as the crash window
// shows it, the cycle lost, the crash window's caption, then (once the window is closed) the
// opponent's points, the cleared field and the next round, whose time starts again at 0.
void ReplayTest::crashIsToldInTheOrderItHappens()
{
    GameRig rig;
    rig.StartTwoPlayers();
    rig.Place(1, 2, 300, 3);
    QStringList told;
    std::uint64_t checksum = 0;
    QObject::connect(&rig.game, &TGame::happened, &rig.game, [&](const TGameEvent &event) {
        if (event.kind == TGameEvent::Kind::Panel || event.kind == TGameEvent::Kind::Step)
            return;
        told << QStringLiteral("%1@%2")
                    .arg(QMetaEnum::fromType<TGameEvent::Kind>().valueToKey(int(event.kind)))
                    .arg(event.time);
        checksum = event.kind == TGameEvent::Kind::RoundEnd ? event.checksum : checksum;
    });
    std::uint64_t shown = 0;
    rig.onWindow = [&](const QString &) {
        told << QStringLiteral("window");
        shown = rig.game.field.Checksum();
    };
    rig.clock->Run(200);

    QCOMPARE(told.join(u' '),
             QStringLiteral("Crash@153 BonusErased@153 State@153 RoundEnd@153 Lives@153 CrashShown@153 window "
                            "Score@153 FieldCleared@153 GameOverShown@153 FieldCleared@153 RoundStart@0 "
                            "Cycle@0 Cycle@0 State@0"));
    QCOMPARE(checksum, shown);
}

namespace {

// Keeps a game's stream as a replay does: a new round at each RoundStart, what comes before the
// first one in round 0.
void Keep(TReplay &replay, const TGameEvent &event)
{
    if (replay.rounds.empty()
        || (event.kind == TGameEvent::Kind::RoundStart
            && std::any_of(replay.rounds.back().events.begin(), replay.rounds.back().events.end(),
                           [](const TGameEvent &told) { return told.kind == TGameEvent::Kind::RoundStart; })))
        replay.rounds.emplace_back();
    replay.rounds.back().events.push_back(event);
}

// Where two rebuilt games differ; empty when they do not.
QString Difference(const TGameMirror &one, const TGameMirror &other)
{
    if (one.playfield.field.Image() != other.playfield.field.Image())
        return QStringLiteral("field");
    if (one.playfield.Label1.Visible() != other.playfield.Label1.Visible()
        || one.playfield.Label1.Bounds() != other.playfield.Label1.Bounds())
        return QStringLiteral("label");
    for (std::size_t i = 0; i < one.displays.size(); ++i)
        if (one.displays.at(i).Value() != other.displays.at(i).Value()
            || one.displays.at(i).Visible() != other.displays.at(i).Visible())
            return QStringLiteral("display %1").arg(i);
    if (one.cycles != other.cycles || one.state != other.state)
        return QStringLiteral("cycles or state");
    return {};
}

// A long game made up, two rounds of 40 s with both cycles at 2 ms, far more events than lie between
// two of the mirror's copies a playback keeps: red winds along the upper half of the field, blue
// along the lower half, a bonus comes and goes every 7 s, red's score counts the seconds. Each
// round ends in red's crash, told as the game tells it.
TReplay MadeUpGame()
{
    using Kind = TGameEvent::Kind;
    TReplay replay;
    TGameMirror mirror;
    const auto tell = [&](TGameEvent event) {
        if (event.kind == Kind::RoundEnd)
            event.checksum = mirror.playfield.field.Checksum();
        mirror.Apply(event);
        Keep(replay, event);
    };
    const TLabelMask mask{4, 2, QByteArray("\x5A", 1)};
    for (const int lives : {2, 1}) {
        tell({.time = lives == 2 ? 0 : 41'500, .kind = Kind::FieldCleared});
        tell({.kind = Kind::RoundStart, .mode = TGameMode::TwoPlayers});
        tell({.kind = Kind::State, .state = TRoundState::Running});
        TCycleState red{.x = 20, .y = 20, .dir = 3, .interval = 2, .lives = static_cast<std::uint8_t>(lives)};
        TCycleState blue{.x = 20, .y = 300, .dir = 3, .interval = 2, .lives = 3};
        for (std::int64_t ms = 2; ms <= 40'000; ms += 2) {
            for (TCycleState *cycle : {&red, &blue}) {
                cycle->x = static_cast<std::uint16_t>(20 + (ms / 2) % 560);
                cycle->y = static_cast<std::uint16_t>((cycle == &red ? 20 : 300) + (ms / 2) / 560);
                tell({.time = ms,
                      .kind = Kind::Step,
                      .player = cycle == &red ? TPlayer::Red : TPlayer::Blue,
                      .cycle = *cycle});
            }
            if (ms % 7000 == 0)
                tell({.time = ms,
                      .kind = Kind::BonusShown,
                      .x = 300,
                      .y = 200,
                      .bonus = 3,
                      .text = QStringLiteral("3"),
                      .mask = mask});
            if (ms % 7000 == 3000)
                tell({.time = ms, .kind = Kind::BonusErased, .x = 300, .y = 200});
            if (ms % 1000 == 0)
                tell({.time = ms,
                      .kind = Kind::Panel,
                      .display = TDisplay::RedScore,
                      .value = int(ms / 1000),
                      .visible = true});
        }
        red.lives = static_cast<std::uint8_t>(lives - 1);
        tell({.time = 40'001, .kind = Kind::Crash, .cycle = red});
        tell({.time = 40'001, .kind = Kind::BonusErased, .x = 300, .y = 200});
        tell({.time = 40'001, .kind = Kind::State, .state = TRoundState::Crashed});
        tell({.time = 40'001, .kind = Kind::RoundEnd});
        tell({.time = 40'001, .kind = Kind::Lives, .cycle = red});
        tell({.time = 40'001, .kind = Kind::CrashShown, .text = QStringLiteral("Player 1 crashed!")});
        tell({.time = 41'500, .kind = Kind::Score, .player = TPlayer::Blue, .cycle = blue});
        tell({.time = 41'500, .kind = Kind::Panel, .display = TDisplay::RedScore, .value = 0, .visible = true});
    }
    tell({.time = 41'500, .kind = Kind::FieldCleared});
    tell({.time = 41'500, .kind = Kind::GameOverShown, .visible = true});
    return replay;
}

// The game as playing a round through from its start shows it at `ms`, or at its crash.
TGameMirror PlayedThrough(const TReplay &replay, int round, std::int64_t ms)
{
    TGameMirror mirror;
    for (int earlier = 0; earlier < round; ++earlier)
        for (const TGameEvent &event : replay.rounds.at(earlier).events)
            mirror.Apply(event);
    for (const TGameEvent &event : replay.rounds.at(round).events) {
        if (event.time > ms)
            break;
        mirror.Apply(event);
        if (event.kind == TGameEvent::Kind::CrashShown)
            break;
    }
    return mirror;
}

} // namespace

// Seeded games in simulated time, keys typed at random and bonuses collected, kept as a replay file
// holds them: at the end of every round the playback shows the field exactly as it stood while the
// crash window was open, with the window's text, and at its start an empty field at time 0.
void ReplayTest::playbackShowsEachCrashAsItsWindowDid()
{
    GameRig rig(GameRig::DefaultSeed + 1);
    TReplay kept;
    QObject::connect(&rig.game, &TGame::happened, &rig.game, [&](const TGameEvent &event) { Keep(kept, event); });
    std::vector<QImage> crashFields;
    QStringList titles;
    rig.onWindow = [&](const QString &title) {
        crashFields.push_back(rig.game.field.Image());
        titles << title;
    };
    std::mt19937 draw(11);
    const QString keys = QStringLiteral("aswyd46825");
    rig.StartTwoPlayers();
    for (int step = 0; step < 100000 && rig.game.State() != TRoundState::GameOver; ++step) {
        rig.clock->Run(37);
        if (draw() % 3 == 0)
            rig.Type(QString(keys.at(static_cast<qsizetype>(draw() % 10))));
        if (draw() % 40 == 0 && rig.game.RoundUnderWay()) {
            if (!rig.game.Label1.Visible())
                rig.Tick(TClock::Bonus);
            rig.CollectBonus(1 + static_cast<int>(draw() % 2));
        }
    }
    QCOMPARE(rig.game.State(), TRoundState::GameOver);
    QVERIFY(crashFields.size() >= 3);

    // What the file keeps: the labels' pixels rather than their text.
    TReplayPlayback playback(std::make_shared<const TReplay>(TReplay::Decode(kept.Encode())));
    QCOMPARE(playback.RoundCount(), int(crashFields.size()));
    const std::uint64_t empty = TFieldSurface().Checksum();
    for (int round = 0; round < playback.RoundCount(); ++round) {
        playback.GoToRound(round);
        QCOMPARE(qint64(playback.Time()), qint64(0));
        QCOMPARE(playback.Mirror().playfield.field.Checksum(), empty);
        QCOMPARE(playback.Mirror().state, TRoundState::Running);
        QVERIFY(playback.CrashText().isEmpty());
        playback.ToEnd();
        QVERIFY(playback.AtEnd());
        QVERIFY2(playback.Mirror().playfield.field.Image() == crashFields.at(round),
                 qPrintable(QString::number(round)));
        QCOMPARE(playback.CrashText(), titles.at(round));
        QCOMPARE(playback.Mirror().state, TRoundState::Crashed);
        QCOMPARE(playback.Mirror().checksumMismatches, 0);
        QCOMPARE(playback.Mirror().roundEnds, round + 1);
    }
}

// Every way of moving through a long game (a seek either way across the kept copies of the mirror,
// a step either way, to a round's start or end, to another round) shows exactly what playing the
// round through from its start shows at the position's time.
void ReplayTest::seekingShowsWhatPlayingThroughShows_data()
{
    QTest::addColumn<QString>("moves");
    QTest::addColumn<int>("round");
    QTest::addColumn<qint64>("time");
    QTest::addColumn<bool>("atEnd");
    QTest::newRow("into the first round") << "seek 12345" << 0 << qint64(12345) << false;
    QTest::newRow("back across kept copies") << "seek 39000 seek 100" << 0 << qint64(100) << false;
    QTest::newRow("on from past the nearest copy") << "seek 17000 seek 33000" << 0 << qint64(33000) << false;
    QTest::newRow("one tick on from between ticks") << "seek 1001 forward" << 0 << qint64(1002) << false;
    QTest::newRow("one tick back from between ticks") << "seek 1001 back" << 0 << qint64(998) << false;
    QTest::newRow("two ticks back") << "seek 16386 back back" << 0 << qint64(16382) << false;
    QTest::newRow("on from the start") << "end start forward" << 0 << qint64(2) << false;
    QTest::newRow("back at the start") << "start back" << 0 << qint64(0) << false;
    QTest::newRow("below the start") << "seek -5" << 0 << qint64(0) << false;
    QTest::newRow("one tick before the crash") << "end back" << 0 << qint64(40000) << false;
    QTest::newRow("onto the crash") << "seek 40000 forward" << 0 << qint64(40001) << true;
    QTest::newRow("past the crash") << "seek 999999 forward" << 0 << qint64(40001) << true;
    QTest::newRow("the next round") << "end round 1 seek 5000" << 1 << qint64(5000) << false;
    QTest::newRow("back to the first round") << "round 1 end round 0 seek 30000" << 0 << qint64(30000) << false;
    QTest::newRow("the last round's crash") << "round 1 seek 20000 end" << 1 << qint64(40001) << true;
    QTest::newRow("rounds beyond the last") << "round 7" << 1 << qint64(0) << false;
    QTest::newRow("rounds before the first") << "round 1 round -3" << 0 << qint64(0) << false;
}

void ReplayTest::seekingShowsWhatPlayingThroughShows()
{
    QFETCH(QString, moves);
    static const auto replay = std::make_shared<const TReplay>(MadeUpGame());
    TReplayPlayback playback(replay);
    const QStringList words = moves.split(QLatin1Char(' '));
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &move = words.at(i);
        if (move == u"seek")
            playback.SeekTo(words.at(++i).toLongLong());
        else if (move == u"round")
            playback.GoToRound(words.at(++i).toInt());
        else if (move == u"forward")
            playback.StepForward();
        else if (move == u"back")
            playback.StepBack();
        else if (move == u"start")
            playback.ToStart();
        else if (move == u"end")
            playback.ToEnd();
        const QString difference =
            Difference(playback.Mirror(), PlayedThrough(*replay, playback.Round(), playback.Time()));
        QVERIFY2(difference.isEmpty(), qPrintable(move + QStringLiteral(": ") + difference));
    }
    QTEST(playback.Round(), "round");
    QTEST(qint64(playback.Time()), "time");
    QTEST(playback.AtEnd(), "atEnd");
    QCOMPARE(qint64(playback.RoundLength()), qint64(40001));
    QCOMPARE(playback.CrashText().isEmpty(), !playback.AtEnd());
}

// Whatever a file holds, the playback neither crashes nor hangs: rounds without a start, an end or
// any events, times that run backwards, a crash without its window. Events, one round after
// another ("|"): R RoundStart, S a step, E RoundEnd, W the crash window, P points, each with its
// time.
void ReplayTest::oddGamesPlayBackWithoutHarm_data()
{
    QTest::addColumn<QString>("events");
    QTest::addColumn<qint64>("length"); // of the last round
    QTest::newRow("no rounds") << "" << qint64(0);
    QTest::newRow("a round of nothing") << "|" << qint64(0);
    QTest::newRow("no start and no end") << "S5 S3 S9" << qint64(9);
    QTest::newRow("times running backwards") << "R0 S50 S20 E10 W10 P1510" << qint64(50);
    QTest::newRow("a start in the past") << "R-40 S-20 S7 E7" << qint64(7);
    QTest::newRow("empty rounds between") << "R0 S5 E5 W5 || R0 S3" << qint64(3);
    QTest::newRow("a crash without its window") << "S1 R0 S5 E5 P1505 | R0 S4 E4 P9" << qint64(4);
}

void ReplayTest::oddGamesPlayBackWithoutHarm()
{
    QFETCH(QString, events);
    auto replay = std::make_shared<TReplay>();
    if (!events.isEmpty())
        replay->rounds.emplace_back();
    std::size_t count = 0;
    for (const QString &word : events.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        for (qsizetype i = 1; i < word.size() && word.at(i) == u'|'; ++i)
            replay->rounds.emplace_back();
        if (word.front() == u'|') {
            replay->rounds.emplace_back();
            continue;
        }
        using Kind = TGameEvent::Kind;
        const QString kinds = QStringLiteral("RSEWP");
        const std::array<Kind, 5> named{Kind::RoundStart, Kind::Step, Kind::RoundEnd, Kind::CrashShown, Kind::Score};
        const TGameEvent event{.time = word.mid(1).toLongLong(),
                               .kind = named.at(static_cast<std::size_t>(kinds.indexOf(word.front()))),
                               .cycle = {.x = 10, .y = static_cast<std::uint16_t>(count)},
                               .text = QStringLiteral("crashed")};
        replay->rounds.back().events.push_back(event);
        ++count;
    }

    TReplayPlayback playback(replay);
    QCOMPARE(playback.RoundCount(), int(replay->rounds.size()));
    for (int round : {std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), playback.RoundCount() - 1}) {
        playback.GoToRound(round);
        for (std::int64_t ms : {std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()}) {
            playback.SeekTo(ms);
            QVERIFY(playback.Time() >= 0 && playback.Time() <= playback.RoundLength());
        }
    }
    // Each step moves on, so that as many steps as there are events reach the end and the start.
    for (std::size_t step = 0; step <= count && !playback.AtEnd(); ++step)
        playback.StepForward();
    QVERIFY(playback.AtEnd());
    QCOMPARE(qint64(playback.Time()), qint64(playback.RoundLength()));
    QTEST(qint64(playback.RoundLength()), "length");
    for (std::size_t step = 0; step <= count && playback.Time() > 0; ++step)
        playback.StepBack();
    QCOMPARE(qint64(playback.Time()), qint64(0));
    playback.ToEnd();
    QVERIFY(playback.AtEnd());
}

namespace {

// A round of a second, made up: red runs right and blue left a pixel each 10 ms, a bonus label
// shows its pixels from 300 ms on, and red crashes at 1001 ms.
TReplay ExportedRound()
{
    using Kind = TGameEvent::Kind;
    TReplay replay;
    replay.rounds.emplace_back();
    TGameMirror mirror;
    const auto tell = [&](TGameEvent event) {
        if (event.kind == Kind::RoundEnd)
            event.checksum = mirror.playfield.field.Checksum();
        mirror.Apply(event);
        replay.rounds.back().events.push_back(event);
    };
    tell({.kind = Kind::FieldCleared});
    tell({.kind = Kind::RoundStart, .mode = TGameMode::TwoPlayers});
    tell({.kind = Kind::State, .state = TRoundState::Running});
    TCycleState red{.x = 100, .y = 100, .dir = 3, .interval = 10, .lives = 3};
    TCycleState blue{.x = 500, .y = 400, .dir = 7, .interval = 10, .lives = 3};
    for (std::int64_t ms = 10; ms <= 1000; ms += 10) {
        ++red.x;
        --blue.x;
        tell({.time = ms, .kind = Kind::Step, .player = TPlayer::Red, .cycle = red});
        tell({.time = ms, .kind = Kind::Step, .player = TPlayer::Blue, .cycle = blue});
        if (ms == 300)
            tell({.time = ms,
                  .kind = Kind::BonusShown,
                  .x = 300,
                  .y = 200,
                  .bonus = 3,
                  .text = QStringLiteral("3"),
                  .mask = {8, 2, QByteArray("\xFF\x81", 2)}});
    }
    red.lives = 2;
    tell({.time = 1001, .kind = Kind::Crash, .cycle = red});
    tell({.time = 1001, .kind = Kind::State, .state = TRoundState::Crashed});
    tell({.time = 1001, .kind = Kind::RoundEnd});
    tell({.time = 1001, .kind = Kind::Lives, .cycle = red});
    tell({.time = 1001, .kind = Kind::CrashShown, .text = QStringLiteral("Player 1 crashed! 2 Cycles left...")});
    return replay;
}

// As the window shows the field: red brighter when asked.
QRgb ShownForTest(QRgb field, bool bright)
{
    return bright && (field & 0xFFFFFFu) == 0xFF0000u ? qRgb(255, 96, 72) : field;
}

} // namespace

void ReplayTest::roundIsExportedAsGif_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<double>("speed");
    QTest::addColumn<bool>("bright");
    QTest::addColumn<int>("stopAt"); // the progress answers false once this far; 0: never
    QTest::addColumn<int>("frames"); // a frame each 40 ms of the animation, and the crash
    QTest::addColumn<int>("centiseconds");

    // 1001 ms of the round: 26 frames of 40 ms, then the crash for 3 s.
    QTest::newRow("1x") << 1 << 1.0 << false << 0 << 27 << 26 * 4 + 300;
    QTest::newRow("2x, 4 times as fast, bright") << 2 << 4.0 << true << 0 << 8 << 7 * 4 + 300;
    QTest::newRow("1x, a quarter as fast") << 1 << 0.25 << false << 0 << 102 << 101 * 4 + 300;
    QTest::newRow("cancelled while drawing") << 2 << 1.0 << false << 3 << 27 << 0;
    QTest::newRow("cancelled while encoding") << 1 << 1.0 << false << 28 << 27 << 0;
}

void ReplayTest::roundIsExportedAsGif()
{
    QFETCH(int, scale);
    QFETCH(double, speed);
    QFETCH(bool, bright);
    QFETCH(int, stopAt);
    QFETCH(int, frames);
    QFETCH(int, centiseconds);
    const auto replay = std::make_shared<const TReplay>(ExportedRound());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("round.gif"));

    TRoundGif gif(replay, 0, {scale, speed, bright}, ShownForTest);
    QCOMPARE(gif.FrameCount(), frames);
    // The progress runs through the frames drawn, then the encoding as half as many more.
    const int total = frames + frames / 2;
    int last = 0;
    bool steady = true;
    const bool written = gif.Save(path, [&](int done, int all) {
        steady = steady && done >= last && all == total;
        last = done;
        return stopAt == 0 || done < stopAt;
    });
    QVERIFY(steady);
    QCOMPARE(written, stopAt == 0);
    QCOMPARE(last, written ? total : stopAt);
    if (!written) {
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
        return;
    }

    const ShownGif shown = ReadGif(path);
    QCOMPARE(shown.size, QSize(TFieldSurface::Width, TFieldSurface::Height) * scale);
    QVERIFY(shown.loops);
    QCOMPARE(std::accumulate(shown.delays.begin(), shown.delays.end(), 0), centiseconds);
    // The crash is held 3 s (longer when the frames before it show the same).
    QVERIFY(shown.delays.last() >= 300);
    // The last picture is the field at the crash, in the window's colours, each pixel a block.
    TReplayPlayback playback(replay);
    playback.ToEnd();
    QImage crash = playback.Mirror().playfield.field.Image().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < crash.height(); ++y)
        for (int x = 0; x < crash.width(); ++x)
            crash.setPixel(x, y, ShownForTest(crash.pixel(x, y), bright));
    QCOMPARE(shown.last, crash.scaled(crash.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    QCOMPARE(shown.last.pixel(101 * scale, 100 * scale), ShownForTest(qRgb(255, 0, 0), bright));
}

namespace {

// Plays one whole seeded game of a mode in simulated time, with keys typed at random and bonuses
// collected now and then.
void PlaySeededGame(GameRig &rig, TGameMode mode)
{
    std::mt19937 draw(11);
    const QString keys = QStringLiteral("aswyd46825");
    if (mode == TGameMode::OnePlayer)
        rig.StartOnePlayer();
    else if (mode == TGameMode::TwoPlayers)
        rig.StartTwoPlayers();
    else if (mode == TGameMode::Network)
        rig.game.Start(TGameMode::Network);
    else
        rig.StartAgainstTheComputer();
    for (int step = 0; step < 100000 && rig.game.State() != TRoundState::GameOver; ++step) {
        rig.clock->Run(37);
        if (draw() % 3 == 0)
            rig.Type(QString(keys.at(static_cast<qsizetype>(draw() % 10))));
        if (draw() % 40 == 0 && rig.game.RoundUnderWay()) {
            if (!rig.game.Label1.Visible())
                rig.Tick(TClock::Bonus);
            rig.CollectBonus(mode == TGameMode::OnePlayer ? 1 : 1 + static_cast<int>(draw() % 2));
        }
    }
}

bool IsPanelSnapshot(const TGameEvent &event)
{
    return event.kind == TGameEvent::Kind::Panel;
}

} // namespace

// A game of each mode as the recorder keeps it: the file it writes reads back to the very events it
// recorded, which are the game's stream as told (with each bonus label's pixels added, and the
// panel as the game began), compactly; played through a mirror, the replay ends as the game did,
// its labels drawn from their pixels alone, every round's checksum matching.
void ReplayTest::playedGameIsKeptAndReadBack_data()
{
    QTest::addColumn<int>("played");
    QTest::newRow("one player") << int(TGameMode::OnePlayer);
    QTest::newRow("two players") << int(TGameMode::TwoPlayers);
    QTest::newRow("against the computer") << int(TGameMode::AgainstComputer);
    QTest::newRow("over the network") << int(TGameMode::Network);
}

void ReplayTest::playedGameIsKeptAndReadBack()
{
    QFETCH(int, played);
    const auto mode = static_cast<TGameMode>(played);
    GameRig rig(GameRig::DefaultSeed);
    const QTemporaryDir folder;
    TReplayRecorder recorder(rig.game, folder.path());
    QSignalSpy kept(&recorder, &TReplayRecorder::gameKept);
    QSignalSpy failed(&recorder, &TReplayRecorder::keepFailed);
    std::vector<TGameEvent> told;
    QObject::connect(&rig.game, &TGame::happened, &rig.game, [&](const TGameEvent &event) { told.push_back(event); });

    PlaySeededGame(rig, mode);
    QCOMPARE(rig.game.State(), TRoundState::GameOver);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(failed.size(), 0);
    const std::shared_ptr<const TReplay> game = recorder.LastGame();
    QVERIFY(game);
    QCOMPARE(game->mode, mode);
    QVERIFY(TReplayRecorder::IsKeptName(QFileInfo(recorder.LastFile()).fileName()));
    QVERIFY(recorder.LastFile().endsWith(TReplayRecorder::FileName(*game)));

    // What was recorded is the stream: round by round, from each RoundStart on.
    std::vector<TGameEvent> recorded;
    int bonuses = 0;
    for (const TReplayRound &round : game->rounds) {
        for (TGameEvent event : round.events) {
            if (event.kind == TGameEvent::Kind::BonusShown) {
                QCOMPARE(event.mask, TFieldLabel::TextMask(event.text));
                event.mask = {};
                ++bonuses;
            }
            recorded.push_back(event);
        }
    }
    QVERIFY(bonuses > 0);
    QCOMPARE(game->rounds.front().events.at(DisplayCount).kind, TGameEvent::Kind::RoundStart);
    QVERIFY(std::all_of(recorded.begin(), recorded.begin() + DisplayCount, IsPanelSnapshot));
    const auto start = std::find_if(told.begin(), told.end(),
                                    [](const TGameEvent &event) { return event.kind == TGameEvent::Kind::RoundStart; });
    QVERIFY(std::equal(start, told.end(), recorded.begin() + DisplayCount, recorded.end()));
    for (std::size_t i = 1; i < game->rounds.size(); ++i)
        QCOMPARE(game->rounds.at(i).events.front().kind, TGameEvent::Kind::RoundStart);

    const TReplay read = TReplay::Read(recorder.LastFile());
    QCOMPARE(read.mode, game->mode);
    QCOMPARE(read.started.toSecsSinceEpoch(), game->started.toSecsSinceEpoch());
    QCOMPARE(read.rounds.size(), game->rounds.size());
    for (std::size_t i = 0; i < read.rounds.size(); ++i)
        QVERIFY(read.rounds.at(i).events == game->rounds.at(i).events);
    // Steps, the bulk of a game, take a byte or two.
    const qint64 size = QFileInfo(recorder.LastFile()).size();
    QVERIFY2(size < 3 * qint64(read.EventCount()), qPrintable(QStringLiteral("%1 bytes").arg(size)));

    QCOMPARE(read.VerifyChecksums(), 0);
    TGameMirror mirror;
    for (const TReplayRound &round : read.rounds)
        for (const TGameEvent &event : round.events)
            mirror.Apply(event);
    QVERIFY(mirror.roundEnds >= 3);
    QCOMPARE(Difference(rig.game, mirror), QString());
}

// The recorder keeps a game however it ends, in a folder of at most 20 of its own files (the
// oldest go, nothing else is touched), and a game it cannot write is told and goes on all the same.
void ReplayTest::recorderKeepsEachGame_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<int>("filesBefore");
    QTest::addColumn<bool>("writable");
    QTest::newRow("played to its end") << QStringLiteral("game over") << 0 << true;
    QTest::newRow("ended from the menu") << QStringLiteral("menu") << 0 << true;
    QTest::newRow("a full folder") << QStringLiteral("game over") << 25 << true;
    QTest::newRow("a folder that cannot be made") << QStringLiteral("game over") << 0 << false;
}

void ReplayTest::recorderKeepsEachGame()
{
    QFETCH(QString, ending);
    QFETCH(int, filesBefore);
    QFETCH(bool, writable);
    GameRig rig;
    const QTemporaryDir home;
    // Unwritable: the folder's parent is a file.
    const QString folder = home.filePath(writable ? QStringLiteral("replays") : QStringLiteral("file/replays"));
    if (!writable)
        Store(home.filePath(QStringLiteral("file")), "not a folder");
    QDir().mkpath(folder);
    const QStringList others{QStringLiteral("notes.txt"), QStringLiteral("my game.zxreplay")};
    for (const QString &name : writable ? others : QStringList())
        Store(QDir(folder).filePath(name), "kept");
    QStringList old;
    for (int i = 0; i < filesBefore; ++i) {
        old << QStringLiteral("2026-01-%1_10-00-00_two-players.zxreplay").arg(i + 1, 2, 10, QLatin1Char('0'));
        Store(QDir(folder).filePath(old.back()), "old");
        QFile file(QDir(folder).filePath(old.back()));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2026, 1, i + 1), QTime(10, 0)), QFileDevice::FileModificationTime));
    }
    TReplayRecorder recorder(rig.game, folder);
    QSignalSpy kept(&recorder, &TReplayRecorder::gameKept);
    QSignalSpy failed(&recorder, &TReplayRecorder::keepFailed);

    if (ending == u"menu") {
        rig.StartTwoPlayers();
        rig.TickBoth(30);
        rig.game.Abandon();
        QCOMPARE(kept.size(), 0);
        QTRY_COMPARE(kept.size(), 1);
    } else {
        QVERIFY(rig.PlayToGameOver(true, 20));
        QCOMPARE(kept.size(), 1);
    }
    QVERIFY(recorder.LastGame());
    const std::vector<TReplayRound> &rounds = recorder.LastGame()->rounds;
    QCOMPARE(rounds.size(), std::size_t(ending == u"menu" ? 1 : 3));
    // The last round's end is kept, whether a crash or the menu ended it.
    const auto told = [&](TGameEvent::Kind kind) {
        return std::count_if(rounds.back().events.begin(), rounds.back().events.end(),
                             [&](const TGameEvent &event) { return event.kind == kind; });
    };
    QCOMPARE(told(TGameEvent::Kind::RoundEnd), 1);
    QCOMPARE(told(TGameEvent::Kind::GameEnd), ending == u"menu" ? 0 : 1);
    QCOMPARE(recorder.LastGame()->VerifyChecksums(), 0);

    if (!writable) {
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.front().front().toString(), QStringLiteral("Kann nicht nach %1 schreiben").arg(folder));
        QCOMPARE(recorder.LastFile(), QString());
        // The game goes on: the next one starts and is recorded.
        rig.StartOnePlayer();
        QVERIFY(rig.game.RoundUnderWay());
        return;
    }
    QCOMPARE(failed.size(), 0);
    QVERIFY(QFileInfo(recorder.LastFile()).isFile());
    QStringList expected = others + old.mid(std::max<qsizetype>(0, old.size() - (TReplayRecorder::KeptGames - 1)));
    expected << QFileInfo(recorder.LastFile()).fileName();
    expected.sort();
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), expected);
    QCOMPARE(TReplay::Read(recorder.LastFile()).EventCount(), recorder.LastGame()->EventCount());
}

QTEST_MAIN(ReplayTest)
#include "tst_game_replay.moc"
