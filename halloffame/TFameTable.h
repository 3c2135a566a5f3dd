#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

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

// A final score and the name its player gave for it.
struct TFameScore
{
    std::int32_t score = 0;
    QString name;
};

// The score table: ten ranks of one-player games (entries 1 to 10) and ten of two-player games
// (entries 11 to 20). It is never sorted; ranks keep the order of the file and only Place() moves
// entries.
//
// A score recorded in this session is not lost when it cannot be written (the file is out of
// reach, or another copy of the game keeps it locked): it stays with the table as an unsaved
// entry of its file. Every Load places the file's unsaved entries again, in the order they were
// recorded, on top of what the file holds, so the lists shown have them; every Record writes them
// along, and once a write goes through they are in the file and no longer kept.
class TFameTable
{
public:
    static constexpr int Ranks = 10;
    static constexpr int Entries = 2 * Ranks;

    // Reads both lists; a missing file, section or key gives score "0" and the list's default name.
    // Then places the unsaved entries of this file.
    void Load(const TProfileFile &file);

    // Places a score in a list: it takes the first rank whose stored score is not greater, the
    // entries from there on move down one rank and the tenth falls out. A stored score that is not
    // integer text counts as lower than any score, so it gives way instead of blocking the list.
    // Returns the rank taken (1 to 10), or nothing when all ten stored scores are greater; the name
    // of the rank taken is left to the caller.
    std::optional<int> Place(TFameList list, std::int32_t score);

    // Records a final score for good, holding the file's lock throughout: reloads both lists (what
    // another copy of the game wrote meanwhile comes in), places the score with its name, and
    // writes the list in one atomic replace, together with every list that has unsaved entries.
    // Without a score the list is only reloaded and written. The name is asked before, without
    // the lock, where Load and Place tell whether the score places at all.
    //
    // Each list is written as its section: the ten scores "1".."10", then the ten names
    // "1n".."10n". When the write fails the score becomes an unsaved entry, the table shows the
    // file with the unsaved entries on top, and the profile file's Failure is raised; the file is
    // then as before.
    void Record(TProfileFile &file, TFameList list, const std::optional<TFameScore> &score);

    // The entries recorded for the file that are not in it yet.
    int Unsaved(const TProfileFile &file) const;

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
    struct UnsavedEntry
    {
        QString file; // the full path
        TFameList list;
        TFameScore score;
    };

    static int Index(TFameList list, int rank);
    void Save(TProfileFile &file, TFameList list);

    std::array<TFameEntry, Entries> entries;
    std::vector<UnsavedEntry> unsaved;
};

// The program's one score table, shared by the hall of fame window and the recording of scores.
extern TFameTable fame;
