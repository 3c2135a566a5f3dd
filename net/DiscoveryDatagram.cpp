#include "net/DiscoveryDatagram.h"

#include <QList>
#include <QStringDecoder>
#include <QtEndian>

// The layout, all numbers big-endian:
//
//   "ZXFIND"  6 bytes, then the layout's version (1 byte) and the kind ('Q' or 'A')
//   query:    id (u32), and nothing more
//   answer:   id (u32), the game's port (u16, not 0), flags (u8: bit 0, the player's seat is free;
//             the others 0), the name's length (u8) and its UTF-8, the version's length (u8) and its
//             printable ASCII
//
// A change to the layout takes the next version: copies with another version ignore each other's
// datagrams, as they could not play together anyway.

namespace {

constexpr char Magic[] = {'Z', 'X', 'F', 'I', 'N', 'D'};
constexpr std::uint8_t LayoutVersion = 1;
constexpr char QueryKind = 'Q';
constexpr char AnswerKind = 'A';
constexpr std::uint8_t SeatFreeFlag = 0x01;
// UTF-8 takes at most 3 bytes per UTF-16 unit (a pair of surrogates takes 4).
constexpr qsizetype MaxNameBytes = DiscoveryDatagram::MaxNameChars * 3;

QByteArray Header(char kind)
{
    QByteArray bytes(Magic, sizeof Magic);
    bytes.append(static_cast<char>(LayoutVersion));
    bytes.append(kind);
    return bytes;
}

void AppendU32(QByteArray &bytes, std::uint32_t value)
{
    char raw[4];
    qToBigEndian(value, raw);
    bytes.append(raw, 4);
}

bool Printable(char32_t c)
{
    return QChar::isPrint(c) && c != 0x2028 && c != 0x2029;
}

// The name as it goes out: within its bound, never cutting a pair of surrogates, blanks for what
// cannot be shown.
QByteArray NameBytes(const QString &name)
{
    QString cut = name.left(DiscoveryDatagram::MaxNameChars);
    if (!cut.isEmpty() && cut.back().isHighSurrogate())
        cut.chop(1);
    QString shown;
    for (char32_t c : cut.toUcs4())
        shown.append(Printable(c) ? QString::fromUcs4(&c, 1) : QStringLiteral(" "));
    return shown.toUtf8();
}

QByteArray VersionBytes(const QString &version)
{
    QByteArray bytes = version.left(DiscoveryDatagram::MaxVersionBytes).toLatin1();
    for (char &c : bytes)
        if (c < 0x20 || c > 0x7E)
            c = '?';
    return bytes.isEmpty() ? QByteArrayLiteral("?") : bytes;
}

// Reads the bytes front to back; every read checks what is left first.
class Reader
{
public:
    explicit Reader(QByteArrayView bytes)
        : rest(bytes)
    {
    }
    bool Take(qsizetype count, QByteArrayView *taken)
    {
        if (count < 0 || count > rest.size())
            return false;
        *taken = rest.first(count);
        rest = rest.sliced(count);
        return true;
    }
    bool U8(std::uint8_t *value)
    {
        QByteArrayView raw;
        if (!Take(1, &raw))
            return false;
        *value = static_cast<std::uint8_t>(raw[0]);
        return true;
    }
    bool U16(quint16 *value)
    {
        QByteArrayView raw;
        if (!Take(2, &raw))
            return false;
        *value = qFromBigEndian<quint16>(raw.data());
        return true;
    }
    bool U32(std::uint32_t *value)
    {
        QByteArrayView raw;
        if (!Take(4, &raw))
            return false;
        *value = qFromBigEndian<std::uint32_t>(raw.data());
        return true;
    }
    bool AtEnd() const { return rest.isEmpty(); }

private:
    QByteArrayView rest;
};

std::optional<QString> DecodeName(QByteArrayView bytes)
{
    if (bytes.size() > MaxNameBytes)
        return std::nullopt;
    // A byte order mark is kept as a character, and so refused as one that cannot be shown.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString name = utf8.decode(bytes);
    if (utf8.hasError() || name.size() > DiscoveryDatagram::MaxNameChars)
        return std::nullopt;
    const QList<uint> points = name.toUcs4();
    if (!std::all_of(points.begin(), points.end(), [](uint c) { return Printable(c); }))
        return std::nullopt;
    return name;
}

std::optional<QString> DecodeVersion(QByteArrayView bytes)
{
    if (bytes.isEmpty() || bytes.size() > DiscoveryDatagram::MaxVersionBytes)
        return std::nullopt;
    if (!std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0x20 && c <= 0x7E; }))
        return std::nullopt;
    return QString::fromLatin1(bytes);
}

std::optional<TDiscoveryDatagram> DecodeAnswer(Reader &in, std::uint32_t id)
{
    TDiscoveryAnswer answer;
    answer.id = id;
    std::uint8_t flags = 0;
    std::uint8_t length = 0;
    QByteArrayView text;
    if (!in.U16(&answer.gamePort) || answer.gamePort == 0 || !in.U8(&flags) || (flags & ~SeatFreeFlag) != 0)
        return std::nullopt;
    answer.seatFree = (flags & SeatFreeFlag) != 0;
    if (!in.U8(&length) || !in.Take(length, &text))
        return std::nullopt;
    std::optional<QString> name = DecodeName(text);
    if (!name || !in.U8(&length) || !in.Take(length, &text))
        return std::nullopt;
    std::optional<QString> version = DecodeVersion(text);
    if (!version || !in.AtEnd())
        return std::nullopt;
    answer.name = std::move(*name);
    answer.version = std::move(*version);
    return answer;
}

} // namespace

QByteArray DiscoveryDatagram::Encode(const TDiscoveryDatagram &datagram)
{
    if (const auto *query = std::get_if<TDiscoveryQuery>(&datagram)) {
        QByteArray bytes = Header(QueryKind);
        AppendU32(bytes, query->id);
        return bytes;
    }
    const auto &answer = std::get<TDiscoveryAnswer>(datagram);
    QByteArray bytes = Header(AnswerKind);
    AppendU32(bytes, answer.id);
    char port[2];
    qToBigEndian(answer.gamePort, port);
    bytes.append(port, 2);
    bytes.append(static_cast<char>(answer.seatFree ? SeatFreeFlag : 0));
    const QByteArray name = NameBytes(answer.name);
    bytes.append(static_cast<char>(name.size()));
    bytes.append(name);
    const QByteArray version = VersionBytes(answer.version);
    bytes.append(static_cast<char>(version.size()));
    bytes.append(version);
    return bytes;
}

std::optional<TDiscoveryDatagram> DiscoveryDatagram::Decode(QByteArrayView bytes) noexcept
{
    // Nothing below throws but allocation, which leaves the datagram unread as any malformed one.
    try {
        if (bytes.size() > MaxBytes)
            return std::nullopt;
        Reader in(bytes);
        QByteArrayView magic;
        std::uint8_t version = 0;
        std::uint8_t kind = 0;
        std::uint32_t id = 0;
        if (!in.Take(sizeof Magic, &magic) || magic != QByteArrayView(Magic, sizeof Magic) || !in.U8(&version)
            || version != LayoutVersion || !in.U8(&kind) || !in.U32(&id))
            return std::nullopt;
        if (kind == QueryKind)
            return in.AtEnd() ? std::optional<TDiscoveryDatagram>(TDiscoveryQuery{id}) : std::nullopt;
        if (kind == AnswerKind)
            return DecodeAnswer(in, id);
        return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
}
