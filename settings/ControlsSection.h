#pragma once

#include "platform/TProfileFile.h"

#include <QStringList>

#include <array>

// The "Controls" section of the settings file: the ten key bindings, in the order in which they
// are read and written, with the defaults that apply when a key is missing.
namespace ControlsSection {

inline constexpr const char *Name = "Controls";

struct Binding
{
    const char *key;
    const char *defaultValue;
};

inline constexpr std::array<Binding, 10> Bindings{{
    {"leftkeya", "a"},
    {"rightkeya", "s"},
    {"leftkeyb", "4"},
    {"rightkeyb", "6"},
    {"fasta", "w"},
    {"fastb", "8"},
    {"slowa", "y"},
    {"slowb", "2"},
    {"jumpa", "d"},
    {"jumpb", "5"},
}};

// The ten bindings as the file has them (the defaults for missing keys), in the order above.
inline QStringList Read(const TProfileFile &file)
{
    TProfileFile::KeyValues keys;
    keys.reserve(Bindings.size());
    for (const Binding &binding : Bindings)
        keys.emplace_back(QString::fromLatin1(binding.key), QString::fromLatin1(binding.defaultValue));
    return file.ReadStrings(QString::fromLatin1(Name), keys);
}

} // namespace ControlsSection
