// Fuzzes the network messages' decoder, and the handshake on both sides, with arbitrary bytes as
// one message from a peer; and the same bytes as a datagram that finds games on the local network.
//
// Checked, besides the absence of crashes and sanitizer reports:
// - Decode either throws a Failure or gives a message that keeps no more events than its bytes
//   could hold (what it keeps grows only with what it has read);
// - that message's Encode decodes to the same message, and encodes again to the same bytes, never
//   longer than the limit;
// - a handshake on either side, at any of its steps, takes the message without throwing, answers
//   with at most one message, and if it does not go on, ends with a reason;
// - a discovery datagram that decodes encodes to exactly its bytes (everything read was checked to
//   be what the encoder writes).

#include "net/DiscoveryDatagram.h"
#include "net/NetMessage.h"
#include "net/THandshake.h"
#include "platform/Failure.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

void Check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

std::optional<TNetMessage> Decoded(QByteArrayView bytes)
{
    try {
        return NetMessage::Decode(bytes);
    } catch (const Failure &) {
        return std::nullopt;
    }
}

constexpr TNonce GuestNonce{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
constexpr TNonce HostNonce{16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};

void Feed(THandshake &side, const TNetMessage &message)
{
    const std::vector<TNetMessage> answer = side.Receive(message);
    Check(answer.size() <= 1, "a handshake answers with one message at most");
    for (const TNetMessage &sent : answer)
        Check(NetMessage::Decode(NetMessage::Encode(sent)) == sent, "a handshake's answer goes over the wire");
    Check(side.State() != THandshake::Outcome::Refused || !side.Reason().isEmpty(), "a refusal has its reason");
}

// The message given to both sides of a handshake at each of their steps.
void Handshake(const TNetMessage &message)
{
    const QString version = NetProtocol::GameVersion();
    const QString password = QStringLiteral("fuzz");
    const auto seats = [] { return THandshake::TFreeSeats{true, true}; };
    const auto host = [&] { return THandshake::Host(version, password, true, seats, [] { return HostNonce; }); };
    const auto guest = [&] { return THandshake::Join(version, password, TSeat::Player, [] { return GuestNonce; }); };

    THandshake fresh = host();
    Feed(fresh, message);

    THandshake greeted = host();
    greeted.Receive(TNetHello{NetProtocol::Version, version, TSeat::Player, GuestNonce});
    Feed(greeted, message);

    THandshake joining = guest();
    joining.Start();
    Feed(joining, message);

    THandshake challenged = guest();
    challenged.Start();
    challenged.Receive(TNetChallenge{HostNonce, true});
    Feed(challenged, message);
}

void Discovery(QByteArrayView bytes)
{
    const std::optional<TDiscoveryDatagram> datagram = DiscoveryDatagram::Decode(bytes);
    if (datagram)
        Check(DiscoveryDatagram::Encode(*datagram) == bytes, "a discovery datagram encodes to its bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    Discovery(bytes);
    const std::optional<TNetMessage> message = Decoded(bytes);
    if (!message)
        return 0;
    if (const auto *batch = std::get_if<TNetEvents>(&*message))
        Check(batch->events.size() * 2 <= size, "a batch keeps no more events than its bytes tell");

    const QByteArray encoded = NetMessage::Encode(*message);
    Check(encoded.size() <= NetProtocol::MaxMessageSize, "an encoded message is within the limit");
    std::optional<TNetMessage> again;
    try {
        again = NetMessage::Decode(encoded);
    } catch (const Failure &failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        Check(false, "an encoded message decodes");
    }
    Check(*again == *message, "an encoded message decodes to the same message");
    Check(NetMessage::Encode(*again) == encoded, "encoding is stable");

    Handshake(*message);
    return 0;
}
