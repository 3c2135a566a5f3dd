#include "net/TNetGuestSession.h"

#include "platform/Failure.h"
#include "platform/FailureReport.h"

#include <type_traits>

namespace {

// A host must have seated us this long after the connection stands.
constexpr int SeatMs = 5000;

} // namespace

TNetGuestSession::TNetGuestSession(TSeat wanted, QString password, QObject *parent, const TNetLinkLimits &limits)
    : QObject(parent)
    , link(this, limits)
    , seat(wanted)
    , handshake(THandshake::Join(NetProtocol::GameVersion(), password, wanted))
{
    connect(&link, &TNetLink::connected, this, [this](int peer) { RunReporting([&] { Connected(peer); }); });
    connect(&link, &TNetLink::received, this,
            [this](int, const QByteArray &bytes) { RunReporting([&] { Received(bytes); }); });
    connect(&link, &TNetLink::disconnected, this, [this](int, const QString &reason) {
        RunReporting([&] { End(handshake.State() == THandshake::Outcome::Refused ? handshake.Reason() : reason); });
    });
    connect(&link, &TNetLink::failed, this, [this](const QString &reason) { RunReporting([&] { End(reason); }); });
    seatDeadline.setSingleShot(true);
    connect(&seatDeadline, &QTimer::timeout, this, [this] {
        RunReporting([this] {
            const QString why = QStringLiteral("The host at %1 answers but does not let us in.").arg(target);
            Leave(why);
        });
    });
}

TNetGuestSession::~TNetGuestSession() = default;

void TNetGuestSession::Join(const QString &name, quint16 port)
{
    target = QStringLiteral("%1:%2").arg(name).arg(port);
    link.Connect(name, port);
}

void TNetGuestSession::Connected(int peer)
{
    host = peer;
    seatDeadline.start(SeatMs);
    for (const TNetMessage &message : handshake.Start())
        Send(message);
}

void TNetGuestSession::Received(const QByteArray &bytes)
{
    if (over)
        return;
    TNetMessage message;
    try {
        message = NetMessage::Decode(bytes);
    } catch (const Failure &failure) {
        Leave(QStringLiteral("The host sent a message that makes no sense (%1).").arg(failure.what()));
        return;
    }
    if (seated) {
        Follow(message);
        return;
    }
    for (const TNetMessage &answer : handshake.Receive(message))
        Send(answer);
    switch (handshake.State()) {
    case THandshake::Outcome::Pending: return;
    case THandshake::Outcome::Refused: link.Drop(host, handshake.Reason()); return;
    case THandshake::Outcome::Seated:
        seatDeadline.stop();
        seated = true;
        seat = handshake.Seat();
        emit seatedAs(seat);
        return;
    }
}

void TNetGuestSession::Follow(const TNetMessage &message)
{
    std::visit(
        [&](const auto &said) {
            using Said = std::decay_t<decltype(said)>;
            if constexpr (std::is_same_v<Said, TNetEvents>) {
                for (const TGameEvent &event : said.events) {
                    if (over)
                        return;
                    emit happened(event);
                }
            } else if constexpr (std::is_same_v<Said, TNetCountdown>) {
                emit countdown(said.ms);
            } else if constexpr (std::is_same_v<Said, TNetPing>) {
                Send(TNetPong{said.id, said.time});
            } else if constexpr (std::is_same_v<Said, TNetPong>) {
                // The link measures the round trip itself.
            } else if constexpr (std::is_same_v<Said, TNetBye>) {
                End(said.reason.isEmpty() ? QStringLiteral("The host left.") : said.reason);
                link.Drop(host, said.reason);
            } else {
                Leave(QStringLiteral("The host sent a message out of turn."));
            }
        },
        message);
}

void TNetGuestSession::Act(TPlayerAction action)
{
    if (seated && !over && seat == TSeat::Player)
        Send(TNetAction{.sequence = ++actions, .action = action});
}

void TNetGuestSession::AskPause(bool pause)
{
    if (!seated || over || seat != TSeat::Player)
        return;
    if (pause)
        Send(TNetPause{});
    else
        Send(TNetResume{});
}

void TNetGuestSession::CrashClosed(int crash)
{
    if (seated && !over && seat == TSeat::Player)
        Send(TNetCrashClosed{static_cast<std::uint16_t>(std::clamp(crash, 0, 65535))});
}

void TNetGuestSession::Leave(const QString &reason)
{
    if (over)
        return;
    if (host >= 0) {
        Send(TNetBye{reason});
        link.Drop(host, reason);
    }
    End(reason);
}

int TNetGuestSession::RoundTripMs() const
{
    return host >= 0 ? link.RoundTripMs(host) : -1;
}

void TNetGuestSession::Send(const TNetMessage &message)
{
    if (host >= 0)
        link.Send(host, NetMessage::Encode(message), true);
}

void TNetGuestSession::End(const QString &reason)
{
    if (over)
        return;
    over = true;
    seatDeadline.stop();
    emit ended(reason);
}
