#pragma once

#include "platform/TProfileFile.h"

#include <QString>

#include <array>

// The "Computer" section of the settings file: how well the computer opponent plays, as the text
// "easy", "normal" or "hard". A missing key or any other value is "normal".
namespace ComputerSection {

inline constexpr const char *Name = "Computer";
inline constexpr const char *Key = "level";
inline constexpr std::array<const char *, 3> Levels{"easy", "normal", "hard"};
inline constexpr const char *DefaultLevel = "normal";

// One of Levels, whatever the text.
inline QString Known(const QString &text)
{
    for (const char *level : Levels)
        if (text == QLatin1String(level))
            return text;
    return QString::fromLatin1(DefaultLevel);
}

inline QString Read(const TProfileFile &file)
{
    return Known(
        file.ReadString(QString::fromLatin1(Name), QString::fromLatin1(Key), QString::fromLatin1(DefaultLevel)));
}

// The section's keys as the settings dialog writes them.
inline TProfileFile::KeyValues Values(const QString &level)
{
    return {{QString::fromLatin1(Key), Known(level)}};
}

} // namespace ComputerSection
