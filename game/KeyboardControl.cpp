// Both players steer from one keyboard: only the typed character counts, compared exactly with
// the bindings read at the round start. Game controllers, the computer and the network give the
// same five actions, and all of them go through the gate's one rule of who may act (MayAct).
#include "game/Headings.h"
#include "game/Rules.h"
#include "game/TGame.h"

namespace {

bool Matches(const QString &binding, QChar key)
{
    return binding.size() == 1 && binding.front() == key;
}

} // namespace

void TGame::Perform(const TPlayerView &player, TPlayerAction action)
{
    switch (action) {
    case TPlayerAction::TurnLeft:
    case TPlayerAction::TurnRight:
        // Adding 1 turns left, subtracting 1 turns right; 9 becomes 1 and 0 becomes 8.
        player.dir = Normalised(static_cast<std::uint8_t>(player.dir + (action == TPlayerAction::TurnLeft ? 1 : -1)));
        TellCycle(TGameEvent::Kind::Heading, player);
        break;
    case TPlayerAction::Faster:
    case TPlayerAction::Slower: {
        // Stopping and restarting the clock leaves a wait under way as it is: the new interval
        // applies from the next one. A speed key at a bound still does both, and rewrites the dial.
        TMovementClock &timer = player.timer;
        timer.setEnabled(false);
        const std::uint16_t interval = timer.Interval();
        if (action == TPlayerAction::Faster && interval >= Rules::FasterFrom)
            timer.setInterval(static_cast<std::uint16_t>(interval - Rules::SpeedStep));
        else if (action == TPlayerAction::Slower && interval <= Rules::SlowerUpTo)
            timer.setInterval(static_cast<std::uint16_t>(interval + Rules::SpeedStep));
        timer.setEnabled(true);
        TellCycle(TGameEvent::Kind::Speed, player);
        player.dial.setValue(Rules::SpeedDial(timer.Interval()));
        break;
    }
    case TPlayerAction::Jump:
        if (player.Jets() <= 0)
            return;
        Advance(player.x, player.y, player.dir, Rules::JumpDistance(player.Interval()));
        player.jets.setValue(player.Jets() - 1);
        TellCycle(TGameEvent::Kind::Jump, player);
        break;
    }
}

void TGame::FormKeyPress(QObject *, QChar &Key)
{
    // Every test stands on its own: a character bound to several actions performs all of them, in
    // this order.
    struct Binding
    {
        const QString &key;
        TPlayer player;
        TPlayerAction action;
    };
    const std::array<Binding, 10> bindings{{
        {jumpa, TPlayer::Red, TPlayerAction::Jump},
        {jumpb, TPlayer::Blue, TPlayerAction::Jump},
        {fasta, TPlayer::Red, TPlayerAction::Faster},
        {slowa, TPlayer::Red, TPlayerAction::Slower},
        {leftkeya, TPlayer::Red, TPlayerAction::TurnLeft},
        {rightkeya, TPlayer::Red, TPlayerAction::TurnRight},
        {leftkeyb, TPlayer::Blue, TPlayerAction::TurnLeft},
        {rightkeyb, TPlayer::Blue, TPlayerAction::TurnRight},
        {fastb, TPlayer::Blue, TPlayerAction::Faster},
        {slowb, TPlayer::Blue, TPlayerAction::Slower},
    }};
    for (const Binding &binding : bindings)
        if (Matches(binding.key, Key))
            Act(binding.player, binding.action);
}

void TGame::Pilot(const TPlayerView &player)
{
    TPilot *pilot = PilotOf(player.player);
    if (!pilot || state != TRoundState::Running)
        return;
    const TPilotActions actions = pilot->Decide(field, Sight(player.player), Sight(Opponent(player.player)));
    for (TPlayerAction action : actions)
        Enter({.kind = TGameInput::Kind::Action,
               .player = player.player,
               .action = action,
               .actor = TGameInput::Actor::Pilot});
}
