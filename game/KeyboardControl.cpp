// Both players steer from one keyboard: only the typed character counts, compared exactly with
// the bindings read at the round start.
#include "app/TForm1.h"
#include "components/TRCADigital.h"
#include "game/Headings.h"

namespace {

bool Matches(const QString &binding, QChar key)
{
    return binding.size() == 1 && binding.front() == key;
}

// The jump distance shrinks with speed: 19 pixels at 1 ms, 0 at 101 ms.
int JumpDistance(const TThreadedTimer &timer)
{
    return (100 - static_cast<int>(timer.Interval())) / 5;
}

void Jump(std::uint16_t &x, std::uint16_t &y, std::uint8_t dir, const TThreadedTimer &timer, TRCADigital &jets)
{
    if (jets.Value() <= 0)
        return;
    Advance(x, y, dir, JumpDistance(timer));
    jets.setValue(jets.Value() - 1);
}

// The interval stays one more than a multiple of 10, so the bounds 2 and 96 keep it in 1..101.
// Stopping and restarting the timer leaves a wait under way as it is: the new interval applies
// from the next one.
void ChangeSpeed(TThreadedTimer &timer, TRCADigital &dial, int change)
{
    timer.setEnabled(false);
    const std::uint16_t interval = timer.Interval();
    if (change < 0 && interval >= 2)
        timer.setInterval(static_cast<std::uint16_t>(interval - 10));
    else if (change > 0 && interval <= 96)
        timer.setInterval(static_cast<std::uint16_t>(interval + 10));
    timer.setEnabled(true);
    dial.setValue(timer.Interval() / 11);
}

} // namespace

void TForm1::FormKeyPress(QObject *, QChar &Key)
{
    // While paused the cycles stand: a key must not move them or set a timer running again.
    if (!running || paused)
        return;

    // Every test stands on its own: a character bound to several actions performs all of them.
    if (Matches(jumpa, Key))
        Jump(redx, redy, reddir, hiresTimer1, *jumpdigr);
    if (Matches(jumpb, Key))
        Jump(bluex, bluey, bluedir, hiresTimer2, *jumpdigb);
    if (Matches(fasta, Key))
        ChangeSpeed(hiresTimer1, *digispeedr, -10);
    if (Matches(slowa, Key))
        ChangeSpeed(hiresTimer1, *digispeedr, +10);
    if (Matches(leftkeya, Key))
        ++reddir;
    if (Matches(rightkeya, Key))
        --reddir;
    reddir = Normalised(reddir);

    if (!twoplayer)
        return;
    if (Matches(leftkeyb, Key))
        ++bluedir;
    if (Matches(rightkeyb, Key))
        --bluedir;
    bluedir = Normalised(bluedir);
    if (Matches(fastb, Key))
        ChangeSpeed(hiresTimer2, *digispeedb, -10);
    if (Matches(slowb, Key))
        ChangeSpeed(hiresTimer2, *digispeedb, +10);
}
