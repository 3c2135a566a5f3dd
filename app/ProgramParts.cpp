#include "app/ProgramParts.h"

#include "computer/TComputerPlayer.h"
#include "game/TTimerTicks.h"

std::function<std::unique_ptr<TPilot>(const QString &level, std::uint32_t seed)> ComputerPilotMaker()
{
    return [](const QString &level, std::uint32_t seed) -> std::unique_ptr<TPilot> {
        return std::make_unique<TComputerPlayer>(ComputerLevelFromText(level), seed);
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
