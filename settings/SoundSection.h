#pragma once

#include "platform/TProfileFile.h"

// The "Sound" section of the settings file: whether the game sounds. "0" is off; a missing key
// or any other value is on.
namespace SoundSection {

inline constexpr const char *Name = "Sound";
inline constexpr const char *Key = "on";

inline bool Read(const TProfileFile &file)
{
    return file.ReadString(QString::fromLatin1(Name), QString::fromLatin1(Key), QStringLiteral("1")) != u"0";
}

inline void Write(TProfileFile &file, bool on)
{
    file.WriteString(QString::fromLatin1(Name), QString::fromLatin1(Key),
                     on ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace SoundSection
