#pragma once

#include "computer/LevelTraits.h"
#include "computer/PixelPaths.h"
#include "computer/TBonusWatch.h"
#include "computer/TCellSearch.h"
#include "computer/TCloseQuarters.h"
#include "computer/TComputerLevel.h"
#include "computer/TEncircler.h"
#include "computer/TFieldModel.h"
#include "game/TPilot.h"

#include <array>
#include <cstdint>
#include <random>

// The computer opponent: steers a cycle from what anyone can see, the field's pixels and the two
// cycles, through the same five actions as the keys.
//
// It drives from node to node of the coarse cells (see TFieldModel) and decides at each node
// which neighbouring cell to drive into next. Each candidate is weighed by one look over the cells
// (TCellSearch): while the opponent can still get at the same space, by the territory each gets
// to first; once they are walled off from each other, by the room left to fill, never entering a
// cut vertex towards the smaller part. The looks for the next node are spread over the ticks of
// the way there, a few hundred cells a tick, so that no tick waits long for its decision; one
// that cannot wait (off the nodes, after dodging or a jump) takes quick, nearer looks. Every step is checked
// against the field's real pixels; where the cells no longer tell (a gap narrower than a cell) it
// steers pixel by pixel, and with no way out at all it jumps if it has a jet.
//
// Against a much slower opponent in reach it sets all that aside while it rides flat out round the
// opponent to shut it in (TEncircler), as the level's judgement allows.
//
// Deterministic: the same seed and the same sequence of fields and sights give the same actions.
class TComputerPlayer : public TPilot
{
public:
    TComputerPlayer(TComputerLevel level, std::uint32_t seed);

    void NewRound() override;
    TPilotActions Decide(const TFieldSurface &field, const TCycleSight &own, const TCycleSight &other) override;

    TComputerLevel Level() const { return level; }

private:
    struct TCandidate
    {
        int cell = 0;
        int time = 0; // game milliseconds until the computer would be there
        int score = 0;
        TOutlook outlook;
        bool evaluated = false;
    };
    struct TJump
    {
        bool worth = false;
        std::uint8_t heading = 0;
        int fasterKeys = 0;
    };
    // What a decision sees: the sights, taken apart once.
    struct TView
    {
        const TFieldSurface &field;
        const TCycleSight &own;
        const TCycleSight &other;
        TPixel head;
        TPixel rival;
    };

    void Observe(const TView &view);
    std::uint8_t Steer(const TView &view, TJump &jump);
    bool ChooseTarget(const TView &view);
    bool AimAtBonus(const TView &view);
    void StartPlan(int cell, std::uint8_t arrival);
    void PlanAhead(const TView &view);
    TLookFrom LookFrom(const TView &view, const TCandidate &candidate) const;
    void Score(const TView &view, TCandidate &candidate, const TOutlook &outlook);
    std::uint8_t PixelMove(const TView &view, TJump &jump);
    std::uint8_t CloseMove(const TView &view);
    void CheckShutOff(const TView &view);
    // The room next to a head: the largest of the areas its free neighbours lie in, up to `cap`.
    int RoomAround(TPixel head, int cap);
    TJump BestJump(const TView &view, int roomWithout);
    std::uint16_t AimedInterval(const TView &view) const;
    int ReactionTicks(std::uint16_t interval);
    bool RealRouteFree(const TView &view, const TRoute &route, TPixel to) const;
    bool Chance(double share);
    int Below(int n);

    TComputerLevel level;
    const TLevelTraits &traits;
    std::mt19937 generator;

    TFieldModel model;
    TBonusWatch bonus;
    // The looks for the next node, taken a piece a tick; and quick ones for a decision now.
    TCellSearch planSearch;
    TCellSearch quickSearch;
    TPixelFlood flood;
    TEncircler hunter;
    TCloseQuarters closeQuarters;

    // Whether the model has ever read the field (a pilot may start in the middle of a round).
    bool seen = false;
    TPixel lastHead;
    TPixel lastRival;

    // The node (or bonus pixel) being driven to.
    bool hasTarget = false;
    bool targetIsBonus = false;
    TPixel target;
    bool diagonalFirst = false;
    // What the last decision saw ahead: whether the opponent could still get at the same space.
    bool walledOff = false;
    int roomAhead = 0;

    // The candidates for the decision at the target node, weighed on the way there.
    std::array<TCandidate, 8> plan{};
    int planCell = -1;
    int planSize = 0;
    int planNext = 0;
    bool planLooking = false;

    // Ticks until an obstacle noticed on the way is acted upon; -1 when none is.
    int reactIn = -1;
    // Ticks a late turn still goes straight on.
    int lateTicks = 0;
    // Whether it thought of its jets in this tight spot (rolled once per spot, not per tick).
    int jetThought = -1;
    // Game milliseconds of its own steps since the round began, counted up to the opening's end.
    int roundMs = 0;
    // Choices left of those at the very start of a round, which the seed sways most.
    int freeChoices = 0;
    // Whether it shuts a much slower opponent in this round.
    bool huntsThisRound = false;
    // The move a close-quarters look chose, and the steps it still keeps to it.
    std::uint8_t closeMove = 0;
    int closeLeft = 0;
    // Whether its own pixels are shut off from the opponent's head, and the steps until it looks
    // again.
    bool shutOff = false;
    int shutCheckIn = 0;
};
