#include "app/ProgramParts.h"

#include "computer/TComputerPlayer.h"
#include "game/TTimerTicks.h"

TComputerMaker ComputerPilotMaker()
{
    return [](TComputerLevel level, std::uint32_t seed) -> std::unique_ptr<TPilot> {
        return std::make_unique<TComputerPlayer>(level, seed);
    };
}

TGameParts ProgramParts(std::unique_ptr<TGameHost> host, std::uint32_t seed)
{
    TGameParts parts;
    parts.host = std::move(host);
    parts.media = std::make_unique<TMediaCommands>();
    parts.ticks = std::make_unique<TTimerTicks>();
    parts.seed = seed;
    parts.computer = ComputerPilotMaker();
    return parts;
}
