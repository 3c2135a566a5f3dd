#include "bench/TimingBench.h"

#include "bench/Clocks.h"
#include "game/Headings.h"

#include <QEventLoop>

#include <sched.h>

#include <cstdlib>

namespace {

// Each cycle has half the field to itself, well clear of the edges; a band holds some 79 000
// steps, far more than one measured span needs.
constexpr Serpentine::Band RedBand{4, 598, 4, 270};
constexpr Serpentine::Band BlueBand{4, 598, 282, 548};

// Bindings of our own, so that no settings file can leave a cycle without its steering keys.
constexpr char RedLeft = 'q';
constexpr char RedRight = 'w';
constexpr char BlueLeft = 'o';
constexpr char BlueRight = 'p';

double Microseconds(std::int64_t nanoseconds)
{
    return static_cast<double>(nanoseconds) / 1000.0;
}

} // namespace

const char *DriverName(Driver driver)
{
    switch (driver) {
    case Driver::Threaded: return "TThreadedTimer";
    case Driver::QtPrecise: return "QTimer precise";
    case Driver::QtCoarse: return "QTimer coarse";
    case Driver::BareSleep: return "bare sleep";
    }
    return "?";
}

TimingBench::Lane::Lane(Serpentine steering, std::uint16_t &headX, std::uint16_t &headY, std::uint8_t &dir, QChar left,
                        QChar right, TThreadedTimer &movement, TClock tick, WakeProbe &watch)
    : path(steering)
    , x(headX)
    , y(headY)
    , heading(dir)
    , leftKey(left)
    , rightKey(right)
    , timer(movement)
    , clock(tick)
    , probe(watch)
{
}

const std::array<Samples TickSeries::*, 9> &TickSeries::All()
{
    static constexpr std::array<Samples TickSeries::*, 9> all{
        &TickSeries::period, &TickSeries::lead,           &TickSeries::sleepLate,
        &TickSeries::start,  &TickSeries::handOff,        &TickSeries::run,
        &TickSeries::back,   &TickSeries::handOffSameCpu, &TickSeries::handOffOtherCpu};
    return all;
}

void TickSeries::Append(const TickSeries &more)
{
    for (Samples TickSeries::*series : All())
        (this->*series).Append(more.*series);
}

void TickSeries::Reset(std::size_t ticks)
{
    for (Samples TickSeries::*series : All()) {
        (this->*series).Clear();
        (this->*series).Reserve(ticks);
    }
}

void RowResult::Merge(const RowResult &more)
{
    seconds += more.seconds;
    ticks += more.ticks;
    Append(more);
    guiCpu += more.guiCpu;
    stolenMs += more.stolenMs;
    processCpu += more.processCpu;
    rescues += more.rescues;
}

void RunEvents(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

TimingBench::TimingBench()
    : program(1)
    , red(Serpentine(RedBand), game.redx, game.redy, game.reddir, QLatin1Char(RedLeft), QLatin1Char(RedRight),
          ticks.hiresTimer1, TClock::Red, probes[0])
    , blue(Serpentine(BlueBand), game.bluex, game.bluey, game.bluedir, QLatin1Char(BlueLeft), QLatin1Char(BlueRight),
           ticks.hiresTimer2, TClock::Blue, probes[1])
{
    form.show();
    form.activateWindow();
    RunEvents(std::chrono::milliseconds(100));

    game.Start(TGameMode::TwoPlayers);
    // No bonuses: a label would land on the serpentines, and collecting one restarts this timer.
    ticks.Timer1.stop();
    game.leftkeya = QString(QLatin1Char(RedLeft));
    game.rightkeya = QString(QLatin1Char(RedRight));
    game.leftkeyb = QString(QLatin1Char(BlueLeft));
    game.rightkeyb = QString(QLatin1Char(BlueRight));
    for (QString *unused : {&game.fasta, &game.slowa, &game.jumpa, &game.fastb, &game.slowb, &game.jumpb})
        unused->clear();

    for (Lane *lane : lanes) {
        lane->timer.setEnabled(false);
        lane->timer.TimerThread().setProbe(&lane->probe);
        lane->timer.setOnTimer([this, lane](TThreadedTimer *) { Tick(*lane); });
        QObject::connect(&lane->qtTimer, &QTimer::timeout, &form, [this, lane] { Tick(*lane); });
    }
}

TimingBench::~TimingBench()
{
    StopAll();
}

RowResult TimingBench::Measure(Driver driver, std::uint16_t interval, std::chrono::milliseconds warmUp,
                               std::chrono::milliseconds span)
{
    game.playfield.clearfield();
    PlaceCycles();
    RunEvents(std::chrono::milliseconds(50));

    current = driver;
    rescues = 0;
    const auto expectedTicks = static_cast<std::size_t>(span.count() / interval + 16);
    for (Lane *lane : lanes) {
        lane->lastStart = 0;
        lane->lastEnd = 0;
        lane->ticks = 0;
        lane->series.Reset(expectedTicks);
    }

    Start(driver, interval);
    RunEvents(warmUp);

    recording = true;
    const double stolen0 = StolenMs();
    const std::int64_t wall0 = MonotonicNs();
    const std::int64_t gui0 = ThreadCpuNs();
    const std::int64_t process0 = ProcessCpuNs();
    RunEvents(span);
    const std::int64_t wall1 = MonotonicNs();
    const double stolen1 = StolenMs();
    const std::int64_t gui1 = ThreadCpuNs();
    const std::int64_t process1 = ProcessCpuNs();
    recording = false;

    StopAll();
    // A tick already handed over is dropped when it arrives; let it arrive here.
    RunEvents(std::chrono::milliseconds(20));

    RowResult row;
    row.driver = driver;
    row.interval = interval;
    row.seconds = static_cast<double>(wall1 - wall0) / 1e9;
    row.stolenMs = stolen1 - stolen0;
    row.guiCpu = Microseconds(gui1 - gui0);
    row.processCpu = Microseconds(process1 - process0);
    row.rescues = rescues;
    for (const Lane *lane : lanes) {
        row.ticks += lane->ticks;
        row.Append(lane->series);
    }
    return row;
}

void TimingBench::Tick(Lane &lane)
{
    const std::int64_t start = MonotonicNs();
    if (recording) {
        ++lane.ticks;
        if (lane.lastStart != 0)
            lane.series.period.Add(Microseconds(start - lane.lastStart));
        if (current == Driver::Threaded) {
            const std::int64_t woke = lane.probe.WokeNs();
            const std::int64_t deadline = lane.probe.DeadlineNs();
            const std::int64_t wakeAt = lane.probe.WakeAtNs();
            lane.series.lead.Add(Microseconds(deadline - wakeAt));
            lane.series.sleepLate.Add(Microseconds(woke - wakeAt));
            lane.series.start.Add(Microseconds(start - deadline));
            lane.series.handOff.Add(Microseconds(start - woke));
            (sched_getcpu() == lane.probe.WokeOn() ? lane.series.handOffSameCpu : lane.series.handOffOtherCpu)
                .Add(Microseconds(start - woke));
            if (lane.lastEnd != 0)
                lane.series.back.Add(Microseconds(lane.probe.FromNs() - lane.lastEnd));
        }
    }
    lane.lastStart = start;
    Steer(lane);
    game.Tick(lane.clock);
    lane.lastEnd = MonotonicNs();
    if (recording)
        lane.series.run.Add(Microseconds(lane.lastEnd - start));
}

void TimingBench::Steer(Lane &lane)
{
    if (lane.path.UsedUp(lane.y)) {
        game.playfield.clearfield();
        PlaceCycles();
    }
    const int turns = lane.path.TurnsBefore(lane.x, lane.y, lane.heading);
    for (int i = 0; i < std::abs(turns); ++i) {
        QChar key = turns > 0 ? lane.leftKey : lane.rightKey;
        game.Type(key);
    }

    // Should the path ever lead into a wall, the crash window would stop the measurement: start
    // afresh instead, and say so in the results.
    std::uint16_t x = lane.x;
    std::uint16_t y = lane.y;
    Advance(x, y, lane.heading, 1);
    const std::uint32_t ahead = game.GetPixel(x, y);
    if (ahead != FieldColour::Black && ahead != FieldColour::Yellow) {
        ++rescues;
        game.playfield.clearfield();
        PlaceCycles();
    }
}

void TimingBench::PlaceCycles()
{
    for (Lane *lane : lanes)
        lane->path.Place(lane->x, lane->y, lane->heading);
}

void TimingBench::Start(Driver driver, std::uint16_t interval)
{
    for (Lane *lane : lanes) {
        if (redOnly && lane == &blue)
            continue;
        // The handlers score by their timer's interval, whichever driver calls them.
        lane->timer.setInterval(interval);
        switch (driver) {
        case Driver::Threaded: lane->timer.setEnabled(true); break;
        case Driver::QtPrecise:
        case Driver::QtCoarse:
            lane->qtTimer.setTimerType(driver == Driver::QtPrecise ? Qt::PreciseTimer : Qt::CoarseTimer);
            lane->qtTimer.start(interval);
            break;
        case Driver::BareSleep: break;
        }
    }
}

void TimingBench::StopAll()
{
    for (Lane *lane : lanes) {
        lane->timer.setEnabled(false);
        lane->qtTimer.stop();
    }
}
