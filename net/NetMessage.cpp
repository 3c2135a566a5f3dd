// The bytes of the network messages. Fixed-size numbers are little-endian; a varint is unsigned
// LEB128, a signed one zigzag-coded first. A text is its length in UTF-8 bytes (u16) and the bytes.
//
// A message is one byte of type and what the type carries:
//   1 Hello       "ZX2NET", protocol u16, version (u8 length, printable ASCII), role u8, nonce 16 bytes
//   2 Challenge   nonce 16 bytes, password wanted u8 (0 or 1)
//   3 Proof       32 bytes
//   4 Welcome     seat u8, proof 32 bytes, even out the lag u8 (0 or 1)
//   5 Refuse      reason u8, text
//   6 Action      sequence u32, action u8, clock u32
//   7 Events      count (varint), then each event
//   8 Ping, 9 Pong  id u32, time u64
//   10 CrashClosed round u16
//   11 Pause, 12 Resume
//   13 Countdown  ms u16
//   14 Bye        reason text
// Hello up to its version and Refuse never change, whatever the protocol version: any two copies
// of the game can tell each other that they differ.
//
// An event stands alone (nothing is told as a change from an event before, so a batch can be read
// without the batches before it). It begins with one byte, 0 f p kkkkk: k the kind (the value of
// TGameEvent::Kind), p the player (blue when set), f its flag (visible, collected). Then its time
// (varint) and what its kind tells: a cycle as x u16, y u16, heading u8, interval, score and jets
// (varints), lives u8; a bonus label as x u16, y u16, kind u8, text, mask (width and height as
// varints, then the mask's bytes); a panel's display u8 and value; a checksum as u64.
#include "net/NetMessage.h"

#include "game/TFieldSurface.h"
#include "platform/Failure.h"

#include <algorithm>
#include <limits>
#include <string>
#include <type_traits>

#ifndef ZANDRIX_VERSION
#error "ZANDRIX_VERSION is the game's version (PROJECT_VERSION), given by net/CMakeLists.txt"
#endif

QString NetProtocol::GameVersion()
{
    return QStringLiteral(ZANDRIX_VERSION);
}

namespace {

using Kind = TGameEvent::Kind;

// A message's type is its index in TNetMessage plus one: Hello and Refuse keep their numbers.
static_assert(std::is_same_v<std::variant_alternative_t<0, TNetMessage>, TNetHello>);
static_assert(std::is_same_v<std::variant_alternative_t<4, TNetMessage>, TNetRefuse>);

constexpr QByteArrayView Magic("ZX2NET");
constexpr unsigned FlagBit = 0x40;
constexpr unsigned PlayerBit = 0x20;
constexpr unsigned KindBits = 0x1F;
constexpr auto LastKind = Kind::CrashShown;
constexpr unsigned LastHeading = 8;
// Bonus kinds are numbered 1..10 in the stream.
constexpr unsigned LastBonus = 10;
// A UTF-8 character takes at most three bytes for one UTF-16 unit (four for two).
constexpr qsizetype MaxUtf8PerUnit = 3;

[[noreturn]] void Malformed(const char *what)
{
    throw Failure(std::string("The other side sent a damaged message (") + what + ").");
}

bool IsControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// A text as it may go out: at most max characters (a surrogate pair never split), control
// characters as blanks.
QString Printable(QString text, qsizetype max)
{
    if (text.size() > max) {
        text.truncate(max);
        if (text.back().isHighSurrogate())
            text.chop(1);
    }
    for (QChar &c : text)
        if (IsControl(c.unicode()))
            c = QLatin1Char(' ');
    return text;
}

class Writer
{
public:
    QByteArray bytes;

    void Byte(unsigned value) { bytes.append(static_cast<char>(value & 0xFF)); }
    void Flag(bool on) { Byte(on ? 1 : 0); }
    template <typename Unsigned> void Fixed(Unsigned value)
    {
        for (std::size_t i = 0; i < sizeof(Unsigned); ++i)
            Byte(static_cast<unsigned>(value >> (8 * i)));
    }
    void Varint(std::uint64_t value)
    {
        while (value >= 0x80) {
            Byte(static_cast<unsigned>(value) | 0x80);
            value >>= 7;
        }
        Byte(static_cast<unsigned>(value));
    }
    void Signed(std::int32_t value)
    {
        const auto bits = static_cast<std::uint32_t>(value);
        Varint((bits << 1) ^ (value < 0 ? 0xFFFFFFFFu : 0u));
    }
    template <std::size_t N> void Bytes(const std::array<std::uint8_t, N> &array)
    {
        bytes.append(reinterpret_cast<const char *>(array.data()), static_cast<qsizetype>(N));
    }
    void Text(const QString &text, qsizetype max)
    {
        const QByteArray utf8 = Printable(text, max).toUtf8();
        Fixed(static_cast<std::uint16_t>(utf8.size()));
        bytes.append(utf8);
    }
};

class Reader
{
public:
    explicit Reader(QByteArrayView bytes)
        : data(bytes)
    {
    }

    qsizetype Left() const { return data.size() - at; }
    void End() const
    {
        if (Left() != 0)
            Malformed("bytes left over");
    }
    unsigned Byte()
    {
        if (at >= data.size())
            Malformed("cut short");
        return static_cast<unsigned char>(data[at++]);
    }
    unsigned Byte(unsigned max, const char *what)
    {
        const unsigned value = Byte();
        if (value > max)
            Malformed(what);
        return value;
    }
    bool Flag() { return Byte(1, "a yes or no out of range") != 0; }
    template <typename Unsigned> Unsigned Fixed()
    {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < sizeof(Unsigned); ++i)
            value |= std::uint64_t{Byte()} << (8 * i);
        return static_cast<Unsigned>(value);
    }
    std::uint64_t Varint(std::uint64_t max, const char *what)
    {
        std::uint64_t value = 0;
        for (int shift = 0;; shift += 7) {
            const unsigned byte = Byte();
            // Ten bytes hold 64 bits; anything longer, or a last byte with bits beyond them, is not a number.
            if (shift == 63 && byte > 1)
                Malformed("a number out of range");
            value |= std::uint64_t{byte & 0x7Fu} << shift;
            if ((byte & 0x80) == 0)
                break;
        }
        if (value > max)
            Malformed(what);
        return value;
    }
    std::int32_t Signed()
    {
        const auto bits = static_cast<std::uint32_t>(Varint(0xFFFFFFFFu, "a number out of range"));
        return static_cast<std::int32_t>((bits >> 1) ^ (0u - (bits & 1u)));
    }
    QByteArrayView Take(qsizetype size)
    {
        if (size < 0 || size > Left())
            Malformed("cut short");
        const QByteArrayView part = data.sliced(at, size);
        at += size;
        return part;
    }
    template <std::size_t N> std::array<std::uint8_t, N> Bytes()
    {
        const QByteArrayView part = Take(static_cast<qsizetype>(N));
        std::array<std::uint8_t, N> array{};
        std::copy(part.begin(), part.end(), array.begin());
        return array;
    }
    QString Text(qsizetype max)
    {
        const QByteArrayView utf8 = Take(Fixed<std::uint16_t>());
        if (utf8.size() > max * MaxUtf8PerUnit)
            Malformed("a text too long");
        if (!utf8.isValidUtf8())
            Malformed("a text that is not UTF-8");
        const QString text = QString::fromUtf8(utf8);
        if (text.size() > max)
            Malformed("a text too long");
        if (std::any_of(text.begin(), text.end(), [](QChar c) { return IsControl(c.unicode()); }))
            Malformed("a text with control characters");
        return text;
    }

private:
    QByteArrayView data;
    qsizetype at = 0;
};

bool IsVersionText(QByteArrayView text)
{
    return text.size() <= NetProtocol::MaxVersionBytes
           && std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

bool IsOnField(unsigned x, unsigned y)
{
    return x < unsigned{TFieldSurface::Width} && y < unsigned{TFieldSurface::Height};
}

bool CarriesCycle(const TGameEvent &event)
{
    return event.kind == Kind::BonusErased ? event.collected : event.TellsCycle();
}

void WriteCycle(Writer &out, const TCycleState &cycle)
{
    out.Fixed(cycle.x);
    out.Fixed(cycle.y);
    out.Byte(cycle.dir);
    out.Varint(cycle.interval);
    out.Signed(cycle.score);
    out.Byte(cycle.lives);
    out.Signed(cycle.jets);
}

TCycleState ReadCycle(Reader &in, bool onField)
{
    TCycleState cycle;
    cycle.x = in.Fixed<std::uint16_t>();
    cycle.y = in.Fixed<std::uint16_t>();
    // A step draws its head's pixel; a jump or a crash may leave the field (wrapping around).
    if (onField && !IsOnField(cycle.x, cycle.y))
        Malformed("a step off the field");
    cycle.dir = static_cast<std::uint8_t>(in.Byte(LastHeading, "a heading out of range"));
    cycle.interval = static_cast<std::uint16_t>(in.Varint(0xFFFF, "an interval out of range"));
    cycle.score = in.Signed();
    cycle.lives = static_cast<std::uint8_t>(in.Byte());
    cycle.jets = in.Signed();
    return cycle;
}

void WriteMask(Writer &out, const TLabelMask &mask)
{
    const bool whole = !mask.IsNull() && mask.width <= TFieldSurface::Width && mask.height <= TFieldSurface::Height
                       && mask.bits.size() == TLabelMask::Bytes(mask.width, mask.height);
    if (!whole) {
        out.Varint(0);
        out.Varint(0);
        return;
    }
    out.Varint(mask.width);
    out.Varint(mask.height);
    out.bytes.append(mask.bits);
}

TLabelMask ReadMask(Reader &in)
{
    const auto width = static_cast<int>(in.Varint(TFieldSurface::Width, "a label wider than the field"));
    const auto height = static_cast<int>(in.Varint(TFieldSurface::Height, "a label taller than the field"));
    if (width == 0 || height == 0) {
        if (width != height)
            Malformed("a label of no size");
        return {};
    }
    return {static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height),
            in.Take(TLabelMask::Bytes(width, height)).toByteArray()};
}

void WriteEvent(Writer &out, const TGameEvent &event)
{
    const bool flag = event.kind == Kind::BonusErased
                          ? event.collected
                          : (event.kind == Kind::Panel || event.kind == Kind::GameOverShown) && event.visible;
    out.Byte(static_cast<unsigned>(event.kind) | (flag ? FlagBit : 0)
             | (event.player == TPlayer::Blue ? PlayerBit : 0));
    out.Varint(static_cast<std::uint64_t>(std::clamp<std::int64_t>(event.time, 0, NetProtocol::MaxTime)));
    switch (event.kind) {
    case Kind::RoundStart:
    case Kind::GameEnd: out.Byte(static_cast<unsigned>(event.mode)); break;
    case Kind::BonusShown:
        out.Fixed(event.x);
        out.Fixed(event.y);
        out.Byte(event.bonus);
        out.Text(event.text, NetProtocol::MaxEventText);
        WriteMask(out, event.mask);
        break;
    case Kind::BonusErased:
        out.Fixed(event.x);
        out.Fixed(event.y);
        break;
    case Kind::Panel:
        out.Byte(static_cast<unsigned>(event.display));
        out.Signed(event.value);
        break;
    case Kind::RoundEnd: out.Fixed(event.checksum); break;
    case Kind::State: out.Byte(static_cast<unsigned>(event.state)); break;
    case Kind::CrashShown: out.Text(event.text, NetProtocol::MaxEventText); break;
    case Kind::Cycle:
    case Kind::Step:
    case Kind::Crash:
    case Kind::Heading:
    case Kind::Speed:
    case Kind::Jump:
    case Kind::Score:
    case Kind::Lives:
    case Kind::FieldCleared:
    case Kind::GameOverShown: break;
    }
    if (CarriesCycle(event))
        WriteCycle(out, event.cycle);
}

TGameMode ReadMode(Reader &in)
{
    return static_cast<TGameMode>(in.Byte(static_cast<unsigned>(TGameMode::Network), "a mode out of range"));
}

void ReadPlace(Reader &in, TGameEvent &event)
{
    event.x = in.Fixed<std::uint16_t>();
    event.y = in.Fixed<std::uint16_t>();
    if (!IsOnField(event.x, event.y))
        Malformed("a bonus off the field");
}

TGameEvent ReadEvent(Reader &in)
{
    TGameEvent event;
    const unsigned head = in.Byte();
    if ((head & 0x80) != 0 || (head & KindBits) > static_cast<unsigned>(LastKind))
        Malformed("an event of an unknown kind");
    event.kind = static_cast<Kind>(head & KindBits);
    event.player = (head & PlayerBit) != 0 ? TPlayer::Blue : TPlayer::Red;
    const bool flag = (head & FlagBit) != 0;
    event.time = static_cast<std::int64_t>(in.Varint(NetProtocol::MaxTime, "a time out of range"));
    switch (event.kind) {
    case Kind::RoundStart:
    case Kind::GameEnd: event.mode = ReadMode(in); break;
    case Kind::BonusShown: {
        ReadPlace(in, event);
        const unsigned bonus = in.Byte(LastBonus, "a bonus out of range");
        if (bonus == 0)
            Malformed("a bonus out of range");
        event.bonus = static_cast<std::uint8_t>(bonus);
        event.text = in.Text(NetProtocol::MaxEventText);
        event.mask = ReadMask(in);
        break;
    }
    case Kind::BonusErased:
        ReadPlace(in, event);
        event.collected = flag;
        break;
    case Kind::Panel:
        event.display = static_cast<TDisplay>(in.Byte(DisplayCount - 1, "a display out of range"));
        event.value = in.Signed();
        event.visible = flag;
        break;
    case Kind::GameOverShown: event.visible = flag; break;
    case Kind::RoundEnd: event.checksum = in.Fixed<std::uint64_t>(); break;
    case Kind::State:
        event.state =
            static_cast<TRoundState>(in.Byte(static_cast<unsigned>(TRoundState::GameOver), "a state out of range"));
        break;
    case Kind::CrashShown: event.text = in.Text(NetProtocol::MaxEventText); break;
    case Kind::Cycle:
    case Kind::Step:
    case Kind::Crash:
    case Kind::Heading:
    case Kind::Speed:
    case Kind::Jump:
    case Kind::Score:
    case Kind::Lives:
    case Kind::FieldCleared: break;
    }
    if (flag && event.kind != Kind::BonusErased && event.kind != Kind::Panel && event.kind != Kind::GameOverShown)
        Malformed("a flag the event does not have");
    if (CarriesCycle(event))
        event.cycle = ReadCycle(in, event.kind == Kind::Step);
    return event;
}

// The bytes of a batch: the events' count before them.
QByteArray EventsMessage(std::size_t count, const QByteArray &events)
{
    Writer out;
    out.Byte(static_cast<unsigned>(TNetMessage(TNetEvents{}).index() + 1));
    out.Varint(count);
    out.bytes.append(events);
    return out.bytes;
}

// A batch's count takes at most this many bytes: a message holds fewer than 2^21 events.
constexpr qsizetype MaxCountBytes = 3;

struct Encoder
{
    Writer &out;

    void operator()(const TNetHello &hello)
    {
        out.bytes.append(Magic.data(), Magic.size());
        out.Fixed(hello.protocol);
        QByteArray version = hello.version.toLatin1().left(NetProtocol::MaxVersionBytes);
        for (char &c : version)
            if (c < 0x20 || c >= 0x7F)
                c = '?';
        out.Byte(static_cast<unsigned>(version.size()));
        out.bytes.append(version);
        out.Byte(static_cast<unsigned>(hello.role));
        out.Bytes(hello.nonce);
    }
    void operator()(const TNetChallenge &challenge)
    {
        out.Bytes(challenge.nonce);
        out.Flag(challenge.passwordWanted);
    }
    void operator()(const TNetProof &proof) { out.Bytes(proof.proof); }
    void operator()(const TNetWelcome &welcome)
    {
        out.Byte(static_cast<unsigned>(welcome.seat));
        out.Bytes(welcome.proof);
        out.Flag(welcome.evenOutLag);
    }
    void operator()(const TNetRefuse &refuse)
    {
        out.Byte(static_cast<unsigned>(refuse.reason));
        out.Text(refuse.text, NetProtocol::MaxReasonText);
    }
    void operator()(const TNetAction &action)
    {
        out.Fixed(action.sequence);
        out.Byte(static_cast<unsigned>(action.action));
        out.Fixed(action.clock);
    }
    void operator()(const TNetEvents &batch)
    {
        out.Varint(batch.events.size());
        for (const TGameEvent &event : batch.events)
            WriteEvent(out, event);
    }
    void operator()(const TNetPing &ping)
    {
        out.Fixed(ping.id);
        out.Fixed(ping.time);
    }
    void operator()(const TNetPong &pong)
    {
        out.Fixed(pong.id);
        out.Fixed(pong.time);
    }
    void operator()(const TNetCrashClosed &closed) { out.Fixed(closed.round); }
    void operator()(const TNetPause &) {}
    void operator()(const TNetResume &) {}
    void operator()(const TNetCountdown &countdown) { out.Fixed(countdown.ms); }
    void operator()(const TNetBye &bye) { out.Text(bye.reason, NetProtocol::MaxReasonText); }
};

TNetHello ReadHello(Reader &in)
{
    if (in.Take(Magic.size()) != Magic)
        Malformed("not a hello of this game");
    TNetHello hello;
    hello.protocol = in.Fixed<std::uint16_t>();
    const QByteArrayView version = in.Take(in.Byte());
    if (!IsVersionText(version))
        Malformed("a version that is not printable ASCII");
    hello.version = QString::fromLatin1(version);
    // What follows is another version's business.
    if (hello.protocol != NetProtocol::Version)
        return hello;
    hello.role = static_cast<TSeat>(in.Byte(static_cast<unsigned>(TSeat::Watcher), "a seat out of range"));
    hello.nonce = in.Bytes<16>();
    in.End();
    return hello;
}

TNetMessage ReadBody(Reader &in, unsigned type)
{
    switch (type) {
    case 1: return ReadHello(in);
    case 2: {
        TNetChallenge challenge;
        challenge.nonce = in.Bytes<16>();
        challenge.passwordWanted = in.Flag();
        return challenge;
    }
    case 3: return TNetProof{in.Bytes<32>()};
    case 4: {
        TNetWelcome welcome;
        welcome.seat = static_cast<TSeat>(in.Byte(static_cast<unsigned>(TSeat::Watcher), "a seat out of range"));
        welcome.proof = in.Bytes<32>();
        welcome.evenOutLag = in.Flag();
        return welcome;
    }
    case 5: {
        // A newer copy may have reasons of its own: its text tells them.
        const unsigned reason = in.Byte();
        TNetRefuse refuse;
        refuse.reason = reason <= static_cast<unsigned>(TNetRefuse::Reason::Protocol)
                            ? static_cast<TNetRefuse::Reason>(reason)
                            : TNetRefuse::Reason::Protocol;
        refuse.text = in.Text(NetProtocol::MaxReasonText);
        return refuse;
    }
    case 6: {
        TNetAction action;
        action.sequence = in.Fixed<std::uint32_t>();
        action.action =
            static_cast<TPlayerAction>(in.Byte(static_cast<unsigned>(TPlayerAction::Jump), "an action out of range"));
        action.clock = in.Fixed<std::uint32_t>();
        return action;
    }
    case 7: {
        TNetEvents batch;
        // Every event takes at least two bytes: the count is checked against the bytes left.
        const auto count = static_cast<std::size_t>(
            in.Varint(static_cast<std::uint64_t>(in.Left() / 2), "more events than the message holds"));
        for (std::size_t i = 0; i < count; ++i)
            batch.events.push_back(ReadEvent(in));
        return batch;
    }
    case 8:
    case 9: {
        const auto id = in.Fixed<std::uint32_t>();
        const auto time = in.Fixed<std::uint64_t>();
        if (type == 8)
            return TNetPing{id, time};
        return TNetPong{id, time};
    }
    case 10: return TNetCrashClosed{in.Fixed<std::uint16_t>()};
    case 11: return TNetPause{};
    case 12: return TNetResume{};
    case 13: return TNetCountdown{in.Fixed<std::uint16_t>()};
    case 14: return TNetBye{in.Text(NetProtocol::MaxReasonText)};
    default: Malformed("a message of an unknown type");
    }
}

} // namespace

QByteArray NetMessage::Encode(const TNetMessage &message)
{
    Writer out;
    out.Byte(static_cast<unsigned>(message.index() + 1));
    std::visit(Encoder{out}, message);
    if (out.bytes.size() > NetProtocol::MaxMessageSize)
        throw Failure("A message to send is longer than 64 KiB.");
    return out.bytes;
}

std::vector<QByteArray> NetMessage::EncodeEvents(std::span<const TGameEvent> events)
{
    std::vector<QByteArray> messages;
    Writer batch;
    std::size_t count = 0;
    for (const TGameEvent &event : events) {
        Writer one;
        WriteEvent(one, event);
        if (count > 0 && 1 + MaxCountBytes + batch.bytes.size() + one.bytes.size() > NetProtocol::MaxMessageSize) {
            messages.push_back(EventsMessage(count, batch.bytes));
            batch.bytes.clear();
            count = 0;
        }
        batch.bytes.append(one.bytes);
        ++count;
    }
    if (count > 0)
        messages.push_back(EventsMessage(count, batch.bytes));
    return messages;
}

TNetMessage NetMessage::Decode(QByteArrayView bytes)
{
    if (bytes.size() > NetProtocol::MaxMessageSize)
        Malformed("longer than 64 KiB");
    Reader in(bytes);
    const unsigned type = in.Byte();
    TNetMessage message = ReadBody(in, type);
    // A hello of another protocol ends as that protocol has it.
    if (type != 1)
        in.End();
    return message;
}
