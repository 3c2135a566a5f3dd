#pragma once

#include "game/TCycleSight.h"
#include "game/TGameEvent.h"
#include "game/TPlayer.h"

#include <cstdint>

class TMovementClock;
class TPanelDisplay;

// One player as the handlers of play see it: that player's part of the game state, wherever it
// lives (the game's variables, the movement clock, the side panel's values). Red or blue is chosen
// once, in TGame::Player(), rather than in every handler.
struct TPlayerView
{
    TPlayer player;
    std::uint8_t &dir;
    std::uint16_t &x;
    std::uint16_t &y;
    TMovementClock &timer; // its Interval is the step interval
    std::int32_t &score;
    std::uint8_t &lives;
    TPanelDisplay &jets; // its Value is the count of jump jets
    TPanelDisplay &dial;
    TPanelDisplay &scoreDisplay;
    TPanelDisplay &livesDisplay;
    std::uint32_t colour;   // of the trail
    std::uint8_t livesCell; // the lives strip's cell for no cycles left

    std::uint16_t Interval() const;
    std::int32_t Jets() const;
    // The lives display shows its cell of the lives strip for the cycles left.
    void ShowLives() const;
    TCycleSight Sight(bool inPlay) const;
    TCycleState State() const;
};
