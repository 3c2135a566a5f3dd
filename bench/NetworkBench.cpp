#include "bench/NetworkBench.h"

#include "app/TNetGuestPlay.h"
#include "app/TNetHostPlay.h"
#include "bench/Clocks.h"
#include "bench/QuietGame.h"
#include "bench/ResultTable.h"
#include "bench/Samples.h"
#include "computer/TComputerPlayer.h"
#include "game/TGame.h"
#include "game/TTimerTicks.h"
#include "platform/ErrorDisplay.h"
#include "platform/FailureReport.h"
#include "support/TLagProxy.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t NsPerMs = 1'000'000;
// A round that has not ended this long after it began hangs.
constexpr std::int64_t RoundDeadlineMs = 120'000;
// Both sides must have seen a session end this long after it was cut or the game ended.
constexpr std::int64_t EndDeadlineMs = 5'000;
// A pair whose game has not begun this long after it was made never will.
constexpr std::int64_t StartDeadlineMs = 20'000;
// The soak's cut comes this long into the round it is due in.
constexpr std::int64_t CutAfterMs = 700;
// The soak's cycles are held at the start speed, where Easy stays anyway. Over the network the
// guest's pilot sees the field a round trip late and loses most rounds within seconds: short
// rounds, many of them, which is what the soak wants.
constexpr std::uint16_t SoakIntervalMs = 51;
constexpr std::uint16_t StartSpeedMs = 51;
constexpr std::uint16_t TopSpeedMs = 1;

const TLagProfile PoorLink{.delayMs = 60, .jitterMs = 10, .loss = 0.03};

std::int64_t Ms(std::int64_t ns)
{
    return ns / NsPerMs;
}

// Runs the event loop until done() holds (checked every few milliseconds) or ms have passed;
// whether done() held.
bool RunUntil(const std::function<bool()> &done, std::int64_t ms)
{
    const std::int64_t deadline = MonotonicNs() + ms * NsPerMs;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || MonotonicNs() >= deadline)
            loop.quit();
    });
    poll.start(5);
    if (!done())
        loop.exec();
    return done();
}

void RunFor(std::int64_t ms)
{
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms), &loop, &QEventLoop::quit);
    loop.exec();
}

// Both cycles start on the same pixel and part on their first steps. A guest hears of the round
// a round trip too late to steer those steps, so both pilots go straight for this many steps
// before they steer, as two players at two screens would; else the host's pilot, turning at once,
// often cuts across the guest's cycle on its first step, and half the rounds end there.
constexpr int OpeningSteps = 10;

// What a pilot keeps of its actions: all of them once the opening is over, only the speed keys
// before. Held at an interval (not 0), its own speed keys are replaced by held's.
void Keep(const TPilotActions &actions, bool opening, bool held, TPilotActions &kept)
{
    for (TPlayerAction action : actions) {
        const bool speed = action == TPlayerAction::Faster || action == TPlayerAction::Slower;
        if (speed ? !held : !opening)
            kept.Add(action);
    }
}

// The host's red pilot: the computer, held at one step interval (its own speed keys replaced by
// those that lead there), straight through the opening.
class HeldPilot final : public TPilot
{
public:
    HeldPilot(std::unique_ptr<TPilot> held, std::uint16_t fixedInterval)
        : pilot(std::move(held))
        , fixed(fixedInterval)
    {
    }
    void NewRound() override
    {
        pilot->NewRound();
        steps = 0;
    }
    TPilotActions Decide(const TFieldSurface &field, const TCycleSight &own, const TCycleSight &other) override
    {
        TPilotActions kept;
        if (own.interval > fixed)
            kept.Add(TPlayerAction::Faster);
        else if (own.interval < fixed)
            kept.Add(TPlayerAction::Slower);
        Keep(pilot->Decide(field, own, other), steps++ < OpeningSteps, true, kept);
        return kept;
    }

private:
    std::unique_ptr<TPilot> pilot;
    std::uint16_t fixed;
    int steps = 0;
};

// A host that shows nothing, records nothing and binds no keys, like the other benches' quiet
// host, but whose crash window stays open a moment (the event loop runs meanwhile, as under a
// real one): a guest's actions still on their way are refused there instead of steering the next
// round's first steps. It tells its pair while the window is open, so that the pair is not
// destroyed beneath it.
class PausingHost final : public TGameHost
{
public:
    static constexpr int CrashWindowMs = 400;

    explicit PausingHost(bool &open)
        : crashOpen(open)
    {
    }
    void ShowCrash(QObject *, const QString &) override
    {
        crashOpen = true;
        ++openWindows;
        deepest = std::max(deepest, openWindows);
        const std::int64_t start = MonotonicNs();
        RunFor(CrashWindowMs);
        longestMs = std::max(longestMs, Ms(MonotonicNs() - start));
        --openWindows;
        crashOpen = false;
    }
    // Crash windows open at once in this process (one nested in another), the most of them, and the
    // longest any stayed open.
    static inline int openWindows = 0;
    static inline int deepest = 0;
    static inline std::int64_t longestMs = 0;
    void RecordOnePlayer(QObject *, std::int32_t) override {}
    void RecordTwoPlayers(QObject *, const QString &, std::int32_t) override {}
    QStringList ReadBindings() override { return QStringList(10); }
    TComputerLevel ReadComputerLevel() override { return TComputerLevel::Easy; }
    bool ReadSoundOn() override { return false; }
    void WriteSoundOn(bool) override {}

private:
    bool &crashOpen;
};

// A cycle as the guest sees it in its mirror.
TCycleSight SightOf(const TGameMirror &mirror, TPlayer player)
{
    const TCycleState &cycle = mirror.Of(player);
    return {player, cycle.x, cycle.y, cycle.dir, cycle.interval, cycle.jets, true};
}

// The computer steering the guest's blue cycle from what the guest sees (its mirror) and through
// the guest's own input path. It decides after each step of blue the mirror shows, as the game asks
// a pilot before each step; but what it asks for shows only a round trip later, so, as a player
// would, it waits to see its last actions carried out (or 300 ms, for one refused) before it
// decides again: a pilot that saw its turns undone step after step would turn in circles.
class GuestPilot
{
public:
    GuestPilot(TNetGuestPlay &player, std::unique_ptr<TPilot> steering, std::uint16_t heldInterval)
        : guest(player)
        , pilot(std::move(steering))
        , interval(heldInterval)
    {
        QObject::connect(&guest, &TNetGuestPlay::changed, &guest,
                         [this](const TGameEvent &event) { RunReporting([&] { Follow(event); }); });
    }

private:
    static constexpr std::int64_t AnswerMs = 300;

    void Follow(const TGameEvent &event)
    {
        using Kind = TGameEvent::Kind;
        if (event.kind == Kind::RoundStart) {
            pilot->NewRound();
            inFlight = 0;
            steps = 0;
            return;
        }
        if (event.player != TPlayer::Blue)
            return;
        if ((event.kind == Kind::Heading || event.kind == Kind::Speed || event.kind == Kind::Jump) && inFlight > 0)
            --inFlight;
        if (event.kind != Kind::Step || guest.Mirror().state != TRoundState::Running)
            return;
        const std::int64_t now = MonotonicNs();
        ++steps;
        if (inFlight > 0 && now - sentAt < AnswerMs * NsPerMs)
            return;
        const TGameMirror &mirror = guest.Mirror();
        const TCycleSight own = SightOf(mirror, TPlayer::Blue);
        TPilotActions kept;
        if (interval != 0 && own.interval > interval)
            kept.Add(TPlayerAction::Faster);
        else if (interval != 0 && own.interval < interval)
            kept.Add(TPlayerAction::Slower);
        Keep(pilot->Decide(mirror.playfield.field, own, SightOf(mirror, TPlayer::Red)), steps <= OpeningSteps,
             interval != 0, kept);
        inFlight = static_cast<int>(kept.size());
        sentAt = now;
        for (TPlayerAction action : kept)
            guest.Act(action);
    }

    TNetGuestPlay &guest;
    std::unique_ptr<TPilot> pilot;
    std::uint16_t interval;
    int inFlight = 0;
    std::int64_t sentAt = 0;
    int steps = 0;
};

// One network game in this process: the host's game on the program's real timers with its
// TNetHostPlay, the guest's TNetGuestPlay joined to it straight or through a lag proxy of its own,
// both headless. The host's red cycle is steered by a computer pilot held at an interval.
class NetPair
{
public:
    NetPair(std::uint32_t gameSeed, std::uint16_t redInterval, int countdownMs)
        : seed(gameSeed)
    {
        TGameParts parts;
        parts.host = std::make_unique<PausingHost>(crashOpen);
        parts.media = std::make_unique<QuietGame::Silence>();
        parts.ticks = std::make_unique<TTimerTicks>();
        parts.seed = seed;
        game = std::make_unique<TGame>(std::move(parts));
        game->setPilot(TPlayer::Red,
                       std::make_unique<HeldPilot>(
                           std::make_unique<TComputerPlayer>(TComputerLevel::Easy, seed ^ 0x52u), redInterval));
        host = std::make_unique<TNetHostPlay>(*game, nullptr, TNetHostSession::TOptions{});
        host->setCountdownMs(countdownMs);
        guest = std::make_unique<TNetGuestPlay>(TSeat::Player, QString(), nullptr);
    }
    ~NetPair()
    {
        // The guest first: nothing it still hears may reach a host that is gone.
        pilot.reset();
        guest.reset();
        proxy.reset();
        host.reset();
        game.reset();
    }
    NetPair(const NetPair &) = delete;
    NetPair &operator=(const NetPair &) = delete;

    // Listens, puts a proxy with the profile in between (none: straight) and joins.
    bool Join(const TLagProfile *lag)
    {
        QString error;
        if (!host->Listen(0, &error)) {
            std::fprintf(stderr, "zandrix2-bench: cannot host: %s\n", qPrintable(error));
            return false;
        }
        quint16 port = host->Port();
        if (lag) {
            proxy = std::make_unique<TLagProxy>(port, seed);
            proxy->SetProfile(*lag);
            if (!proxy->Start(&error)) {
                std::fprintf(stderr, "zandrix2-bench: no lag proxy: %s\n", qPrintable(error));
                return false;
            }
            port = proxy->Port();
        }
        guest->Join(QStringLiteral("127.0.0.1"), port);
        return true;
    }
    // The guest's blue cycle steered by the computer through the guest's input path.
    void SteerBlue(std::uint16_t interval)
    {
        pilot = std::make_unique<GuestPilot>(
            *guest, std::make_unique<TComputerPlayer>(TComputerLevel::Easy, seed ^ 0xB1u), interval);
    }
    std::uint32_t seed;
    // While the host's crash window is open (the pair must not be destroyed then).
    bool crashOpen = false;
    std::unique_ptr<TGame> game;
    std::unique_ptr<TNetHostPlay> host;
    std::unique_ptr<TLagProxy> proxy;
    std::unique_ptr<TNetGuestPlay> guest;
    std::unique_ptr<GuestPilot> pilot;
};

std::uint32_t Seed(int row, int index)
{
    return 0x4E455442u ^ static_cast<std::uint32_t>(row * 7919 + index * 104729);
}

// ---------------------------------------------------------------------------------------------
// The soak

enum class Cut : std::uint8_t { GuestLeaves, HostLeaves, LinkSilent };
constexpr std::array<const char *, 3> CutNames{"the guest leaves", "the host leaves", "the link falls silent"};

struct SoakCounts
{
    int rounds = 0;  // rounds begun and concluded, whichever way
    int crashed = 0; // ended by a crash, as rounds do
    int hangs = 0;
    int checked = 0;          // round ends whose field the guest compared with the host's checksum
    int disagreements = 0;    // the guest's field against the host's checksum as the host told it
    int mirrorMismatches = 0; // the guest mirror's own count
    int games = 0;
    int gamesEnded = 0;    // game over, and the guest told so within 5 s
    int gamesLeftOpen = 0; // game over, and the guest not told
    int unasked = 0;       // a session ended that nobody ended
    int neverStarted = 0;  // pairs whose game did not begin
    int missedEnds = 0;    // games over whose guest saw fewer round ends than the host told
    int joinsLost = 0;     // joins that ended before the game began
    std::array<int, 3> cuts{};
    std::array<int, 3> cutsClean{};
    Samples cutEndMs;
    Samples roundSeconds;
    std::vector<std::string> problems;

    bool Failed() const
    {
        return hangs > 0 || disagreements > 0 || mirrorMismatches > 0 || gamesLeftOpen > 0 || unasked > 0
               || neverStarted > 0 || missedEnds > 0 || cuts != cutsClean;
    }
};

// One pair of the soak and what it has seen.
struct SoakPair
{
    std::unique_ptr<NetPair> pair;
    std::int64_t made = 0;
    int round = -1; // the soak's number of the round under way, -1 between rounds
    std::int64_t roundStart = 0;
    std::vector<std::uint64_t> hostChecksums;
    int guestRoundEnds = 0;
    bool cutDue = false;
    std::optional<Cut> cut;
    std::int64_t cutAt = 0;
    std::int64_t gameOverAt = -1;
    std::int64_t hostLostAt = -1;
    std::int64_t guestEndedAt = -1;
    QString hostHeard;
    QString guestHeard;
    bool guestLost = false;
    bool retiring = false;
};

class Soak
{
public:
    Soak(int roundsWanted, int pairsAtOnce, int cutEveryRounds, std::uint16_t heldInterval)
        : wanted(roundsWanted)
        , pairs(pairsAtOnce)
        , cutEvery(cutEveryRounds)
        , interval(heldInterval)
    {
    }

    SoakCounts Run()
    {
        QEventLoop loop;
        QTimer watch;
        std::int64_t lastProgress = MonotonicNs();
        int lastRounds = 0;
        QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
            RunReporting([&] { Watch(); });
            if (counts.rounds != lastRounds) {
                lastRounds = counts.rounds;
                lastProgress = MonotonicNs();
            }
            // Every pair is watched with deadlines of its own; this only keeps the bench itself
            // from waiting for ever should the watch miss something.
            if ((counts.rounds >= wanted && !CutsUnderWay())
                || MonotonicNs() - lastProgress > 4 * RoundDeadlineMs * NsPerMs)
                loop.quit();
        });
        watch.start(20);
        loop.exec();
        if (counts.rounds < wanted) {
            counts.hangs += wanted - counts.rounds;
            counts.problems.push_back("the soak stalled with " + std::to_string(wanted - counts.rounds)
                                      + " rounds to go");
        }
        for (SoakPair &pair : live)
            Retire(pair);
        live.clear();
        return counts;
    }

private:
    // Whether a cut pair still waits for its sides to end.
    bool CutsUnderWay() const
    {
        return std::any_of(live.begin(), live.end(), [](const SoakPair &pair) { return pair.cut && !pair.retiring; });
    }

    // The next round's number, or -1 when every round has been begun.
    int NextRound() { return begun < wanted ? begun++ : -1; }

    void Make()
    {
        const int index = made++;
        auto pair = std::make_unique<NetPair>(Seed(1, index), interval, 1000);
        pair->SteerBlue(interval);
        SoakPair &soaked = live.emplace_back();
        soaked.made = MonotonicNs();
        NetPair &net = *pair;
        soaked.pair = std::move(pair);
        ++counts.games;
        // The pair's place in `live` moves as others go; its state is found through this pointer.
        auto *state = &soaked;
        Follow(net, [this, state]() -> SoakPair & { return *state; });
        if (!net.Join(&PoorLink)) {
            ++counts.neverStarted;
            soaked.retiring = true;
        }
    }

    void Follow(NetPair &net, std::function<SoakPair &()> stateOf)
    {
        using Kind = TGameEvent::Kind;
        QObject::connect(net.game.get(), &TGame::happened, net.host.get(), [this, stateOf](const TGameEvent &event) {
            SoakPair &pair = stateOf();
            if (pair.retiring || pair.cut)
                return;
            const std::int64_t now = MonotonicNs();
            if (event.kind == Kind::RoundStart) {
                pair.round = NextRound();
                pair.roundStart = now;
                if (pair.round < 0)
                    pair.retiring = true;
                else if (pair.round % cutEvery == cutEvery - 1)
                    pair.cutDue = true;
            } else if (event.kind == Kind::RoundEnd && pair.round >= 0) {
                pair.hostChecksums.push_back(event.checksum);
                ++counts.rounds;
                ++counts.crashed;
                counts.roundSeconds.Add(static_cast<double>(now - pair.roundStart) / 1e9);
                pair.round = -1;
            } else if (event.kind == Kind::State && event.state == TRoundState::GameOver) {
                pair.gameOverAt = now;
            }
        });
        QObject::connect(net.guest.get(), &TNetGuestPlay::changed, net.guest.get(),
                         [this, stateOf, guest = net.guest.get()](const TGameEvent &event) {
                             if (event.kind != Kind::RoundEnd)
                                 return;
                             SoakPair &pair = stateOf();
                             const auto index = static_cast<std::size_t>(pair.guestRoundEnds++);
                             if (index >= pair.hostChecksums.size())
                                 return;
                             ++counts.checked;
                             if (guest->Mirror().playfield.field.Checksum() != pair.hostChecksums[index])
                                 ++counts.disagreements;
                         });
        QObject::connect(net.host.get(), &TNetHostPlay::lost, net.host.get(), [stateOf](const QString &text) {
            SoakPair &pair = stateOf();
            pair.hostLostAt = MonotonicNs();
            pair.hostHeard = text;
        });
        QObject::connect(net.guest.get(), &TNetGuestPlay::ended, net.guest.get(),
                         [stateOf](const QString &reason, bool lost) {
                             SoakPair &pair = stateOf();
                             pair.guestEndedAt = MonotonicNs();
                             pair.guestHeard = reason;
                             pair.guestLost = lost;
                         });
    }

    void CutNow(SoakPair &pair, std::int64_t now)
    {
        const auto kind = static_cast<Cut>(cutsMade++ % 3);
        pair.cut = kind;
        pair.cutAt = now;
        ++counts.cuts[static_cast<std::size_t>(kind)];
        ++counts.rounds;
        pair.round = -1;
        switch (kind) {
        case Cut::GuestLeaves: pair.pair->guest->Stop(QStringLiteral("The guest has had enough.")); break;
        case Cut::HostLeaves: pair.pair->host->Stop(QStringLiteral("The host has had enough.")); break;
        case Cut::LinkSilent: pair.pair->proxy->SetProfile(TLagProfile{.loss = 1.0}); break;
        }
    }

    // Whether both sides have seen the cut session end as they should. The host's game goes on
    // until its side hears of the cut, and may end meanwhile: over is the host's end either way.
    static bool EndedClean(const SoakPair &pair)
    {
        const bool hostEnded = pair.pair->host->Over();
        const bool guestEnded = pair.guestEndedAt >= 0;
        switch (*pair.cut) {
        case Cut::GuestLeaves: return hostEnded && guestEnded;
        case Cut::HostLeaves:
        case Cut::LinkSilent: return hostEnded && guestEnded && pair.guestLost;
        }
        return false;
    }

    void Problem(const SoakPair &pair, const std::string &what)
    {
        if (counts.problems.size() < 20)
            counts.problems.push_back("game " + std::to_string(pair.pair->seed) + ": " + what);
    }

    static std::string Diagnosis(const SoakPair &pair, std::int64_t now)
    {
        const NetPair &net = *pair.pair;
        std::string text = "; host state " + std::to_string(int(net.game->State())) + ", crash window open "
                           + std::to_string(net.crashOpen) + ", round trip " + std::to_string(net.host->RoundTripMs())
                           + " ms, round under way for "
                           + std::to_string(pair.round >= 0 ? Ms(now - pair.roundStart) : -1) + " ms";
        if (net.proxy) {
            const TLagCounters up = net.proxy->Counters(TLagProxy::ToServer);
            const TLagCounters down = net.proxy->Counters(TLagProxy::ToClient);
            text += ", proxy up " + std::to_string(up.received) + "/" + std::to_string(up.lost) + "/"
                    + std::to_string(up.sent) + " down " + std::to_string(down.received) + "/"
                    + std::to_string(down.lost) + "/" + std::to_string(down.sent);
        }
        return text;
    }

    void Watch()
    {
        const std::int64_t now = MonotonicNs();
        for (SoakPair &pair : live) {
            if (pair.retiring)
                continue;
            const NetPair &net = *pair.pair;
            if (pair.cut) {
                if (EndedClean(pair)) {
                    ++counts.cutsClean[static_cast<std::size_t>(*pair.cut)];
                    // As the watch sees it, every 20 ms.
                    counts.cutEndMs.Add(static_cast<double>(Ms(now - pair.cutAt)));
                    pair.retiring = true;
                } else if (now - pair.cutAt > EndDeadlineMs * NsPerMs) {
                    Problem(pair, std::string("not ended on both sides 5 s after ")
                                      + CutNames[static_cast<std::size_t>(*pair.cut)] + "; host lost "
                                      + std::to_string(pair.hostLostAt >= 0) + ", guest ended "
                                      + std::to_string(pair.guestEndedAt >= 0) + Diagnosis(pair, now));
                    pair.retiring = true;
                }
                continue;
            }
            if (pair.gameOverAt >= 0) {
                if (pair.guestEndedAt >= 0 && !pair.guestLost) {
                    ++counts.gamesEnded;
                    if (static_cast<std::size_t>(pair.guestRoundEnds) < pair.hostChecksums.size()) {
                        ++counts.missedEnds;
                        Problem(pair, "the guest was told fewer round ends than the host's game had");
                    }
                    pair.retiring = true;
                } else if (now - pair.gameOverAt > EndDeadlineMs * NsPerMs) {
                    ++counts.gamesLeftOpen;
                    Problem(pair, "the guest was not told 5 s after the game was over");
                    pair.retiring = true;
                }
                continue;
            }
            if ((pair.hostLostAt >= 0 || pair.guestEndedAt >= 0) && !net.host->Started()) {
                // Not the game's: the guest gave up joining (see docs/performance.md).
                ++counts.joinsLost;
                Problem(pair, "the join was lost; the guest heard \"" + pair.guestHeard.toStdString() + "\""
                                  + Diagnosis(pair, now));
                pair.retiring = true;
                continue;
            }
            if (pair.hostLostAt >= 0 || pair.guestEndedAt >= 0) {
                ++counts.unasked;
                Problem(pair, "a session ended that nobody ended; the host heard \""
                                  + pair.hostHeard.simplified().toStdString() + "\", the guest \""
                                  + pair.guestHeard.toStdString() + "\"" + Diagnosis(pair, now));
                if (pair.round >= 0)
                    ++counts.rounds;
                pair.retiring = true;
                continue;
            }
            if (!net.host->Started()) {
                if (now - pair.made > StartDeadlineMs * NsPerMs) {
                    ++counts.neverStarted;
                    Problem(pair, "the game never began");
                    pair.retiring = true;
                }
                continue;
            }
            if (pair.round >= 0 && now - pair.roundStart > RoundDeadlineMs * NsPerMs) {
                ++counts.hangs;
                ++counts.rounds;
                Problem(pair, "a round did not end within 120 s");
                pair.retiring = true;
                continue;
            }
            if (pair.cutDue && pair.round >= 0 && now - pair.roundStart >= CutAfterMs * NsPerMs
                && net.game->State() == TRoundState::Running)
                CutNow(pair, now);
        }
        // Pairs that are done go, outside their own signals; new ones take their places.
        for (auto it = live.begin(); it != live.end();) {
            if (it->retiring && !it->pair->crashOpen) {
                Retire(*it);
                it = live.erase(it);
            } else {
                ++it;
            }
        }
        while (static_cast<int>(live.size()) < pairs && begun < wanted)
            Make();
    }

    void Retire(SoakPair &pair)
    {
        counts.mirrorMismatches += pair.pair->guest->Mirror().checksumMismatches;
        pair.pair.reset();
    }

    int wanted;
    int pairs;
    int cutEvery;
    std::uint16_t interval;
    int begun = 0;
    int made = 0;
    int cutsMade = 0;
    // A list keeps each pair where it is while others come and go.
    std::list<SoakPair> live;
    SoakCounts counts;
};

// ---------------------------------------------------------------------------------------------
// Guest action to host

struct LatencyRow
{
    Samples ms;
    int unmatched = 0;
    int games = 0;
};

// The guest turns its blue cycle left and right in turn every 150 ms (a zigzag that never meets
// itself) while the host's red is the computer's at a slow 101 ms; each turn is timed from
// TNetGuestPlay::Act to the host's game telling it (the blue Heading event), on one clock.
LatencyRow MeasureLatency(const TLagProfile *lag, int actions, int row)
{
    LatencyRow result;
    for (int index = 0; static_cast<int>(result.ms.Count()) < actions && index < 40; ++index) {
        struct Sent
        {
            std::int64_t at;
            int round;
        };
        std::deque<Sent> sent;
        int hostRounds = 0;
        bool left = true;
        bool ended = false;
        NetPair net(Seed(row, index), 101, 200);
        if (!net.Join(lag))
            break;
        ++result.games;
        QObject::connect(net.game.get(), &TGame::happened, net.host.get(), [&](const TGameEvent &event) {
            if (event.kind == TGameEvent::Kind::RoundEnd) {
                ++hostRounds;
                return;
            }
            if (event.kind != TGameEvent::Kind::Heading || event.player != TPlayer::Blue)
                return;
            const std::int64_t now = MonotonicNs();
            // Turns given in a round that has ended were refused there.
            while (!sent.empty() && sent.front().round < hostRounds)
                sent.pop_front();
            if (sent.empty()) {
                ++result.unmatched;
                return;
            }
            result.ms.Add(static_cast<double>(now - sent.front().at) / 1e6);
            sent.pop_front();
        });
        QTimer turns;
        QObject::connect(&turns, &QTimer::timeout, net.guest.get(), [&] {
            if (net.guest->Mirror().state != TRoundState::Running)
                return;
            sent.push_back({MonotonicNs(), net.guest->Mirror().roundEnds});
            net.guest->Act(left ? TPlayerAction::TurnLeft : TPlayerAction::TurnRight);
            left = !left;
        });
        turns.start(150);
        QObject::connect(net.guest.get(), &TNetGuestPlay::ended, net.guest.get(),
                         [&](const QString &, bool) { ended = true; });
        RunUntil([&] { return ended || static_cast<int>(result.ms.Count()) >= actions; }, 120'000);
        turns.stop();
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// The stream's bytes

struct StreamRow
{
    double bytes = 0.0;
    double seconds = 0.0;
    std::int64_t steps = 0;
    int rounds = 0;
    int games = 0;
};

// Both cycles held at one interval by the computer (red at the host, blue through the guest),
// straight over loopback; the bytes to the player counted while a game runs, game after game.
StreamRow MeasureStream(std::uint16_t interval, std::int64_t ms, int row)
{
    StreamRow result;
    const std::int64_t until = MonotonicNs() + ms * NsPerMs;
    for (int index = 0; MonotonicNs() < until && index < 200; ++index) {
        std::optional<std::int64_t> startedAt;
        qint64 bytesAtStart = 0;
        bool ended = false;
        NetPair net(Seed(row, index), interval, 200);
        net.SteerBlue(interval);
        if (!net.Join(nullptr))
            break;
        QObject::connect(net.host.get(), &TNetHostPlay::started, net.host.get(), [&] {
            startedAt = MonotonicNs();
            bytesAtStart = net.host->Session().BytesToPlayer();
        });
        QObject::connect(net.game.get(), &TGame::happened, net.host.get(), [&](const TGameEvent &event) {
            result.steps += event.kind == TGameEvent::Kind::Step ? 1 : 0;
            result.rounds += event.kind == TGameEvent::Kind::RoundEnd ? 1 : 0;
        });
        QObject::connect(net.guest.get(), &TNetGuestPlay::ended, net.guest.get(),
                         [&](const QString &, bool) { ended = true; });
        RunUntil([&] { return ended || net.host->Over() || MonotonicNs() >= until; }, ms + StartDeadlineMs);
        if (!startedAt)
            continue;
        ++result.games;
        result.bytes += static_cast<double>(net.host->Session().BytesToPlayer() - bytesAtStart);
        result.seconds += static_cast<double>(MonotonicNs() - *startedAt) / 1e9;
        // The stream's last batch has gone out by now; what follows the game's end is not counted.
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Waiting for an opponent

double MeasureIdleHost(std::int64_t ms)
{
    NetPair net(Seed(9, 0), StartSpeedMs, 1000);
    QString error;
    if (!net.host->Listen(0, &error)) {
        std::fprintf(stderr, "zandrix2-bench: cannot host: %s\n", qPrintable(error));
        return -1.0;
    }
    RunFor(200);
    const std::int64_t cpuBefore = ProcessCpuNs();
    const std::int64_t wallBefore = MonotonicNs();
    RunFor(ms);
    const double cpuMs = static_cast<double>(ProcessCpuNs() - cpuBefore) / 1e6;
    const double wallS = static_cast<double>(MonotonicNs() - wallBefore) / 1e9;
    return cpuMs / wallS;
}

void PrintLatency(const char *label, const LatencyRow &row)
{
    std::printf("  %-34s %7zu %7.1f %7.1f %7.1f   (%d games, %d unmatched)\n", label, row.ms.Count(),
                row.ms.Percentile(50.0), row.ms.Percentile(99.0), row.ms.Max(), row.games, row.unmatched);
}

void PrintStream(std::uint16_t interval, const StreamRow &row)
{
    const double seconds = std::max(row.seconds, 1e-9);
    std::printf("  at %3u ms %24s %9.0f %9.0f %7d %6d %8.1f\n", unsigned(interval), "", row.bytes / seconds,
                static_cast<double>(row.steps) / seconds, row.rounds, row.games, row.seconds);
}

} // namespace

int RunNetworkBench(int &argc, char **argv, const NetworkBenchOptions &options)
{
    const std::int64_t started = MonotonicNs();
    const std::string loadBefore = LoadAverages();
    TApplication application(argc, argv);
    TApplication::setApplicationName(QStringLiteral("Zandrix II"));
    const bool shortened = options.rounds < 20;
    const int pairs = shortened ? 2 : 8;
    const int cutEvery = shortened ? 2 : 10;
    const int actions = shortened ? 30 : 300;
    const std::int64_t streamMs = shortened ? 2'000 : 10'000;
    const std::int64_t idleMs = shortened ? 2'000 : 10'000;

    // First, while nothing else in the process runs.
    const double idleCpu = MeasureIdleHost(idleMs);
    const SoakCounts soak = Soak(options.rounds, pairs, cutEvery, SoakIntervalMs).Run();
    const LatencyRow straight = MeasureLatency(nullptr, actions, 2);
    const LatencyRow poor = MeasureLatency(&PoorLink, actions, 3);
    const StreamRow atStart = MeasureStream(StartSpeedMs, streamMs, 4);
    const StreamRow atTop = MeasureStream(TopSpeedMs, streamMs, 5);

    std::printf("Zandrix II network game: %s\n", MachineDescription().c_str());
    std::printf("real time, ENet over loopback; load %s before, %s after\n\n", loadBefore.c_str(),
                LoadAverages().c_str());

    std::printf("soak: Easy against Easy held at %u ms, %d games at once in one process, each through a lag\n"
                "proxy of its own (60 ms, 10 ms jitter, 3 %% lost, each way); every %d%s round cut\n",
                unsigned(SoakIntervalMs), pairs, cutEvery, cutEvery == 2 ? "nd" : "th");
    std::printf("  rounds played                      %7d   (%d to a crash, %d cut)\n", soak.rounds, soak.crashed,
                soak.cuts[0] + soak.cuts[1] + soak.cuts[2]);
    std::printf("  round length, s                    mean %.1f, p50 %.1f, max %.1f\n", soak.roundSeconds.Mean(),
                soak.roundSeconds.Percentile(50.0), soak.roundSeconds.Max());
    std::printf("  games                              %7d   (%d over and ended on both sides, %d left open)\n",
                soak.games, soak.gamesEnded, soak.gamesLeftOpen);
    std::printf("  field checksum disagreements       %7d   (host's RoundEnd against the guest's field, %d "
                "compared; mirror's own count %d)\n",
                soak.disagreements + soak.mirrorMismatches, soak.checked, soak.mirrorMismatches);
    std::printf("  hangs (a round past 120 s)         %7d\n", soak.hangs);
    for (std::size_t kind = 0; kind < CutNames.size(); ++kind)
        std::printf("  cut: %-29s %7d   (%d ended on both sides within 5 s)\n", CutNames[kind], soak.cuts[kind],
                    soak.cutsClean[kind]);
    std::printf("  both sides ended after a cut, ms   p50 %.0f, max %.0f\n", soak.cutEndMs.Percentile(50.0),
                soak.cutEndMs.Max());
    std::printf("  sessions ended unasked             %7d;  games that never began %d; round ends missed %d\n",
                soak.unasked, soak.neverStarted, soak.missedEnds);
    std::printf("  joins lost before the game began   %7d\n", soak.joinsLost);
    for (const std::string &problem : soak.problems)
        std::printf("  ! %s\n", problem.c_str());

    std::printf("  crash windows open at once at most %d, longest open %lld ms\n", PausingHost::deepest,
                static_cast<long long>(PausingHost::longestMs));
    std::printf("\nguest action to host carrying it out, ms     actions     p50     p99     max\n");
    PrintLatency("loopback straight", straight);
    PrintLatency("through the proxy (60/10/3 %)", poor);

    std::printf("\nstream to the player, both cycles held      bytes/s   steps/s  rounds  games  seconds\n");
    PrintStream(StartSpeedMs, atStart);
    PrintStream(TopSpeedMs, atTop);

    std::printf("\nhost waiting for an opponent (%.0f s)      %.3f ms of processor time per s\n",
                static_cast<double>(idleMs) / 1000.0, idleCpu);
    std::printf("\nmemory: peak resident %.1f MiB\n", static_cast<double>(PeakResidentKiB()) / 1024.0);
    std::printf("bench took %.0f s of wall-clock time\n", static_cast<double>(MonotonicNs() - started) / 1e9);
    const bool measured = straight.ms.Count() > 0 && poor.ms.Count() > 0 && atStart.games > 0 && atTop.games > 0;
    return soak.Failed() || !measured ? 1 : 0;
}
