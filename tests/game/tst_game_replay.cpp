// A recorded game played again: a fixed seed and a fixed sequence of keys and ticks for both
// players must end in the same crash, with the same scores and the same field, every time. Any
// change to the rules of movement, scoring, keys, jumps or bonus placement shows up here. When a
// rule changes on purpose, check the new outcome by hand before taking its values below.
#include "support/GameRig.h"

#include "components/TRCADigital.h"

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
        outcome.bonusOnField = rig.form.Label1.Visible();
        outcome.redHead = QPoint(rig.form.redx, rig.form.redy);
        outcome.bonusPlace = QPoint(rig.form.bonusx, rig.form.bonusy);
        outcome.bonusKind = rig.form.bonuskind;
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
            rig.form.Timer1Timer(&rig.form.Timer1);
    }

    QCOMPARE(outcome.crashStep, steps.size() - 1);
    QCOMPARE(outcome.crashTitle, QStringLiteral("Player 1 crashed! 2 Cycles left..."));
    // Red came down column 60 into blue's trail along row 275.
    QCOMPARE(outcome.redHead, QPoint(60, 275));
    QVERIFY(!outcome.bonusOnField);
    QCOMPARE(outcome.bonusPlace, QPoint(312, 374));
    QCOMPARE(outcome.bonusKind, 3);
    QCOMPARE(rig.form.redscore, 621);
    QCOMPARE(rig.form.bluescore, 5521);
    QCOMPARE(rig.form.redlives, 2);
    QCOMPARE(rig.form.bluelives, 3);
    QCOMPARE(rig.form.jumpdigr->Value(), 1);
    QCOMPARE(rig.form.jumpdigb->Value(), 2);
    QCOMPARE(outcome.redPixels, 511);
    QCOMPARE(outcome.bluePixels, 521);
    QCOMPARE(outcome.checksum, QStringLiteral("7e22c935276700404be144d4cf3633840076654ece34d0bb69787d4f9f7761fd"));
}

QTEST_MAIN(ReplayTest)
#include "tst_game_replay.moc"
