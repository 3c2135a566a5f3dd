#pragma once

#include "game/TTickSource.h"

#include <QObject>

#include <algorithm>
#include <array>
#include <limits>
#include <memory>

// Ticks in simulated time, for the tests, the bench and a playback: nothing ticks until the owner
// runs the clock, and then every tick falls due when the real timers would have delivered it: a
// cycle's next tick its interval after its last tick's handler returned (or after it was enabled),
// the bonus clock's its interval after it was started. A cycle's wait under way survives its clock
// being disabled and enabled again, as a threaded timer's does. Ticks due at the same millisecond
// come red, blue, bonus.
class TDrivenTicks : public TTickSource
{
public:
    static constexpr std::int64_t Never = std::numeric_limits<std::int64_t>::max();

    TDrivenTicks();
    ~TDrivenTicks() override;

    TMovementClock &Movement(TClock clock) override;
    TBonusClock &Bonus() override;
    std::int64_t Now() const override { return now; }
    QObject *Sender(TClock clock) override;

    // Delivers the next tick if one falls due by `until` and returns true; otherwise moves the
    // time on to `until` and returns false.
    bool RunNext(std::int64_t until);
    // Delivers every tick due within the next `milliseconds`.
    void Run(std::int64_t milliseconds);
    // Moves the time on without delivering anything, as while a blocking window is open (the
    // game stops its cycles' clocks for the crash window); a tick that falls due meanwhile comes
    // as soon as the clock runs again. Also from inside a tick.
    void Pass(std::int64_t milliseconds) { now += std::max<std::int64_t>(milliseconds, 0); }

private:
    class Cycle;
    class Window;
    friend class Cycle;
    friend class Window;

    std::int64_t now = 0;
    std::array<std::int64_t, 3> due{Never, Never, Never};
    std::array<QObject, 3> senders;
    std::array<std::uint16_t, 2> intervals{};
    std::array<bool, 2> enabled{};
    int bonusInterval = 1000;
    bool bonusActive = false;
    // The clock whose handler runs; its next wait is set when the handler has returned.
    int ticking = -1;
    std::unique_ptr<Cycle> red;
    std::unique_ptr<Cycle> blue;
    std::unique_ptr<Window> bonus;
};
