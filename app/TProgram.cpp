#include "app/TProgram.h"

#include "app/TWindowHost.h"
#include "computer/TComputerPlayer.h"
#include "game/TTimerTicks.h"
#include "input/TGamepads.h"

namespace {

TGameParts ProgramParts(std::uint32_t seed, std::unique_ptr<TTickSource> ticks, TWindowHost *&host)
{
    TGameParts parts;
    auto windows = std::make_unique<TWindowHost>();
    host = windows.get();
    parts.host = std::move(windows);
    parts.media = std::make_unique<TMediaCommands>();
    parts.ticks = ticks ? std::move(ticks) : std::make_unique<TTimerTicks>();
    parts.seed = seed;
    parts.computer = ComputerPilotMaker();
    return parts;
}

} // namespace

TComputerMaker ComputerPilotMaker()
{
    return [](TComputerLevel level, std::uint32_t seed) -> std::unique_ptr<TPilot> {
        return std::make_unique<TComputerPlayer>(level, seed);
    };
}

TProgram::TProgram(std::uint32_t seed, std::unique_ptr<TTickSource> ticks)
    : game(ProgramParts(seed, std::move(ticks), host))
    , recorder(game, TReplayRecorder::DefaultFolder())
    , Form1(game, std::make_unique<TGamepads>([windows = host] { return windows->ReadPadMapping(); }))
{
    host->setOwner(&Form1);
    Form1.setWindowHost(host);
    Form1.setRecorder(&recorder);
}
