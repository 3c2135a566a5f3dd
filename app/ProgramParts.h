#pragma once

#include "game/TGameParts.h"

// The parts of the program's own game: the real timers and media, the computer opponent, and the
// given host and seed.
// The computer opponent at the stored level, seeded.
TComputerMaker ComputerPilotMaker();

TGameParts ProgramParts(std::unique_ptr<TGameHost> host, std::uint32_t seed);
