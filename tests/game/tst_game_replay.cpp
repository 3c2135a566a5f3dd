// A recorded game played again: a fixed seed and a fixed sequence of keys and ticks for both
// players must end in the same crash, with the same scores and the same field, every time. Any
// change to the rules of movement, scoring, keys, jumps or bonus placement shows up here. When a
// rule changes on purpose, check the new outcome by hand before taking its values below.
#include "support/GameRig.h"

#include "components/TRCADigital.h"
#include "game/TGameMirror.h"

#include <random>

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

QTEST_MAIN(ReplayTest)
#include "tst_game_replay.moc"
