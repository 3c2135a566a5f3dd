// The movement tick: one pixel per tick, and the colour of that one pixel decides everything.
#include "app/TForm1.h"
#include "components/TRCADigital.h"
#include "game/Headings.h"
#include "game/Rules.h"

void TForm1::hiresTimer1Timer(QObject *Sender)
{
    Step(Sender, Player(1));
}

void TForm1::HiResTimer2Timer(QObject *Sender)
{
    Step(Sender, Player(2));
}

void TForm1::Step(QObject *Sender, const TPlayerView &player)
{
    // A cycle that the computer steers is given its commands first, as a player's keys would
    // have given them between the ticks.
    Pilot(player);

    Advance(player.x, player.y, player.dir, 1);

    const std::uint32_t colour = GetPixel(player.x, player.y);
    // Anything but black or yellow is a wall: either trail, the side panel, the outside (a
    // wrapped coordinate reads as no colour at all).
    if (colour != FieldColour::Black && colour != FieldColour::Yellow) {
        gehdie(Sender, player.number);
        return;
    }
    if (colour == FieldColour::Yellow)
        givebonus(Sender, player.number);

    SetPixel(player.x, player.y, player.colour);
    player.score = WrappingAdd(player.score, Rules::StepPoints(player.Interval()));
    player.scoreDisplay.setValue(player.score);
}
