#include "net/TNetHostSession.h"

#include "platform/Failure.h"
#include "platform/FailureReport.h"

#include <type_traits>

namespace {

// The stream goes out at most this often: one message per tick of a cycle at the top speed would be
// a thousand a second for each cycle.
constexpr int FlushMs = 4;
// A late watcher is sent the current round from its start; a round longer than this many events
// is not kept, and such a watcher sees the field from the next round on.
constexpr std::size_t MaxRoundEvents = 200000;

} // namespace

TNetLinkLimits TNetHostSession::DefaultLimits()
{
    TNetLinkLimits limits;
    limits.maxMessagesPerSecond = 4000;
    return limits;
}

TNetHostSession::TNetHostSession(TOptions chosen, QObject *parent)
    : QObject(parent)
    , options(std::move(chosen))
    , link(this, options.limits)
{
    connect(&link, &TNetLink::connected, this, [this](int peer) { RunReporting([&] { Connected(peer); }); });
    connect(&link, &TNetLink::disconnected, this,
            [this](int peer, const QString &reason) { RunReporting([&] { Disconnected(peer, reason); }); });
    connect(&link, &TNetLink::received, this,
            [this](int peer, const QByteArray &bytes) { RunReporting([&] { Received(peer, bytes); }); });
    flushTimer.setSingleShot(true);
    flushTimer.setTimerType(Qt::PreciseTimer);
    connect(&flushTimer, &QTimer::timeout, this, [this] { RunReporting([this] { Flush(); }); });
    handshakeTimer.setInterval(500);
    connect(&handshakeTimer, &QTimer::timeout, this, [this] { RunReporting([this] { DropUnseated(); }); });
    sinceFlush.start();
}

TNetHostSession::~TNetHostSession() = default;

bool TNetHostSession::Listen(quint16 port, QString *error)
{
    return link.Listen(port, error);
}

int TNetHostSession::WatcherCount() const
{
    int count = 0;
    for (const auto &[peer, guest] : guests)
        count += guest.seated && guest.seat == TSeat::Watcher;
    return count;
}

int TNetHostSession::RoundTripMs() const
{
    return player >= 0 ? link.RoundTripMs(player) : -1;
}

THandshake::TFreeSeats TNetHostSession::FreeSeats() const
{
    constexpr int Watchers = 8;
    return {.player = player < 0 && !closed, .watcher = WatcherCount() < Watchers && !closed};
}

void TNetHostSession::Connected(int peer)
{
    if (closed) {
        link.Drop(peer, QStringLiteral("The game has ended."));
        return;
    }
    Guest guest{.handshake = THandshake::Host(NetProtocol::GameVersion(), options.password, options.evenOutLag,
                                              [this] { return FreeSeats(); }),
                .since = {}};
    guest.since.start();
    guests.insert_or_assign(peer, std::move(guest));
    handshakeTimer.start();
}

void TNetHostSession::Disconnected(int peer, const QString &reason)
{
    const auto it = guests.find(peer);
    if (it == guests.end())
        return;
    const bool wasSeated = it->second.seated;
    guests.erase(it);
    if (peer == player) {
        player = -1;
        emit playerLeft(reason);
    } else if (wasSeated) {
        emit notice(QStringLiteral("A watcher left: %1").arg(reason));
    }
}

void TNetHostSession::Received(int peer, const QByteArray &bytes)
{
    const auto it = guests.find(peer);
    if (it == guests.end())
        return;
    TNetMessage message;
    try {
        message = NetMessage::Decode(bytes);
    } catch (const Failure &failure) {
        // A guest that sends what no copy of the game sends is let go, and told why.
        const QString why = QStringLiteral("It sent a message that makes no sense (%1).").arg(failure.what());
        Send(peer, TNetBye{why});
        link.Drop(peer, why);
        return;
    }
    if (it->second.seated)
        Play(peer, it->second, message);
    else
        Greet(peer, it->second, message);
}

void TNetHostSession::Greet(int peer, Guest &guest, const TNetMessage &message)
{
    for (const TNetMessage &answer : guest.handshake.Receive(message))
        Send(peer, answer);
    switch (guest.handshake.State()) {
    case THandshake::Outcome::Pending: return;
    case THandshake::Outcome::Refused:
        emit notice(guest.handshake.Reason());
        link.Drop(peer, guest.handshake.Reason());
        return;
    case THandshake::Outcome::Seated: break;
    }
    // What is still to go out goes to the guests seated before this one.
    Flush();
    guest.seated = true;
    guest.seat = guest.handshake.Seat();
    if (guest.seat == TSeat::Player) {
        player = peer;
        emit playerSeated();
    } else {
        emit notice(QStringLiteral("A watcher joined from %1.").arg(link.Address(peer)));
        CatchUp(peer);
    }
}

void TNetHostSession::Play(int peer, Guest &guest, const TNetMessage &message)
{
    const bool playing = guest.seat == TSeat::Player;
    std::visit(
        [&](const auto &said) {
            using Said = std::decay_t<decltype(said)>;
            if constexpr (std::is_same_v<Said, TNetAction>) {
                // A watcher can do nothing to the game; an action sent twice counts once.
                if (playing && said.sequence > guest.lastAction) {
                    guest.lastAction = said.sequence;
                    emit action(said.action);
                }
            } else if constexpr (std::is_same_v<Said, TNetPause>) {
                if (playing)
                    emit pauseAsked(true);
            } else if constexpr (std::is_same_v<Said, TNetResume>) {
                if (playing)
                    emit pauseAsked(false);
            } else if constexpr (std::is_same_v<Said, TNetCrashClosed>) {
                if (playing)
                    emit crashClosed(said.round);
            } else if constexpr (std::is_same_v<Said, TNetPing>) {
                Send(peer, TNetPong{said.id, said.time});
            } else if constexpr (std::is_same_v<Said, TNetPong>) {
                // The link measures the round trip itself.
            } else if constexpr (std::is_same_v<Said, TNetBye>) {
                link.Drop(peer, said.reason.isEmpty() ? QStringLiteral("The other side left.") : said.reason);
            } else {
                // The handshake's messages, or the host's own, from a guest already seated.
                const QString why = QStringLiteral("It sent a message out of turn.");
                Send(peer, TNetBye{why});
                link.Drop(peer, why);
            }
        },
        message);
}

void TNetHostSession::Tell(const TGameEvent &event)
{
    mirror.Apply(event);
    if (roundEvents.size() < MaxRoundEvents)
        roundEvents.push_back(event);
    if (event.kind == TGameEvent::Kind::RoundEnd) {
        // A watcher who comes from now on starts from here.
        roundBase = mirror;
        roundEvents.clear();
    }
    if (guests.empty())
        return;
    pending.push_back(event);
    if (!flushTimer.isActive())
        flushTimer.start(static_cast<int>(std::clamp<qint64>(FlushMs - sinceFlush.elapsed(), 0, FlushMs)));
}

void TNetHostSession::Flush()
{
    sinceFlush.restart();
    if (pending.empty())
        return;
    const std::vector<TGameEvent> batch = std::move(pending);
    pending.clear();
    for (const auto &[peer, guest] : guests)
        if (guest.seated)
            SendEvents(peer, batch);
}

void TNetHostSession::SendEvents(int peer, const std::vector<TGameEvent> &events)
{
    for (const QByteArray &bytes : NetMessage::EncodeEvents(events)) {
        if (peer == player)
            bytesToPlayer += bytes.size();
        link.Send(peer, bytes, true);
    }
}

void TNetHostSession::CatchUp(int peer)
{
    // The side panel as the round began, then the round so far; nothing is pending (see Greet), so
    // the next flush goes on from there.
    std::vector<TGameEvent> events;
    for (int i = 0; i < DisplayCount; ++i) {
        const auto display = static_cast<TDisplay>(i);
        const TPanelDisplay &shown = roundBase.Display(display);
        events.push_back(
            {.kind = TGameEvent::Kind::Panel, .display = display, .value = shown.Value(), .visible = shown.Visible()});
    }
    events.push_back({.kind = TGameEvent::Kind::State, .state = roundBase.state});
    events.insert(events.end(), roundEvents.begin(), roundEvents.end());
    SendEvents(peer, events);
}

void TNetHostSession::Countdown(int ms)
{
    Flush();
    for (const auto &[peer, guest] : guests)
        if (guest.seated)
            Send(peer, TNetCountdown{static_cast<std::uint16_t>(std::clamp(ms, 0, 60000))});
}

void TNetHostSession::Close(const QString &reason)
{
    if (closed)
        return;
    Flush();
    closed = true;
    for (const auto &[peer, guest] : guests) {
        Send(peer, TNetBye{reason});
        link.Drop(peer, reason);
    }
}

void TNetHostSession::DropUnseated()
{
    bool waiting = false;
    for (auto &[peer, guest] : guests) {
        if (guest.seated || guest.leaving)
            continue;
        if (guest.since.elapsed() > options.handshakeMs) {
            const QString why = QStringLiteral("It did not finish saying who it is within %1 s.")
                                    .arg(options.handshakeMs / 1000.0, 0, 'f', 1);
            Send(peer, TNetBye{why});
            link.Drop(peer, why);
            guest.leaving = true;
        } else {
            waiting = true;
        }
    }
    if (!waiting)
        handshakeTimer.stop();
}

void TNetHostSession::Send(int peer, const TNetMessage &message)
{
    link.Send(peer, NetMessage::Encode(message), true);
}
