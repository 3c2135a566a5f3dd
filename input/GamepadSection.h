#pragma once

#include "game/PlayerAction.h"
#include "input/TPadMapping.h"
#include "platform/TProfileFile.h"

#include <array>
#include <cstdint>

// The "Gamepad" section of the settings file: each player's five controller buttons by SDL's
// names, written together in one replace. A missing key, an empty value and anything that is not
// the name of an assignable button read as the button the controller comes with.
namespace GamepadSection {

inline constexpr const char *Name = "Gamepad";

struct Entry
{
    const char *key;
    std::uint8_t player;
    TPlayerAction action;
};

inline constexpr std::array<Entry, 10> Entries{{
    {"lefta", 1, TPlayerAction::TurnLeft},
    {"righta", 1, TPlayerAction::TurnRight},
    {"fasta", 1, TPlayerAction::Faster},
    {"slowa", 1, TPlayerAction::Slower},
    {"jumpa", 1, TPlayerAction::Jump},
    {"leftb", 2, TPlayerAction::TurnLeft},
    {"rightb", 2, TPlayerAction::TurnRight},
    {"fastb", 2, TPlayerAction::Faster},
    {"slowb", 2, TPlayerAction::Slower},
    {"jumpb", 2, TPlayerAction::Jump},
}};

// The mapping as the file has it, with one reading of the file.
TPadMapping Read(const TProfileFile &file);
// The ten keys with their values, in the order above, for one WriteStrings.
TProfileFile::KeyValues Values(const TPadMapping &mapping);

} // namespace GamepadSection
