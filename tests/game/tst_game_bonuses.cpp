// Bonuses: a yellow text placed at random, at most one at a time, collected by the first head that
// lands on one of its yellow pixels.
#include "support/GameRig.h"

#include "components/TRCADigital.h"
#include "game/Rules.h"

#include <QtTest>

#include <array>
#include <cstdint>

namespace {

struct Kind
{
    const char *text;
    int points;
    int jets;
};

// Kinds 1..10 by their text and effect.
constexpr std::array<Kind, 10> Kinds{{
    {"Jump Jet", 0, 1},
    {"Jump Jet", 0, 1},
    {"1000", 1000, 0},
    {"1000", 1000, 0},
    {"2500", 2500, 0},
    {"2500", 2500, 0},
    {"5000", 5000, 0},
    {"100", 100, 0},
    {"100", 100, 0},
    {"100", 100, 0},
}};

const QRect Field(0, 0, TFieldSurface::Width, TFieldSurface::Height);

} // namespace

class BonusesTest : public QObject
{
    Q_OBJECT

private slots:
    void placementsStayInRangeAndPayByKind();
    void bonusTimerWaitsWhileABonusIsOnTheField();
    void gapsBetweenLettersDoNotCollect();
    void bonusOverATrailLeavesABlackRectangle();
};

// Over many seeded placements: the bonus lies wholly in the field (left 100..499, top 50..449),
// shows the text of its kind, stops the bonus timer with a new delay of 2 to 20 seconds, and on
// collection pays its kind's effect to the collecting player and restarts the timer.
void BonusesTest::placementsStayInRangeAndPayByKind()
{
    GameRig rig;
    rig.StartTwoPlayers();
    constexpr int Placements = 2000;
    int minX = 1000, maxX = 0, minY = 1000, maxY = 0;
    std::array<int, 10> seen{};

    for (int i = 0; i < Placements; ++i) {
        rig.game.Tick(TClock::Bonus);

        const int kind = rig.game.bonuskind;
        QVERIFY2(kind >= 1 && kind <= 10, qPrintable(QString::number(kind)));
        QVERIFY(rig.game.bonusx >= 100 && rig.game.bonusx <= 499);
        QVERIFY(rig.game.bonusy >= 50 && rig.game.bonusy <= 449);
        QVERIFY(rig.game.Label1.Visible());
        QCOMPARE(rig.game.Label1.Left(), rig.game.bonusx);
        QCOMPARE(rig.game.Label1.Top(), rig.game.bonusy);
        QCOMPARE(rig.game.Label1.Caption(), QString::fromLatin1(Kinds.at(kind - 1).text));
        QVERIFY(Field.contains(rig.game.Label1.Bounds()));
        QVERIFY(!rig.game.BonusClock().isActive());
        QVERIFY(rig.game.BonusClock().interval() >= 2000 && rig.game.BonusClock().interval() <= 19999);
        minX = std::min<int>(minX, rig.game.bonusx);
        maxX = std::max<int>(maxX, rig.game.bonusx);
        minY = std::min<int>(minY, rig.game.bonusy);
        maxY = std::max<int>(maxY, rig.game.bonusy);
        ++seen.at(kind - 1);

        const std::uint8_t player = i % 2 == 0 ? 1 : 2;
        const std::int32_t &score = player == 1 ? rig.game.redscore : rig.game.bluescore;
        const std::int32_t &otherScore = player == 1 ? rig.game.bluescore : rig.game.redscore;
        TRCADigital *jets = player == 1 ? rig.form.jumpdigr : rig.form.jumpdigb;
        const std::int32_t scoreBefore = score, otherBefore = otherScore, jetsBefore = jets->Value();
        const int delay = rig.game.BonusClock().interval();
        const QRect around = rig.game.Label1.Bounds().adjusted(-4, -4, 4, 4);

        rig.CollectBonus(player);
        // Nothing of the label stays behind, not even a glyph's pixel outside its box.
        for (int y = around.top(); y <= around.bottom(); ++y)
            for (int x = around.left(); x <= around.right(); ++x)
                QVERIFY2(rig.game.field.GetPixel(x, y) != FieldColour::Yellow,
                         qPrintable(QStringLiteral("%1 at %2, %3").arg(rig.game.Label1.Caption()).arg(x).arg(y)));

        // The collecting step scores as any step does.
        QCOMPARE(score, scoreBefore + Kinds.at(kind - 1).points + Rules::StepPoints(Rules::StartInterval));
        QCOMPARE(jets->Value(), jetsBefore + Kinds.at(kind - 1).jets);
        QCOMPARE(otherScore, otherBefore);
        QVERIFY(!rig.game.Label1.Visible());
        QVERIFY(rig.game.BonusClock().isActive());
        QCOMPARE(rig.game.BonusClock().interval(), delay);
    }

    // Both ends of each range are reached, and every kind comes up about as often as its chance.
    QCOMPARE(minX, 100);
    QCOMPARE(maxX, 499);
    QCOMPARE(minY, 50);
    QCOMPARE(maxY, 449);
    for (int kind = 1; kind <= 10; ++kind)
        QVERIFY2(seen.at(kind - 1) > Placements / 10 - 60 && seen.at(kind - 1) < Placements / 10 + 60,
                 qPrintable(QStringLiteral("kind %1 seen %2 times").arg(kind).arg(seen.at(kind - 1))));
    QCOMPARE(rig.CountPixels(FieldColour::Yellow), 0);
}

// There is never more than one bonus: while one lies on the field the bonus timer stays stopped,
// whatever the players do, and only its collection starts it again.
void BonusesTest::bonusTimerWaitsWhileABonusIsOnTheField()
{
    GameRig rig;
    rig.StartTwoPlayers();
    // The first bonus of the first round comes one second after the start.
    QVERIFY(rig.game.BonusClock().isActive());
    QCOMPARE(rig.game.BonusClock().interval(), 1000);
    rig.PlaceBonusOfKind(8);
    const QPoint yellow = rig.FirstYellowPixel();

    rig.TickBoth(10);
    rig.Type(QStringLiteral("wy82as46"));
    rig.form.Pause1Click(rig.form.Pause1);
    rig.form.Pause1Click(rig.form.Pause1);
    rig.TickBoth(3);
    QVERIFY(!rig.game.BonusClock().isActive());
    QVERIFY(rig.game.Label1.Visible());

    rig.PlaceRed(yellow.x() - 1, yellow.y(), 7);
    rig.TickRed();
    QVERIFY(rig.game.BonusClock().isActive());
    QVERIFY(!rig.game.Label1.Visible());
}

// Only a yellow pixel counts: a head on a black pixel between the letters does not collect.
void BonusesTest::gapsBetweenLettersDoNotCollect()
{
    GameRig rig;
    rig.StartTwoPlayers();
    rig.PlaceBonusOfKind(7);
    const QRect bonus = rig.game.Label1.Bounds();
    const QPoint yellow = rig.FirstYellowPixel();
    // The first black pixel right of a yellow one on that row: a gap inside the text.
    int gapX = yellow.x();
    while (gapX <= bonus.right() && rig.game.GetPixel(gapX, yellow.y()) != FieldColour::Black)
        ++gapX;
    QVERIFY(bonus.contains(gapX, yellow.y()));

    rig.PlaceRed(gapX, yellow.y() - 1, 5);
    rig.TickRed();

    QVERIFY(rig.game.Label1.Visible());
    QVERIFY(!rig.game.BonusClock().isActive());
    QCOMPARE(rig.game.redscore, 1);
    QCOMPARE(rig.game.GetPixel(gapX, yellow.y()), FieldColour::Red);
}

// Showing the bonus repaints its rectangle black before drawing the text, so a trail beneath it
// is cut; when the bonus goes the rectangle stays black, and the cycles pass through the gap.
void BonusesTest::bonusOverATrailLeavesABlackRectangle()
{
    constexpr std::uint32_t Seed = 7;
    QRect bonus;
    {
        // Where this seed's first bonus will lie.
        GameRig peek(Seed);
        peek.StartTwoPlayers();
        peek.game.Tick(TClock::Bonus);
        bonus = peek.game.Label1.Bounds();
    }
    GameRig rig(Seed);
    rig.StartTwoPlayers();
    const int row = bonus.center().y();
    rig.PlaceRed(bonus.left() - 21, row, 7);
    rig.TickRed(bonus.width() + 40);
    QCOMPARE(rig.game.GetPixel(bonus.center().x(), row), FieldColour::Red);

    rig.game.Tick(TClock::Bonus);
    QCOMPARE(rig.game.Label1.Bounds(), bonus);
    for (int x = bonus.left(); x <= bonus.right(); ++x)
        QVERIFY(rig.game.GetPixel(x, row) != FieldColour::Red);
    QCOMPARE(rig.game.GetPixel(bonus.left() - 1, row), FieldColour::Red);
    QCOMPARE(rig.game.GetPixel(bonus.right() + 1, row), FieldColour::Red);

    // Blue collects it; only the pixel it stepped on is not black.
    const QPoint collected = rig.CollectBonus(2);
    for (int y = bonus.top(); y <= bonus.bottom(); ++y)
        for (int x = bonus.left(); x <= bonus.right(); ++x)
            QCOMPARE(rig.game.GetPixel(x, y), QPoint(x, y) == collected ? FieldColour::Blue : FieldColour::Black);

    // Blue drives down through the gap in the red trail.
    rig.PlaceBlue(bonus.center().x(), bonus.top() - 10, 5);
    rig.TickBlue(bonus.height() + 20);
    QVERIFY(rig.WindowTitles().isEmpty());
    QCOMPARE(rig.game.GetPixel(bonus.center().x(), row), FieldColour::Blue);
}

QTEST_MAIN(BonusesTest)
#include "tst_game_bonuses.moc"
