#include "game/TDrivenTicks.h"

#include "game/Rules.h"

#include <QScopeGuard>

#include <algorithm>

namespace {

std::size_t Slot(TClock clock)
{
    return static_cast<std::size_t>(clock);
}

} // namespace

class TDrivenTicks::Cycle : public TMovementClock
{
public:
    Cycle(TDrivenTicks &ticks, TClock which)
        : source(ticks)
        , slot(Slot(which))
    {
    }
    bool Enabled() const override { return source.enabled.at(slot); }
    void setEnabled(bool on) override
    {
        if (on == Enabled())
            return;
        source.enabled.at(slot) = on;
        // A wait under way is kept, also while the clock is off; a clock that had none begins one.
        // The ticking clock's next wait begins when its handler returns.
        if (on && source.due.at(slot) == Never && source.ticking != static_cast<int>(slot))
            source.due.at(slot) = source.now + Interval();
    }
    std::uint16_t Interval() const override { return source.intervals.at(slot); }
    void setInterval(std::uint16_t milliseconds) override { source.intervals.at(slot) = milliseconds; }

private:
    TDrivenTicks &source;
    std::size_t slot;
};

class TDrivenTicks::Window : public TBonusClock
{
public:
    explicit Window(TDrivenTicks &ticks)
        : source(ticks)
    {
    }
    void start() override
    {
        source.bonusActive = true;
        source.due.at(Slot(TClock::Bonus)) = source.now + source.bonusInterval;
    }
    void stop() override
    {
        source.bonusActive = false;
        source.due.at(Slot(TClock::Bonus)) = Never;
    }
    bool isActive() const override { return source.bonusActive; }
    int interval() const override { return source.bonusInterval; }
    void setInterval(int milliseconds) override
    {
        source.bonusInterval = std::max(milliseconds, 0);
        if (source.bonusActive)
            start();
    }

private:
    TDrivenTicks &source;
};

TDrivenTicks::TDrivenTicks()
    : intervals{Rules::StartInterval, Rules::StartInterval}
    , red(std::make_unique<Cycle>(*this, TClock::Red))
    , blue(std::make_unique<Cycle>(*this, TClock::Blue))
    , bonus(std::make_unique<Window>(*this))
{
    senders.at(0).setObjectName(QStringLiteral("hiresTimer1"));
    senders.at(1).setObjectName(QStringLiteral("hiresTimer2"));
    senders.at(2).setObjectName(QStringLiteral("Timer1"));
}

TDrivenTicks::~TDrivenTicks() = default;

TMovementClock &TDrivenTicks::Movement(TClock clock)
{
    return clock == TClock::Red ? *red : *blue;
}

TBonusClock &TDrivenTicks::Bonus()
{
    return *bonus;
}

QObject *TDrivenTicks::Sender(TClock clock)
{
    return &senders.at(Slot(clock));
}

bool TDrivenTicks::RunNext(std::int64_t until)
{
    // A cycle's clock that is off keeps its wait but does not tick; one whose wait ran out while
    // it was off ticks as soon as it is on again.
    const auto dueOf = [this](std::size_t slot) {
        if (slot < 2 && !enabled.at(slot))
            return Never;
        return std::max(due.at(slot), now);
    };
    std::size_t next = 0;
    for (std::size_t slot = 1; slot < due.size(); ++slot)
        if (dueOf(slot) < dueOf(next))
            next = slot;
    if (dueOf(next) == Never || dueOf(next) > until) {
        now = std::max(now, until);
        return false;
    }
    now = dueOf(next);
    const auto clock = static_cast<TClock>(next);
    ticking = static_cast<int>(next);
    if (clock == TClock::Bonus) {
        // A window timer repeats from its last tick, unless the handler stopped or restarted it.
        due.at(next) = now + bonusInterval;
    } else {
        due.at(next) = Never;
    }
    // The next wait of a cycle counts from the return of its handler, at its interval then.
    const auto done = qScopeGuard([this, next] {
        ticking = -1;
        if (next < 2 && enabled.at(next) && due.at(next) == Never)
            due.at(next) = now + intervals.at(next);
    });
    if (onTick)
        onTick(clock, Sender(clock));
    return true;
}

void TDrivenTicks::Run(std::int64_t milliseconds)
{
    const std::int64_t until = now + milliseconds;
    while (RunNext(until)) {
    }
}
