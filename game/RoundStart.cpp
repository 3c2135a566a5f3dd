// The round start: one routine for the first round of a game and every later one; only the
// lives decide whether a new game begins.
#include "app/TForm1.h"
#include "components/TRCADigital.h"
#include "platform/TProfileFile.h"
#include "settings/ControlsSection.h"

#include <array>

namespace {
constexpr std::uint16_t StartInterval = 51;
constexpr std::uint16_t StartPosition = 200;
} // namespace

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
        const QStringList values = ControlsSection::Read(TProfileFile::Settings());
        for (std::size_t i = 0; i < bindings.size(); ++i)
            *bindings.at(i) = values.at(static_cast<qsizetype>(i)).left(1);
        newctrls = false;
    }

    hiresTimer1.setInterval(StartInterval);
    hiresTimer2.setInterval(StartInterval);
    digispeedr->setValue(hiresTimer1.Interval() / 11);
    digispeedb->setValue(hiresTimer2.Interval() / 11);

    if (redlives == 0 || bluelives == 0) {
        redlives = 3;
        bluelives = 3;
        lifebdigi->setValue(3);
        // The red half of the cycles strip begins at cell 4.
        liferdigi->setValue(3 + 4);
        redscore = 0;
        bluescore = 0;
        jumpdigb->setValue(3);
        jumpdigr->setValue(3);
    }

    if (running)
        return;
    running = true;
    hiresTimer1.setEnabled(true);
    if (twoplayer)
        hiresTimer2.setEnabled(true);

    // Both cycles start on the same pixel and part on their first ticks; it is never drawn.
    reddir = 2;
    redx = StartPosition;
    redy = StartPosition;
    bluedir = 4;
    bluex = StartPosition;
    bluey = StartPosition;
    digispeedr->setValue(hiresTimer1.Interval() / 11);
    digispeedb->setValue(hiresTimer2.Interval() / 11);
}
