#pragma once

#include "computer/TComputerLevel.h"
#include "platform/TProfileFile.h"

#include <QString>

// The "Computer" section of the settings file: how well the computer opponent plays, as the text
// "easy", "normal" or "hard", read by the one rule of ComputerLevelFromText (blanks and case do
// not count; a missing key or any other value is Normal).
namespace ComputerSection {

inline constexpr const char *Name = "Computer";
inline constexpr const char *Key = "level";

inline TComputerLevel Level(const TProfileFile &file)
{
    return ComputerLevelFromText(file.ReadString(QString::fromLatin1(Name), QString::fromLatin1(Key), QString()));
}

// The section's keys as the settings dialog writes them.
inline TProfileFile::KeyValues Values(TComputerLevel level)
{
    return {{QString::fromLatin1(Key), ComputerLevelText(level)}};
}

} // namespace ComputerSection
