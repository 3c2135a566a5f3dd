// A crash ends the round for both players; when either has no cycles left the game is over and
// the scores go to the hall of fame.
#include "app/TForm1.h"
#include "components/TRCADigital.h"
#include "game/Rules.h"
#include "game/TGameHost.h"
#include "platform/FailureReport.h"

namespace {
constexpr const char *Explosion = "explode.wav";
constexpr const char *Applause = "applaus.wav";
} // namespace

void TForm1::crashed(QObject *Sender, const QString &msg)
{
    Host().ShowCrash(Sender, msg);
}

void TForm1::gehdie(QObject *Sender, std::uint8_t player)
{
    EndRound();
    if (player == 1 || player == 2)
        LoseCycle(Sender, Player(player), Player(player == 1 ? 2 : 1));
    clearfield();

    if (redlives > 0 && bluelives > 0) {
        startgame(Sender);
        return;
    }
    GameOver(Sender);
}

void TForm1::EndRound()
{
    // An uncollected bonus is lost: its black copy erases it.
    Label2.setCaption(Label1.Caption());
    Label2.setLeft(bonusx);
    Label2.setTop(bonusy);
    Label1.Hide();

    Timer1.stop();
    hiresTimer1.setEnabled(false);
    hiresTimer2.setEnabled(false);
    // The round is over now. A key typed just as the crash window closes can reach the main
    // window before the crash is dealt with; it must not set a cycle moving again.
    running = false;
}

void TForm1::LoseCycle(QObject *Sender, const TPlayerView &crashing, const TPlayerView &opponent)
{
    --crashing.lives;
    const QString who = againstcomputer && crashing.number == 2 ? QStringLiteral("Computer")
                                                                : QStringLiteral("Player %1").arg(crashing.number);
    {
        // The explosion sounds while the crash window is open.
        const PlayingSound explosion(*this, Explosion);
        crashed(Sender, QStringLiteral("%1 crashed! %2 Cycles left...").arg(who).arg(crashing.lives));
    }
    opponent.score = WrappingAdd(opponent.score, Rules::CrashPoints);
    digired->setValue(redscore);
    digiblue->setValue(bluescore);
    crashing.ShowLives();
}

void TForm1::GameOver(QObject *Sender)
{
    // Against the computer the two scores stay beside the game-over picture: they are the result,
    // and no hall of fame keeps them.
    for (TRCADigital *display : {digispeedr, digispeedb, lifebdigi, liferdigi})
        display->hide();
    for (TRCADigital *display : {digired, digiblue})
        display->setVisible(againstcomputer);
    Pause1->setEnabled(false);
    jumpdigr->hide();
    jumpdigb->hide();

    if (!againstcomputer)
        RecordScores(Sender);
    else if (bluelives == 0)
        // The player has won: the applause plays out.
        StartSound(SoundPath(Applause));

    // The new-game commands come back only once the scores are written: a key typed between two
    // name entries must not start a game inside this one's end.
    setStartEnabled(true);
    gameover.Show();
    centralWidget()->unsetCursor();
}

void TForm1::RecordScores(QObject *Sender)
{
    // The applause plays while a name is asked for. A score that cannot be recorded is reported,
    // and the game over still completes: the picture shows and the pointer comes back.
    try {
        if (!twoplayer) {
            const PlayingSound applause(*this, Applause);
            Host().RecordOnePlayer(Sender, redscore);
        } else {
            for (const TPlayerView &player : {Player(1), Player(2)}) {
                const PlayingSound applause(*this, Applause);
                Host().RecordTwoPlayers(Sender, QStringLiteral("Player %1").arg(player.number), player.score);
            }
        }
    } catch (...) {
        ReportCurrentException();
    }
}
