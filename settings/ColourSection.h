#pragma once

#include "platform/TProfileFile.h"

// The "Colours" section of the settings file: whether the field is shown in bright colours. "1" is
// on; a missing key or any other value is off.
namespace ColourSection {

inline constexpr const char *Name = "Colours";
inline constexpr const char *Key = "bright";

inline bool ReadBright(const TProfileFile &file)
{
    return file.ReadString(QString::fromLatin1(Name), QString::fromLatin1(Key), QStringLiteral("0")) == u"1";
}

inline void WriteBright(TProfileFile &file, bool on)
{
    file.WriteString(QString::fromLatin1(Name), QString::fromLatin1(Key),
                     on ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace ColourSection
