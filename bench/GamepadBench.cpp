#include "bench/GamepadBench.h"

#include "app/TProgram.h"
#include "game/TDrivenTicks.h"

#include "bench/Clocks.h"
#include "bench/ResultTable.h"
#include "bench/Samples.h"
#include "bench/TimingBench.h"
#include "components/TRCADigital.h"
#include "input/TDeviceWatch.h"
#include "input/TGamepadHub.h"
#include "platform/ErrorDisplay.h"

#include <QTemporaryDir>

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using std::chrono::milliseconds;

std::int64_t RusageCpuNs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ns = [](const timeval &t) {
        return std::int64_t{t.tv_sec} * 1'000'000'000 + std::int64_t{t.tv_usec} * 1000;
    };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

// A virtual controller with a FIFO for its device node.
class BenchPad
{
public:
    BenchPad(TGamepadHub &gamepads, const QString &node)
        : hub(gamepads)
    {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Bench Pad";
        joystick = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
        instance = SDL_JoystickInstanceID(joystick);
        mkfifo(node.toLocal8Bit().constData(), 0600);
        watch = std::make_unique<TDeviceWatch>(node, [this] {
            hub.Pump();
            pumps.fetch_add(1);
        });
        writer = ::open(node.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        hub.Pump();
    }
    ~BenchPad()
    {
        ::close(writer);
        watch.reset();
        SDL_JoystickClose(joystick);
        for (int index = 0; index < SDL_NumJoysticks(); ++index)
            if (SDL_JoystickGetDeviceInstanceID(index) == instance)
                SDL_JoystickDetachVirtual(index);
        hub.Pump();
    }
    BenchPad(const BenchPad &) = delete;
    BenchPad &operator=(const BenchPad &) = delete;

    // From the presser thread: SDL locks its joysticks in each call.
    void Set(SDL_GameControllerButton button, bool down)
    {
        SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(writer, &byte, 1);
    }
    // Waits until the GUI thread has pumped once more since `seen` pumps, at most `ns`. SDL only
    // sees a virtual button's state when pumped: a release and the next press between two pumps
    // would be no press at all (a real controller reports both).
    void WaitForPump(int seen, std::int64_t ns) const
    {
        const std::int64_t giveUp = MonotonicNs() + ns;
        while (pumps.load() <= seen && MonotonicNs() < giveUp)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    int Pumps() const { return pumps.load(); }

private:
    TGamepadHub &hub;
    SDL_Joystick *joystick = nullptr;
    SDL_JoystickID instance = -1;
    std::unique_ptr<TDeviceWatch> watch;
    int writer = -1;
    std::atomic<int> pumps{0};
};

// Presses one button of the pad again and again from a thread of its own, a few milliseconds
// apart (seeded), and times each press to the end of the action on the GUI thread.
class Presser
{
public:
    Presser(TGamepadHub &hub, BenchPad &benchPad, SDL_GameControllerButton pressed, int presses)
        : pad(benchPad)
        , button(pressed)
        , count(presses)
    {
        // Connected after the window's TGamepads, so this runs once Act has returned.
        connection = QObject::connect(&hub, &TGamepadHub::pressed, &hub, [this](std::uint8_t, TPadControl control) {
            const std::int64_t sent = pressedAt.exchange(0);
            if (control == button && sent != 0) {
                latencies.Add(static_cast<double>(MonotonicNs() - sent) / 1000.0);
                done.store(true);
            }
        });
    }
    ~Presser()
    {
        if (thread.joinable())
            thread.join();
        QObject::disconnect(connection);
    }

    void Start()
    {
        thread = std::thread([this] {
            std::mt19937 random(20240611);
            std::uniform_int_distribution<int> pause(2000, 6000);
            for (int i = 0; i < count; ++i) {
                std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
                done.store(false);
                pressedAt.store(MonotonicNs());
                pad.Set(button, true);
                const std::int64_t giveUp = MonotonicNs() + 100'000'000;
                while (!done.load() && MonotonicNs() < giveUp)
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                if (!done.load())
                    ++lost;
                pressedAt.store(0);
                std::this_thread::sleep_for(milliseconds(1));
                const int seen = pad.Pumps();
                pad.Set(button, false);
                pad.WaitForPump(seen, 100'000'000);
            }
            finished.store(true);
        });
    }
    bool Finished() const { return finished.load(); }
    const Samples &Latencies() const { return latencies; }
    int Lost() const { return lost; }

private:
    BenchPad &pad;
    SDL_GameControllerButton button;
    int count;
    QMetaObject::Connection connection;
    std::thread thread;
    std::atomic<std::int64_t> pressedAt{0};
    std::atomic<bool> done{false};
    std::atomic<bool> finished{false};
    // Only the GUI thread adds; read after the thread has been joined.
    Samples latencies;
    int lost = 0;
};

struct LatencyRow
{
    std::string what;
    Samples samples;
    int lost = 0;
    // Processor time the hypervisor took from the machine meanwhile.
    double stolenMs = 0.0;
};

struct CpuRow
{
    std::string what;
    double seconds = 0.0;
    double percent = 0.0;
};

// The whole process's processor time over `span` of the GUI thread's event loop, as a share of
// one core.
CpuRow MeasureCpu(const std::string &what, milliseconds span)
{
    RunEvents(milliseconds(200));
    const std::int64_t wall0 = MonotonicNs();
    const std::int64_t cpu0 = RusageCpuNs();
    RunEvents(span);
    const std::int64_t cpu1 = RusageCpuNs();
    const std::int64_t wall1 = MonotonicNs();
    return {what, static_cast<double>(wall1 - wall0) / 1e9,
            100.0 * static_cast<double>(cpu1 - cpu0) / static_cast<double>(wall1 - wall0)};
}

LatencyRow MeasureLatency(const std::string &what, TGamepadHub &hub, BenchPad &pad, int presses,
                          const std::function<void()> &runWhilePressing)
{
    const double stolen0 = StolenMs();
    Presser presser(hub, pad, SDL_CONTROLLER_BUTTON_A, presses);
    presser.Start();
    runWhilePressing();
    while (!presser.Finished())
        RunEvents(milliseconds(20));
    RunEvents(milliseconds(20));
    LatencyRow row{what, {}, 0, StolenMs() - stolen0};
    row.samples = presser.Latencies();
    row.lost = presser.Lost();
    return row;
}

// The machine's floor: the same wake-up of the GUI thread through a FIFO and TDeviceWatch, with
// nothing behind it (no SDL, no game).
LatencyRow MeasureWakeFloor(const QString &node, int presses)
{
    mkfifo(node.toLocal8Bit().constData(), 0600);
    std::atomic<std::int64_t> sent{0};
    std::atomic<bool> finished{false};
    Samples samples;
    TDeviceWatch watch(node, [&] {
        if (const std::int64_t at = sent.exchange(0); at != 0)
            samples.Add(static_cast<double>(MonotonicNs() - at) / 1000.0);
    });
    const int writer = ::open(node.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    const double stolen0 = StolenMs();
    int lost = 0;
    std::thread thread([&] {
        std::mt19937 random(20240611);
        std::uniform_int_distribution<int> pause(3000, 7000);
        for (int i = 0; i < presses; ++i) {
            std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
            sent.store(MonotonicNs());
            const char byte = 1;
            [[maybe_unused]] const ssize_t written = ::write(writer, &byte, 1);
            const std::int64_t giveUp = MonotonicNs() + 100'000'000;
            while (sent.load() != 0 && MonotonicNs() < giveUp)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            if (sent.exchange(0) != 0)
                ++lost;
        }
        finished.store(true);
    });
    while (!finished.load())
        RunEvents(milliseconds(20));
    thread.join();
    ::close(writer);
    LatencyRow row{"floor: the FIFO's wake-up alone (no SDL, no game)", {}, lost, StolenMs() - stolen0};
    row.samples = samples;
    return row;
}

// An idle game and its window, as between games; with the cycles' ticks held, if asked.
class IdleWindow
{
public:
    explicit IdleWindow(bool held = false)
        : program(1, held ? std::make_unique<TDrivenTicks>() : nullptr)
    {
        form.show();
        RunEvents(milliseconds(100));
    }
    TProgram program;
    TGame &game = program.game;
    TForm1 &form = program.Form1;
};

} // namespace

int RunGamepadBench(int argc, char **argv, bool quick)
{
    // A settings file of its own, so that the buttons are the ones a controller comes with.
    QTemporaryDir configHome;
    setenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit().constData(), 1);
    TApplication application(argc, argv);
    TApplication::setApplicationName(QStringLiteral("Zandrix II"));

    const milliseconds cpuSpan(quick ? 500 : 10'000);
    const int presses = quick ? 40 : 2000;
    const std::string loadBefore = LoadAverages();
    std::vector<CpuRow> cpuRows;
    std::vector<LatencyRow> latencyRows;
    const std::shared_ptr<TGamepadHub> hub = TGamepadHub::Shared();

    {
        IdleWindow idle;
        cpuRows.push_back(MeasureCpu("no controller", cpuSpan));
    }
    {
        IdleWindow idle;
        BenchPad first(*hub, configHome.filePath(QStringLiteral("pad1")));
        BenchPad second(*hub, configHome.filePath(QStringLiteral("pad2")));
        cpuRows.push_back(MeasureCpu("two idle controllers", cpuSpan));

        // What SDL's own waiting would cost: without its video subsystem SDL_WaitEventTimeout
        // looks for events every millisecond.
        std::atomic<bool> stop{false};
        std::thread waiter([&stop] {
            SDL_Event event;
            while (!stop.load())
                SDL_WaitEventTimeout(&event, 100);
        });
        cpuRows.push_back(MeasureCpu("two idle controllers + a thread in SDL_WaitEventTimeout (not used)", cpuSpan));
        stop.store(true);
        waiter.join();
    }
    latencyRows.push_back(MeasureWakeFloor(configHome.filePath(QStringLiteral("floor")), presses));
    {
        IdleWindow window(true);
        window.form.N2Players1Click(window.form.N2Players1);
        BenchPad pad(*hub, configHome.filePath(QStringLiteral("pad3")));
        // Jumps without jets: the action runs in full and moves nothing.
        window.game.Display(TDisplay::RedJets).setValue(0);
        latencyRows.push_back(MeasureLatency("round under way, cycles held", *hub, pad, presses, [] {}));
    }
    {
        TimingBench game;
        BenchPad pad(*hub, configHome.filePath(QStringLiteral("pad4")));
        game.Game().Display(TDisplay::RedJets).setValue(0);
        const milliseconds span(presses * 8);
        latencyRows.push_back(MeasureLatency("both cycles running (51 ms, threaded timers)", *hub, pad, presses,
                                             [&] { game.Measure(Driver::Threaded, 51, milliseconds(0), span); }));
    }

    std::printf("Game controllers: SDL %d.%d.%d, %s\n", SDL_MAJOR_VERSION, SDL_MINOR_VERSION, SDL_PATCHLEVEL,
                hub->Started() ? "game-controller subsystem running" : "SDL did not start");
    std::printf("machine: %s\nload before: %s, after: %s\n\n", MachineDescription().c_str(), loadBefore.c_str(),
                LoadAverages().c_str());
    std::printf("%-50s %5s %8s %8s %8s %8s %5s %7s\n", "press to action (microseconds)", "n", "mean", "p50", "p99",
                "max", "lost", "steal");
    for (const LatencyRow &row : latencyRows)
        std::printf("%-50s %5zu %8.1f %8.1f %8.1f %8.1f %5d %5.0fms\n", row.what.c_str(), row.samples.Count(),
                    row.samples.Mean(), row.samples.Percentile(50.0), row.samples.Percentile(99.0), row.samples.Max(),
                    row.lost, row.stolenMs);
    std::printf("\n%-72s %8s %8s\n", "CPU of the whole process, idle window", "seconds", "% core");
    for (const CpuRow &row : cpuRows)
        std::printf("%-72s %8.1f %8.3f\n", row.what.c_str(), row.seconds, row.percent);
    return 0;
}
