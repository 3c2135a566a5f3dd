#pragma once

#include "computer/TFieldModel.h"
#include "game/Headings.h"

#include <array>
#include <cstdint>
#include <vector>

// The heading of a step by (dx, dy), each -1, 0 or +1; 0 for no step.
std::uint8_t HeadingOf(int dx, int dy);
// Whether turning from one heading to the other would reverse onto the trail just drawn.
bool Reverses(std::uint8_t from, std::uint8_t to);

inline TPixel Ahead(TPixel p, std::uint8_t heading, int distance = 1)
{
    const HeadingStep step = StepOf(heading);
    return {p.x + step.dx * distance, p.y + step.dy * distance};
}

// Steps a cycle needs from one pixel to another (it moves diagonally as fast as straight).
int Steps(TPixel from, TPixel to);

// The way a cycle drives to a pixel that is not straight ahead: a diagonal stretch and a straight
// one, in either order: two headings, one turn of 45 degrees between them.
struct TRoute
{
    bool open = false;
    bool diagonalFirst = false;
    std::uint8_t first = 0; // heading of the next step
    std::uint8_t last = 0;  // heading on arrival
    int firstLength = 0;    // steps before the turn to `last`
    int length = 0;

    // The pixel `step` steps along the route (1 is the next one).
    TPixel At(TPixel from, int step) const;
};

// The route from a head to a pixel through pixels that the model holds free, with no reversing
// step; the order that keeps the current heading is tried first, then `diagonalFirst`'s.
TRoute RouteTo(const TFieldModel &model, TPixel from, std::uint8_t heading, TPixel to, bool diagonalFirst);

// Whether a step lands on a pixel the model holds free without slipping between two walls: a
// diagonal step may pass between two wall pixels by the rules (two diagonal trails cross), but the
// computer never counts on it, so that a diagonal trail is as good a wall as a straight one when
// it weighs territory and room.
inline bool OpenStep(const TFieldModel &model, TPixel from, std::uint8_t heading)
{
    const HeadingStep step = StepOf(heading);
    if (model.Wall(from.x + step.dx, from.y + step.dy))
        return false;
    return step.dx == 0 || step.dy == 0 || !model.Wall(from.x + step.dx, from.y)
           || !model.Wall(from.x, from.y + step.dy);
}

// Free pixels reachable from a pixel by open steps, counted up to a cap: how much room a move
// leaves when the coarse cells no longer tell (between trails closer than a cell). The count
// stays within a window around its start, so that its bookkeeping stays small and in the cache;
// room that reaches the window's edge is open room.
class TPixelFlood
{
public:
    static constexpr int MostStarts = 8;
    static constexpr int Window = 96;

    TPixelFlood();
    int Count(const TFieldModel &model, TPixel from, int cap);
    // The room behind each of several first moves, found by one flood from all their pixels at
    // once: each part is counted on its own, and parts that meet are joined. `cap` pixels in all;
    // a part still growing then counts as the cap (open), a part the flood finished as its size
    // (a pocket).
    std::array<int, MostStarts> Split(const TFieldModel &model, const std::array<TPixel, MostStarts> &starts, int count,
                                      int cap);

private:
    struct TEntry
    {
        TPixel pixel;
        int part;
    };
    std::array<std::uint16_t, Window * Window> seen{};
    std::array<std::uint8_t, Window * Window> partOf{};
    std::uint16_t generation = 0;
    std::vector<TEntry> pending;
};
