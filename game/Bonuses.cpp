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
    TGameEvent shown;
    shown.kind = TGameEvent::Kind::BonusShown;
    shown.x = bonusx;
    shown.y = bonusy;
    shown.bonus = bonuskind;
    shown.text = text;
    Tell(shown);
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

    TGameEvent collected;
    collected.kind = TGameEvent::Kind::BonusErased;
    collected.x = static_cast<std::uint16_t>(left);
    collected.y = static_cast<std::uint16_t>(top);
    collected.collected = true;
    collected.player = player;
    collected.bonus = bonuskind;
    collected.score = collector.score;
    collected.jets = collector.Jets();
    Tell(collected);
}

void TGame::clearfield()
{
    playfield.clearfield();
    TGameEvent cleared;
    cleared.kind = TGameEvent::Kind::FieldCleared;
    Tell(cleared);
}

void TGame::ShowGameOver(bool on)
{
    gameover.setVisible(on);
    TGameEvent picture;
    picture.kind = TGameEvent::Kind::GameOverShown;
    picture.visible = on;
    Tell(picture);
}
