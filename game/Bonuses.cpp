// Bonuses: a yellow text at a random place; the first cycle to touch one of its yellow pixels
// collects it. At most one is on the field.
#include "app/TForm1.h"
#include "components/TRCADigital.h"
#include "game/Rules.h"

void TForm1::Timer1Timer(QObject *)
{
    // A bonus always lies wholly in the field.
    bonusx = static_cast<std::uint16_t>(random(Rules::BonusLeftRange) + Rules::BonusLeft);
    bonusy = static_cast<std::uint16_t>(random(Rules::BonusTopRange) + Rules::BonusTop);
    bonuskind = static_cast<std::uint8_t>(random(static_cast<int>(Rules::BonusKinds.size())) + 1);
    // Showing the label repaints its rectangle: a trail beneath it is gone.
    Label1.setLeft(bonusx);
    Label1.setTop(bonusy);
    Label1.Show();
    Label1.setCaption(Rules::Bonus(bonuskind).text.toString());
    Timer1.stop();
    // The next bonus comes 2 to 20 seconds after this one is collected.
    Timer1.setInterval(random(Rules::BonusDelayRange) + Rules::BonusDelay);
}

void TForm1::givebonus(QObject *, std::uint8_t player)
{
    Label2.setCaption(Label1.Caption());
    Label2.setLeft(Label1.Left());
    Label2.setTop(Label1.Top());
    Label1.Hide();
    Timer1.start();

    // Player 1 is red; any other number is blue.
    const TPlayerView collector = Player(player);
    const Rules::BonusKind &bonus = Rules::Bonus(bonuskind);
    if (bonus.jumpJet)
        collector.jets.setValue(WrappingAdd(collector.Jets(), 1));
    else
        collector.score = WrappingAdd(collector.score, bonus.points);
}
