// A crash ends the round for both players; when either has no cycles left the game is over and
// the scores go to the hall of fame.
#include "game/Rules.h"
#include "game/TGame.h"
#include "platform/FailureReport.h"

namespace {
constexpr const char *Explosion = "explode.wav";
constexpr const char *Applause = "applaus.wav";
} // namespace

void TGame::crashed(QObject *Sender, const QString &msg)
{
    Tell({.kind = TGameEvent::Kind::CrashShown, .text = msg});
    Host().ShowCrash(Sender, msg);
}

void TGame::gehdie(QObject *Sender, TPlayer player)
{
    // The round is over now. A key typed just as the crash window closes can reach the game before
    // the crash is dealt with; it must not set a cycle moving again.
    EndRound(TRoundState::Crashed);
    LoseCycle(Sender, Player(player), Player(Opponent(player)));
    clearfield();

    if (redlives > 0 && bluelives > 0) {
        startgame(Sender);
        return;
    }
    GameOver(Sender);
}

void TGame::EndRound(TRoundState next)
{
    // An uncollected bonus is lost: its black copy erases it.
    playfield.EraseBonus(bonusx, bonusy);
    Tell({.kind = TGameEvent::Kind::BonusErased, .x = bonusx, .y = bonusy});

    StopClocks();
    setState(next);
    Tell({.kind = TGameEvent::Kind::RoundEnd, .checksum = field.Checksum()});
}

void TGame::LoseCycle(QObject *Sender, const TPlayerView &crashing, const TPlayerView &opponent)
{
    --crashing.lives;
    TellCycle(TGameEvent::Kind::Lives, crashing);
    const QString who = againstcomputer && crashing.player == TPlayer::Blue
                            ? QStringLiteral("Computer")
                            : QStringLiteral("Player %1").arg(Number(crashing.player));
    {
        // The explosion sounds while the crash window is open.
        const PlayingSound explosion(*this, Explosion);
        crashed(Sender, QStringLiteral("%1 crashed! %2 Cycles left...").arg(who).arg(crashing.lives));
    }
    opponent.score = WrappingAdd(opponent.score, Rules::CrashPoints);
    TellCycle(TGameEvent::Kind::Score, opponent);
    Display(TDisplay::RedScore).setValue(redscore);
    Display(TDisplay::BlueScore).setValue(bluescore);
    crashing.ShowLives();
}

void TGame::GameOver(QObject *Sender)
{
    // Against the computer and over the network the two scores stay beside the game-over picture:
    // they are the result, and no hall of fame keeps them.
    const bool scoresStay = againstcomputer || networked;
    for (TDisplay display : {TDisplay::RedSpeed, TDisplay::BlueSpeed, TDisplay::BlueLives, TDisplay::RedLives})
        Display(display).hide();
    for (TDisplay display : {TDisplay::RedScore, TDisplay::BlueScore})
        Display(display).setVisible(scoresStay);
    Display(TDisplay::RedJets).hide();
    Display(TDisplay::BlueJets).hide();

    if (!scoresStay)
        RecordScores(Sender);
    else if (againstcomputer && bluelives == 0)
        // The player has won: the applause plays out.
        StartSound(SoundPath(Applause));

    // A new game may start only once the scores are written: a key typed between two name entries
    // must not start a game inside this one's end.
    ShowGameOver(true);
    Tell({.kind = TGameEvent::Kind::GameEnd, .player = redlives > 0 ? TPlayer::Red : TPlayer::Blue, .mode = Mode()});
    setState(TRoundState::GameOver);
}

void TGame::RecordScores(QObject *Sender)
{
    // The applause plays while a name is asked for. A score that cannot be recorded is reported,
    // and the game over still completes: the picture shows and the pointer comes back. Player 2
    // is asked for a name even when player 1's score could not be written: the hall of fame keeps
    // both until a write goes through.
    if (!twoplayer) {
        try {
            const PlayingSound applause(*this, Applause);
            Host().RecordOnePlayer(Sender, redscore);
        } catch (...) {
            ReportCurrentException();
        }
        return;
    }
    for (TPlayer player : BothPlayers) {
        try {
            const PlayingSound applause(*this, Applause);
            Host().RecordTwoPlayers(Sender, QStringLiteral("Player %1").arg(Number(player)), Player(player).score);
        } catch (...) {
            ReportCurrentException();
        }
    }
}
