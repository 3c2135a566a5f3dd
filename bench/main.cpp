// Measures the game's timing: both movement handlers driven by the game's threaded timers and,
// for comparison, by QTimers; start-up to the first frame; peak memory. Prints one table.
//
//   zandrix2-bench [--seconds S] [--rounds N] [--quick] [--intervals 1,11,51,101]
//                  [--drivers threaded,precise,coarse,bare] [--starts N] [--x11 | --platform NAME]
//                  [--glib | --no-glib] [--no-repaint] [--one-cycle]
//   zandrix2-bench --gamepad [--quick]     the game controllers' rows instead (GamepadBench.h)
//   zandrix2-bench --gif [--quick]         exporting a round as GIF instead (GifBench.h)
//   zandrix2-bench --replay [--games N]    the replays' rows instead (ReplayBench.h), N games (200)
//   zandrix2-bench --computer [--rounds N] [--partners] [--level easy|normal|hard]
//                  [--partner rusher|territory|hugger]
//   zandrix2-bench --network [--rounds N]  the network game's rows instead (NetworkBench.h), N
//                                          rounds of its soak (200); run it inside
//                                          tests/support/in-netns.sh
//
// Offscreen unless --x11 (the display in $DISPLAY) or --platform is given. --computer plays the
// computer opponent's tournament instead (N rounds per pairing and colour, 200 by default; see
// ComputerBench.h). --partners plays only the table against the sparring partners, --level and
// --partner narrow that table to one level or one partner, for a quick look:
//   zandrix2-bench --computer --partners --level hard --rounds 40

#include "bench/Clocks.h"
#include "bench/ComputerBench.h"
#include "bench/FirstFrame.h"
#include "bench/GamepadBench.h"
#include "bench/GifBench.h"
#include "bench/NetworkBench.h"
#include "bench/ReplayBench.h"
#include "bench/ResultTable.h"
#include "bench/SleepFloor.h"
#include "bench/TimingBench.h"
#include "platform/ErrorDisplay.h"

#include <QAbstractEventDispatcher>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Options
{
    double seconds = 3.0;
    double warmUp = 0.3;
    std::vector<std::uint16_t> intervals{1, 11, 51, 101};
    std::vector<Driver> drivers{Driver::Threaded, Driver::QtPrecise, Driver::QtCoarse, Driver::BareSleep};
    // Each row's time is split into this many spans, taken in turn with the other rows', so that
    // a burst of load elsewhere on the machine spreads over all rows instead of spoiling one.
    int rounds = 3;
    bool roundsGiven = false;
    // The computer opponent's tournament instead of the timing rows; --rounds is then the number
    // of rounds per pairing.
    bool computer = false;
    ComputerBenchOptions computerOptions;
    int starts = 5;
    // For finding what painting costs: the window paints nothing while the rows run.
    bool noRepaint = false;
    // For finding what the two cycles cost each other: only the red one runs.
    bool oneCycle = false;
    bool firstFrame = false;
    bool gamepad = false;
    // Exporting a round as GIF instead.
    bool gif = false;
    // The replays' rows instead: recorded games played back and verified.
    bool replay = false;
    ReplayBenchOptions replayOptions;
    // The network game's rows instead: a soak over the lag proxy, latency, stream, idle host.
    bool network = false;
    bool quick = false;
    bool platformGiven = false;
    bool x11 = false;
    // Empty: whatever the environment and the program choose.
    std::string glib;
    // Handed on to the first-frame children.
    std::vector<std::string> childArguments;
};

std::vector<std::string> Split(const char *list)
{
    std::vector<std::string> parts;
    std::istringstream stream(list);
    for (std::string part; std::getline(stream, part, ',');)
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

[[noreturn]] void Usage(const char *problem)
{
    std::fprintf(stderr,
                 "zandrix2-bench: %s\nusage: zandrix2-bench [--seconds S] [--rounds N] [--quick]\n"
                 "       [--intervals 1,11,51,101] [--drivers threaded,precise,coarse,bare] [--starts N]\n"
                 "       [--x11 | --platform NAME] [--glib | --no-glib] [--no-repaint] [--one-cycle]\n"
                 "       zandrix2-bench --computer [--rounds N] [--partners] [--level easy|normal|hard]\n"
                 "                      [--partner rusher|territory|hugger]\n"
                 "       zandrix2-bench --replay [--games N]\n"
                 "       zandrix2-bench --network [--rounds N]\n"
                 "  --computer: the computer opponent's tournament, N rounds per pairing and colour (200)\n"
                 "  --partners: only its table against the sparring partners; --level, --partner: only\n"
                 "              that level or partner in that table\n"
                 "  --replay: N recorded computer games verified and played back (200), file sizes, seeks\n"
                 "  --network: N rounds over the network through a lag proxy (200), latency, stream, idle\n"
                 "             host; real sockets on loopback, so run it in a network namespace of its own\n",
                 problem);
    std::exit(2);
}

// Reads the bench's own arguments; Qt's (-platform and the like) are left to Qt.
Options Parse(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto value = [&]() -> const char * {
            if (i + 1 >= argc)
                Usage(("missing value after " + argument).c_str());
            return argv[++i];
        };
        if (argument == "--seconds") {
            options.seconds = std::atof(value());
            if (!(options.seconds > 0.0))
                Usage("--seconds wants a positive number");
        } else if (argument == "--quick") {
            options.seconds = 0.25;
            options.warmUp = 0.05;
            options.starts = 1;
            options.rounds = 1;
            options.quick = true;
        } else if (argument == "--intervals") {
            options.intervals.clear();
            for (const std::string &part : Split(value())) {
                const long interval = std::atol(part.c_str());
                if (interval < 1 || interval > 65535)
                    Usage("intervals are 1..65535 ms");
                options.intervals.push_back(static_cast<std::uint16_t>(interval));
            }
        } else if (argument == "--drivers") {
            options.drivers.clear();
            for (const std::string &part : Split(value())) {
                if (part == "threaded")
                    options.drivers.push_back(Driver::Threaded);
                else if (part == "precise")
                    options.drivers.push_back(Driver::QtPrecise);
                else if (part == "coarse")
                    options.drivers.push_back(Driver::QtCoarse);
                else if (part == "bare")
                    options.drivers.push_back(Driver::BareSleep);
                else
                    Usage("drivers are threaded, precise, coarse and bare");
            }
        } else if (argument == "--rounds") {
            options.rounds = std::atoi(value());
            options.roundsGiven = true;
            if (options.rounds < 1)
                Usage("--rounds wants 1 or more");
        } else if (argument == "--computer") {
            options.computer = true;
        } else if (argument == "--partners") {
            options.computerOptions.partnersOnly = true;
        } else if (argument == "--level") {
            options.computerOptions.level = ComputerLevelNamed(value());
            if (!options.computerOptions.level)
                Usage("levels are easy, normal and hard");
        } else if (argument == "--partner") {
            options.computerOptions.partner = SparringPartnerNamed(value());
            if (!options.computerOptions.partner)
                Usage("partners are rusher, territory and hugger");
        } else if (argument == "--starts") {
            options.starts = std::atoi(value());
        } else if (argument == "--replay") {
            options.replay = true;
        } else if (argument == "--network") {
            options.network = true;
        } else if (argument == "--games") {
            options.replayOptions.games = std::atoi(value());
            if (options.replayOptions.games < 1)
                Usage("--games wants 1 or more");
        } else if (argument == "--gamepad") {
            options.gamepad = true;
        } else if (argument == "--gif") {
            options.gif = true;
        } else if (argument == "--first-frame") {
            options.firstFrame = true;
        } else if (argument == "--one-cycle") {
            options.oneCycle = true;
        } else if (argument == "--no-repaint") {
            options.noRepaint = true;
        } else if (argument == "--x11") {
            options.x11 = true;
        } else if (argument == "--glib" || argument == "--no-glib") {
            options.glib = argument;
            options.childArguments.push_back(argument);
        } else if (argument == "-platform" || argument == "--platform") {
            options.platformGiven = true;
            options.childArguments.push_back(argument);
            options.childArguments.push_back(value());
        }
    }
    if (options.x11 && !options.platformGiven) {
        if (std::getenv("DISPLAY") == nullptr)
            Usage("--x11 needs DISPLAY");
        options.childArguments.push_back("-platform");
        options.childArguments.push_back("xcb");
    }
    return options;
}

// The platform and the event dispatcher are chosen when the application object is made.
void PrepareEnvironment(const Options &options, int &argc, char **argv)
{
    if (options.x11)
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    else if (!options.platformGiven)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (options.glib == "--glib")
        unsetenv("QT_NO_GLIB");
    else if (options.glib == "--no-glib")
        setenv("QT_NO_GLIB", "1", 1);
    // Qt understands "-platform" only; "--platform" becomes that.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--platform") == 0)
            argv[i] = argv[i] + 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::int64_t mainStart = MonotonicNs();
    const Options options = Parse(argc, argv);
    PrepareEnvironment(options, argc, argv);
    if (options.firstFrame)
        return RunFirstFrameChild(argc, argv, mainStart);
    if (options.gamepad)
        return RunGamepadBench(argc, argv, options.quick);
    if (options.gif)
        return RunGifBench(argc, argv, options.quick);
    if (options.replay)
        return RunReplayBench(argc, argv, options.replayOptions);
    if (options.network) {
        NetworkBenchOptions network;
        network.rounds = options.roundsGiven ? options.rounds : 200;
        return RunNetworkBench(argc, argv, network);
    }
    if (options.computer) {
        ComputerBenchOptions computer = options.computerOptions;
        computer.rounds = options.roundsGiven ? options.rounds : 200;
        return RunComputerBench(argc, argv, computer);
    }

    RunConditions conditions;
    conditions.secondsPerRow = options.seconds;
    conditions.rounds = options.rounds;
    if (options.oneCycle)
        conditions.variant += "only the red cycle runs; ";
    if (options.noRepaint)
        conditions.variant += "the window paints nothing; ";
    conditions.loadBefore = LoadAverages();

    // Start-up first, while this process holds no window of its own yet.
    std::vector<std::string> childArguments{"--first-frame"};
    childArguments.insert(childArguments.end(), options.childArguments.begin(), options.childArguments.end());
    const StartupResult startup = MeasureStartup(options.starts, childArguments);

    std::vector<RowResult> rows;
    {
        TApplication application(argc, argv);
        TApplication::setApplicationName(QStringLiteral("Zandrix II"));
        conditions.platform = QGuiApplication::platformName().toStdString();
        conditions.dispatcher = QAbstractEventDispatcher::instance()->metaObject()->className();

        TimingBench bench;
        if (options.noRepaint)
            bench.Form().setUpdatesEnabled(false);
        bench.SetRedOnly(options.oneCycle);
        const auto span = std::chrono::milliseconds(static_cast<long>(options.seconds * 1000.0 / options.rounds));
        const auto warmUp = std::chrono::milliseconds(static_cast<long>(options.warmUp * 1000.0));
        for (int round = 0; round < options.rounds; ++round) {
            std::size_t row = 0;
            for (std::uint16_t interval : options.intervals) {
                for (Driver driver : options.drivers) {
                    const RowResult result = driver == Driver::BareSleep
                                                 ? MeasureBareSleep(interval, span)
                                                 : bench.Measure(driver, interval, warmUp, span);
                    if (round == 0)
                        rows.push_back(result);
                    else
                        rows[row].Merge(result);
                    ++row;
                }
            }
        }
    }
    conditions.loadAfter = LoadAverages();
    conditions.peakKiB = PeakResidentKiB();
    PrintTable(conditions, rows, startup);
    return 0;
}
