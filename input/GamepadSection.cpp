#include "input/GamepadSection.h"

namespace GamepadSection {

TPadMapping Read(const TProfileFile &file)
{
    const TPadMapping defaults;
    const QStringList values = file.ReadStrings(QString::fromLatin1(Name), Values(defaults));
    TPadMapping mapping;
    for (std::size_t i = 0; i < Entries.size(); ++i) {
        TPadControl button = 0;
        if (TPadMapping::FromName(values.value(static_cast<qsizetype>(i)), button))
            mapping.SetButton(Entries[i].player, Entries[i].action, button);
    }
    return mapping;
}

TProfileFile::KeyValues Values(const TPadMapping &mapping)
{
    TProfileFile::KeyValues values;
    values.reserve(Entries.size());
    for (const Entry &entry : Entries)
        values.emplace_back(QString::fromLatin1(entry.key),
                            TPadMapping::NameOf(mapping.Button(entry.player, entry.action)));
    return values;
}

} // namespace GamepadSection
