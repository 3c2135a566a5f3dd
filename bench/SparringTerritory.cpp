// The territory player: at 31 ms, it weighs its three moves (left, straight, right) by the field
// each leaves it: the coarse cells it would reach before the other cycle, by the time both take at
// their speeds. A move that parts the free field and leaves it the smaller area is out. Once the
// two cycles can no longer meet, it fills its own area along the walls.
#include "bench/Sparring.h"
#include "bench/SparringField.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

using namespace Sparring;

constexpr std::uint16_t Speed = 31;
constexpr int RoomCap = 1500;
constexpr int SafeRoom = 400;
// A move is weighed from where it leads after this many pixels straight on.
constexpr int Run = 12;
constexpr int AreaEvery = 8;
// Less room than ten seconds' steps: time for a jet.
constexpr int TrapMs = 10'000;
constexpr int TrapRoomMost = RoomCap - 200;

constexpr int CellsWide = FieldMemory::CellsWide;
constexpr int CellsHigh = FieldMemory::CellsHigh;

// The race of both cycles over the free coarse cells: both spread out from their heads at once,
// a cell a step at their own speeds (8-connected; a diagonal does not cut between two blocked
// cells), and a cell goes to the first to get there. Cells by FieldMemory::CellIndex.
class CellRace
{
public:
    struct Result
    {
        int first = 0;    // the cells this cycle reaches first
        bool met = false; // whether the two ever came to the same cells
    };

    CellRace()
        : cells(static_cast<std::size_t>(FieldMemory::CellStride * (CellsHigh + 2)), Blocked)
        , free(cells.size(), Blocked)
    {
    }

    // The cells as they are now; every race starts from them.
    void Prepare(const FieldMemory &memory)
    {
        const std::vector<std::uint16_t> &walls = memory.Cells();
        for (std::size_t cell = 0; cell < free.size(); ++cell)
            free.at(cell) = walls.at(cell) >= FieldMemory::BlockedCell ? Blocked : Open;
    }

    // This cycle leaves `own` `delay` ms from now, a cell every `ownMs`; the other (if any) leaves
    // `other` now, a cell every `otherMs`.
    Result Run(Spot own, int delay, int ownMs, std::optional<Spot> other, int otherMs)
    {
        cells = free;
        Result result;
        for (std::vector<std::size_t> &cellsDue : layer)
            cellsDue.clear();
        std::array<std::int64_t, 2> time{delay, 0};
        const std::array<std::int64_t, 2> pace{ownMs, otherMs};
        const std::size_t mine = CellOf(own);
        cells.at(mine) = Mine;
        layer.at(0).push_back(mine);
        ++result.first;
        if (other) {
            const std::size_t theirs = CellOf(*other);
            result.first -= theirs == mine ? 1 : 0;
            cells.at(theirs) = Theirs;
            layer.at(1).push_back(theirs);
        }
        constexpr std::ptrdiff_t Row = FieldMemory::CellStride;
        constexpr std::array<std::ptrdiff_t, 4> Sides{-Row, -1, 1, Row};
        constexpr std::array<std::array<std::ptrdiff_t, 2>, 4> Corners{{{-Row, -1}, {-Row, 1}, {Row, -1}, {Row, 1}}};
        // Once this cycle's race is run the rest does not matter.
        while (!layer.at(0).empty()) {
            // The side whose next cells fall due first; the other one on a tie.
            const std::size_t side = layer.at(1).empty() || (!layer.at(0).empty() && time.at(0) < time.at(1)) ? 0 : 1;
            const std::uint8_t owner = side == 0 ? Mine : Theirs;
            const std::uint8_t rival = side == 0 ? Theirs : Mine;
            next.at(side).clear();
            // The border is blocked, so a neighbour of a cell in the race is inside the grid.
            const auto reach = [&](std::ptrdiff_t to) {
                std::uint8_t &state = cells.at(static_cast<std::size_t>(to));
                if (state == Open) {
                    state = owner;
                    next.at(side).push_back(static_cast<std::size_t>(to));
                } else if (state == rival) {
                    result.met = true;
                }
            };
            const auto blocked = [&](std::ptrdiff_t at) { return cells.at(static_cast<std::size_t>(at)) == Blocked; };
            for (std::size_t cell : layer.at(side)) {
                const auto from = static_cast<std::ptrdiff_t>(cell);
                for (std::ptrdiff_t step : Sides)
                    reach(from + step);
                for (const auto &[vertical, horizontal] : Corners)
                    if (!blocked(from + vertical) || !blocked(from + horizontal))
                        reach(from + vertical + horizontal);
            }
            if (side == 0)
                result.first += static_cast<int>(next.at(0).size());
            std::swap(layer.at(side), next.at(side));
            time.at(side) += pace.at(side);
        }
        return result;
    }

private:
    static constexpr std::uint8_t Open = 0;
    static constexpr std::uint8_t Blocked = 1;
    static constexpr std::uint8_t Mine = 2;
    static constexpr std::uint8_t Theirs = 3;

    static std::size_t CellOf(Spot spot)
    {
        return FieldMemory::CellIndex(std::clamp(spot.x / FieldMemory::Cell, 0, CellsWide - 1),
                                      std::clamp(spot.y / FieldMemory::Cell, 0, CellsHigh - 1));
    }

    std::vector<std::uint8_t> cells;
    std::vector<std::uint8_t> free;
    // Each side's cells of the present step of the race and of the next.
    std::array<std::vector<std::size_t>, 2> layer;
    std::array<std::vector<std::size_t>, 2> next;
};

class TerritoryPlayer final : public TPilot
{
public:
    explicit TerritoryPlayer(std::uint32_t seed)
        : random(seed)
    {
    }

    void NewRound() override
    {
        memory.Forget();
        decisions = 0;
        area = TrapRoomMost + 1;
        rightFirst = std::uniform_int_distribution<int>(0, 1)(random) == 1;
    }

    TPilotActions Decide(const TFieldSurface &field, const TCycleSight &own, const TCycleSight &other) override
    {
        memory.Look(field, own, other);
        const Spot head = HeadOf(own);
        Steps steps(field, own, rightFirst);
        steps.Measure(memory, head, RoomCap);
        if (area < 0 || decisions++ % AreaEvery == 0)
            area = memory.Area(head, TrapRoomMost + 1);

        const int enough = std::min(SafeRoom, steps.BestRoom());
        race.Prepare(memory);
        const Step *chosen = nullptr;
        int bestScore = -1;
        bool apart = true;
        for (const Step &step : steps) {
            if (std::abs(step.turns) > 1 || step.room.size < enough)
                continue;
            const CellRace::Result split = Territory(step, own, other);
            apart = apart && !split.met;
            const int score =
                split.first + (step.turns == 0 ? 2 : 0) + std::uniform_int_distribution<int>(0, 2)(random);
            if (score > bestScore) {
                chosen = &step;
                bestScore = score;
            }
        }
        if (apart)
            chosen = Hug(steps, memory, random, RoomCap);
        // Hemmed in on all three: whatever turn keeps it alive longest.
        if (!chosen)
            chosen = Steer(steps, own.dir, SafeRoom);

        const int trapRoom = std::clamp(TrapMs / std::max<int>(own.interval, 1), 30, TrapRoomMost);
        const int room = chosen ? (chosen->room.parts ? chosen->room.size : area) : 0;
        if (room < trapRoom)
            if (const std::optional<Jump> jump = BestJump(field, memory, own, 2 * trapRoom + 21);
                jump && jump->room > 2 * room + 20) {
                area = -1;
                return Press(*jump);
            }
        return Press(chosen ? chosen->turns : 0, SpeedPresses(own.interval, Speed));
    }

private:
    // How the cells fall after the step and a short run straight on.
    CellRace::Result Territory(const Step &step, const TCycleSight &own, const TCycleSight &other)
    {
        Spot end = step.landing;
        int run = 1;
        while (run < Run && !memory.Wall(Ahead(end, step.heading, 1))) {
            end = Ahead(end, step.heading, 1);
            ++run;
        }
        const int ownMs = std::max<int>(own.interval, 1);
        return race.Run(end, run * ownMs, FieldMemory::Cell * ownMs,
                        other.inPlay ? std::optional<Spot>(HeadOf(other)) : std::nullopt,
                        FieldMemory::Cell * std::max<int>(other.interval, 1));
    }

    FieldMemory memory;
    CellRace race;
    std::mt19937 random;
    int decisions = 0;
    int area = TrapRoomMost + 1;
    bool rightFirst = false;
};

} // namespace

std::unique_ptr<TPilot> MakeTerritoryPlayer(std::uint32_t seed)
{
    return std::make_unique<TerritoryPlayer>(seed);
}
