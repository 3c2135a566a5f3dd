#include "game/TTimerTicks.h"

#include "game/Rules.h"
#include "platform/FailureReport.h"

class TTimerTicks::ThreadedClock : public TMovementClock
{
public:
    explicit ThreadedClock(TThreadedTimer &threadedTimer)
        : timer(threadedTimer)
    {
    }
    bool Enabled() const override { return timer.Enabled(); }
    void setEnabled(bool on) override { timer.setEnabled(on); }
    std::uint16_t Interval() const override { return timer.Interval(); }
    void setInterval(std::uint16_t milliseconds) override { timer.setInterval(milliseconds); }

private:
    TThreadedTimer &timer;
};

class TTimerTicks::WindowClock : public TBonusClock
{
public:
    explicit WindowClock(QTimer &windowTimer)
        : timer(windowTimer)
    {
    }
    void start() override { timer.start(); }
    void stop() override { timer.stop(); }
    bool isActive() const override { return timer.isActive(); }
    int interval() const override { return timer.interval(); }
    void setInterval(int milliseconds) override { timer.setInterval(milliseconds); }

private:
    QTimer &timer;
};

TTimerTicks::TTimerTicks()
    : red(std::make_unique<ThreadedClock>(hiresTimer1))
    , blue(std::make_unique<ThreadedClock>(hiresTimer2))
    , bonus(std::make_unique<WindowClock>(Timer1))
{
    clock.start();
    for (TThreadedTimer *timer : {&hiresTimer1, &hiresTimer2}) {
        timer->setEnabled(false);
        timer->setInterval(Rules::StartInterval);
        timer->setThreadPriority(tpHigher);
    }
    // A failure in a tick is reported there; the timer keeps working.
    hiresTimer1.setOnTimer([this](TThreadedTimer *) {
        if (onTick)
            onTick(TClock::Red, &hiresTimer1);
    });
    hiresTimer2.setOnTimer([this](TThreadedTimer *) {
        if (onTick)
            onTick(TClock::Blue, &hiresTimer2);
    });
    Timer1.setInterval(1000);
    QObject::connect(&Timer1, &QTimer::timeout, &Timer1, [this] {
        RunReporting([this] {
            if (onTick)
                onTick(TClock::Bonus, &Timer1);
        });
    });
}

TTimerTicks::~TTimerTicks()
{
    // No tick may reach a game that is going away.
    Timer1.stop();
    hiresTimer1.setEnabled(false);
    hiresTimer2.setEnabled(false);
}

TMovementClock &TTimerTicks::Movement(TClock which)
{
    return which == TClock::Red ? static_cast<TMovementClock &>(*red) : *blue;
}

TBonusClock &TTimerTicks::Bonus()
{
    return *bonus;
}

std::int64_t TTimerTicks::Now() const
{
    return clock.elapsed();
}

QObject *TTimerTicks::Sender(TClock which)
{
    switch (which) {
    case TClock::Red: return &hiresTimer1;
    case TClock::Blue: return &hiresTimer2;
    case TClock::Bonus: break;
    }
    return &Timer1;
}
