#pragma once

// What the sparring partners know of the field and of moving on it, by the game's own rules: a
// cycle turns 45 degrees per key press (any number of presses per tick), then steps one pixel
// along its heading, and only the pixel it lands on is tested (black or yellow is free, anything
// else, also outside the field, is a wall). So a diagonal step slips through a diagonal trail. A
// jump moves the head JumpDistance(interval) pixels untested before the step. Speed keys move the
// interval by 10 between 1 and 101 and take effect from the next wait.

#include "game/TCycleSight.h"
#include "game/TFieldSurface.h"
#include "game/TPilot.h"

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

namespace Sparring {

inline constexpr int Width = TFieldSurface::Width;
inline constexpr int Height = TFieldSurface::Height;

struct Spot
{
    int x = 0;
    int y = 0;
    friend bool operator==(Spot, Spot) = default;
};

inline Spot HeadOf(const TCycleSight &cycle)
{
    return {cycle.x, cycle.y};
}
inline bool InField(Spot spot)
{
    return spot.x >= 0 && spot.y >= 0 && spot.x < Width && spot.y < Height;
}
int Chebyshev(Spot a, Spot b);
// The heading after `turns` presses: positive turns left, negative right.
std::uint8_t Turned(std::uint8_t heading, int turns);
Spot Ahead(Spot from, std::uint8_t heading, int distance);
// The heading of a step by (sign dx, sign dy); 0 for no step at all.
std::uint8_t HeadingTowards(int dx, int dy);
// The presses from one heading to another, -3..4 (positive: left).
int TurnsBetween(std::uint8_t from, std::uint8_t to);
inline bool Straight(std::uint8_t heading)
{
    return heading % 2 == 1;
}
// What the step will find on a pixel right now.
bool OpenNow(const TFieldSurface &field, Spot spot);

// The space after a move: the largest free area beside the landing (up to a cap), or the cap when
// the landing parts no areas (it then has the room the cycle has now).
struct Room
{
    int size = 0;
    bool parts = false;
};

// A copy of which pixels are walls, kept up to date cheaply: the field is clear at a round's start;
// each look reads the pixels around the own head, where the other cycle can have been since the
// last look, and a band of rows, so that every pixel is read again within a second of game time. A
// bonus that appears or is collected only ever clears pixels, so the copy can only see more walls
// than there are, and not for long.
class FieldMemory
{
public:
    // The coarse cells, with a border of blocked cells around them: cell (cx, cy) is at
    // CellIndex(cx, cy) of Cells(), its neighbours CellStride apart by rows.
    static constexpr int Cell = 10;
    static constexpr int CellsWide = (Width + Cell - 1) / Cell;
    static constexpr int CellsHigh = (Height + Cell - 1) / Cell;
    static constexpr int CellStride = CellsWide + 2;
    static std::size_t CellIndex(int cx, int cy) { return static_cast<std::size_t>((cy + 1) * CellStride + cx + 1); }

    FieldMemory();

    // A new round: the field is clear.
    void Forget();
    void Look(const TFieldSurface &field, const TCycleSight &own, const TCycleSight &other);

    bool Wall(Spot spot) const;
    int WallsAround(Spot spot) const;

    // Free pixels 8-connected to the seeds (taken as free whatever the copy says), up to `cap`;
    // the excluded pixels count as walls.
    int Flood(const std::vector<Spot> &seeds, const std::vector<Spot> &excluded, int cap);
    // The pixels the last flood reached.
    std::vector<Spot> Flooded() const;
    bool Reached(Spot spot) const;
    // The free area around a head (its free neighbours' area), up to `cap`.
    int Area(Spot head, int cap);
    Room RoomAfter(Spot head, Spot landing, int cap);

    // A coarse cell is blocked when at least two of its pixels are walls.
    static constexpr std::uint16_t BlockedCell = 2;
    bool CellBlocked(int cx, int cy) const;
    // The walls in each cell, by CellIndex; the border's count as blocked.
    const std::vector<std::uint16_t> &Cells() const { return cellWalls; }

private:
    static constexpr int Stride = Width + 2;
    static std::size_t Index(Spot spot) { return static_cast<std::size_t>((spot.y + 1) * Stride + spot.x + 1); }
    void Read(const TFieldSurface &field, int x0, int y0, int x1, int y1);
    void Set(Spot spot, bool wall);
    void NextGeneration();

    std::vector<std::uint8_t> walls;
    std::vector<std::uint16_t> cellWalls;
    std::vector<std::uint32_t> stamps;
    std::uint32_t generation = 0;
    std::vector<std::int32_t> queue;
    // RoomAfter's areas: which group reached a pixel first, and each group's queue.
    std::vector<std::uint8_t> owners;
    std::array<std::vector<std::int32_t>, 8> parts;
    bool seenOther = false;
    int nextRow = 0;
    Spot lastOther;
    std::int32_t lastJets = 0;
};

// A step without a jump: `turns` presses, then the step onto `landing`.
struct Step
{
    int turns = 0;
    std::uint8_t heading = 0;
    Spot landing;
    Room room;
};

// The steps that do not crash at once, straight first, then by growing turns (left before right,
// or the other way with `rightFirst`): at most three presses either way, as the fourth leads back
// onto the own trail.
class Steps
{
public:
    Steps(const TFieldSurface &field, const TCycleSight &own, bool rightFirst = false);
    Step *begin() { return items.data(); }
    Step *end() { return items.data() + count; }
    const Step *begin() const { return items.data(); }
    const Step *end() const { return items.data() + count; }
    bool empty() const { return count == 0; }
    std::size_t size() const { return count; }
    // Fills every step's room.
    void Measure(FieldMemory &memory, Spot head, int cap);
    int BestRoom() const;

private:
    std::array<Step, 7> items{};
    std::size_t count = 0;
};

// A jump: turns, Faster presses to lengthen it, the jump, and where the step after it lands.
struct Jump
{
    int turns = 0;
    int faster = 0;
    Spot landing;
    int room = 0;
};

// The jump that lands in the largest area (up to `cap`), when there are jets and a free landing.
std::optional<Jump> BestJump(const TFieldSurface &field, FieldMemory &memory, const TCycleSight &own, int cap);

// The speed presses from one interval to another: positive Faster, negative Slower.
int SpeedPresses(std::uint16_t interval, std::uint16_t target);

TPilotActions Press(int turns, int speed);
TPilotActions Press(const Jump &jump);

// Wall hugging: of the steps with the most room, the one whose landing has the most walls around
// it, straight headings before diagonal ones, then keeping on; seeded ties.
const Step *Hug(const Steps &steps, const FieldMemory &memory, std::mt19937 &random, int cap);
// The step closest in heading to `wanted` among those with at least `enough` room (or the most).
const Step *Steer(const Steps &steps, std::uint8_t wanted, int enough);

} // namespace Sparring
