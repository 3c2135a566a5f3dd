#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// The text of a profile (INI) file in memory: reads values and edits keys by the rules of the
// classic profile functions, and gives the edited text back. It does no I/O (see TProfileFile).
//
// The text is kept as the bytes it was read from, line by line, so a rewrite changes only the
// lines it must: comments, lines without "=", lines before the first section, bytes that are not
// valid UTF-8 and each line's own line end all come back as they were. Names and values are
// decoded as UTF-8 only to be compared and returned.
//
// Section names, key names and values lose the blanks around them. Names match regardless of
// case, and the first section or key of a name is the one read and written. Values are not
// unquoted.
class TProfileText
{
public:
    using KeyValues = std::vector<std::pair<QString, QString>>;

    // Longest value a read gives back, in UTF-16 code units (the profile functions' 1024-byte
    // buffer with its terminating zero).
    static constexpr qsizetype MaxValueLength = 1023;

    explicit TProfileText(const QByteArray &bytes = {});

    // The value of the key, or the default when the section or the key is missing. A key with an
    // empty value reads empty. Whatever comes back is cut to MaxValueLength.
    QString Read(const QString &section, const QString &key, const QString &defaultValue) const;

    // Writes the keys into the section, in the given order. An existing key gets the new value in
    // place and keeps its own spelling; a new key goes after the last key of its section; a
    // missing section is added at the end. Line breaks in names and values become blanks, since
    // the file has one key per line.
    void Write(const QString &section, const KeyValues &values);

    // The same as TProfileText(bytes).Read(section, key, defaultValue), in one pass over the bytes
    // that keeps nothing of them and stops where the section ends. The settings file is read
    // afresh for every value, so this is what keeps a large file quick to read.
    static QString ReadFrom(const QByteArray &bytes, const QString &section, const QString &key,
                            const QString &defaultValue);
    // The same for several keys of one section, each given with its default; the values come
    // back in the order of the keys.
    static QStringList ReadFrom(const QByteArray &bytes, const QString &section, const KeyValues &keysAndDefaults);

    QByteArray Bytes() const;

private:
    enum class Kind { Other, Section, Key };

    struct Line
    {
        QByteArray text; // without its line end
        QByteArray end;  // "\r\n", "\n", "\r", or empty for a last line without one
        Kind kind = Kind::Other;
        QString name; // of the section or the key, blanks dropped
        // Where the name (of a section or a key) and a key's value stand in text, blanks dropped.
        qsizetype nameStart = 0;
        qsizetype nameLength = 0;
        qsizetype valueStart = 0;
        qsizetype valueLength = 0;
    };

    // Where the parts of a line stand (kind and positions only; no text, no name).
    static Line Shape(QByteArrayView text);
    static Line Parse(QByteArray text, QByteArray end);
    static QString Cut(QString value);

    std::optional<std::size_t> FindSection(const QString &name) const;
    std::size_t SectionEnd(std::size_t header) const;
    std::optional<std::size_t> FindKey(std::size_t header, const QString &name) const;
    void Insert(std::size_t at, const QByteArray &text);

    QByteArray byteOrderMark; // kept as it was, but no part of the first line
    QByteArray lineEnd;       // the file's own: the first one in it, "\n" for a file without one
    std::vector<Line> lines;
};
