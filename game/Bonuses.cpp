// Bonuses: a yellow text at a random place; the first cycle to touch one of its yellow pixels
// collects it. At most one is on the field.
#include "app/TForm1.h"
#include "components/TRCADigital.h"

namespace {

QString BonusText(std::uint8_t kind)
{
    switch (kind) {
    case 1:
    case 2: return QStringLiteral("Jump Jet");
    case 3:
    case 4: return QStringLiteral("1000");
    case 5:
    case 6: return QStringLiteral("2500");
    case 7: return QStringLiteral("5000");
    default: return QStringLiteral("100");
    }
}

std::int32_t BonusPoints(std::uint8_t kind)
{
    switch (kind) {
    case 1:
    case 2: return 0;
    case 3:
    case 4: return 1000;
    case 5:
    case 6: return 2500;
    case 7: return 5000;
    default: return 100;
    }
}

bool IsJumpJet(std::uint8_t kind)
{
    return kind == 1 || kind == 2;
}

} // namespace

void TForm1::Timer1Timer(QObject *)
{
    // Left edge 100..499 and top 50..449: a bonus always lies wholly in the field.
    bonusx = static_cast<std::uint16_t>(random(400) + 100);
    bonusy = static_cast<std::uint16_t>(random(400) + 50);
    bonuskind = static_cast<std::uint8_t>(random(10) + 1);
    // Showing the label repaints its rectangle: a trail beneath it is gone.
    Label1.setLeft(bonusx);
    Label1.setTop(bonusy);
    Label1.Show();
    Label1.setCaption(BonusText(bonuskind));
    Timer1.stop();
    // The next bonus comes 2 to 20 seconds after this one is collected.
    Timer1.setInterval(random(18000) + 2000);
}

void TForm1::givebonus(QObject *, std::uint8_t player)
{
    Label2.setCaption(Label1.Caption());
    Label2.setLeft(Label1.Left());
    Label2.setTop(Label1.Top());
    Label1.Hide();
    Timer1.start();

    TRCADigital *jets = player == 1 ? jumpdigr : jumpdigb;
    std::int32_t &score = player == 1 ? redscore : bluescore;
    if (IsJumpJet(bonuskind))
        jets->setValue(WrappingAdd(jets->Value(), 1));
    else
        score = WrappingAdd(score, BonusPoints(bonuskind));
}
