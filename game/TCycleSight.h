#pragma once

#include "game/TPlayer.h"

#include <cstdint>

// What anyone watching the screen can tell of a cycle: where its head is, which way it heads, how
// fast it goes, how many jump jets it has left, and whether it takes part in the round at all (the
// blue cycle stands still, undrawn, in a one-player game). A copy: nothing can be changed through it.
struct TCycleSight
{
    TPlayer player = TPlayer::Red;
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    std::uint8_t dir = 0;       // heading 1..8, see Headings.h
    std::uint16_t interval = 0; // milliseconds per step: 1 (fastest) to 101
    std::int32_t jets = 0;
    bool inPlay = false;
};
