#include "bench/ReplayBench.h"

#include "bench/Clocks.h"
#include "bench/QuietGame.h"
#include "bench/ResultTable.h"
#include "bench/Samples.h"
#include "computer/TComputerPlayer.h"
#include "game/Headings.h"
#include "game/Rules.h"
#include "game/TDrivenTicks.h"
#include "game/TFieldSurface.h"
#include "game/TGame.h"
#include "game/TGameHost.h"
#include "game/TGameMirror.h"
#include "platform/ErrorDisplay.h"
#include "platform/Failure.h"
#include "platform/TMediaCommands.h"
#include "replay/TReplay.h"
#include "replay/TReplayPlayback.h"
#include "replay/TReplayRecorder.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

// A round nobody has lost by then is ended by red's crash, so that every game ends.
constexpr std::int64_t RoundCapMs = 120'000;
constexpr std::uint16_t StartSpeedMs = 51;
constexpr std::uint16_t TopSpeedMs = 1;
constexpr std::int64_t TenMinutesMs = 600'000;
// The games played again unrecorded, for what recording costs.
constexpr int ComparedGames = 20;

using QuietGame::Silence;

// A computer pilot held at one step interval: its own speed keys give way to those that lead there
// (a jump keeps its own, they lengthen it).
class HeldPilot final : public TPilot
{
public:
    HeldPilot(std::unique_ptr<TPilot> held, std::uint16_t fixedInterval)
        : pilot(std::move(held))
        , fixed(fixedInterval)
    {
    }
    void NewRound() override { pilot->NewRound(); }
    TPilotActions Decide(const TFieldSurface &field, const TCycleSight &own, const TCycleSight &other) override
    {
        const TPilotActions actions = pilot->Decide(field, own, other);
        if (std::find(actions.begin(), actions.end(), TPlayerAction::Jump) != actions.end())
            return actions;
        TPilotActions kept;
        if (own.interval > fixed)
            kept.Add(TPlayerAction::Faster);
        else if (own.interval < fixed)
            kept.Add(TPlayerAction::Slower);
        for (TPlayerAction action : actions)
            if (action != TPlayerAction::Faster && action != TPlayerAction::Slower)
                kept.Add(action);
        return kept;
    }

private:
    std::unique_ptr<TPilot> pilot;
    std::uint16_t fixed;
};

constexpr std::array<std::array<TComputerLevel, 2>, 3> Pairings{{{TComputerLevel::Normal, TComputerLevel::Easy},
                                                                 {TComputerLevel::Hard, TComputerLevel::Normal},
                                                                 {TComputerLevel::Hard, TComputerLevel::Hard}}};

std::uint32_t Seed(int series, int game, int role)
{
    return 0x5245504Cu ^ static_cast<std::uint32_t>(series * 7919 + game * 104729 + role * 15485863);
}

// What one game cost and left behind.
struct PlayedGame
{
    QString file;
    std::size_t events = 0;
    std::size_t ticks = 0;
    // Wall-clock time of all ticks, and of the stamps around the recorder's slot at each event
    // (around nothing when the game is not recorded), in nanoseconds.
    double tickNs = 0.0;
    Samples slotNs;
    // The slot at the game's end, where the recorder keeps the file.
    double keepNs = 0.0;
};

// Plays a seeded game of two computer pilots to its end in simulated time, its stream recorded
// into `folder` (or not at all, for comparison). Each tick and the recorder's slot are timed.
PlayedGame Play(int series, int index, std::uint16_t held, const QString &folder, bool record)
{
    PlayedGame played;
    TDrivenTicks *clock = nullptr;
    TGameParts parts;
    parts.host = std::make_unique<QuietGame::Host>(clock);
    parts.media = std::make_unique<Silence>();
    auto ticks = std::make_unique<TDrivenTicks>();
    clock = ticks.get();
    parts.ticks = std::move(ticks);
    parts.seed = Seed(series, index, 0);
    TGame game(std::move(parts));
    const auto &pairing = Pairings.at(static_cast<std::size_t>(index) % Pairings.size());
    for (std::size_t side = 0; side < 2; ++side) {
        std::unique_ptr<TPilot> pilot =
            std::make_unique<TComputerPlayer>(pairing.at(side), Seed(series, index, static_cast<int>(side) + 1));
        if (held != 0)
            pilot = std::make_unique<HeldPilot>(std::move(pilot), held);
        game.setPilot(side == 0 ? TPlayer::Red : TPlayer::Blue, std::move(pilot));
    }

    // Slots run in the order they were connected: the recorder's between the two stamps.
    std::int64_t stamp = 0;
    QObject::connect(&game, &TGame::happened, &game, [&](const TGameEvent &) { stamp = MonotonicNs(); });
    std::optional<TReplayRecorder> recorder;
    if (record)
        recorder.emplace(game, folder);
    QObject::connect(&game, &TGame::happened, &game, [&](const TGameEvent &event) {
        const auto ns = static_cast<double>(MonotonicNs() - stamp);
        ++played.events;
        if (event.kind == TGameEvent::Kind::State && event.state == TRoundState::GameOver)
            played.keepNs += ns;
        else
            played.slotNs.Add(ns);
    });

    game.Start(TGameMode::TwoPlayers);
    while (game.State() != TRoundState::GameOver) {
        const std::int64_t start = clock->Now();
        const std::uint8_t red = game.redlives;
        const std::uint8_t blue = game.bluelives;
        bool crashed = false;
        while (!crashed) {
            const std::int64_t before = MonotonicNs();
            const bool ticked = clock->RunNext(start + RoundCapMs);
            played.tickNs += static_cast<double>(MonotonicNs() - before);
            if (!ticked)
                break;
            ++played.ticks;
            crashed = game.redlives != red || game.bluelives != blue;
        }
        if (!crashed) {
            // Red's cycle, steered by nobody for one tick, runs off the field.
            std::unique_ptr<TPilot> pilot = game.setPilot(TPlayer::Red, nullptr);
            game.redx = 30000;
            game.Tick(TClock::Red);
            game.setPilot(TPlayer::Red, std::move(pilot));
        }
    }
    if (recorder)
        played.file = recorder->LastFile();
    return played;
}

// The checksum the game told at the round's end; none if it did not end.
std::optional<std::uint64_t> ToldChecksum(const TReplayRound &round)
{
    for (const TGameEvent &event : round.events)
        if (event.kind == TGameEvent::Kind::RoundEnd)
            return event.checksum;
    return std::nullopt;
}

// What a kept game shows when played through: whether every round's field at its end has the
// checksum told, and the minutes of play (the rounds' lengths).
struct Checked
{
    bool equal = false;
    double minutes = 0.0;
    int rounds = 0;
};

Checked Check(const QString &file)
{
    Checked checked;
    auto replay = std::make_shared<const TReplay>(TReplay::Read(file));
    checked.equal = replay->VerifyChecksums() == 0 && !replay->rounds.empty();
    TReplayPlayback playback(replay);
    checked.rounds = playback.RoundCount();
    for (int round = 0; round < playback.RoundCount(); ++round) {
        playback.GoToRound(round);
        playback.ToEnd();
        const std::optional<std::uint64_t> told = ToldChecksum(replay->rounds.at(static_cast<std::size_t>(round)));
        checked.equal = checked.equal && told && *told == playback.Mirror().playfield.field.Checksum();
        checked.minutes += static_cast<double>(playback.RoundLength()) / 60'000.0;
    }
    return checked;
}

// A game nobody could play: one round of ten minutes with both cycles at 1 ms per pixel, some 1.2
// million steps, each followed by its score's display as in the game. Red winds to and fro along
// the rows of the upper half of the field, blue along the lower half, turning down (or up) at each
// row's end, over their own trails once the half is full; a bonus comes every 7 s and goes 3 s
// later. The round ends in red's crash, told as the game tells it, with the field's checksum.
TReplay TopSpeedGame(std::int64_t lengthMs)
{
    using Kind = TGameEvent::Kind;
    TReplay replay;
    replay.mode = TGameMode::TwoPlayers;
    replay.started = QDateTime(QDate(2026, 12, 10), QTime(3, 0));
    replay.rounds.emplace_back();
    std::vector<TGameEvent> &events = replay.rounds.back().events;
    events.reserve(static_cast<std::size_t>(lengthMs) * 4 + static_cast<std::size_t>(lengthMs / 250) + 100);
    TGameMirror mirror;
    const auto tell = [&](TGameEvent event) {
        if (event.kind == Kind::RoundEnd)
            event.checksum = mirror.playfield.field.Checksum();
        mirror.Apply(event);
        events.push_back(std::move(event));
    };

    struct Lane
    {
        TPlayer player;
        TCycleState cycle;
        int top;
        int bottom;
        int rowStep; // +1 down the rows, -1 up
        std::uint8_t across;
    };
    std::array<Lane, 2> lanes{
        {{TPlayer::Red, {.x = 10, .y = 10, .dir = 7, .interval = 1, .lives = 3}, 10, 270, 1, 7},
         {TPlayer::Blue, {.x = 592, .y = 292, .dir = 3, .interval = 1, .lives = 3}, 292, 545, 1, 3}}};
    const QString bonusText = QStringLiteral("500");
    const TLabelMask bonusMask = TFieldLabel::TextMask(bonusText);

    tell({.kind = Kind::FieldCleared});
    tell({.kind = Kind::RoundStart, .mode = TGameMode::TwoPlayers});
    for (const Lane &lane : lanes)
        tell({.kind = Kind::Cycle, .player = lane.player, .cycle = lane.cycle});
    tell({.kind = Kind::State, .state = TRoundState::Running});
    for (std::int64_t ms = 1; ms <= lengthMs; ++ms) {
        for (Lane &lane : lanes) {
            TCycleState &cycle = lane.cycle;
            const bool acrossRow = cycle.dir == 3 || cycle.dir == 7;
            std::uint8_t dir = cycle.dir;
            if (!acrossRow) {
                lane.across = lane.across == 7 ? 3 : 7;
                dir = lane.across;
            } else if ((cycle.dir == 7 && cycle.x >= 592) || (cycle.dir == 3 && cycle.x <= 10)) {
                if ((lane.rowStep > 0 && cycle.y >= lane.bottom) || (lane.rowStep < 0 && cycle.y <= lane.top))
                    lane.rowStep = -lane.rowStep;
                dir = lane.rowStep > 0 ? 5 : 1;
            }
            if (dir != cycle.dir) {
                cycle.dir = dir;
                tell({.time = ms, .kind = Kind::Heading, .player = lane.player, .cycle = cycle});
            }
            Advance(cycle.x, cycle.y, cycle.dir, 1);
            cycle.score += Rules::StepPoints(cycle.interval);
            tell({.time = ms, .kind = Kind::Step, .player = lane.player, .cycle = cycle});
            // As in the game, the score's display follows every step.
            tell({.time = ms,
                  .kind = Kind::Panel,
                  .display = lane.player == TPlayer::Red ? TDisplay::RedScore : TDisplay::BlueScore,
                  .value = cycle.score,
                  .visible = true});
        }
        if (ms % 7000 == 0)
            tell({.time = ms,
                  .kind = Kind::BonusShown,
                  .x = 300,
                  .y = 274,
                  .bonus = 3,
                  .text = bonusText,
                  .mask = bonusMask});
        if (ms % 7000 == 3000)
            tell({.time = ms, .kind = Kind::BonusErased, .x = 300, .y = 274});
    }
    TCycleState &red = lanes[0].cycle;
    Advance(red.x, red.y, red.dir, 1);
    const std::int64_t crash = lengthMs + 1;
    tell({.time = crash, .kind = Kind::Crash, .player = TPlayer::Red, .cycle = red});
    tell({.time = crash, .kind = Kind::BonusErased, .x = 300, .y = 274});
    tell({.time = crash, .kind = Kind::State, .state = TRoundState::Crashed});
    tell({.time = crash, .kind = Kind::RoundEnd});
    red.lives = 2;
    tell({.time = crash, .kind = Kind::Lives, .player = TPlayer::Red, .cycle = red});
    tell({.time = crash, .kind = Kind::CrashShown, .text = QStringLiteral("Player 1 crashed! 2 Cycles left...")});
    return replay;
}

double Ms(std::int64_t ns)
{
    return static_cast<double>(ns) / 1e6;
}

// Durations of one kind of move, in milliseconds: wall clock, and the processor time of the thread
// (which leaves out the time the machine gave to others).
struct MoveTimes
{
    Samples wall;
    Samples cpu;

    template <typename Move> void Time(Move move)
    {
        const std::int64_t cpuStart = ThreadCpuNs();
        const std::int64_t start = MonotonicNs();
        move();
        const std::int64_t end = MonotonicNs();
        cpu.Add(Ms(ThreadCpuNs() - cpuStart));
        wall.Add(Ms(end - start));
    }
    void Print(const std::string &label) const
    {
        std::printf("  %-30s %8.3f %8.3f %8.3f %8.3f   %8.3f %8.3f %8.3f\n", label.c_str(), wall.Percentile(50.0),
                    wall.Percentile(99.0), wall.Max(), wall.Mean(), cpu.Percentile(50.0), cpu.Percentile(99.0),
                    cpu.Max());
    }
};

// The files of seeded games held at one interval: their size and the minutes of play in them.
struct FileSizes
{
    double bytes = 0.0;
    double minutes = 0.0;
    int rounds = 0;
    int failures = 0;

    double PerMinute() const { return minutes > 0.0 ? bytes / minutes : 0.0; }
};

FileSizes Sizes(int series, int count, std::uint16_t held, const QString &folder)
{
    FileSizes sizes;
    for (int index = 0; index < count; ++index) {
        const PlayedGame played = Play(series, index, held, folder, true);
        try {
            const Checked checked = Check(played.file);
            sizes.failures += checked.equal ? 0 : 1;
            sizes.bytes += static_cast<double>(QFileInfo(played.file).size());
            sizes.minutes += checked.minutes;
            sizes.rounds += checked.rounds;
        } catch (const std::exception &) {
            ++sizes.failures;
        }
    }
    return sizes;
}

} // namespace

int RunReplayBench(int &argc, char **argv, const ReplayBenchOptions &options)
{
    const std::int64_t started = MonotonicNs();
    const std::string loadBefore = LoadAverages();
    TApplication application(argc, argv);
    TApplication::setApplicationName(QStringLiteral("Zandrix II"));
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "zandrix2-bench: no temporary folder for the replays\n");
        return 2;
    }

    // The games, each recorded as it is played, read back from its file and played through.
    int equal = 0;
    int rounds = 0;
    double minutes = 0.0;
    double bytes = 0.0;
    std::vector<PlayedGame> recorded;
    QStringList problems;
    for (int index = 0; index < options.games; ++index) {
        PlayedGame played = Play(1, index, 0, folder.path(), true);
        try {
            if (played.file.isEmpty())
                throw Failure("the recorder kept no file");
            const Checked checked = Check(played.file);
            equal += checked.equal ? 1 : 0;
            rounds += checked.rounds;
            minutes += checked.minutes;
            bytes += static_cast<double>(QFileInfo(played.file).size());
            if (!checked.equal)
                problems << QStringLiteral("game %1: a checksum differs").arg(index);
        } catch (const std::exception &failure) {
            problems << QStringLiteral("game %1: %2").arg(index).arg(QString::fromUtf8(failure.what()));
        }
        // Only the games compared below keep their timings.
        if (index >= ComparedGames)
            played.slotNs.Clear();
        recorded.push_back(played);
    }

    // The same games again, up to 20, unrecorded: what the stamps and the ticks cost alone.
    const int compared = std::min(options.games, ComparedGames);
    PlayedGame with;
    PlayedGame without;
    Samples keepMs;
    for (int index = 0; index < compared; ++index) {
        const PlayedGame alone = Play(1, index, 0, folder.path(), false);
        const PlayedGame &kept = recorded.at(static_cast<std::size_t>(index));
        for (auto [sum, one] : {std::pair{&with, &kept}, std::pair{&without, &alone}}) {
            sum->events += one->events;
            sum->ticks += one->ticks;
            sum->tickNs += one->tickNs;
            sum->slotNs.Append(one->slotNs);
        }
        keepMs.Add(kept.keepNs / 1e6);
    }
    recorded.clear();

    // Held at the start speed and at the top speed.
    const int sizeGames = std::max(2, std::min(options.games, 10));
    const FileSizes atStart = Sizes(2, sizeGames, StartSpeedMs, folder.path());
    const FileSizes atTop = Sizes(3, sizeGames, TopSpeedMs, folder.path());
    const int sizeFailures = atStart.failures + atTop.failures;

    // Seeking in ten minutes at the top speed, made up (no pair of cycles lasts that long).
    std::size_t topEvents = 0;
    QByteArray topFile;
    MoveTimes encode;
    {
        const TReplay made = TopSpeedGame(TenMinutesMs);
        topEvents = made.EventCount();
        encode.Time([&] { topFile = made.Encode(); });
    }
    MoveTimes decode;
    std::shared_ptr<const TReplay> topGame;
    decode.Time([&] { topGame = std::make_shared<const TReplay>(TReplay::Decode(topFile)); });
    MoveTimes open;
    std::optional<TReplayPlayback> opened;
    open.Time([&] { opened.emplace(topGame); });
    TReplayPlayback &playback = *opened;
    std::mt19937_64 draw(20261210);
    MoveTimes seek;
    MoveTimes back;
    MoveTimes forward;
    for (int i = 0; i < options.seeks; ++i) {
        const auto target = static_cast<std::int64_t>(draw() % static_cast<std::uint64_t>(playback.RoundLength() + 1));
        seek.Time([&] { playback.SeekTo(target); });
        back.Time([&] { playback.StepBack(); });
        forward.Time([&] { playback.StepForward(); });
    }
    playback.ToEnd();
    const bool topEqual = playback.Mirror().checksumMismatches == 0 && playback.Mirror().roundEnds == 1
                          && ToldChecksum(topGame->rounds.front()) == playback.Mirror().playfield.field.Checksum();

    std::printf("Zandrix II replays: %s\n", MachineDescription().c_str());
    std::printf("simulated game time; load %s before, %s after\n\n", loadBefore.c_str(), LoadAverages().c_str());
    std::printf("computer against computer, recorded, kept, read back, verified, played to every round's end\n");
    std::printf("  %d of %d with every checksum equal (%d rounds, %.1f minutes of play, %.0f bytes a minute)\n", equal,
                options.games, rounds, minutes, minutes > 0.0 ? bytes / minutes : 0.0);
    for (const QString &problem : problems)
        std::printf("  %s\n", qPrintable(problem));

    const double events = static_cast<double>(std::max<std::size_t>(with.events, 1));
    const double ticks = static_cast<double>(std::max<std::size_t>(with.ticks, 1));
    // The stamps alone cost what they cost without the recorder between them.
    const double slotMean = with.slotNs.Mean() - without.slotNs.Mean();
    std::printf("\nrecording, over the first %d games again unrecorded (%zu events, %zu ticks), wall clock in ns\n",
                compared, with.events, with.ticks);
    std::printf("  %-40s %8s %8s %8s\n", "", "mean", "p50", "p99");
    std::printf("  %-40s %8.0f %8.0f %8.0f\n", "the recorder's slot per event", slotMean,
                with.slotNs.Percentile(50.0) - without.slotNs.Percentile(50.0),
                with.slotNs.Percentile(99.0) - without.slotNs.Percentile(99.0));
    std::printf("  %-40s %8.0f\n", "the recorder's slot per tick", slotMean * events / ticks);
    std::printf("  %-40s %8.0f\n", "a tick with recording, all of it", with.tickNs / ticks);
    std::printf("  %-40s %8.0f\n", "a tick without recording",
                without.tickNs / std::max<double>(1.0, double(without.ticks)));
    std::printf("  keeping the file at the game's end       %8.2f ms mean, %.2f ms max\n", keepMs.Mean(), keepMs.Max());

    std::printf("\nfile size per minute of play, computer against computer held at one speed (%d games each)\n",
                sizeGames);
    for (const auto &[interval, sizes] : {std::pair{StartSpeedMs, &atStart}, std::pair{TopSpeedMs, &atTop}})
        std::printf("  at %3u ms                                %8.0f bytes (%.0f bytes, %d rounds, %.1f minutes)\n",
                    unsigned(interval), sizes->PerMinute(), sizes->bytes, sizes->rounds, sizes->minutes);
    std::printf("  made-up ten minutes at the top speed     %8.0f bytes (%zu events, %.1f MiB file)\n",
                static_cast<double>(topFile.size()) / 10.0, topEvents, static_cast<double>(topFile.size()) / 1048576.0);
    if (sizeFailures > 0)
        std::printf("  %d of those games did not verify\n", sizeFailures);

    std::printf("\nthe made-up ten minutes at the top speed (one round, %zu events; %zu copies of the mirror kept)\n",
                topEvents, topEvents / TReplayPlayback::KeyframeEvents + 1);
    std::printf("  %-30s %8s %8s %8s %8s   %8s %8s %8s\n", "ms", "p50", "p99", "max", "mean", "cpu.p50", "cpu.p99",
                "cpu.max");
    encode.Print("encode");
    decode.Print("decode");
    open.Print("open a playback");
    seek.Print("seek to a random moment (" + std::to_string(options.seeks) + ")");
    back.Print("then one tick back");
    forward.Print("then one tick on");
    std::printf("  seek p99 <= 100 ms: %s; checksum at the crash %s\n",
                seek.wall.Percentile(99.0) <= 100.0 ? "ok" : "MISSED", topEqual ? "equal" : "DIFFERS");

    std::printf("\nmemory: peak resident %.1f MiB\n", static_cast<double>(PeakResidentKiB()) / 1024.0);
    std::printf("bench took %.0f s of wall-clock time\n", static_cast<double>(MonotonicNs() - started) / 1e9);
    return equal == options.games && topEqual && sizeFailures == 0 ? 0 : 1;
}
