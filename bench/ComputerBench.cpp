#include "bench/ComputerBench.h"

#include "bench/Clocks.h"
#include "bench/QuietGame.h"
#include "bench/ResultTable.h"
#include "bench/Samples.h"
#include "computer/TComputerPlayer.h"
#include "game/Rules.h"
#include "game/TDrivenTicks.h"
#include "game/TGame.h"
#include "game/TGameHost.h"
#include "platform/ErrorDisplay.h"
#include "platform/TMediaCommands.h"

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::int64_t Never = std::numeric_limits<std::int64_t>::max();
// A duel that nobody has lost after this long is a draw; alone, a round counts as survived.
constexpr std::int64_t DuelCapMs = 900'000;
constexpr std::int64_t AloneCapMs = 300'000;
constexpr std::int64_t SweepCapMs = 120'000;
// Against a sparring partner: a round nobody has lost by then is a draw.
constexpr std::int64_t PartnerCapMs = 300'000;
constexpr std::array<std::uint16_t, 4> SweepIntervals{1, 11, 51, 101};

const char *Name(TComputerLevel level)
{
    switch (level) {
    case TComputerLevel::Easy: return "Easy";
    case TComputerLevel::Normal: return "Normal";
    case TComputerLevel::Hard: return "Hard";
    }
    return "?";
}

using QuietGame::CrashWindowMs;
using QuietHost = QuietGame::Host;
using QuietGame::Silence;

// Durations in microseconds, counted rather than kept: millions of decisions would otherwise take
// hundreds of megabytes. Buckets of 0.1 us up to 1 ms, of 10 us beyond; mean and largest exact.
class Histogram
{
public:
    void Add(double us)
    {
        ++count;
        sum += us;
        largest = std::max(largest, us);
        ++buckets[Bucket(us)];
    }
    void Append(const Histogram &more)
    {
        count += more.count;
        sum += more.sum;
        largest = std::max(largest, more.largest);
        for (std::size_t i = 0; i < buckets.size(); ++i)
            buckets[i] += more.buckets[i];
    }
    std::uint64_t Count() const { return count; }
    double Mean() const { return count == 0 ? 0.0 : sum / static_cast<double>(count); }
    double Max() const { return largest; }
    // The upper edge of the bucket where at least `percent` per cent of the durations end.
    double Percentile(double percent) const
    {
        const double wanted = percent / 100.0 * static_cast<double>(count);
        std::uint64_t seen = 0;
        for (std::size_t i = 0; i < buckets.size(); ++i) {
            seen += buckets[i];
            if (count > 0 && static_cast<double>(seen) >= wanted)
                return std::min(Edge(i), largest);
        }
        return largest;
    }

private:
    static constexpr std::size_t Fine = 10'000;   // 0.1 us each, up to 1 ms
    static constexpr std::size_t Coarse = 10'000; // 10 us each, up to 101 ms
    static std::size_t Bucket(double us)
    {
        if (us < 1000.0)
            return static_cast<std::size_t>(std::max(us, 0.0) * 10.0);
        return std::min(Fine + static_cast<std::size_t>((us - 1000.0) / 10.0), Fine + Coarse - 1);
    }
    static double Edge(std::size_t bucket)
    {
        return bucket < Fine ? static_cast<double>(bucket + 1) / 10.0
                             : 1000.0 + static_cast<double>(bucket - Fine + 1) * 10.0;
    }

    std::vector<std::uint32_t> buckets = std::vector<std::uint32_t>(Fine + Coarse, 0);
    std::uint64_t count = 0;
    double sum = 0.0;
    double largest = 0.0;
};

// What the decisions cost, by the step interval they were made at: wall-clock time, and the
// processor time of the thread (which leaves out the time the machine gave to others).
//
// A decision during which the thread was switched out (the machine is shared: another process, or
// the kernel, took the processor) is counted as well, but also kept apart: the largest of the
// others is what the decision itself cost.
struct DecisionTimes
{
    std::map<std::uint16_t, Histogram> wall;
    std::map<std::uint16_t, Histogram> cpu;
    Histogram calmWall;
    Histogram calmCpu;
    std::uint64_t interrupted = 0;

    void Append(const DecisionTimes &more)
    {
        for (const auto &[interval, times] : more.wall)
            wall[interval].Append(times);
        for (const auto &[interval, times] : more.cpu)
            cpu[interval].Append(times);
        calmWall.Append(more.calmWall);
        calmCpu.Append(more.calmCpu);
        interrupted += more.interrupted;
    }
    static Histogram All(const std::map<std::uint16_t, Histogram> &series)
    {
        Histogram all;
        for (const auto &[interval, times] : series)
            all.Append(times);
        return all;
    }
};

// Times each decision of the pilot it holds. Given an interval, it also holds the cycle at that
// speed: the pilot's own speed keys are replaced by those that lead there.
class TimedPilot final : public TPilot
{
public:
    TimedPilot(std::unique_ptr<TPilot> held, DecisionTimes &record, std::uint16_t fixedInterval = 0)
        : pilot(std::move(held))
        , times(record)
        , fixed(fixedInterval)
    {
    }
    void NewRound() override { pilot->NewRound(); }
    TPilotActions Decide(const TFieldSurface &field, const TCycleSight &own, const TCycleSight &other) override
    {
        const long switchesBefore = Switches();
        const std::int64_t cpuStart = ThreadCpuNs();
        const Clock::time_point start = Clock::now();
        const TPilotActions actions = pilot->Decide(field, own, other);
        const Clock::time_point end = Clock::now();
        const std::int64_t cpuEnd = ThreadCpuNs();
        const double wallUs = std::chrono::duration<double, std::micro>(end - start).count();
        const double cpuUs = static_cast<double>(cpuEnd - cpuStart) / 1000.0;
        times.wall[own.interval].Add(wallUs);
        times.cpu[own.interval].Add(cpuUs);
        if (Switches() != switchesBefore) {
            ++times.interrupted;
        } else {
            times.calmWall.Add(wallUs);
            times.calmCpu.Add(cpuUs);
        }
        // A jump's speed keys belong to the jump (they lengthen it): those stay.
        if (fixed == 0 || std::find(actions.begin(), actions.end(), TPlayerAction::Jump) != actions.end())
            return actions;
        TPilotActions held;
        if (own.interval > fixed)
            held.Add(TPlayerAction::Faster);
        else if (own.interval < fixed)
            held.Add(TPlayerAction::Slower);
        for (TPlayerAction action : actions)
            if (action != TPlayerAction::Faster && action != TPlayerAction::Slower)
                held.Add(action);
        return held;
    }

private:
    // The times this thread was switched out, asked or not.
    static long Switches()
    {
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        return usage.ru_nvcsw + usage.ru_nivcsw;
    }

    std::unique_ptr<TPilot> pilot;
    DecisionTimes &times;
    std::uint16_t fixed;
};

// A game without a window in simulated time: its clocks deliver each tick when it falls due, as
// the real timers would have (see TDrivenTicks).
class SimulatedGame
{
public:
    struct RoundEnd
    {
        int loser = 0; // 1 red, 2 blue, 0: nobody by the cap
        double seconds = 0.0;
    };

    // A new game of its own seed, with its pilots (none: that cycle is the keys', and nobody
    // presses them).
    void StartGame(bool twoPlayers, std::uint32_t seed, std::unique_ptr<TPilot> red, std::unique_ptr<TPilot> blue)
    {
        TGameParts parts;
        parts.host = std::make_unique<QuietHost>(clock);
        parts.media = std::make_unique<Silence>();
        auto ticks = std::make_unique<TDrivenTicks>();
        clock = ticks.get();
        parts.ticks = std::move(ticks);
        parts.seed = seed;
        game = std::make_unique<TGame>(std::move(parts));
        game->setPilot(TPlayer::Red, std::move(red));
        game->setPilot(TPlayer::Blue, std::move(blue));
        game->Start(twoPlayers ? TGameMode::TwoPlayers : TGameMode::OnePlayer);
    }
    bool GameOver() const { return game->State() == TRoundState::GameOver; }

    // Plays until a crash or the cap; a round at the cap is ended as if red had crashed.
    RoundEnd PlayRound(std::int64_t capMs)
    {
        const std::int64_t start = clock->Now();
        const std::uint8_t red = game->redlives;
        const std::uint8_t blue = game->bluelives;
        while (clock->RunNext(start + capMs))
            if (game->redlives != red || game->bluelives != blue)
                return {game->redlives != red ? 1 : 2,
                        static_cast<double>(clock->Now() - CrashWindowMs - start) / 1000.0};
        // Red's cycle, steered by nobody for one tick, runs off the field.
        std::unique_ptr<TPilot> pilot = game->setPilot(TPlayer::Red, nullptr);
        game->redx = OffTheField;
        game->Tick(TClock::Red);
        if (pilot)
            pilot->NewRound();
        game->setPilot(TPlayer::Red, std::move(pilot));
        return {0, static_cast<double>(capMs) / 1000.0};
    }

private:
    static constexpr std::uint16_t OffTheField = 30000;
    std::unique_ptr<TGame> game;
    TDrivenTicks *clock = nullptr;
};

std::uint32_t Seed(int series, int game, int role)
{
    return 0x5A4E4458u ^ static_cast<std::uint32_t>(series * 7919 + game * 104729 + role * 15485863);
}

std::unique_ptr<TPilot> Timed(TComputerLevel level, std::uint32_t seed, DecisionTimes &times,
                              std::uint16_t fixedInterval = 0)
{
    return std::make_unique<TimedPilot>(std::make_unique<TComputerPlayer>(level, seed), times, fixedInterval);
}

struct Duel
{
    Duel(TComputerLevel a, TComputerLevel b, double share)
        : first(a)
        , second(b)
        , target(share)
    {
    }

    TComputerLevel first;
    TComputerLevel second;
    double target; // share of rounds the first is to win
    int firstWins = 0;
    int secondWins = 0;
    int draws = 0;
    Samples seconds;
};

// Rounds of two levels, the colours swapped from game to game (red starts heading up, blue down).
void Play(Duel &duel, int series, int rounds, DecisionTimes &times, std::int64_t capMs = DuelCapMs,
          std::uint16_t fixedInterval = 0)
{
    SimulatedGame game;
    int played = 0;
    for (int index = 0; played < rounds; ++index) {
        const bool swapped = index % 2 == 1;
        const int firstColour = swapped ? 2 : 1;
        std::unique_ptr<TPilot> first = Timed(duel.first, Seed(series, index, 1), times, fixedInterval);
        std::unique_ptr<TPilot> second = Timed(duel.second, Seed(series, index, 2), times, fixedInterval);
        if (swapped)
            std::swap(first, second);
        game.StartGame(true, Seed(series, index, 0), std::move(first), std::move(second));
        while (played < rounds && !game.GameOver()) {
            const SimulatedGame::RoundEnd end = game.PlayRound(capMs);
            ++played;
            duel.seconds.Add(end.seconds);
            if (end.loser == 0)
                ++duel.draws;
            else if (end.loser == firstColour)
                ++duel.secondWins;
            else
                ++duel.firstWins;
        }
    }
}

struct Alone
{
    Alone(TComputerLevel playing, double mean, double share)
        : level(playing)
        , targetSeconds(mean)
        , targetAtCap(share)
    {
    }

    TComputerLevel level;
    double targetSeconds;
    double targetAtCap; // share of rounds reaching the cap; 0: none
    Samples seconds;
    int atCap = 0;
};

void Play(Alone &alone, int series, int rounds, DecisionTimes &times)
{
    SimulatedGame game;
    int played = 0;
    for (int index = 0; played < rounds; ++index) {
        game.StartGame(false, Seed(series, index, 0), Timed(alone.level, Seed(series, index, 1), times), nullptr);
        while (played < rounds && !game.GameOver()) {
            const SimulatedGame::RoundEnd end = game.PlayRound(AloneCapMs);
            ++played;
            alone.seconds.Add(end.seconds);
            alone.atCap += end.loser == 0 ? 1 : 0;
        }
    }
}

const char *Verdict(bool met)
{
    return met ? "ok" : "MISSED";
}

// The heap one pilot holds, as the allocator counts it.
std::size_t PilotBytes()
{
    const std::size_t before = mallinfo2().uordblks;
    const auto pilot = std::make_unique<TComputerPlayer>(TComputerLevel::Hard, 1);
    return mallinfo2().uordblks - before;
}

void PrintTimes(const std::string &label, const Histogram &wall, const Histogram &cpu)
{
    std::printf("%-22s %9llu %7.1f %7.1f %7.1f %8.1f   %7.1f %7.1f %8.1f\n", label.c_str(),
                static_cast<unsigned long long>(wall.Count()), wall.Mean(), wall.Percentile(99.0),
                wall.Percentile(99.9), wall.Max(), cpu.Mean(), cpu.Percentile(99.0), cpu.Max());
}

void PrintTimes(const std::string &label, const DecisionTimes &times)
{
    PrintTimes(label, DecisionTimes::All(times.wall), DecisionTimes::All(times.cpu));
    std::printf("%-22s not switched out: max %.1f us wall clock, %.1f us processor time (%llu switched out)\n", "",
                times.calmWall.Max(), times.calmCpu.Max(), static_cast<unsigned long long>(times.interrupted));
}

constexpr std::array<TComputerLevel, 3> Levels{TComputerLevel::Easy, TComputerLevel::Normal, TComputerLevel::Hard};

// A level against a sparring partner, the level on one colour, the partner free or held at the
// start speed.
struct PartnerRow
{
    TComputerLevel level = TComputerLevel::Easy;
    TSparringPartner partner = TSparringPartner::Rusher;
    bool held = false;
    bool levelRed = true;
    int wins = 0; // the level's
    int losses = 0;
    int draws = 0;
    Samples seconds;

    int Rounds() const { return wins + losses + draws; }
    // Each row its own series of seeds, whatever else runs.
    int Series() const
    {
        return 101 + ((static_cast<int>(level) * 8 + static_cast<int>(partner)) * 2 + (held ? 1 : 0)) * 2
               + (levelRed ? 0 : 1);
    }
};

void Play(PartnerRow &row, int rounds, DecisionTimes &levelTimes, DecisionTimes &partnerTimes)
{
    SimulatedGame game;
    const int levelColour = row.levelRed ? 1 : 2;
    for (int index = 0; row.Rounds() < rounds; ++index) {
        const int series = row.Series();
        std::unique_ptr<TPilot> level = Timed(row.level, Seed(series, index, 1), levelTimes);
        std::unique_ptr<TPilot> partner =
            std::make_unique<TimedPilot>(MakeSparringPartner(row.partner, Seed(series, index, 2)), partnerTimes,
                                         row.held ? Rules::StartInterval : std::uint16_t{0});
        if (!row.levelRed)
            std::swap(level, partner);
        game.StartGame(true, Seed(series, index, 0), std::move(level), std::move(partner));
        while (row.Rounds() < rounds && !game.GameOver()) {
            const SimulatedGame::RoundEnd end = game.PlayRound(PartnerCapMs);
            row.seconds.Add(end.seconds);
            if (end.loser == 0)
                ++row.draws;
            else if (end.loser == levelColour)
                ++row.losses;
            else
                ++row.wins;
        }
    }
}

// A partner alone, to show it is a real opponent: it has to last.
struct PartnerAlone
{
    TSparringPartner partner = TSparringPartner::Rusher;
    Samples seconds;
    int atCap = 0;
};

void Play(PartnerAlone &alone, int rounds, DecisionTimes &times)
{
    SimulatedGame game;
    const int series = 91 + static_cast<int>(alone.partner);
    for (int index = 0; static_cast<int>(alone.seconds.Count()) < rounds; ++index) {
        game.StartGame(false, Seed(series, index, 0),
                       std::make_unique<TimedPilot>(MakeSparringPartner(alone.partner, Seed(series, index, 1)), times),
                       nullptr);
        while (static_cast<int>(alone.seconds.Count()) < rounds && !game.GameOver()) {
            const SimulatedGame::RoundEnd end = game.PlayRound(PartnerCapMs);
            alone.seconds.Add(end.seconds);
            alone.atCap += end.loser == 0 ? 1 : 0;
        }
    }
}

double Share(int part, int whole)
{
    return whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

const char *Speed(bool held)
{
    return held ? "held" : "free";
}

// What each level is to reach against every partner, free and held.
double TargetShare(TComputerLevel level)
{
    switch (level) {
    case TComputerLevel::Easy: return 0.0;
    case TComputerLevel::Normal: return 50.0;
    case TComputerLevel::Hard: return 75.0;
    }
    return 0.0;
}

void PrintPartnerTables(const std::vector<PartnerAlone> &alone, const std::vector<PartnerRow> &rows, double seconds)
{
    std::printf("\n%-16s %6s %8s %8s %8s %8s\n", "partner alone", "rounds", "mean s", "median", "min s", "at cap");
    for (const PartnerAlone &one : alone)
        std::printf("%-16s %6zu %8.1f %8.1f %8.1f %7.1f%%\n", std::string(Name(one.partner)).c_str(),
                    one.seconds.Count(), one.seconds.Mean(), one.seconds.Percentile(50.0), one.seconds.Percentile(0.0),
                    Share(one.atCap, static_cast<int>(one.seconds.Count())));

    std::printf("\nsparring partners (cap %lld s; held: the partner kept at %u ms), the level's results\n",
                static_cast<long long>(PartnerCapMs / 1000), static_cast<unsigned>(Rules::StartInterval));
    std::printf("%-7s %-10s %-5s %-6s %6s %7s %6s %8s\n", "level", "partner", "speed", "colour", "rounds", "win %",
                "draws", "mean s");
    for (const PartnerRow &row : rows)
        std::printf("%-7s %-10s %-5s %-6s %6d %6.1f%% %6d %8.1f\n", Name(row.level),
                    std::string(Name(row.partner)).c_str(), Speed(row.held), row.levelRed ? "red" : "blue",
                    row.Rounds(), Share(row.wins, row.Rounds()), row.draws, row.seconds.Mean());

    // Both colours together; the shares by level for the ordering below.
    struct Summary
    {
        int wins = 0;
        int rounds = 0;
        int draws = 0;
        Samples seconds;
    };
    std::map<std::tuple<TSparringPartner, bool, TComputerLevel>, Summary> summaries;
    for (const PartnerRow &row : rows) {
        Summary &summary = summaries[{row.partner, row.held, row.level}];
        summary.wins += row.wins;
        summary.rounds += row.Rounds();
        summary.draws += row.draws;
        summary.seconds.Append(row.seconds);
    }
    std::printf("\n%-7s %-10s %-5s %6s %7s %6s %8s  %s\n", "level", "partner", "speed", "rounds", "win %", "draws",
                "mean s", "target");
    for (const auto &[key, summary] : summaries) {
        const auto &[partner, held, level] = key;
        const double share = Share(summary.wins, summary.rounds);
        std::printf("%-7s %-10s %-5s %6d %6.1f%% %6d %8.1f  ", Name(level), std::string(Name(partner)).c_str(),
                    Speed(held), summary.rounds, share, summary.draws, summary.seconds.Mean());
        if (TargetShare(level) > 0.0)
            std::printf(">= %.0f%% %s\n", TargetShare(level), Verdict(share >= TargetShare(level)));
        else
            std::printf("-\n");
    }
    std::printf("\n");
    for (TSparringPartner partner : SparringPartners)
        for (bool held : {false, true}) {
            std::vector<double> shares;
            for (TComputerLevel level : Levels)
                if (const auto found = summaries.find({partner, held, level}); found != summaries.end())
                    shares.push_back(Share(found->second.wins, found->second.rounds));
            if (shares.empty())
                continue;
            std::printf("Easy < Normal < Hard against %s %s: ", std::string(Name(partner)).c_str(), Speed(held));
            if (shares.size() < Levels.size()) {
                std::printf("not every level played\n");
                continue;
            }
            std::printf("%.1f%% < %.1f%% < %.1f%% %s\n", shares.at(0), shares.at(1), shares.at(2),
                        Verdict(shares.at(0) < shares.at(1) && shares.at(1) < shares.at(2)));
        }
    std::printf("the partners' table took %.0f s of wall-clock time\n", seconds);
}

} // namespace

std::optional<TComputerLevel> ComputerLevelNamed(const char *name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    for (TComputerLevel level : Levels) {
        std::string known = Name(level);
        std::transform(known.begin(), known.end(), known.begin(),
                       [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        if (known == lower)
            return level;
    }
    return std::nullopt;
}

int RunComputerBench(int &argc, char **argv, const ComputerBenchOptions &options)
{
    const int rounds = options.rounds;
    const std::int64_t started = MonotonicNs();
    const std::string loadBefore = LoadAverages();
    TApplication application(argc, argv);
    TApplication::setApplicationName(QStringLiteral("Zandrix II"));

    std::array<DecisionTimes, 3> byLevel;
    const auto timesOf = [&](TComputerLevel level) -> DecisionTimes & {
        return byLevel[static_cast<std::size_t>(level)];
    };

    std::vector<Duel> duels{{TComputerLevel::Hard, TComputerLevel::Easy, 0.85},
                            {TComputerLevel::Normal, TComputerLevel::Easy, 0.70},
                            {TComputerLevel::Hard, TComputerLevel::Normal, 0.60}};
    std::vector<Alone> alone{
        {TComputerLevel::Easy, 30.0, 0.0}, {TComputerLevel::Normal, 120.0, 0.0}, {TComputerLevel::Hard, 0.0, 0.90}};
    DecisionTimes duelTimes;
    DecisionTimes sweepTimes;
    if (!options.partnersOnly) {
        for (std::size_t i = 0; i < duels.size(); ++i)
            Play(duels[i], static_cast<int>(i) + 1, rounds, duelTimes);
        for (std::size_t i = 0; i < alone.size(); ++i)
            Play(alone[i], static_cast<int>(i) + 11, rounds, timesOf(alone[i].level));
        // Every speed: Hard against Normal with both held at one interval.
        const int sweepRounds = std::max(2, rounds / 20);
        for (std::size_t i = 0; i < SweepIntervals.size(); ++i) {
            Duel duel{TComputerLevel::Hard, TComputerLevel::Normal, 0.0};
            Play(duel, static_cast<int>(i) + 21, sweepRounds, sweepTimes, SweepCapMs, SweepIntervals[i]);
        }
    }

    // Every level against every partner, free and held, as red and as blue.
    const std::int64_t partnersStarted = MonotonicNs();
    std::vector<PartnerRow> partnerRows;
    for (TComputerLevel level : Levels)
        for (TSparringPartner partner : SparringPartners)
            for (bool held : {false, true})
                for (bool levelRed : {true, false})
                    if ((!options.level || *options.level == level)
                        && (!options.partner || *options.partner == partner)) {
                        PartnerRow row;
                        row.level = level;
                        row.partner = partner;
                        row.held = held;
                        row.levelRed = levelRed;
                        partnerRows.push_back(row);
                    }
    DecisionTimes againstPartners;
    std::map<TSparringPartner, DecisionTimes> partnerTimes;
    std::vector<PartnerAlone> partnersAlone;
    for (TSparringPartner partner : SparringPartners)
        if (!options.partner || *options.partner == partner) {
            PartnerAlone one;
            one.partner = partner;
            Play(one, std::max(2, rounds / 10), partnerTimes[partner]);
            partnersAlone.push_back(one);
        }
    for (PartnerRow &row : partnerRows)
        Play(row, rounds, againstPartners, partnerTimes[row.partner]);
    const double partnerSeconds = static_cast<double>(MonotonicNs() - partnersStarted) / 1e9;
    const double elapsed = static_cast<double>(MonotonicNs() - started) / 1e9;

    std::printf("Zandrix II computer opponent: %s\n", MachineDescription().c_str());
    std::printf("%d rounds per pairing and level, simulated game time; load %s before, %s after\n", rounds,
                loadBefore.c_str(), LoadAverages().c_str());
    if (!options.partnersOnly) {
        std::printf("\n%-16s %6s %6s %6s %6s %8s %8s  %s\n", "duel", "rounds", "wins", "losses", "draws", "win %",
                    "mean s", "target");
        for (const Duel &duel : duels) {
            const double share = static_cast<double>(duel.firstWins)
                                 / static_cast<double>(std::max<std::size_t>(duel.seconds.Count(), 1));
            const std::string name = std::string(Name(duel.first)) + " vs " + Name(duel.second);
            std::printf("%-16s %6zu %6d %6d %6d %7.1f%% %8.1f  >= %.0f%% %s\n", name.c_str(), duel.seconds.Count(),
                        duel.firstWins, duel.secondWins, duel.draws, 100.0 * share, duel.seconds.Mean(),
                        100.0 * duel.target, Verdict(share >= duel.target));
        }
        std::printf("\n%-16s %6s %8s %8s %8s  %s\n", "alone (cap 300 s)", "rounds", "mean s", "median", "at cap",
                    "target");
        for (const Alone &one : alone) {
            const double share =
                static_cast<double>(one.atCap) / static_cast<double>(std::max<std::size_t>(one.seconds.Count(), 1));
            std::printf("%-17s %6zu %8.1f %8.1f %7.1f%%  ", Name(one.level), one.seconds.Count(), one.seconds.Mean(),
                        one.seconds.Percentile(50.0), 100.0 * share);
            if (one.targetAtCap > 0.0)
                std::printf(">= %.0f%% at the cap %s\n", 100.0 * one.targetAtCap, Verdict(share >= one.targetAtCap));
            else
                std::printf("mean >= %.0f s %s\n", one.targetSeconds, Verdict(one.seconds.Mean() >= one.targetSeconds));
        }
    }
    PrintPartnerTables(partnersAlone, partnerRows, partnerSeconds);

    std::printf("\ndecision time in us: wall clock around Decide, and the thread's processor time\n"
                "%-22s %9s %7s %7s %7s %8s   %7s %7s %8s\n",
                "", "decisions", "mean", "p99", "p99.9", "max", "cpu", "cpu.p99", "cpu.max");
    if (!options.partnersOnly) {
        DecisionTimes all;
        PrintTimes("duels", duelTimes);
        all.Append(duelTimes);
        for (TComputerLevel level : Levels) {
            PrintTimes(std::string(Name(level)) + " alone", timesOf(level));
            all.Append(timesOf(level));
        }
        for (std::uint16_t interval : SweepIntervals)
            PrintTimes("Hard-Normal at " + std::to_string(interval) + " ms", sweepTimes.wall[interval],
                       sweepTimes.cpu[interval]);
        all.Append(sweepTimes);
        const Histogram wall = DecisionTimes::All(all.wall);
        PrintTimes("all", all);
        std::printf("%-22s p99 <= 100 us and max <= 1 ms (wall clock): %s\n", "",
                    Verdict(wall.Percentile(99.0) <= 100.0 && wall.Max() <= 1000.0));
    }
    PrintTimes("levels vs partners", againstPartners);
    // The partners' own decisions, by their own clock: they are to cost well under a millisecond.
    for (const auto &[partner, times] : partnerTimes) {
        const std::string label = std::string(Name(partner)) + " (partner)";
        PrintTimes(label, times);
        const Histogram cpu = DecisionTimes::All(times.cpu);
        std::printf("%-22s mean <= 250 us and p99 <= 500 us (processor time): %s\n", "",
                    Verdict(cpu.Mean() <= 250.0 && cpu.Percentile(99.0) <= 500.0));
    }

    std::printf("\nmemory: %.0f KiB held by one pilot; peak resident %.1f MiB\n",
                static_cast<double>(PilotBytes()) / 1024.0, static_cast<double>(PeakResidentKiB()) / 1024.0);
    std::printf("bench took %.0f s of wall-clock time\n", elapsed);
    return 0;
}
