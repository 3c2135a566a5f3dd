#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class TProfileFile;

// One line of a hall of fame list. The score stays the text read from the file (or the decimal
// text of a score just recorded); it is read as a number only while a new score is placed.
struct TFameEntry
{
    QString score;
    QString name;
};

// The two lists of the hall of fame and their sections of the settings file.
enum class TFameList { OnePlayer, TwoPlayers };

// The score table: ten ranks of one-player games (entries 1 to 10) and ten of two-player games
// (entries 11 to 20). It is never sorted; ranks keep the order of the file and only Place() moves
// entries.
class TFameTable
{
public:
    static constexpr int Ranks = 10;
    static constexpr int Entries = 2 * Ranks;

    // Reads both lists; a missing file, section or key gives score "0" and the list's default name.
    void Load(const TProfileFile &file);

    // Places a score in a list: it takes the first rank whose stored score is not greater, the
    // entries from there on move down one rank and the tenth falls out. A stored score that is not
    // integer text counts as lower than any score, so it gives way instead of blocking the list.
    // Returns the rank taken (1 to 10), or nothing when all ten stored scores are greater; the name
    // of the rank taken is left to the caller.
    std::optional<int> Place(TFameList list, std::int32_t score);

    // Writes a list's section in one atomic replace: the ten scores "1".."10", then the ten names
    // "1n".."10n". Raises the profile file's Failure when it cannot write; the file is then as before.
    void Save(TProfileFile &file, TFameList list) const;

    // Entry k, 1 to 20.
    TFameEntry &Entry(int k);
    const TFameEntry &Entry(int k) const;
    // Rank r, 1 to 10, of a list.
    TFameEntry &At(TFameList list, int rank);
    const TFameEntry &At(TFameList list, int rank) const;

    static QString Section(TFameList list);
    // The name a rank has before anyone entered one: the digit of the mode.
    static QString DefaultName(TFameList list);

private:
    static int Index(TFameList list, int rank);

    std::array<TFameEntry, Entries> entries;
};

// The program's one score table, shared by the hall of fame window and the recording of scores.
extern TFameTable fame;
