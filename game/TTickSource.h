#pragma once

#include <cstdint>
#include <functional>

class QObject;

// The game's three clocks: one per cycle and the bonus clock.
enum class TClock : std::uint8_t { Red, Blue, Bonus };

// A cycle's movement clock, as a threaded timer behaves: it ticks every Interval milliseconds
// while enabled. Disabling and enabling it again leaves a wait under way as it was: a new interval
// applies from the next wait.
class TMovementClock
{
public:
    virtual ~TMovementClock() = default;
    virtual bool Enabled() const = 0;
    virtual void setEnabled(bool on) = 0;
    virtual std::uint16_t Interval() const = 0;
    virtual void setInterval(std::uint16_t milliseconds) = 0;
};

// The bonus clock, as a window timer behaves: start() begins a new wait of interval()
// milliseconds (also when one is under way); it ticks until stopped.
class TBonusClock
{
public:
    virtual ~TBonusClock() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual int interval() const = 0;
    virtual void setInterval(int milliseconds) = 0;
};

// Where the game's ticks come from: the real timers in the program, a clock that a test, the
// bench or a playback drives anywhere else. Each tick goes to onTick with the clock it comes from
// and the object that names it as the handlers' Sender.
class TTickSource
{
public:
    virtual ~TTickSource() = default;
    virtual TMovementClock &Movement(TClock clock) = 0;
    virtual TBonusClock &Bonus() = 0;
    // Milliseconds on this source's own time line (only differences count).
    virtual std::int64_t Now() const = 0;
    // The object a tick of this clock names as its Sender.
    virtual QObject *Sender(TClock clock) = 0;

    std::function<void(TClock clock, QObject *Sender)> onTick;
};
