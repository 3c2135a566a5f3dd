// The round start: one routine for the first round of a game and every later one; only the
// lives decide whether a new game begins.
#include "game/Rules.h"
#include "game/TGame.h"
#include "settings/ControlsSection.h"

void TGame::startgame(QObject *)
{
    ShowGameOver(false);
    clearfield();
    BonusClock().start();

    for (TDisplay display : {TDisplay::RedSpeed, TDisplay::RedScore, TDisplay::RedLives, TDisplay::RedJets})
        Display(display).show();
    for (TDisplay display : {TDisplay::BlueScore, TDisplay::BlueSpeed, TDisplay::BlueLives, TDisplay::BlueJets})
        Display(display).setVisible(twoplayer);

    if (newctrls) {
        // Only the first character of a binding counts; an empty one binds no key.
        const std::array<QString *, ControlsSection::Bindings.size()> bindings{
            &leftkeya, &rightkeya, &leftkeyb, &rightkeyb, &fasta, &fastb, &slowa, &slowb, &jumpa, &jumpb};
        const QStringList values = Host().ReadBindings();
        for (std::size_t i = 0; i < bindings.size(); ++i)
            *bindings.at(i) = values.value(static_cast<qsizetype>(i)).left(1);
        newctrls = false;
    }

    const TPlayerView red = Player(TPlayer::Red);
    const TPlayerView blue = Player(TPlayer::Blue);
    for (const TPlayerView &player : {red, blue}) {
        player.timer.setInterval(Rules::StartInterval);
        player.dial.setValue(Rules::SpeedDial(player.Interval()));
    }

    if (redlives == 0 || bluelives == 0) {
        for (const TPlayerView &player : {red, blue}) {
            player.lives = Rules::StartLives;
            player.ShowLives();
            player.score = 0;
            player.jets.setValue(Rules::StartJets);
        }
    }

    if (RoundUnderWay())
        return;
    Clock(TPlayer::Red).setEnabled(true);
    if (twoplayer)
        Clock(TPlayer::Blue).setEnabled(true);

    // Both cycles start on the same pixel and part on their first ticks; it is never drawn.
    red.dir = Rules::RedStartHeading;
    blue.dir = Rules::BlueStartHeading;
    for (const TPlayerView &player : {red, blue}) {
        player.x = Rules::StartPosition;
        player.y = Rules::StartPosition;
        player.dial.setValue(Rules::SpeedDial(player.Interval()));
        if (TPilot *pilot = PilotOf(player.player))
            pilot->NewRound();
    }

    roundStart = Ticks().Now();
    Tell({.kind = TGameEvent::Kind::RoundStart, .mode = Mode()});
    for (const TPlayerView &player : {red, blue})
        TellCycle(TGameEvent::Kind::Cycle, player);
    setState(TRoundState::Running);
}
