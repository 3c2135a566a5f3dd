#include "platform/TProfileText.h"

#include <QStringDecoder>

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
QString Decode(const QByteArray &text, qsizetype start, qsizetype length)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(text).sliced(start, length));
}

const QByteArray Utf8ByteOrderMark("\xEF\xBB\xBF");

} // namespace

TProfileText::TProfileText(const QByteArray &bytes)
{
    qsizetype lineStart = 0;
    if (bytes.startsWith(Utf8ByteOrderMark)) {
        byteOrderMark = Utf8ByteOrderMark;
        lineStart = byteOrderMark.size();
    }

    const qsizetype size = bytes.size();
    qsizetype at = lineStart;
    while (at < size) {
        const char c = bytes[at];
        if (c != '\n' && c != '\r') {
            ++at;
            continue;
        }
        const qsizetype endLength = (c == '\r' && at + 1 < size && bytes[at + 1] == '\n') ? 2 : 1;
        QByteArray end = bytes.sliced(at, endLength);
        if (lineEnd.isEmpty())
            lineEnd = end;
        lines.push_back(Parse(bytes.sliced(lineStart, at - lineStart), std::move(end)));
        at += endLength;
        lineStart = at;
    }
    if (lineStart < size)
        lines.push_back(Parse(bytes.sliced(lineStart), {}));
    if (lineEnd.isEmpty())
        lineEnd = QByteArrayLiteral("\n");
}

TProfileText::Line TProfileText::Parse(QByteArray text, QByteArray end)
{
    Line line;
    line.text = std::move(text);
    line.end = std::move(end);
    const QByteArray &t = line.text;

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
            line.name = Decode(t, nameBegin, nameEnd - nameBegin);
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
    line.name = Decode(t, line.nameStart, line.nameLength);
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
