// The movement tick: one pixel per tick, and the colour of that one pixel decides everything.
#include "app/TForm1.h"
#include "components/TRCADigital.h"
#include "game/Headings.h"

struct TForm1::Cycle
{
    std::uint8_t &dir;
    std::uint16_t &x;
    std::uint16_t &y;
    const TThreadedTimer &timer;
    std::uint32_t colour;
    std::int32_t &score;
    TRCADigital *display;
    std::uint8_t player;
};

void TForm1::hiresTimer1Timer(QObject *Sender)
{
    Step(Sender, {reddir, redx, redy, hiresTimer1, FieldColour::Red, redscore, digired, 1});
}

void TForm1::HiResTimer2Timer(QObject *Sender)
{
    Step(Sender, {bluedir, bluex, bluey, hiresTimer2, FieldColour::Blue, bluescore, digiblue, 2});
}

void TForm1::Step(QObject *Sender, const Cycle &cycle)
{
    Advance(cycle.x, cycle.y, cycle.dir, 1);

    const std::uint32_t colour = GetPixel(cycle.x, cycle.y);
    // Anything but black or yellow is a wall: either trail, the side panel, the outside (a
    // wrapped coordinate reads as no colour at all).
    if (colour != FieldColour::Black && colour != FieldColour::Yellow) {
        gehdie(Sender, cycle.player);
        return;
    }
    if (colour == FieldColour::Yellow)
        givebonus(Sender, cycle.player);

    SetPixel(cycle.x, cycle.y, cycle.colour);
    // Faster cycles score double: 2 points a step below 51 ms, 1 from 51 ms on (at 101 the
    // numerator is -1, and -1 / 50 truncates to 0).
    const int interval = cycle.timer.Interval();
    cycle.score = WrappingAdd(cycle.score, (100 - interval) / 50 + 1);
    cycle.display->setValue(cycle.score);
}
