#include "computer/TCellSearch.h"

#include <algorithm>

TCellSearch::TCellSearch()
{
    for (std::vector<Entry> &queue : queues)
        queue.reserve(TFieldModel::CellCount);
}

int TCellSearch::Part(int part) const
{
    while (parent[static_cast<std::size_t>(part)] != part)
        part = parent[static_cast<std::size_t>(part)];
    return part;
}

void TCellSearch::Join(int a, int b)
{
    // The candidate's own part joins nothing: all parts touch it.
    if (a == 0 || b == 0)
        return;
    a = Part(a);
    b = Part(b);
    if (a != b)
        parent[static_cast<std::size_t>(std::max(a, b))] = std::min(a, b);
}

TOutlook TCellSearch::Look(const TFieldModel &model, const TLookFrom &start)
{
    Begin(start);
    int unlimited = 4 * TFieldModel::CellCount;
    Go(model, unlimited);
    return Result();
}

void TCellSearch::Push(int side, std::int32_t time, int cell, int part)
{
    TCellState &state = cells[static_cast<std::size_t>(cell)];
    if (state.look != generation)
        state = {generation, 0, Unclaimed, 0, 0};
    state.queued = static_cast<std::uint8_t>(state.queued | 1u << side);
    queues[static_cast<std::size_t>(side)].push_back(
        {time, static_cast<std::uint16_t>(cell), static_cast<std::uint8_t>(part)});
}

void TCellSearch::Begin(const TLookFrom &start)
{
    if (++generation == 0) {
        cells.fill({});
        generation = 1;
    }
    from = start;
    outlook = {};
    taken = 0;
    done = false;
    for (int part = 0; part < 9; ++part) {
        parent[static_cast<std::size_t>(part)] = part;
        partSize[static_cast<std::size_t>(part)] = 0;
    }
    for (std::vector<Entry> &queue : queues)
        queue.clear();
    heads = {0, 0};
    Push(Mine, from.time, from.cell, 0);
    if (from.opponentCell >= 0)
        Push(Theirs, 0, from.opponentCell, 0);
}

bool TCellSearch::Go(const TFieldModel &model, int &budget)
{
    const std::array<int, 8> &neighbours = TFieldModel::Neighbours();
    const std::array<int, 2> step{from.step, from.opponentStep};
    while (!done && budget > 0) {
        const bool mineLeft = heads[Mine] < queues[Mine].size();
        const bool theirsLeft = heads[Theirs] < queues[Theirs].size();
        if (!mineLeft && !theirsLeft) {
            done = true;
            break;
        }
        --budget;
        // At equal times the opponent goes first: a tie is no gain.
        const int side =
            !mineLeft || (theirsLeft && queues[Theirs][heads[Theirs]].time <= queues[Mine][heads[Mine]].time) ? Theirs
                                                                                                              : Mine;
        const Entry entry = queues[static_cast<std::size_t>(side)][heads[static_cast<std::size_t>(side)]++];
        TCellState &state = cells[entry.cell];

        if (state.owner != Unclaimed) {
            if (state.owner != side && state.owner != Nobody && state.time == entry.time) {
                // Both get there at once: it is nobody's.
                if (state.owner == Mine) {
                    --outlook.mine;
                    --partSize[state.part];
                } else {
                    --outlook.theirs;
                }
                state.owner = Nobody;
                outlook.connected = true;
            }
            continue;
        }
        state.owner = static_cast<std::uint8_t>(side);
        state.time = entry.time;
        state.part = entry.part;
        if (side == Mine) {
            ++partSize[entry.part];
            if (outlook.bonusSteps < 0 && from.bonusCells && from.bonusCells[entry.cell])
                outlook.bonusSteps = (entry.time - from.time) / std::max(from.step, 1);
            ++outlook.mine;
        } else {
            ++outlook.theirs;
        }
        if (outlook.mine >= from.limit || ++taken >= from.reach) {
            done = true;
            break;
        }

        const int nextTime = entry.time + step[static_cast<std::size_t>(side)];
        const bool fromStart = side == Mine && entry.cell == from.cell;
        for (unsigned moves = model.Moves(entry.cell); moves != 0; moves &= moves - 1) {
            const auto k = static_cast<std::size_t>(__builtin_ctz(moves));
            const int next = entry.cell + neighbours[k];
            const TCellState &seen = cells[static_cast<std::size_t>(next)];
            if (seen.look == generation) {
                if (seen.owner == Unclaimed) {
                    if (seen.queued & (1u << side))
                        continue;
                } else {
                    if (seen.owner != side)
                        outlook.connected = true;
                    else if (side == Mine && seen.part != entry.part)
                        Join(seen.part, entry.part);
                    continue;
                }
            }
            Push(side, nextTime, next, fromStart ? static_cast<int>(k) + 1 : entry.part);
        }
    }
    return done;
}

TOutlook TCellSearch::Result() const
{
    std::array<int, 9> joined{};
    for (int part = 1; part < 9; ++part)
        joined[static_cast<std::size_t>(Part(part))] += partSize[static_cast<std::size_t>(part)];
    TOutlook result = outlook;
    result.space = partSize[0] + *std::max_element(joined.begin(), joined.end());
    return result;
}
