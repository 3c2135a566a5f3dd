#pragma once

#include <cstdint>

// The five things a player does with a cycle, whoever gives the command: a key, a game controller
// or the computer. Each goes through the same code, under the same conditions.
enum class TPlayerAction : std::uint8_t { TurnLeft, TurnRight, Faster, Slower, Jump };
