#include "halloffame/TFameTable.h"

#include "halloffame/IntegerText.h"
#include "platform/TProfileFile.h"

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

} // namespace

void TFameTable::Load(const TProfileFile &file)
{
    for (const TFameList list : {TFameList::OnePlayer, TFameList::TwoPlayers}) {
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

void TFameTable::Save(TProfileFile &file, TFameList list) const
{
    TProfileFile::KeyValues values;
    values.reserve(2 * Ranks);
    for (int rank = 1; rank <= Ranks; ++rank)
        values.emplace_back(ScoreKey(rank), At(list, rank).score);
    for (int rank = 1; rank <= Ranks; ++rank)
        values.emplace_back(NameKey(rank), At(list, rank).name);
    file.WriteStrings(Section(list), values);
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
