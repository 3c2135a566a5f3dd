#include "halloffame/TFameTable.h"

#include "halloffame/IntegerText.h"
#include "platform/TProfileFile.h"

#include <QFileInfo>

#include <algorithm>

TFameTable fame;

namespace {

const QString DefaultScore = QStringLiteral("0");

QString ScoreKey(int rank)
{
    return QString::number(rank);
}

QString NameKey(int rank)
{
    return QString::number(rank) + u'n';
}

// Unsaved entries belong to the file they were recorded for, by its full path.
QString FileKey(const TProfileFile &file)
{
    return QFileInfo(file.Path()).absoluteFilePath();
}

constexpr TFameList Lists[] = {TFameList::OnePlayer, TFameList::TwoPlayers};

} // namespace

void TFameTable::Load(const TProfileFile &file)
{
    for (const TFameList list : Lists) {
        const QString defaultName = DefaultName(list);
        TProfileFile::KeyValues keys;
        keys.reserve(2 * Ranks);
        for (int rank = 1; rank <= Ranks; ++rank) {
            keys.emplace_back(ScoreKey(rank), DefaultScore);
            keys.emplace_back(NameKey(rank), defaultName);
        }
        const QStringList values = file.ReadStrings(Section(list), keys);
        for (int rank = 1; rank <= Ranks; ++rank) {
            TFameEntry &entry = At(list, rank);
            entry.score = values.at(2 * (rank - 1));
            entry.name = values.at(2 * (rank - 1) + 1);
        }
    }
    const QString key = FileKey(file);
    for (const UnsavedEntry &entry : unsaved) {
        if (entry.file != key)
            continue;
        if (const std::optional<int> rank = Place(entry.list, entry.score.score))
            At(entry.list, *rank).name = entry.score.name;
    }
}

std::optional<int> TFameTable::Place(TFameList list, std::int32_t score)
{
    int place = 0;
    for (int rank = 1; rank <= Ranks && place == 0; ++rank) {
        const std::optional<std::int32_t> stored = ParseIntegerText(At(list, rank).score);
        if (!stored || *stored <= score)
            place = rank;
    }
    if (place == 0)
        return std::nullopt;
    for (int rank = Ranks - 1; rank >= place; --rank)
        At(list, rank + 1) = At(list, rank);
    At(list, place).score = QString::number(score);
    return place;
}

void TFameTable::Record(TProfileFile &file, TFameList list, const std::optional<TFameScore> &score)
{
    // Kept before anything can fail, so that it is shown and written later should this fail.
    if (score)
        unsaved.push_back({FileKey(file), list, *score});
    try {
        const TProfileLock lock(file);
        Load(file);
        Save(file, list);
    } catch (...) {
        // Taking the lock may have failed before the reload: the lists still show the score
        // placed without its name.
        Load(file);
        throw;
    }
}

int TFameTable::Unsaved(const TProfileFile &file) const
{
    const QString key = FileKey(file);
    return static_cast<int>(
        std::count_if(unsaved.begin(), unsaved.end(), [&](const UnsavedEntry &entry) { return entry.file == key; }));
}

void TFameTable::Save(TProfileFile &file, TFameList list)
{
    const QString key = FileKey(file);
    TProfileFile::Sections sections;
    for (const TFameList each : Lists) {
        const bool hasUnsaved = std::any_of(unsaved.begin(), unsaved.end(), [&](const UnsavedEntry &entry) {
            return entry.file == key && entry.list == each;
        });
        if (each != list && !hasUnsaved)
            continue;
        TProfileFile::KeyValues values;
        values.reserve(2 * Ranks);
        for (int rank = 1; rank <= Ranks; ++rank)
            values.emplace_back(ScoreKey(rank), At(each, rank).score);
        for (int rank = 1; rank <= Ranks; ++rank)
            values.emplace_back(NameKey(rank), At(each, rank).name);
        sections.emplace_back(Section(each), std::move(values));
    }
    file.WriteSections(sections);
    std::erase_if(unsaved, [&](const UnsavedEntry &entry) { return entry.file == key; });
}

TFameEntry &TFameTable::Entry(int k)
{
    return entries.at(static_cast<std::size_t>(k - 1));
}

const TFameEntry &TFameTable::Entry(int k) const
{
    return entries.at(static_cast<std::size_t>(k - 1));
}

TFameEntry &TFameTable::At(TFameList list, int rank)
{
    return Entry(Index(list, rank));
}

const TFameEntry &TFameTable::At(TFameList list, int rank) const
{
    return Entry(Index(list, rank));
}

QString TFameTable::Section(TFameList list)
{
    return list == TFameList::OnePlayer ? QStringLiteral("OnePlayer") : QStringLiteral("TwoPlayers");
}

QString TFameTable::DefaultName(TFameList list)
{
    return list == TFameList::OnePlayer ? QStringLiteral("1") : QStringLiteral("2");
}

int TFameTable::Index(TFameList list, int rank)
{
    // A rank outside 1..10 must not reach into the other list: entry 0 does not exist, and Entry()
    // refuses it.
    if (rank < 1 || rank > Ranks)
        return 0;
    return (list == TFameList::OnePlayer ? 0 : Ranks) + rank;
}
