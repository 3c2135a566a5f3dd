#pragma once

#include "computer/TFieldModel.h"

#include <array>
#include <cstdint>
#include <vector>

// Where a look over the cells starts: the cell the computer considers driving into, when it would
// get there and how long it takes per cell (both in game milliseconds); the opponent's head and
// pace, if it is on the field.
struct TLookFrom
{
    int cell = 0;
    int time = 0;
    int step = 1;
    int opponentCell = -1;
    int opponentStep = 1;
    // Cells of a bonus label (1) or null.
    const std::uint8_t *bonusCells = nullptr;
    // Stops after this many cells of its own (a short-sighted look), or after this many cells
    // of both (a quick look, when a decision cannot wait for a full one).
    int limit = TFieldModel::CellCount;
    int reach = 2 * TFieldModel::CellCount;
};

// What driving into a cell promises.
struct TOutlook
{
    // Cells the computer gets to first, the cell itself included, and those the opponent does.
    int mine = 0;
    int theirs = 0;
    // The cell and the largest part beyond it. Where the ways on from the cell lead into parts that
    // are separate once it is taken (the cell is a cut vertex), only one of them can be filled.
    int space = 0;
    // The two fronts met: the opponent can still get at the space.
    bool connected = false;
    // Cells from the candidate to the nearest bonus cell it gets to first; -1 when none.
    int bonusSteps = -1;
};

// One breadth-first pass over the free cells, from the candidate and from the opponent's head at
// once, in game time: each cell goes to the cycle that gets there first (a faster cycle claims
// more), a cell both reach at the same moment to neither, and neither front passes the other's
// cells. This is the territory of the light-cycle contests. Alongside, it keeps apart the parts
// reached through each of the candidate's neighbours and joins them where they meet, which tells
// whether the candidate is a cut vertex and what lies on each side.
//
// A look can be taken in pieces, a number of cells at a time, so that a full look over the field
// spreads over several ticks.
class TCellSearch
{
public:
    TCellSearch();

    TOutlook Look(const TFieldModel &model, const TLookFrom &from);

    void Begin(const TLookFrom &from);
    // Takes up to `cells` more cells off the fronts, less what it took; true once the look is done.
    bool Go(const TFieldModel &model, int &cells);
    TOutlook Result() const;

private:
    struct Entry
    {
        std::int32_t time;
        std::uint16_t cell;
        std::uint8_t part;
    };
    enum Owner : std::uint8_t { Mine, Theirs, Nobody, Unclaimed };
    // A cell as this look has seen it; `look` tells whether the rest is from this look at all.
    struct TCellState
    {
        std::uint32_t look;
        std::int32_t time;
        std::uint8_t owner;
        std::uint8_t part;
        std::uint8_t queued; // a bit per side
    };

    int Part(int part) const;
    void Join(int a, int b);

    void Push(int side, std::int32_t time, int cell, int part);

    TLookFrom from;
    TOutlook outlook;
    std::array<std::vector<Entry>, 2> queues;
    std::array<std::size_t, 2> heads{};
    int taken = 0;
    bool done = true;
    std::array<TCellState, TFieldModel::CellCount> cells{};
    std::uint32_t generation = 0;
    // Part 0 is the candidate itself, parts 1..8 start at its neighbours by heading.
    std::array<int, 9> parent{};
    std::array<int, 9> partSize{};
};
