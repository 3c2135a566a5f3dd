#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <utility>
#include <vector>

// The settings file as a profile (INI) file, with the rules of the classic profile functions:
// - every read passes a default that applies when the file, the section or the key is missing;
// - a key present with an empty value reads as empty, not as the default;
// - a value comes back with at most 1023 characters, blanks around it dropped;
// - section and key names match regardless of case, the first of a name wins;
// - writing a missing key appends it after the last key of its section; a missing section is
//   appended at the end of the file; the file and its directory are created on demand.
// Every call opens and releases the file; nothing is cached. Writes are atomic: a write that
// cannot complete leaves the file exactly as it was and raises the Failure
// "Kann nicht nach <full path> schreiben". A file that is there but cannot be read, or that is
// no regular file (a directory, a FIFO, a device), reads as missing and is never written over, so
// its contents are not lost. (The text rules live in TProfileText.)
//
// Several copies of the game may run at once. Every write reads the whole file, changes its keys
// and replaces the file, all under the lock beside it (see TProfileLock), so two copies writing at
// the same moment each get their keys in and neither undoes the other's. Reads take no lock: the
// replace is atomic, so a read sees the old file or the new one, never a mix.
class TProfileFile
{
public:
    using KeyValues = std::vector<std::pair<QString, QString>>;
    // Sections, each with the keys to write into it.
    using Sections = std::vector<std::pair<QString, KeyValues>>;

    // A profile file at the given path.
    explicit TProfileFile(QString path);

    // The game's settings file: zandrix2.ini in $XDG_CONFIG_HOME, else ~/.config.
    static TProfileFile Settings();
    static QString SettingsPath();

    const QString &Path() const { return path; }

    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    // Reads several keys of one section, each given with its default, with one reading of the
    // file; the values come back in the order of the keys.
    QStringList ReadStrings(const QString &section, const KeyValues &keysAndDefaults) const;

    // Writes one key.
    void WriteString(const QString &section, const QString &key, const QString &value);

    // Writes several keys of one section in one atomic replace, in the given order.
    void WriteStrings(const QString &section, const KeyValues &values);
    // The same for several sections at once: all of them are written, or none. Takes the file's
    // lock for the read and the replace, or uses the one this thread already holds.
    void WriteSections(const Sections &sections);

private:
    QString path;
};

// The lock of a profile file: the file's path with ".lock" added, made with QLockFile, held while
// the object lives. A read-modify-write that spans more than one write (the hall of fame reloads
// its lists, places a score and saves) holds it across all of it, so that another copy of the game
// cannot slip in between; the writes inside use the lock held here instead of waiting for it.
//
// - Taking it waits up to Wait for another copy of the game to let go. A copy that is still
//   running keeps its lock however long it takes; a lock left behind by a copy that is gone is
//   taken over at once: its process no longer runs, it died before it wrote its process number,
//   or its number is this program's, which does not hold the lock.
// - The lock cannot be had: the Failure "Kann nicht nach <full path> schreiben: ein anderes
//   Zandrix II hält die Datei gesperrt". The lock file cannot be made (no permission, no room, the
//   directory cannot be made): the plain "Kann nicht nach <full path> schreiben".
// - Held again on the same thread it only counts; the last one to go releases it. Another thread
//   of the program waits for it like another copy of the game would.
class TProfileLock
{
public:
    static constexpr std::chrono::milliseconds Wait{5000};

    explicit TProfileLock(const TProfileFile &file);
    explicit TProfileLock(const QString &path);
    ~TProfileLock();
    TProfileLock(const TProfileLock &) = delete;
    TProfileLock &operator=(const TProfileLock &) = delete;

    // The lock file of the profile file at the given path.
    static QString LockPath(const QString &path);

private:
    QString key;
};
