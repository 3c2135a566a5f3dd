// Bonuses: a yellow text at a random place; the first cycle to touch one of its yellow pixels
// collects it. At most one is on the field.
#include "game/Rules.h"
#include "game/TGame.h"

void TGame::Timer1Timer(QObject *)
{
    // A bonus always lies wholly in the field.
    bonusx = static_cast<std::uint16_t>(random(Rules::BonusLeftRange) + Rules::BonusLeft);
    bonusy = static_cast<std::uint16_t>(random(Rules::BonusTopRange) + Rules::BonusTop);
    bonuskind = static_cast<std::uint8_t>(random(static_cast<int>(Rules::BonusKinds.size())) + 1);
    // Showing the label repaints its rectangle: a trail beneath it is gone.
    const QString text = Rules::Bonus(bonuskind).text.toString();
    playfield.ShowBonus(bonusx, bonusy, text);
    Tell({.kind = TGameEvent::Kind::BonusShown, .x = bonusx, .y = bonusy, .bonus = bonuskind, .text = text});
    BonusClock().stop();
    // The next bonus comes 2 to 20 seconds after this one is collected.
    BonusClock().setInterval(random(Rules::BonusDelayRange) + Rules::BonusDelay);
}

void TGame::givebonus(QObject *, TPlayer player)
{
    const int left = Label1.Left();
    const int top = Label1.Top();
    playfield.EraseBonus(left, top);
    BonusClock().start();

    const TPlayerView collector = Player(player);
    const Rules::BonusKind &bonus = Rules::Bonus(bonuskind);
    if (bonus.jumpJet)
        collector.jets.setValue(WrappingAdd(collector.Jets(), 1));
    else
        collector.score = WrappingAdd(collector.score, bonus.points);

    Tell({.kind = TGameEvent::Kind::BonusErased,
          .player = player,
          .cycle = collector.State(),
          .x = static_cast<std::uint16_t>(left),
          .y = static_cast<std::uint16_t>(top),
          .bonus = bonuskind,
          .collected = true});
}

void TGame::clearfield()
{
    playfield.clearfield();
    Tell({.kind = TGameEvent::Kind::FieldCleared});
}

void TGame::ShowGameOver(bool on)
{
    gameover.setVisible(on);
    Tell({.kind = TGameEvent::Kind::GameOverShown, .visible = on});
}
