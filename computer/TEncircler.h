#pragma once

#include "computer/PixelPaths.h"
#include "computer/TFieldModel.h"

#include <array>
#include <cstdint>
#include <random>

class TFieldSurface;

// What one step of a hunt sees: both heads, the opponent's pace, and the game time since the last
// step (milliseconds).
struct TChase
{
    TPixel head;
    std::uint8_t heading = 0;
    TPixel rival;
    std::uint8_t rivalHeading = 0;
    int rivalInterval = 1;
    int elapsed = 0;
    // Whether the cells say the opponent can be got at at all.
    bool reachable = true;
    // The slowest step interval of an opponent that a hunt sets out after; one under way goes on
    // while the opponent is no faster than `KeepOnFrom`.
    int huntFrom = 21;
};

// Shuts a much slower opponent in. Riding flat out, it draws a small square with straight sides
// (a diagonal trail lets a diagonal step through) around the place the opponent's head will be when
// the square closes, leaving to the field's edge any side close to it, then leaves the opponent to
// fill what is left. An opponent that jumps out is shut in again, until it has no jets left.
//
// Every step is checked against the real pixels and the room behind it; a square that cannot be
// drawn safely is given up for a while, and the ordinary steering takes over.
class TEncircler
{
public:
    // The opponent's area, in pixels, below which it counts as shut in: more than the largest
    // square holds.
    static constexpr int SealCap = 4000;
    // The hunter rides at 1 ms; a square round an opponent faster than this cannot be closed.
    static constexpr int KeepOnFrom = 11;

    // A new round; the first hunt waits so many game milliseconds.
    void Clear(int waitMs);
    // The heading of the next step on the square, or 0 when it does not hunt now.
    std::uint8_t Step(const TFieldSurface &field, const TFieldModel &model, TPixelFlood &flood, const TChase &chase,
                      std::mt19937 &random);
    bool Hunting() const { return count > 0; }

private:
    bool CheckSeal(const TFieldModel &model, TPixelFlood &flood, TPixel rival);
    void MakePlan(const TChase &chase, std::mt19937 &random);
    bool Inside(TPixel p) const { return p.x > x0 && p.x < x1 && p.y > y0 && p.y < y1; }
    std::uint8_t SafeHeading(const TFieldSurface &field, const TFieldModel &model, TPixelFlood &flood,
                             const TChase &chase, std::uint8_t wanted);
    void GiveUp(int restMs);

    // The square's sides (on the pixels its trail takes; -1 or the field's size: the edge is that
    // side) and the corners still to drive to.
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    std::array<TPixel, 5> path{};
    int count = 0;
    int next = 0;
    int budget = 0;

    bool sealed = false;
    // Whether it shut this opponent in before in this round (an opponent that jumped out is
    // hunted again even where the cells see it walled off).
    bool sealedOnce = false;
    int sinceCheck = 0;
    int rest = 0;
};
