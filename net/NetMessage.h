#pragma once

#include "game/PlayerAction.h"
#include "game/TGameEvent.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <variant>
#include <vector>

// The messages two copies of the game exchange over the network, and their bytes (see
// NetMessage.cpp for the layout). Everything received is untrusted: Decode() checks every count,
// length, enum and coordinate before use and throws Failure on anything malformed.
namespace NetProtocol {

// The layout of the messages; a change makes two copies refuse each other. Hello and Refuse keep
// their bytes in every version, so that any two copies can still tell each other why.
inline constexpr std::uint16_t Version = 1;
// A whole message, type byte included, is at most this long.
inline constexpr qsizetype MaxMessageSize = 64 * 1024;
// A game's version (PROJECT_VERSION) is printable ASCII of at most this many bytes.
inline constexpr qsizetype MaxVersionBytes = 32;
// A text of the game (a bonus's, a crash window's caption) is at most this many characters.
inline constexpr qsizetype MaxEventText = 64;
// A reason given to the player (a refusal, a goodbye) is at most this many characters.
inline constexpr qsizetype MaxReasonText = 200;
// The latest time in a round an event may carry (a round is never a year long).
inline constexpr std::int64_t MaxTime = std::int64_t{1} << 40;

// This program's version, as the handshake compares it.
QString GameVersion();

} // namespace NetProtocol

using TNonce = std::array<std::uint8_t, 16>;
using TProof = std::array<std::uint8_t, 32>;

// Where a guest sits: opposite the host as blue, or among the watchers.
enum class TSeat : std::uint8_t { Player, Watcher };

// A guest says who it is and what seat it wants.
struct TNetHello
{
    std::uint16_t protocol = NetProtocol::Version;
    QString version;
    // Only read when protocol is this program's own: another version's layout may differ after it.
    TSeat role = TSeat::Player;
    TNonce nonce{};
    bool operator==(const TNetHello &) const = default;
};

// The host's answer to a hello: its own nonce, and whether the guest must prove a password.
struct TNetChallenge
{
    TNonce nonce{};
    bool passwordWanted = false;
    bool operator==(const TNetChallenge &) const = default;
};

// The guest's proof that it knows the password (see TPasswordProof).
struct TNetProof
{
    TProof proof{};
    bool operator==(const TNetProof &) const = default;
};

// The guest is seated; the host proves in turn that it knows the password.
struct TNetWelcome
{
    TSeat seat = TSeat::Player;
    TProof proof{};
    // Whether the host evens out the lag (delays its own actions by the guest's round trip).
    bool evenOutLag = false;
    bool operator==(const TNetWelcome &) const = default;
};

// The host turns a guest away, telling the player why.
struct TNetRefuse
{
    enum class Reason : std::uint8_t { VersionMismatch, Full, WrongPassword, Busy, Protocol };
    Reason reason = Reason::Protocol;
    QString text;
    bool operator==(const TNetRefuse &) const = default;
};

// The guest's player did one of the five things, as the sequence-th action, at the guest's clock.
struct TNetAction
{
    std::uint32_t sequence = 0;
    TPlayerAction action = TPlayerAction::TurnLeft;
    std::uint32_t clock = 0;
    bool operator==(const TNetAction &) const = default;
};

// A batch of the host's stream, in order.
struct TNetEvents
{
    std::vector<TGameEvent> events;
    bool operator==(const TNetEvents &) const = default;
};

struct TNetPing
{
    std::uint32_t id = 0;
    std::uint64_t time = 0;
    bool operator==(const TNetPing &) const = default;
};

struct TNetPong
{
    std::uint32_t id = 0;
    std::uint64_t time = 0;
    bool operator==(const TNetPong &) const = default;
};

// The guest closed the crash window of the round-th round.
struct TNetCrashClosed
{
    std::uint16_t round = 0;
    bool operator==(const TNetCrashClosed &) const = default;
};

struct TNetPause
{
    bool operator==(const TNetPause &) const = default;
};

struct TNetResume
{
    bool operator==(const TNetResume &) const = default;
};

// The round starts in ms milliseconds.
struct TNetCountdown
{
    std::uint16_t ms = 0;
    bool operator==(const TNetCountdown &) const = default;
};

// The other side leaves, telling why.
struct TNetBye
{
    QString reason;
    bool operator==(const TNetBye &) const = default;
};

using TNetMessage = std::variant<TNetHello, TNetChallenge, TNetProof, TNetWelcome, TNetRefuse, TNetAction, TNetEvents,
                                 TNetPing, TNetPong, TNetCrashClosed, TNetPause, TNetResume, TNetCountdown, TNetBye>;

namespace NetMessage {

// The bytes of a message. Texts are cut to their bounds and control characters become blanks; a
// message that would exceed NetProtocol::MaxMessageSize (a batch of events too long) throws
// Failure: send such a batch with EncodeEvents().
QByteArray Encode(const TNetMessage &message);
// The events as Events messages, each within NetProtocol::MaxMessageSize, in order.
std::vector<QByteArray> EncodeEvents(std::span<const TGameEvent> events);
// The message in the bytes, which must be exactly one message. Throws Failure, naming what is
// wrong, on anything malformed: bytes of an unknown type, cut short or left over, a count beyond
// the bytes left, a value out of its range, a text too long, not UTF-8 or with control characters.
TNetMessage Decode(QByteArrayView bytes);

} // namespace NetMessage
