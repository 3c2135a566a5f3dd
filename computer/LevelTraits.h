#pragma once

#include "computer/TCloseQuarters.h"
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
    // The chance that it thinks of a jump jet when there is no other way out, and the jets it keeps
    // back for the start of a round.
    double jetUse;
    int jetsKept;
    // How many cells out of its way it drives for a bonus (0: it ignores them).
    int bonusReach;
    // Keeps out of the way of the opponent's head.
    bool avoidOpponent;
    // The step intervals it aims at: alone on the field, with the opponent on the open field, and
    // walled off from it (slow lasts longer: a walled-off round is won by the one that lasts).
    std::uint16_t aloneInterval;
    std::uint16_t openInterval;
    std::uint16_t separatedInterval;
    // What it does when the opponent rides faster than it means to while they can still meet: a
    // slow cycle is boxed in before it can turn out of the box. -1 pays no heed, 0 keeps pace, 1
    // rides a step faster.
    int answerSpeed;
    // Speed keys it presses at most in one tick, and how near (in pixels) the opponent's head has
    // to be for it to ride flat out: both cycles start a round on the same pixel, and a fast
    // opponent boxes in a slow cycle there before it has moved.
    int speedKeys;
    int closeQuarters;
    // The share of rounds in which it sees that a much slower opponent can be shut in, and rides
    // flat out round it (see TEncircler).
    double hunts;
    // The slowest step interval of an opponent it sets out after.
    int huntFrom;
    // How near (in pixels) a fast opponent's head has to be for it to weigh its moves pixel by
    // pixel against the opponent's replies (0: never, see TCloseQuarters), and how many steps it
    // keeps to a move so chosen before it looks again.
    int closeLook;
    int closeHold;
};

inline const TLevelTraits &TraitsOf(TComputerLevel level)
{
    // Easy: a beginner, looking a dozen cells ahead, turning late now and then, reacting in a
    // quarter of a second, never touching the speed keys.
    static constexpr TLevelTraits Easy{.territory = false,
                                       .lookLimit = 6,
                                       .reactionMs = 250,
                                       .reactionSpreadMs = 150,
                                       .wrongTurn = 0.06,
                                       .lateTurn = 0.35,
                                       .lateTurnPixels = 16,
                                       .wander = 0.08,
                                       .secondBest = 0.0,
                                       .jetUse = 0.2,
                                       .jetsKept = 0,
                                       .bonusReach = 0,
                                       .avoidOpponent = false,
                                       .aloneInterval = 51,
                                       .openInterval = 51,
                                       .separatedInterval = 51,
                                       .answerSpeed = -1,
                                       .speedKeys = 0,
                                       .closeQuarters = 0,
                                       .hunts = 0.0,
                                       .huntFrom = 0,
                                       .closeLook = 0,
                                       .closeHold = 0};
    // Normal: sees the whole field and reacts quickly, but plays for room, not for territory.
    static constexpr TLevelTraits Normal{.territory = false,
                                         .lookLimit = TFieldModel::CellCount,
                                         .reactionMs = 60,
                                         .reactionSpreadMs = 60,
                                         .wrongTurn = 0.0,
                                         .lateTurn = 0.0,
                                         .lateTurnPixels = 0,
                                         .wander = 0.0,
                                         .secondBest = 0.03,
                                         .jetUse = 0.7,
                                         .jetsKept = 1,
                                         .bonusReach = 6,
                                         .avoidOpponent = true,
                                         .aloneInterval = 41,
                                         .openInterval = 41,
                                         .separatedInterval = 51,
                                         .answerSpeed = 0,
                                         .speedKeys = 3,
                                         .closeQuarters = 0,
                                         .hunts = 0.7,
                                         .huntFrom = 31,
                                         .closeLook = 16,
                                         .closeHold = 1};
    // Hard: territory, cut-offs, jets, bonuses on the way, speed in the open, no delay.
    static constexpr TLevelTraits Hard{.territory = true,
                                       .lookLimit = TFieldModel::CellCount,
                                       .reactionMs = 0,
                                       .reactionSpreadMs = 0,
                                       .wrongTurn = 0.0,
                                       .lateTurn = 0.0,
                                       .lateTurnPixels = 0,
                                       .wander = 0.0,
                                       .secondBest = 0.0,
                                       .jetUse = 1.0,
                                       .jetsKept = 1,
                                       .bonusReach = 20,
                                       .avoidOpponent = true,
                                       .aloneInterval = 41,
                                       .openInterval = 21,
                                       .separatedInterval = 101,
                                       .answerSpeed = 1,
                                       .speedKeys = 5,
                                       .closeQuarters = 40,
                                       .hunts = 1.0,
                                       .huntFrom = 21,
                                       .closeLook = TCloseQuarters::Reach,
                                       .closeHold = 0};
    switch (level) {
    case TComputerLevel::Easy: return Easy;
    case TComputerLevel::Hard: return Hard;
    case TComputerLevel::Normal: break;
    }
    return Normal;
}
