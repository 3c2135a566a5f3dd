#pragma once

#include "components/TQtThreadedTimer.h"
#include "game/TTickSource.h"

#include <QElapsedTimer>
#include <QTimer>

#include <memory>

// The program's ticks: the two threaded movement timers, stored disabled at 51 ms with a raised
// priority, and the window timer of the bonuses; the time is the wall clock's.
class TTimerTicks : public TTickSource
{
public:
    TTimerTicks();
    ~TTimerTicks() override;

    TMovementClock &Movement(TClock clock) override;
    TBonusClock &Bonus() override;
    std::int64_t Now() const override;
    QObject *Sender(TClock clock) override;

    TQtThreadedTimer hiresTimer1;
    TQtThreadedTimer hiresTimer2;
    QTimer Timer1;

private:
    class ThreadedClock;
    class WindowClock;
    std::unique_ptr<ThreadedClock> red;
    std::unique_ptr<ThreadedClock> blue;
    std::unique_ptr<WindowClock> bonus;
    QElapsedTimer clock;
};
