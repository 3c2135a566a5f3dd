// The movement tick: one pixel per tick, and the colour of that one pixel decides everything.
#include "game/Headings.h"
#include "game/Rules.h"
#include "game/TGame.h"

void TGame::hiresTimer1Timer(QObject *Sender)
{
    Step(Sender, Player(TPlayer::Red));
}

void TGame::HiResTimer2Timer(QObject *Sender)
{
    Step(Sender, Player(TPlayer::Blue));
}

void TGame::Step(QObject *Sender, const TPlayerView &player)
{
    // A cycle that the computer steers is given its commands first, as a player's keys would
    // have given them between the ticks.
    Pilot(player);

    Advance(player.x, player.y, player.dir, 1);

    const std::uint32_t colour = GetPixel(player.x, player.y);
    // Anything but black or yellow is a wall: either trail, the side panel, the outside (a
    // wrapped coordinate reads as no colour at all).
    if (colour != FieldColour::Black && colour != FieldColour::Yellow) {
        TellCycle(TGameEvent::Kind::Crash, player);
        gehdie(Sender, player.player);
        return;
    }
    if (colour == FieldColour::Yellow)
        givebonus(Sender, player.player);

    SetPixel(player.x, player.y, player.colour);
    player.score = WrappingAdd(player.score, Rules::StepPoints(player.Interval()));
    TellCycle(TGameEvent::Kind::Step, player);
    player.scoreDisplay.setValue(player.score);
}
