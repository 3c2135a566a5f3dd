#pragma once

#include "app/TProgram.h"
#include "bench/Samples.h"
#include "bench/Serpentine.h"
#include "bench/WakeProbe.h"
#include "game/TTimerTicks.h"

#include <QTimer>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

// What drives the two movement handlers: the game's own threaded timers, or a QTimer per cycle
// in one of its two modes (what a Qt game would use). A bare sleep drives nothing: it shows what
// the machine adds to any sleep.
enum class Driver { Threaded, QtPrecise, QtCoarse, BareSleep };
const char *DriverName(Driver driver);

// The series measured tick by tick, in microseconds.
struct TickSeries
{
    // A threaded timer's period is its sleep plus the handler's start after the sleep's end, plus
    // the handler's run (steering included) and the way back from the handler's end to the start
    // of the next sleep. How the start comes about: the worker means to wake `lead` before the
    // sleep's end, wakes `sleepLate` after that, and hands the tick over (`handOff`: worker wake-up
    // to handler start, including the GUI thread's active wait for the sleep's end). All but the
    // run only for the threaded timers.
    Samples period;
    Samples lead;
    Samples sleepLate;
    Samples start;
    Samples handOff;
    Samples run;
    Samples back;
    // The hand-offs split by where the handler ran: on the processor the worker woke on, or on
    // another one (which, if idle, had to be woken first).
    Samples handOffSameCpu;
    Samples handOffOtherCpu;

    // Adds the other series' samples to these.
    void Append(const TickSeries &more);
    // Empties every series and makes room for `ticks` samples in each.
    void Reset(std::size_t ticks);

private:
    // Every series above, to do the same to each.
    static const std::array<Samples TickSeries::*, 9> &All();
};

// The figures of one driver at one step interval, over one measured span; the series of both
// cycles pooled.
struct RowResult : TickSeries
{
    Driver driver = Driver::Threaded;
    std::uint16_t interval = 0;
    double seconds = 0.0;
    std::size_t ticks = 0;
    // Over the span, in microseconds.
    double guiCpu = 0.0;
    double processCpu = 0.0;
    // Time stolen by the hypervisor from either processor during the span, in milliseconds.
    double stolenMs = 0.0;
    // Times a cycle had to be put back on an empty field (0 unless the steering failed).
    int rescues = 0;

    // Adds another span of the same driver and interval.
    void Merge(const RowResult &more);
};

// Plays a two-player game in the real game and main window and measures every movement tick. Both cycles
// are steered along serpentines through the game's own key handler, so the real tick handlers
// run, trails, side panel and all, without ever crashing.
class TimingBench
{
public:
    TimingBench();
    ~TimingBench();
    TimingBench(const TimingBench &) = delete;
    TimingBench &operator=(const TimingBench &) = delete;

    // Drives both cycles for the warm-up (not measured), then measures for the span.
    RowResult Measure(Driver driver, std::uint16_t interval, std::chrono::milliseconds warmUp,
                      std::chrono::milliseconds span);

    TForm1 &Form() { return form; }
    TGame &Game() { return game; }
    // Drives the red cycle alone (the blue one stands): shows what the two cycles' ticks cost
    // each other.
    void SetRedOnly(bool on) { redOnly = on; }

private:
    struct Lane
    {
        Lane(Serpentine path, std::uint16_t &x, std::uint16_t &y, std::uint8_t &heading, QChar leftKey, QChar rightKey,
             TThreadedTimer &timer, TClock clock, WakeProbe &probe);

        Serpentine path;
        std::uint16_t &x;
        std::uint16_t &y;
        std::uint8_t &heading;
        QChar leftKey;
        QChar rightKey;
        TThreadedTimer &timer;
        TClock clock;
        WakeProbe &probe;
        QTimer qtTimer;
        std::int64_t lastStart = 0;
        std::int64_t lastEnd = 0;
        std::size_t ticks = 0;
        TickSeries series;
    };

    void Tick(Lane &lane);
    void Steer(Lane &lane);
    void PlaceCycles();
    void Start(Driver driver, std::uint16_t interval);
    void StopAll();

    // Declared before the game: a probe must outlive the timer it watches.
    std::array<WakeProbe, 2> probes;
    TProgram program;
    TGame &game = program.game;
    TTimerTicks &ticks = static_cast<TTimerTicks &>(game.Ticks());
    TForm1 &form = program.Form1;
    Lane red;
    Lane blue;
    std::array<Lane *, 2> lanes{&red, &blue};
    Driver current = Driver::Threaded;
    bool recording = false;
    bool redOnly = false;
    int rescues = 0;
};

// Runs the GUI thread's event loop for a while.
void RunEvents(std::chrono::milliseconds duration);
