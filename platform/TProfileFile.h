#pragma once

#include <QString>
#include <QStringList>

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
// "Kann nicht nach <file name> schreiben". A file that is there but cannot be read, or that is
// no regular file (a directory, a FIFO, a device), reads as missing and is never written over, so
// its contents are not lost. (The text rules live in TProfileText.)
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
    // The same for several sections at once: all of them are written, or none.
    void WriteSections(const Sections &sections);

private:
    QString path;
};
