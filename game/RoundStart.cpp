// The round start: one routine for the first round of a game and every later one; only the
// lives decide whether a new game begins.
#include "app/TForm1.h"
#include "components/TRCADigital.h"
#include "game/Rules.h"
#include "game/TGameHost.h"
#include "game/TPilot.h"
#include "settings/ControlsSection.h"

#include <array>

void TForm1::startgame(QObject *)
{
    gameover.Hide();
    clearfield();
    centralWidget()->setCursor(Qt::BlankCursor);
    Pause1->setEnabled(true);
    setStartEnabled(false);
    Timer1.start();

    for (TRCADigital *display : {digispeedr, digired, liferdigi, jumpdigr})
        display->show();
    for (TRCADigital *display : {digiblue, digispeedb, lifebdigi, jumpdigb})
        display->setVisible(twoplayer);

    if (newctrls) {
        // Only the first character of a binding counts; an empty one binds no key.
        const std::array<QString *, ControlsSection::Bindings.size()> bindings{
            &leftkeya, &rightkeya, &leftkeyb, &rightkeyb, &fasta, &fastb, &slowa, &slowb, &jumpa, &jumpb};
        const QStringList values = Host().ReadBindings();
        for (std::size_t i = 0; i < bindings.size(); ++i)
            *bindings.at(i) = values.value(static_cast<qsizetype>(i)).left(1);
        newctrls = false;
    }

    const TPlayerView red = Player(1);
    const TPlayerView blue = Player(2);
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

    if (running)
        return;
    running = true;
    hiresTimer1.setEnabled(true);
    if (twoplayer)
        hiresTimer2.setEnabled(true);

    // Both cycles start on the same pixel and part on their first ticks; it is never drawn.
    red.dir = Rules::RedStartHeading;
    blue.dir = Rules::BlueStartHeading;
    for (const TPlayerView &player : {red, blue}) {
        player.x = Rules::StartPosition;
        player.y = Rules::StartPosition;
        player.dial.setValue(Rules::SpeedDial(player.Interval()));
        if (TPilot *pilot = PilotOf(player.number))
            pilot->NewRound();
    }
}
