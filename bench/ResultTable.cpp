#include "bench/ResultTable.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include <sys/utsname.h>

namespace {

// The targets the game is held to.
constexpr double MeanSlackUs = 100.0;
constexpr double P99SlackUs = 500.0;
constexpr double MinTicksPerSecondAt1 = 1800.0;
constexpr double MaxGuiCoreAt1 = 15.0;
constexpr double MaxFirstFrameMs = 300.0;
constexpr double MaxPeakMiB = 60.0;

std::string Missed(const RowResult &row)
{
    if (row.driver == Driver::BareSleep)
        return "(floor)";
    const double nominal = row.interval * 1000.0;
    std::string missed;
    const auto add = [&](const char *what) {
        if (!missed.empty())
            missed += ',';
        missed += what;
    };
    if (row.period.Empty() || row.period.Mean() > nominal + MeanSlackUs)
        add("mean");
    if (row.period.Empty() || row.period.Percentile(99) > nominal + P99SlackUs)
        add("p99");
    if (row.interval == 1) {
        if (static_cast<double>(row.ticks) / row.seconds < MinTicksPerSecondAt1)
            add("rate");
        if (row.guiCpu / (row.seconds * 1e6) * 100.0 >= MaxGuiCoreAt1)
            add("cpu");
    }
    return missed.empty() ? "ok" : "MISS " + missed;
}

std::string Micro(const Samples &samples, bool mean)
{
    if (samples.Empty())
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", mean ? samples.Mean() : samples.Percentile(99));
    return text;
}

} // namespace

std::string MachineDescription()
{
    std::string model = "unknown CPU";
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    }
    utsname name{};
    uname(&name);
    std::ostringstream text;
    text << std::thread::hardware_concurrency() << " x " << model << ", Linux " << name.release;
    return text.str();
}

std::string LoadAverages()
{
    std::ifstream loadavg("/proc/loadavg");
    double one = 0;
    double five = 0;
    double fifteen = 0;
    loadavg >> one >> five >> fifteen;
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", one, five, fifteen);
    return text;
}

void PrintTable(const RunConditions &conditions, const std::vector<RowResult> &rows, const StartupResult &startup)
{
    std::printf("Zandrix II timing: %s\n", MachineDescription().c_str());
    std::printf("platform %s, dispatcher %s, %.1f s per row in %d round(s), load %s before, %s after\n",
                conditions.platform.c_str(), conditions.dispatcher.c_str(), conditions.secondsPerRow, conditions.rounds,
                conditions.loadBefore.c_str(), conditions.loadAfter.c_str());
    if (!conditions.variant.empty())
        std::printf("VARIANT, not the game as it is: %s\n", conditions.variant.c_str());
    std::printf("period in ms, the rest in us (means unless p99). A threaded period is its sleep + start (the\n"
                "handler's start after the sleep's end) + run (the handler) + back (handler end to the next\n"
                "sleep's start). The worker means to wake `lead` before the sleep's end, wakes `late` after\n"
                "that, and hands the tick over: hand (worker wake-up to handler start, the GUI thread's\n"
                "active wait for the sleep's end included). h.same/h.other: hand-offs whose handler ran on\n"
                "the worker's processor or on another, and x%%: the share of the latter.\n"
                "GUI: CPU time of the GUI thread per tick and its share of one core. steal: processor\n"
                "time in ms that the hypervisor withheld from this machine during the row (both processors).\n\n");
    std::printf("%-15s %4s %8s %8s %8s %5s %5s %5s %5s %7s %6s %7s %3s %4s %4s %7s %5s %5s  %s\n", "driver", "step",
                "ticks/s", "per.mean", "per.p99", "start", "lead", "late", "hand", "hand.99", "h.same", "h.other", "x%",
                "run", "back", "GUI us", "GUI%", "steal", "targets");
    for (const RowResult &row : rows) {
        const double ticksPerSecond = static_cast<double>(row.ticks) / row.seconds;
        const bool gui = row.driver != Driver::BareSleep;
        char perTick[16] = "-";
        char guiShare[16] = "-";
        if (gui && row.ticks != 0) {
            std::snprintf(perTick, sizeof perTick, "%.1f", row.guiCpu / static_cast<double>(row.ticks));
            std::snprintf(guiShare, sizeof guiShare, "%.1f", row.guiCpu / (row.seconds * 1e6) * 100.0);
        }
        char otherShare[8] = "-";
        if (!row.handOff.Empty())
            std::snprintf(otherShare, sizeof otherShare, "%.0f",
                          100.0 * static_cast<double>(row.handOffOtherCpu.Count())
                              / static_cast<double>(row.handOff.Count()));
        std::printf("%-15s %4u %8.1f %8.3f %8.3f %5s %5s %5s %5s %7s %6s %7s %3s %4s %4s %7s %5s %5.0f  %s",
                    DriverName(row.driver), static_cast<unsigned>(row.interval), ticksPerSecond,
                    row.period.Mean() / 1000.0, row.period.Percentile(99) / 1000.0, Micro(row.start, true).c_str(),
                    Micro(row.lead, true).c_str(), Micro(row.sleepLate, true).c_str(), Micro(row.handOff, true).c_str(),
                    Micro(row.handOff, false).c_str(), Micro(row.handOffSameCpu, true).c_str(),
                    Micro(row.handOffOtherCpu, true).c_str(), otherShare, Micro(row.run, true).c_str(),
                    Micro(row.back, true).c_str(), perTick, guiShare, row.stolenMs, Missed(row).c_str());
        if (row.rescues != 0)
            std::printf(" (%d rescues)", row.rescues);
        std::printf("\n");
    }

    std::printf("\n");
    if (!startup.error.empty()) {
        std::printf("first frame: not measured (%s)\n", startup.error.c_str());
    } else if (startup.fromExec.Empty()) {
        std::printf("first frame: not measured (no starts asked for)\n");
    } else {
        const double median = startup.fromExec.Percentile(50);
        std::printf("first frame after exec: median %.1f ms, max %.1f ms (%zu starts); after main(): median "
                    "%.1f ms  %s\n",
                    median, startup.fromExec.Max(), startup.fromExec.Count(), startup.fromMain.Percentile(50),
                    startup.fromExec.Max() <= MaxFirstFrameMs ? "ok" : "MISS");
    }
    const double peakMiB = static_cast<double>(conditions.peakKiB) / 1024.0;
    const double childMiB = static_cast<double>(startup.peakKiB) / 1024.0;
    const double worst = std::max(peakMiB, childMiB);
    std::printf("peak memory: %.1f MiB after all rows", peakMiB);
    if (childMiB > 0.0)
        std::printf(", %.1f MiB in a fresh start up to its first frame", childMiB);
    std::printf("  %s\n", worst < MaxPeakMiB ? "ok" : "MISS");
    std::fflush(stdout);
}
