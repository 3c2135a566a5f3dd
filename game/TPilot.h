#pragma once

#include "game/PlayerAction.h"
#include "game/TCycleSight.h"

#include <array>
#include <cstdint>

class TFieldSurface;

// The actions a pilot gives for one tick, in the order they are to be carried out.
class TPilotActions
{
public:
    static constexpr std::size_t Capacity = 8;

    // Further actions beyond the capacity are dropped.
    void Add(TPlayerAction action)
    {
        if (count < Capacity)
            actions[count++] = action;
    }
    const TPlayerAction *begin() const { return actions.data(); }
    const TPlayerAction *end() const { return actions.data() + count; }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }

private:
    std::array<TPlayerAction, Capacity> actions{};
    std::size_t count = 0;
};

// Steers a cycle in place of a player. On each tick of that cycle, before the step, the game shows
// it the field and both cycles and carries out the actions it returns exactly as if the player's
// keys had been pressed. It never learns anything else of the game.
class TPilot
{
public:
    virtual ~TPilot() = default;
    // A round begins: the field is clear and both cycles stand on their start.
    virtual void NewRound() {}
    virtual TPilotActions Decide(const TFieldSurface &field, const TCycleSight &own, const TCycleSight &other) = 0;
};
