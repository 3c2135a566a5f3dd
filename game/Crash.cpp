// A crash ends the round for both players; when either has no cycles left the game is over and
// the scores go to the hall of fame.
#include "app/TForm1.h"
#include "components/TRCADigital.h"
#include "halloffame/TForm3.h"
#include "platform/FailureReport.h"
#include "windows/Tcrash.h"

namespace {
constexpr std::int32_t CrashPoints = 5000;
constexpr const char *Explosion = "explode.wav";
constexpr const char *Applause = "applaus.wav";
} // namespace

void TForm1::crashed(QObject *, const QString &msg)
{
    Tcrash crash(this);
    crash.setWindowTitle(msg);
    crash.exec();
}

void TForm1::gehdie(QObject *Sender, std::uint8_t player)
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
    // window before this handler goes on; it must not set a cycle moving again.
    running = false;

    if (player == 1 || player == 2) {
        // The crashing player loses a cycle, the other one gains the points. The red cycles are
        // the upper half of the cycles strip, from cell 4.
        const bool red = player == 1;
        std::uint8_t &lives = red ? redlives : bluelives;
        std::int32_t &opponentScore = red ? bluescore : redscore;
        --lives;
        Sound("play", Explosion);
        crashed(Sender, QStringLiteral("Player %1 crashed! %2 Cycles left...").arg(player).arg(lives));
        Sound("stop", Explosion);
        opponentScore = WrappingAdd(opponentScore, CrashPoints);
        digired->setValue(redscore);
        digiblue->setValue(bluescore);
        if (red)
            liferdigi->setValue(redlives + 4);
        else
            lifebdigi->setValue(bluelives);
    }

    clearfield();

    if (redlives > 0 && bluelives > 0) {
        startgame(Sender);
        return;
    }

    // Game over.
    for (TRCADigital *display : {digispeedr, digispeedb, lifebdigi, liferdigi, digired, digiblue})
        display->hide();
    Pause1->setEnabled(false);
    jumpdigr->hide();
    jumpdigb->hide();

    // A score that cannot be recorded is reported, and the game over still completes: the
    // picture shows and the pointer comes back.
    try {
        TForm3 fame(this);
        if (!twoplayer) {
            Sound("play", Applause);
            fame.writefame(Sender, redscore);
            Sound("stop", Applause);
        } else {
            Sound("play", Applause);
            fame.writefameb(Sender, QStringLiteral("Player 1"), redscore);
            Sound("stop", Applause);
            Sound("play", Applause);
            fame.writefameb(Sender, QStringLiteral("Player 2"), bluescore);
            Sound("stop", Applause);
        }
    } catch (...) {
        Sound("stop", Applause);
        ReportCurrentException();
    }

    // The new-game commands come back only once the scores are written: a key typed between two
    // name entries must not start a game inside this one's end.
    setStartEnabled(true);
    gameover.Show();
    centralWidget()->unsetCursor();
}
