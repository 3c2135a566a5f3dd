// Both players steer from one keyboard: only the typed character counts, compared exactly with
// the bindings read at the round start. Game controllers and the computer give the same five
// actions through the same code.
#include "app/TForm1.h"
#include "components/TRCADigital.h"
#include "game/Headings.h"
#include "game/Rules.h"
#include "game/TPilot.h"

namespace {

bool Matches(const QString &binding, QChar key)
{
    return binding.size() == 1 && binding.front() == key;
}

void Jump(const TPlayerView &player)
{
    if (player.Jets() <= 0)
        return;
    Advance(player.x, player.y, player.dir, Rules::JumpDistance(player.Interval()));
    player.jets.setValue(player.Jets() - 1);
}

// Stopping and restarting the timer leaves a wait under way as it is: the new interval applies
// from the next one. A speed key at a bound still does both, and rewrites the dial.
void ChangeSpeed(const TPlayerView &player, TPlayerAction action)
{
    TThreadedTimer &timer = player.timer;
    timer.setEnabled(false);
    const std::uint16_t interval = timer.Interval();
    if (action == TPlayerAction::Faster && interval >= Rules::FasterFrom)
        timer.setInterval(static_cast<std::uint16_t>(interval - Rules::SpeedStep));
    else if (action == TPlayerAction::Slower && interval <= Rules::SlowerUpTo)
        timer.setInterval(static_cast<std::uint16_t>(interval + Rules::SpeedStep));
    timer.setEnabled(true);
    player.dial.setValue(Rules::SpeedDial(timer.Interval()));
}

// Adding 1 turns left, subtracting 1 turns right; 9 becomes 1 and 0 becomes 8.
void Turn(const TPlayerView &player, int by)
{
    player.dir = Normalised(static_cast<std::uint8_t>(player.dir + by));
}

} // namespace

void TForm1::Perform(const TPlayerView &player, TPlayerAction action)
{
    switch (action) {
    case TPlayerAction::TurnLeft: Turn(player, +1); break;
    case TPlayerAction::TurnRight: Turn(player, -1); break;
    case TPlayerAction::Faster:
    case TPlayerAction::Slower: ChangeSpeed(player, action); break;
    case TPlayerAction::Jump: Jump(player); break;
    }
}

bool TForm1::ActionsAct() const
{
    // While paused the cycles stand: a command must not move them or set a timer running again.
    return running && !paused;
}

void TForm1::Act(std::uint8_t player, TPlayerAction action)
{
    if (PilotOf(player))
        return;
    Command(player, action);
}

void TForm1::Command(std::uint8_t player, TPlayerAction action)
{
    // Under the keys' own conditions: player 2 steers and changes speed only in a two-player game
    // (its jump is tested in every game, where in a one-player game it moves nothing that shows).
    if (!ActionsAct())
        return;
    if (player != 1 && !twoplayer && action != TPlayerAction::Jump)
        return;
    Perform(Player(player), action);
}

void TForm1::FormKeyPress(QObject *, QChar &Key)
{
    if (!ActionsAct())
        return;

    // Every test stands on its own: a character bound to several actions performs all of them.
    // A cycle that the computer steers takes no keys.
    const TPlayerView red = Player(1);
    const TPlayerView blue = Player(2);
    const bool redKeys = !PilotOf(1);
    const bool blueKeys = !PilotOf(2);
    const auto pressed = [&](const QString &binding, bool keys) { return keys && Matches(binding, Key); };
    if (pressed(jumpa, redKeys))
        Perform(red, TPlayerAction::Jump);
    if (pressed(jumpb, blueKeys))
        Perform(blue, TPlayerAction::Jump);
    if (pressed(fasta, redKeys))
        Perform(red, TPlayerAction::Faster);
    if (pressed(slowa, redKeys))
        Perform(red, TPlayerAction::Slower);
    if (pressed(leftkeya, redKeys))
        Perform(red, TPlayerAction::TurnLeft);
    if (pressed(rightkeya, redKeys))
        Perform(red, TPlayerAction::TurnRight);
    red.dir = Normalised(red.dir);

    if (!twoplayer)
        return;
    if (pressed(leftkeyb, blueKeys))
        Perform(blue, TPlayerAction::TurnLeft);
    if (pressed(rightkeyb, blueKeys))
        Perform(blue, TPlayerAction::TurnRight);
    blue.dir = Normalised(blue.dir);
    if (pressed(fastb, blueKeys))
        Perform(blue, TPlayerAction::Faster);
    if (pressed(slowb, blueKeys))
        Perform(blue, TPlayerAction::Slower);
}

void TForm1::setPilot(std::uint8_t player, std::unique_ptr<TPilot> pilot)
{
    pilots.at(player == 1 ? 0 : 1) = std::move(pilot);
}

TPilot *TForm1::PilotOf(std::uint8_t player) const
{
    return pilots.at(player == 1 ? 0 : 1).get();
}

void TForm1::Pilot(const TPlayerView &player)
{
    TPilot *pilot = PilotOf(player.number);
    if (!pilot || !ActionsAct())
        return;
    const std::uint8_t other = player.number == 1 ? 2 : 1;
    const TPilotActions actions = pilot->Decide(field, Sight(player.number), Sight(other));
    for (TPlayerAction action : actions)
        Command(player.number, action);
}
