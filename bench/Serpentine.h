#pragma once

#include <cstdint>

// Keeps a cycle alive on an empty band of the field: right along a row, two pixels down, left
// along the next row, and so on. It only says when to turn; the caller turns the cycle with the
// player's own steering keys, as a player would.
class Serpentine
{
public:
    struct Band
    {
        int left;
        int right;
        int top;
        int bottom;
    };

    explicit Serpentine(Band band);

    // The head at the band's top left corner, heading right.
    void Place(std::uint16_t &x, std::uint16_t &y, std::uint8_t &heading) const;

    // The turns to make before the next step from (x, y): +2 for two left turns (counter-clockwise),
    // -2 for two right turns, 0 for none.
    int TurnsBefore(std::uint16_t x, std::uint16_t y, std::uint8_t heading) const;

    // Whether the path has reached the bottom of its band, so that it must start again on a
    // cleared field.
    bool UsedUp(std::uint16_t y) const { return y >= band.bottom; }

private:
    Band band;
};
