#pragma once

#include "computer/TComputerLevel.h"
#include "computer/TFieldModel.h"

#include <cstdint>

// What makes one level play better than another: judgement and reaction, nothing else. Speeds are
// the same keys for everyone: a level only chooses differently when to press them.
struct TLevelTraits
{
    // Weighs the cells each cycle gets to first (and so cuts the opponent off) rather than only
    // the room in front of it.
    bool territory;
    // Cells a look over the field takes in: a short-sighted level sees a pocket as open space.
    int lookLimit;
    // Until an obstacle that appears on its way is acted upon (game milliseconds), at least and
    // at most.
    int reactionMs;
    int reactionSpreadMs;
    // Shares of its decisions: taken at random; a forced turn taken late, by up to so many pixels;
    // a turn for no reason in the open; the second best taken.
    double wrongTurn;
    double lateTurn;
    int lateTurnPixels;
    double wander;
    double secondBest;
    // The chance that it thinks of a jump jet when there is no other way out.
    double jetUse;
    // How many cells out of its way it drives for a bonus (0: it ignores them).
    int bonusReach;
    // Keeps out of the way of the opponent's head.
    bool avoidOpponent;
    // The step intervals it aims at: alone on the field, with the opponent on the open field, and
    // walled off from it (slow lasts longer: a walled-off round is won by the one that lasts).
    std::uint16_t aloneInterval;
    std::uint16_t openInterval;
    std::uint16_t separatedInterval;
};

inline const TLevelTraits &TraitsOf(TComputerLevel level)
{
    // Easy: a beginner, looking a dozen cells ahead, turning late now and then, reacting in a
    // quarter of a second, never touching the speed keys.
    static constexpr TLevelTraits Easy{false, 6, 250, 150, 0.06, 0.35, 16, 0.08, 0.0, 0.2, 0, false, 51, 51, 51};
    // Normal: sees the whole field and reacts quickly, but plays for room, not for territory.
    static constexpr TLevelTraits Normal{
        false, TFieldModel::CellCount, 60, 60, 0.0, 0.0, 0, 0.0, 0.03, 0.7, 6, true, 41, 41, 51};
    // Hard: territory, cut-offs, jets, bonuses on the way, speed in the open, no delay.
    static constexpr TLevelTraits Hard{true, TFieldModel::CellCount, 0, 0, 0.0, 0.0, 0, 0.0, 0.0, 1.0, 20, true, 41, 21,
                                       101};
    switch (level) {
    case TComputerLevel::Easy: return Easy;
    case TComputerLevel::Hard: return Hard;
    case TComputerLevel::Normal: break;
    }
    return Normal;
}
