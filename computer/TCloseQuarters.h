#pragma once

#include "computer/TFieldModel.h"

#include <array>
#include <cstdint>

class TFieldSurface;

// Both cycles as a close-quarters look sees them: heads, headings and step intervals.
struct TCloseView
{
    TPixel head;
    std::uint8_t heading = 0;
    int interval = 1;
    TPixel rival;
    std::uint8_t rivalHeading = 0;
    int rivalInterval = 1;
};

// Head to head with a fast opponent the coarse cells tell too little: a trail laid a few pixels
// ahead decides who gets the space behind it. So each move is weighed pixel by pixel in a window
// round both heads: the pixels this cycle reaches before the opponent, each at its own pace,
// against those the opponent reaches first, whatever the opponent replies. A move that leaves the
// other cycle the race to a pixel next to the landing is as bad as a crash.
class TCloseQuarters
{
public:
    // The window's side, in pixels: both heads are inside it while they are at most `Reach` apart.
    static constexpr int Window = 40;
    static constexpr int Reach = Window / 2 - 4;

    // The best move, or 0 when the heads are too far apart or every move crashes at once.
    std::uint8_t Choose(const TFieldSurface &field, const TFieldModel &model, const TCloseView &view);

private:
    // The window with a border of walls round it, so that a step needs no bounds check.
    static constexpr int Stride = Window + 2;
    static constexpr int Area = Stride * Stride;
    static constexpr std::uint16_t Unreached = 0xFFFF;

    bool InWindow(TPixel p) const { return p.x >= left && p.y >= top && p.x < left + Window && p.y < top + Window; }
    int Index(TPixel p) const { return (p.y - top + 1) * Stride + (p.x - left + 1); }
    // The opponent's steps to every free pixel of the window; how many it reaches.
    int TheirDistances(int from);
    // The race from this cycle's landing: the pixels it reaches first (it never goes on through a
    // pixel the opponent is on first), those of them the opponent reaches too, and the ties.
    struct TRace
    {
        int first = 0;
        int contested = 0;
        int ties = 0;
    };
    TRace Race(int landing, int ours);

    int left = 0;
    int top = 0;
    std::array<std::uint8_t, Area> walls{};
    std::array<std::uint16_t, Area> theirSteps{};
    // When the opponent gets to each pixel (game milliseconds): `Blocked` for a wall, `Never`.
    static constexpr int Blocked = -1;
    static constexpr int Never = 1 << 30;
    std::array<int, Area> theirTime{};
    std::array<std::uint16_t, Area> mySteps{};
    std::uint16_t myGeneration = 0;
    std::array<std::int16_t, Area> queue{};
};
