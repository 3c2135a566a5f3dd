#pragma once

#include "game/TGameHost.h"
#include "game/TPilot.h"
#include "game/TTickSource.h"
#include "platform/TMediaCommands.h"

#include <cstdint>
#include <functional>
#include <memory>

// Makes the computer's pilot at a level, seeded.
using TComputerMaker = std::function<std::unique_ptr<TPilot>(TComputerLevel level, std::uint32_t seed)>;

// Everything a game needs from outside, handed to it when it is made: the host (blocking windows
// and the settings file), the media commands for its sounds, the source of its ticks, the seed
// of its random draws, and the maker of the computer's pilot from the stored level and a seed of
// the game's own draws.
struct TGameParts
{
    std::unique_ptr<TGameHost> host;
    std::unique_ptr<TMediaCommands> media;
    std::unique_ptr<TTickSource> ticks;
    std::uint32_t seed = 0;
    TComputerMaker computer;
};
