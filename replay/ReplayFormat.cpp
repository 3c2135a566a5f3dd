// The bytes of a replay file. All numbers are unsigned LEB128 varints unless said otherwise;
// signed ones are zigzag-coded first.
//
//   "ZXREPLAY"                      8 bytes
//   format version                  varint (ReplayFormat::Version)
//   mode                            1 byte (TGameMode)
//   start                           varint, milliseconds since 1970 (UTC)
//   rounds                          varint, then for each: its event count (varint) and events
//   digest                          8 bytes: the start of the SHA-256 of everything before it
//
// An event begins with one byte. Most of a game is steps, each followed by its score on the
// panel, and both are a byte as a rule:
//   1 p ddd ttt    a step of player p by one pixel in direction ddd (Neighbours), scoring what
//                  that player's step before scored; ttt its time: 0 one step interval after that
//                  player's step before, 1..6 that minus 1 since the event before, 7 a varint of
//                  the time since the event before follows
//   0 f s kkkkk    with kkkkk = PanelCodes + d: display d changed at the time of the event before,
//                  shown if f; s: by as much as its change before, else the change follows
// Any other event:
//   0 f p kkkkk    k the kind (Kinds), p the player, f its flag (visible, collected);
//                  then the time since the event before (signed varint) and what the kind tells.
// A panel's value is told as the change from that display's value before.
// A bonus is told with its place and kind (1..10, 0 for none).
// A cycle is told as the fields that changed since that player's last one: a byte of bits (x, y,
// dir, interval, score, lives, jets) and each changed field. A bonus label's pixels follow its
// text (see WriteMask).
#include "replay/ReplayFormat.h"
#include "game/TFieldSurface.h"
#include "game/TGameEvent.h"
#include "platform/Failure.h"
#include "replay/TReplay.h"

#include <QCryptographicHash>
#include <QHash>
#include <QStringDecoder>

#include <array>
#include <limits>
#include <optional>
#include <vector>

namespace {

using Kind = TGameEvent::Kind;

constexpr QByteArrayView Magic("ZXREPLAY");
constexpr qsizetype DigestSize = 8;
// The latest start a file may give: the end of the year 9999.
constexpr std::uint64_t LatestStart = 253402300799999u;
// Kinds as numbered in the file: never reordered, new ones at the end.
constexpr std::array Kinds{Kind::RoundStart,  Kind::Cycle, Kind::Step,         Kind::Crash,         Kind::Heading,
                           Kind::Speed,       Kind::Jump,  Kind::Score,        Kind::Lives,         Kind::BonusShown,
                           Kind::BonusErased, Kind::Panel, Kind::FieldCleared, Kind::GameOverShown, Kind::RoundEnd,
                           Kind::GameEnd,     Kind::State, Kind::CrashShown};
// A step's direction: the change of x and y, as numbered in the file.
constexpr std::array<std::array<int, 2>, 8> Neighbours{
    {{0, -1}, {-1, -1}, {-1, 0}, {-1, 1}, {0, 1}, {1, 1}, {1, 0}, {1, -1}}};

constexpr unsigned StepBit = 0x80;
constexpr unsigned FlagBit = 0x40;
constexpr unsigned PlayerBit = 0x20;
constexpr unsigned KindBits = 0x1F;
constexpr unsigned StepPlayerBit = 0x40;
constexpr unsigned FarTime = 7;
// The first kind code of the short panel changes, one for each display.
constexpr std::size_t PanelCodes = 18;
static_assert(Kinds.size() <= PanelCodes && PanelCodes + DisplayCount <= 32);

// The bits of a cycle's changed fields.
constexpr unsigned FieldX = 1, FieldY = 2, FieldDir = 4, FieldInterval = 8, FieldScore = 16, FieldLives = 32,
                   FieldJets = 64;

[[noreturn]] void Damaged()
{
    throw Failure("The replay is damaged: it was cut short or altered.");
}

std::uint64_t Zigzag(std::int64_t value)
{
    const auto bits = static_cast<std::uint64_t>(value);
    return (bits << 1) ^ (value < 0 ? ~std::uint64_t{0} : 0);
}

std::int64_t Unzigzag(std::uint64_t value)
{
    return static_cast<std::int64_t>((value >> 1) ^ (~(value & 1) + 1));
}

// The direction of a step from one head to the next, if it is one pixel (wrapping as the heads'
// unsigned coordinates do).
std::optional<unsigned> Direction(const TCycleState &from, const TCycleState &to)
{
    for (unsigned d = 0; d < Neighbours.size(); ++d)
        if (static_cast<std::uint16_t>(from.x + Neighbours.at(d)[0]) == to.x
            && static_cast<std::uint16_t>(from.y + Neighbours.at(d)[1]) == to.y)
            return d;
    return std::nullopt;
}

class Writer
{
public:
    QByteArray bytes;

    void Byte(unsigned value) { bytes.append(static_cast<char>(value & 0xFF)); }
    void Varint(std::uint64_t value)
    {
        while (value >= 0x80) {
            Byte(static_cast<unsigned>(value) | 0x80);
            value >>= 7;
        }
        Byte(static_cast<unsigned>(value));
    }
    void Signed(std::int64_t value) { Varint(Zigzag(value)); }
    // Cut to whole characters that fit.
    void Text(const QString &text)
    {
        QByteArray utf8 = text.toUtf8();
        for (qsizetype keep = text.size(); utf8.size() > ReplayFormat::MaxTextBytes && keep > 0;)
            utf8 = text.first(--keep).toUtf8();
        Varint(static_cast<std::uint64_t>(utf8.size()));
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
    unsigned Byte()
    {
        if (at >= data.size())
            Damaged();
        return static_cast<unsigned char>(data[at++]);
    }
    std::uint64_t Varint()
    {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const unsigned byte = Byte();
            const std::uint64_t part = byte & 0x7Fu;
            if (shift == 63 && part > 1)
                Damaged();
            value |= part << shift;
            if ((byte & 0x80) == 0)
                return value;
        }
        Damaged();
    }
    // A varint of at most max.
    std::uint64_t Varint(std::uint64_t max)
    {
        const std::uint64_t value = Varint();
        if (value > max)
            Damaged();
        return value;
    }
    std::int64_t Signed(std::int64_t min, std::int64_t max)
    {
        const std::int64_t value = Unzigzag(Varint());
        if (value < min || value > max)
            Damaged();
        return value;
    }
    // A count of things each at least a byte long: never more than the bytes left.
    qsizetype Count() { return static_cast<qsizetype>(Varint(static_cast<std::uint64_t>(Left()))); }
    QByteArrayView Take(qsizetype size)
    {
        if (size < 0 || size > Left())
            Damaged();
        const QByteArrayView part = data.sliced(at, size);
        at += size;
        return part;
    }
    // Only well-formed UTF-8: a text reads back as the bytes it was written from.
    QString Text()
    {
        const auto size = static_cast<qsizetype>(Varint(ReplayFormat::MaxTextBytes));
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        QString text = decoder.decode(Take(size));
        if (decoder.hasError())
            Damaged();
        return text;
    }

private:
    QByteArrayView data;
    qsizetype at = 0;
};

// What both directions keep while going through the events: the time and each player's cycle
// as last told.
struct Context
{
    std::int64_t time = 0;
    std::array<TCycleState, 2> cycles{};
    // Each player's last step: its time and what it scored.
    std::array<std::int64_t, 2> stepTime{};
    std::array<std::int64_t, 2> stepScore{};
    // Each display's value and its last change.
    std::array<std::int32_t, DisplayCount> panel{};
    std::array<std::int64_t, DisplayCount> panelChange{};
    // The labels' pixels told so far, by number (decoding) and by their bytes (encoding).
    std::vector<TLabelMask> masks;
    QHash<QByteArray, qsizetype> maskNumbers;
    std::size_t events = 0;

    TCycleState &Of(TPlayer player) { return cycles.at(Index(player)); }
};

unsigned KindCode(Kind kind)
{
    for (unsigned code = 0; code < Kinds.size(); ++code)
        if (Kinds.at(code) == kind)
            return code;
    throw Failure("A replay cannot keep an event of an unknown kind.");
}

// Whether an event names a player: its cycle's, or the winner's.
bool TellsPlayer(const TGameEvent &event)
{
    return event.TellsCycle() || event.kind == Kind::GameEnd;
}

void WriteCycle(Writer &out, const TCycleState &before, const TCycleState &after)
{
    const unsigned changed =
        (after.x != before.x ? FieldX : 0) | (after.y != before.y ? FieldY : 0)
        | (after.dir != before.dir ? FieldDir : 0) | (after.interval != before.interval ? FieldInterval : 0)
        | (after.score != before.score ? FieldScore : 0) | (after.lives != before.lives ? FieldLives : 0)
        | (after.jets != before.jets ? FieldJets : 0);
    out.Byte(changed);
    if (changed & FieldX)
        out.Varint(after.x);
    if (changed & FieldY)
        out.Varint(after.y);
    if (changed & FieldDir)
        out.Byte(after.dir);
    if (changed & FieldInterval)
        out.Varint(after.interval);
    if (changed & FieldScore)
        out.Signed(after.score);
    if (changed & FieldLives)
        out.Byte(after.lives);
    if (changed & FieldJets)
        out.Signed(after.jets);
}

TCycleState ReadCycle(Reader &in, const TCycleState &before)
{
    constexpr std::int64_t Min32 = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t Max32 = std::numeric_limits<std::int32_t>::max();
    const unsigned changed = in.Byte();
    if (changed > 0x7F)
        Damaged();
    TCycleState after = before;
    if (changed & FieldX)
        after.x = static_cast<std::uint16_t>(in.Varint(0xFFFF));
    if (changed & FieldY)
        after.y = static_cast<std::uint16_t>(in.Varint(0xFFFF));
    if (changed & FieldDir)
        after.dir = static_cast<std::uint8_t>(in.Byte());
    if (changed & FieldInterval)
        after.interval = static_cast<std::uint16_t>(in.Varint(0xFFFF));
    if (changed & FieldScore)
        after.score = static_cast<std::int32_t>(in.Signed(Min32, Max32));
    if (changed & FieldLives)
        after.lives = static_cast<std::uint8_t>(in.Byte());
    if (changed & FieldJets)
        after.jets = static_cast<std::int32_t>(in.Signed(Min32, Max32));
    return after;
}

// A label's pixels: 0 and the mask (width, height, bytes; 0, 0 for none), or the number of an
// earlier one (1 the first): a game shows the same few bonuses again and again.
void WriteMask(Writer &out, Context &context, const TLabelMask &mask)
{
    if (mask.IsNull() || mask.bits.size() != TLabelMask::Bytes(mask.width, mask.height)) {
        out.Varint(0);
        out.Varint(0);
        out.Varint(0);
        return;
    }
    QByteArray key = QByteArray::number(mask.width) + 'x' + QByteArray::number(mask.height) + ':' + mask.bits;
    if (const auto earlier = context.maskNumbers.constFind(key); earlier != context.maskNumbers.constEnd()) {
        out.Varint(static_cast<std::uint64_t>(*earlier));
        return;
    }
    context.maskNumbers.insert(key, context.maskNumbers.size() + 1);
    out.Varint(0);
    out.Varint(mask.width);
    out.Varint(mask.height);
    out.bytes.append(mask.bits);
}

TLabelMask ReadMask(Reader &in, Context &context)
{
    if (const auto earlier = in.Varint(context.masks.size()); earlier > 0)
        return context.masks.at(earlier - 1);
    const auto width = static_cast<int>(in.Varint(TFieldSurface::Width));
    const auto height = static_cast<int>(in.Varint(TFieldSurface::Height));
    if (width == 0 || height == 0) {
        if (width != height)
            Damaged();
        return {};
    }
    const QByteArrayView bits = in.Take(TLabelMask::Bytes(width, height));
    return context.masks.emplace_back(
        TLabelMask{static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), bits.toByteArray()});
}

// The difference of two 32-bit values as they wrap, and the value back from it.
std::int64_t Change(std::int32_t from, std::int32_t to)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(to) - static_cast<std::uint32_t>(from));
}

std::int32_t Changed(std::int32_t from, std::int64_t change)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(from) + static_cast<std::uint32_t>(change));
}

// Whether a step can be told in its short form: one pixel on, and nothing else about the cycle
// changed but the score, by what the player's step before scored.
std::optional<unsigned> ShortStep(const TGameEvent &event, const Context &context)
{
    if (event.kind != Kind::Step || event.time < context.time || event.time > ReplayFormat::MaxTime)
        return std::nullopt;
    const std::size_t player = Index(event.player);
    const TCycleState &before = context.cycles.at(player);
    TCycleState expected = before;
    expected.x = event.cycle.x;
    expected.y = event.cycle.y;
    expected.score = Changed(before.score, context.stepScore.at(player));
    if (!(expected == event.cycle))
        return std::nullopt;
    return Direction(before, event.cycle);
}

// A step's time relative to the player's step before (see the layout above).
std::int64_t NextStepTime(const Context &context, std::size_t player)
{
    return context.stepTime.at(player) + context.cycles.at(player).interval;
}

// What both directions note after any step or panel change, short or not.
void NoteStep(Context &context, const TGameEvent &event, const TCycleState &before)
{
    const std::size_t player = Index(event.player);
    context.stepTime.at(player) = event.time;
    context.stepScore.at(player) = Change(before.score, event.cycle.score);
}

void NotePanel(Context &context, std::size_t display, std::int32_t value)
{
    context.panelChange.at(display) = Change(context.panel.at(display), value);
    context.panel.at(display) = value;
}

void WriteShortStep(Writer &out, Context &context, const TGameEvent &event, unsigned direction)
{
    const std::size_t player = Index(event.player);
    const std::int64_t since = event.time - context.time;
    const unsigned time = event.time == NextStepTime(context, player) ? 0
                          : since < FarTime - 1                       ? 1 + unsigned(since)
                                                                      : FarTime;
    out.Byte(StepBit | (event.player == TPlayer::Blue ? StepPlayerBit : 0) | direction << 3 | time);
    if (time == FarTime)
        out.Varint(static_cast<std::uint64_t>(since));
    const TCycleState before = context.cycles.at(player);
    context.cycles.at(player) = event.cycle;
    context.time = event.time;
    NoteStep(context, event, before);
}

TGameEvent ReadShortStep(Reader &in, Context &context, unsigned head)
{
    TGameEvent event;
    event.kind = Kind::Step;
    event.player = head & StepPlayerBit ? TPlayer::Blue : TPlayer::Red;
    const std::size_t player = Index(event.player);
    const unsigned time = head & 7u;
    const std::int64_t at = time == 0 ? NextStepTime(context, player)
                            : time < FarTime
                                ? context.time + (time - 1)
                                : context.time + static_cast<std::int64_t>(in.Varint(ReplayFormat::MaxTime));
    if (at < context.time || at > ReplayFormat::MaxTime)
        Damaged();
    event.time = at;
    const TCycleState before = context.cycles.at(player);
    const auto &step = Neighbours.at(head >> 3 & 7u);
    event.cycle = before;
    event.cycle.x = static_cast<std::uint16_t>(before.x + step[0]);
    event.cycle.y = static_cast<std::uint16_t>(before.y + step[1]);
    event.cycle.score = Changed(before.score, context.stepScore.at(player));
    context.cycles.at(player) = event.cycle;
    context.time = event.time;
    NoteStep(context, event, before);
    return event;
}

void WriteEvent(Writer &out, Context &context, const TGameEvent &event)
{
    if (const std::optional<unsigned> direction = ShortStep(event, context)) {
        WriteShortStep(out, context, event, *direction);
        return;
    }
    if (event.kind == Kind::Panel && event.time == context.time) {
        const auto display = static_cast<std::size_t>(event.display);
        const std::int64_t change = Change(context.panel.at(display), event.value);
        const bool same = change == context.panelChange.at(display);
        out.Byte(static_cast<unsigned>(PanelCodes + display) | (event.visible ? FlagBit : 0) | (same ? PlayerBit : 0));
        if (!same)
            out.Signed(change);
        NotePanel(context, display, event.value);
        return;
    }
    // An event told by this program never has a time below 0 or beyond a round's length.
    const std::int64_t time = std::clamp<std::int64_t>(event.time, 0, ReplayFormat::MaxTime);
    const bool flag = event.kind == Kind::BonusErased
                          ? event.collected
                          : (event.kind == Kind::Panel || event.kind == Kind::GameOverShown) && event.visible;
    const bool blue = TellsPlayer(event) && event.player == TPlayer::Blue;
    out.Byte(KindCode(event.kind) | (flag ? FlagBit : 0) | (blue ? PlayerBit : 0));
    out.Signed(time - context.time);
    context.time = time;
    switch (event.kind) {
    case Kind::RoundStart: out.Byte(static_cast<unsigned>(event.mode)); break;
    case Kind::BonusShown:
        out.Varint(event.x);
        out.Varint(event.y);
        out.Byte(event.bonus);
        out.Text(event.text);
        WriteMask(out, context, event.mask);
        break;
    case Kind::BonusErased:
        out.Varint(event.x);
        out.Varint(event.y);
        out.Byte(event.bonus);
        break;
    case Kind::Panel: {
        const auto display = static_cast<std::size_t>(event.display);
        out.Byte(static_cast<unsigned>(display));
        out.Signed(Change(context.panel.at(display), event.value));
        NotePanel(context, display, event.value);
        break;
    }
    case Kind::RoundEnd:
        for (int shift = 0; shift < 64; shift += 8)
            out.Byte(static_cast<unsigned>(event.checksum >> shift));
        break;
    case Kind::GameEnd: out.Byte(static_cast<unsigned>(event.mode)); break;
    case Kind::State: out.Byte(static_cast<unsigned>(event.state)); break;
    case Kind::CrashShown: out.Text(event.text); break;
    default: break;
    }
    if (event.TellsCycle()) {
        TCycleState &known = context.Of(event.player);
        const TCycleState before = known;
        WriteCycle(out, known, event.cycle);
        known = event.cycle;
        if (event.kind == Kind::Step) {
            TGameEvent told = event;
            told.time = time;
            NoteStep(context, told, before);
        }
    }
}

TGameMode ReadMode(Reader &in)
{
    const unsigned mode = in.Byte();
    if (mode > static_cast<unsigned>(TGameMode::Network))
        Damaged();
    return static_cast<TGameMode>(mode);
}

TGameEvent ReadEvent(Reader &in, Context &context)
{
    if (++context.events > ReplayFormat::MaxEvents)
        Damaged();
    const unsigned head = in.Byte();
    if (head & StepBit)
        return ReadShortStep(in, context, head);
    TGameEvent event;
    const unsigned code = head & KindBits;
    const bool flag = (head & FlagBit) != 0;
    if (code >= PanelCodes && code < PanelCodes + DisplayCount) {
        const std::size_t display = code - PanelCodes;
        event.kind = Kind::Panel;
        event.time = context.time;
        event.display = static_cast<TDisplay>(display);
        event.visible = flag;
        const std::int64_t change = head & PlayerBit ? context.panelChange.at(display)
                                                     : in.Signed(std::numeric_limits<std::int32_t>::min(),
                                                                 std::numeric_limits<std::int32_t>::max());
        event.value = Changed(context.panel.at(display), change);
        NotePanel(context, display, event.value);
        return event;
    }
    if (code >= Kinds.size())
        Damaged();
    event.kind = Kinds.at(code);
    event.player = head & PlayerBit ? TPlayer::Blue : TPlayer::Red;
    event.time = context.time + in.Signed(-context.time, ReplayFormat::MaxTime - context.time);
    context.time = event.time;
    switch (event.kind) {
    case Kind::RoundStart: event.mode = ReadMode(in); break;
    case Kind::BonusShown:
        event.x = static_cast<std::uint16_t>(in.Varint(0xFFFF));
        event.y = static_cast<std::uint16_t>(in.Varint(0xFFFF));
        event.bonus = static_cast<std::uint8_t>(in.Byte());
        event.text = in.Text();
        event.mask = ReadMask(in, context);
        break;
    case Kind::BonusErased:
        event.x = static_cast<std::uint16_t>(in.Varint(0xFFFF));
        event.y = static_cast<std::uint16_t>(in.Varint(0xFFFF));
        event.bonus = static_cast<std::uint8_t>(in.Byte());
        event.collected = flag;
        break;
    case Kind::Panel: {
        const unsigned display = in.Byte();
        if (display >= DisplayCount)
            Damaged();
        event.display = static_cast<TDisplay>(display);
        event.value = Changed(context.panel.at(display), in.Signed(std::numeric_limits<std::int32_t>::min(),
                                                                   std::numeric_limits<std::int32_t>::max()));
        NotePanel(context, display, event.value);
        break;
    }
    case Kind::RoundEnd:
        for (int shift = 0; shift < 64; shift += 8)
            event.checksum |= std::uint64_t{in.Byte()} << shift;
        break;
    case Kind::GameEnd: event.mode = ReadMode(in); break;
    case Kind::State: {
        const unsigned state = in.Byte();
        if (state > static_cast<unsigned>(TRoundState::GameOver))
            Damaged();
        event.state = static_cast<TRoundState>(state);
        break;
    }
    case Kind::CrashShown: event.text = in.Text(); break;
    default: break;
    }
    if (event.kind == Kind::Panel || event.kind == Kind::GameOverShown)
        event.visible = flag;
    else if (flag && event.kind != Kind::BonusErased)
        Damaged();
    if (event.player == TPlayer::Blue && !TellsPlayer(event))
        Damaged();
    if (event.TellsCycle()) {
        TCycleState &known = context.Of(event.player);
        const TCycleState before = known;
        event.cycle = ReadCycle(in, known);
        known = event.cycle;
        if (event.kind == Kind::Step)
            NoteStep(context, event, before);
    }
    return event;
}

QByteArray Digest(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).left(DigestSize);
}

} // namespace

QByteArray TReplay::Encode() const
{
    Writer out;
    out.bytes.append(Magic.data(), Magic.size());
    out.Varint(ReplayFormat::Version);
    out.Byte(static_cast<unsigned>(mode));
    out.Varint(static_cast<std::uint64_t>(std::clamp<qint64>(started.toMSecsSinceEpoch(), 0, LatestStart)));
    out.Varint(rounds.size());
    Context context;
    for (const TReplayRound &round : rounds) {
        out.Varint(round.events.size());
        for (const TGameEvent &event : round.events)
            WriteEvent(out, context, event);
    }
    out.bytes.append(Digest(out.bytes));
    return out.bytes;
}

TReplay TReplay::Decode(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        throw Failure("The file is empty.");
    if (!bytes.startsWith(Magic))
        throw Failure("This is not a Zandrix II replay.");
    if (bytes.size() <= Magic.size() + DigestSize)
        Damaged();
    Reader in(bytes.sliced(Magic.size(), bytes.size() - Magic.size() - DigestSize));
    const std::uint64_t version = in.Varint();
    if (version > ReplayFormat::Version)
        throw Failure(QStringLiteral("The replay was made by a newer Zandrix II (format %1; this one reads format %2).")
                          .arg(version)
                          .arg(ReplayFormat::Version)
                          .toStdString());
    if (version == 0 || Digest(bytes.first(bytes.size() - DigestSize)) != bytes.last(DigestSize))
        Damaged();

    TReplay replay;
    replay.mode = ReadMode(in);
    replay.started = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(in.Varint(LatestStart)));
    Context context;
    // Every round and every event takes at least a byte: the counts are checked against the bytes
    // left, and what is kept grows only with what has been read.
    for (qsizetype rounds = in.Count(); rounds > 0; --rounds) {
        TReplayRound &round = replay.rounds.emplace_back();
        for (qsizetype events = in.Count(); events > 0; --events)
            round.events.push_back(ReadEvent(in, context));
    }
    if (in.Left() != 0)
        Damaged();
    return replay;
}
