#pragma once

#include <cstdint>

// Headings 1..8 start upwards and turn counter-clockwise in 45-degree steps: adding 1 turns left.
// A heading outside 1..8 moves nothing.
struct HeadingStep
{
    int dx;
    int dy;
};

constexpr HeadingStep StepOf(std::uint8_t heading)
{
    switch (heading) {
    case 1: return {0, -1};
    case 2: return {-1, -1};
    case 3: return {-1, 0};
    case 4: return {-1, +1};
    case 5: return {0, +1};
    case 6: return {+1, +1};
    case 7: return {+1, 0};
    case 8: return {+1, -1};
    default: return {0, 0};
    }
}

// Moves a head `distance` pixels along its heading. Coordinates are unsigned 16-bit and wrap, so
// a step left of column 0 lands on column 65535, far outside the field.
constexpr void Advance(std::uint16_t &x, std::uint16_t &y, std::uint8_t heading, int distance)
{
    const HeadingStep step = StepOf(heading);
    x = static_cast<std::uint16_t>(x + step.dx * distance);
    y = static_cast<std::uint16_t>(y + step.dy * distance);
}

// After a turn 9 becomes 1 and 0 becomes 8.
constexpr std::uint8_t Normalised(std::uint8_t heading)
{
    if (heading == 9)
        return 1;
    if (heading == 0)
        return 8;
    return heading;
}
