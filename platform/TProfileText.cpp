#include "platform/TProfileText.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// The blanks dropped around names and values. Line ends never reach here, and none of these bytes
// can be part of a multi-byte UTF-8 sequence, so trimming bytes is safe.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool IsBlank(QChar c)
{
    return c.unicode() < 0x80 && IsBlank(static_cast<char>(c.unicode()));
}

// A name or value given by the caller, made fit for one line of the file.
QString OneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

// A name given by the caller, as it will stand (and be compared) in the file.
QString CleanName(const QString &name)
{
    QString text = OneLine(name);
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool SameName(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

// QString::fromUtf8 would drop a U+FEFF at the start of a value or name; only the file's own byte
// order mark is no part of the text.
QString Decode(QByteArrayView text, qsizetype start, qsizetype length)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder(text.sliced(start, length));
}

const QByteArray Utf8ByteOrderMark("\xEF\xBB\xBF");

qsizetype ByteOrderMarkLength(QByteArrayView bytes)
{
    return bytes.startsWith(Utf8ByteOrderMark) ? Utf8ByteOrderMark.size() : 0;
}

// Calls visit(text, end) for each line from `start` on, where end is the line's own line end:
// "\r\n", "\n", "\r", or empty for a last line without one. Stops early when visit returns false.
template <typename Visit> void ForEachLine(QByteArrayView bytes, qsizetype start, Visit visit)
{
    const char *data = bytes.data();
    const qsizetype size = bytes.size();
    // The next "\n" and the next "\r" from where a line starts; each is looked up again only once
    // it lies behind, so a file with just one kind of line end is not searched again and again
    // for the other.
    const auto next = [data, size](char c, qsizetype from) {
        const void *found = std::memchr(data + from, c, static_cast<std::size_t>(size - from));
        return found ? static_cast<qsizetype>(static_cast<const char *>(found) - data) : size;
    };
    qsizetype nextLf = -1;
    qsizetype nextCr = -1;
    qsizetype lineStart = start;
    while (lineStart < size) {
        if (nextLf < lineStart)
            nextLf = next('\n', lineStart);
        if (nextCr < lineStart)
            nextCr = next('\r', lineStart);
        const qsizetype at = std::min(nextLf, nextCr);
        if (at == size)
            break;
        const qsizetype endLength = (data[at] == '\r' && at + 1 < size && data[at + 1] == '\n') ? 2 : 1;
        if (!visit(bytes.sliced(lineStart, at - lineStart), bytes.sliced(at, endLength)))
            return;
        lineStart = at + endLength;
    }
    if (lineStart < size)
        visit(bytes.sliced(lineStart), QByteArrayView());
}

bool IsAscii(QByteArrayView text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Tells whether names from the file are the wanted one, as SameName() would. Names of ASCII
// characters only are compared as bytes, which is the same for them and spares decoding every
// section name of a large file.
class NameMatcher
{
public:
    explicit NameMatcher(QString name)
        : wanted(std::move(name))
    {
        const bool ascii = std::all_of(wanted.cbegin(), wanted.cend(), [](QChar c) { return c.unicode() < 0x80; });
        if (ascii)
            wantedAscii = wanted.toLatin1();
    }

    bool Matches(QByteArrayView name) const
    {
        if (!wantedAscii || !IsAscii(name))
            return SameName(Decode(name, 0, name.size()), wanted);
        if (name.size() != wantedAscii->size())
            return false;
        for (qsizetype i = 0; i < name.size(); ++i) {
            if (AsciiLower(name[i]) != AsciiLower((*wantedAscii)[i]))
                return false;
        }
        return true;
    }

private:
    QString wanted;
    std::optional<QByteArray> wantedAscii;
};

} // namespace

TProfileText::TProfileText(const QByteArray &bytes)
{
    const qsizetype start = ByteOrderMarkLength(bytes);
    byteOrderMark = bytes.first(start);
    ForEachLine(bytes, start, [this](QByteArrayView text, QByteArrayView end) {
        if (lineEnd.isEmpty())
            lineEnd = end.toByteArray();
        lines.push_back(Parse(text.toByteArray(), end.toByteArray()));
        return true;
    });
    if (lineEnd.isEmpty())
        lineEnd = QByteArrayLiteral("\n");
}

TProfileText::Line TProfileText::Shape(QByteArrayView t)
{
    Line line;
    qsizetype begin = 0;
    qsizetype finish = t.size();
    while (begin < finish && IsBlank(t[begin]))
        ++begin;
    while (finish > begin && IsBlank(t[finish - 1]))
        --finish;
    if (begin == finish || t[begin] == ';')
        return line;

    if (t[begin] == '[') {
        // As the profile functions do, the name runs to the last "]" of the line. A "[" without
        // any "]" is no section header.
        const qsizetype close = t.lastIndexOf(']', finish - 1);
        if (close > begin) {
            qsizetype nameBegin = begin + 1;
            qsizetype nameEnd = close;
            while (nameBegin < nameEnd && IsBlank(t[nameBegin]))
                ++nameBegin;
            while (nameEnd > nameBegin && IsBlank(t[nameEnd - 1]))
                --nameEnd;
            line.kind = Kind::Section;
            line.nameStart = nameBegin;
            line.nameLength = nameEnd - nameBegin;
            return line;
        }
    }

    const qsizetype equals = t.indexOf('=', begin);
    if (equals < 0 || equals >= finish)
        return line;

    qsizetype nameEnd = equals;
    while (nameEnd > begin && IsBlank(t[nameEnd - 1]))
        --nameEnd;
    qsizetype valueBegin = equals + 1;
    while (valueBegin < finish && IsBlank(t[valueBegin]))
        ++valueBegin;

    line.kind = Kind::Key;
    line.nameStart = begin;
    line.nameLength = nameEnd - begin;
    line.valueStart = valueBegin;
    line.valueLength = finish - valueBegin;
    return line;
}

TProfileText::Line TProfileText::Parse(QByteArray text, QByteArray end)
{
    Line line = Shape(text);
    line.text = std::move(text);
    line.end = std::move(end);
    if (line.kind != Kind::Other)
        line.name = Decode(line.text, line.nameStart, line.nameLength);
    return line;
}

QString TProfileText::Cut(QString value)
{
    if (value.size() > MaxValueLength) {
        value.truncate(MaxValueLength);
        // Never hand back half of a character.
        if (value.back().isHighSurrogate())
            value.chop(1);
    }
    return value;
}

std::optional<std::size_t> TProfileText::FindSection(const QString &name) const
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == Kind::Section && SameName(lines[i].name, name))
            return i;
    }
    return std::nullopt;
}

std::size_t TProfileText::SectionEnd(std::size_t header) const
{
    std::size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != Kind::Section)
        ++i;
    return i;
}

std::optional<std::size_t> TProfileText::FindKey(std::size_t header, const QString &name) const
{
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines[i].kind == Kind::Key && SameName(lines[i].name, name))
            return i;
    }
    return std::nullopt;
}

QString TProfileText::Read(const QString &section, const QString &key, const QString &defaultValue) const
{
    if (const auto header = FindSection(CleanName(section))) {
        if (const auto found = FindKey(*header, CleanName(key))) {
            const Line &line = lines[*found];
            return Cut(Decode(line.text, line.valueStart, line.valueLength));
        }
    }
    return Cut(defaultValue);
}

QString TProfileText::ReadFrom(const QByteArray &bytes, const QString &section, const QString &key,
                               const QString &defaultValue)
{
    return ReadFrom(bytes, section, KeyValues{{key, defaultValue}}).constFirst();
}

QStringList TProfileText::ReadFrom(const QByteArray &bytes, const QString &section, const KeyValues &keysAndDefaults)
{
    // The same rules as Read(): the first section of the name, the first key of each name in it.
    const NameMatcher sectionName(CleanName(section));
    std::vector<NameMatcher> keyNames;
    keyNames.reserve(keysAndDefaults.size());
    for (const auto &keyAndDefault : keysAndDefaults)
        keyNames.emplace_back(CleanName(keyAndDefault.first));
    std::vector<std::optional<QString>> values(keysAndDefaults.size());
    std::size_t stillMissing = values.size();
    bool inSection = false;
    ForEachLine(bytes, ByteOrderMarkLength(bytes), [&](QByteArrayView text, QByteArrayView) {
        // Outside the section only a section header counts, and it starts with "[".
        if (!inSection) {
            const auto first = std::find_if(text.begin(), text.end(), [](char c) { return !IsBlank(c); });
            if (first == text.end() || *first != '[')
                return true;
        }
        const Line line = Shape(text);
        if (line.kind == Kind::Section) {
            if (inSection)
                return false;
            inSection = sectionName.Matches(text.sliced(line.nameStart, line.nameLength));
        } else if (line.kind == Kind::Key && inSection) {
            const QByteArrayView name = text.sliced(line.nameStart, line.nameLength);
            for (std::size_t i = 0; i < values.size(); ++i) {
                if (!values[i] && keyNames[i].Matches(name)) {
                    values[i] = Decode(text, line.valueStart, line.valueLength);
                    --stillMissing;
                }
            }
            return stillMissing != 0;
        }
        return true;
    });
    QStringList result;
    result.reserve(static_cast<qsizetype>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i)
        result << Cut(values[i].value_or(keysAndDefaults[i].second));
    return result;
}

void TProfileText::Insert(std::size_t at, const QByteArray &text)
{
    // Only the last line can lack a line end; a line added after it needs one between them.
    if (at == lines.size() && !lines.empty() && lines.back().end.isEmpty())
        lines.back().end = lineEnd;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Parse(text, lineEnd));
}

void TProfileText::Write(const QString &section, const KeyValues &values)
{
    const QString sectionName = CleanName(section);
    std::size_t header = 0;
    if (const auto found = FindSection(sectionName)) {
        header = *found;
    } else {
        Insert(lines.size(), '[' + sectionName.toUtf8() + ']');
        header = lines.size() - 1;
    }

    for (const auto &[key, value] : values) {
        const QString keyName = CleanName(key);
        const QByteArray valueBytes = OneLine(value).toUtf8();
        if (const auto found = FindKey(header, keyName)) {
            // The key keeps its indentation and its own spelling. The blanks around "=" go: a
            // blank after it cannot be told apart from a blank the last value began with, and
            // keeping it would add one more blank with every rewrite of such a value.
            Line &line = lines[*found];
            QByteArray text = line.text.left(line.nameStart + line.nameLength) + '=' + valueBytes;
            QByteArray end = std::move(line.end);
            line = Parse(std::move(text), std::move(end));
        } else {
            std::size_t lastKey = header;
            const std::size_t end = SectionEnd(header);
            for (std::size_t i = header + 1; i < end; ++i) {
                if (lines[i].kind == Kind::Key)
                    lastKey = i;
            }
            Insert(lastKey + 1, keyName.toUtf8() + '=' + valueBytes);
        }
    }
}

QByteArray TProfileText::Bytes() const
{
    qsizetype size = byteOrderMark.size();
    for (const Line &line : lines)
        size += line.text.size() + line.end.size();
    QByteArray bytes;
    bytes.reserve(size);
    bytes += byteOrderMark;
    for (const Line &line : lines) {
        bytes += line.text;
        bytes += line.end;
    }
    return bytes;
}
