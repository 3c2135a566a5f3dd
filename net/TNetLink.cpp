#include "net/TNetLink.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QtEndian>

#include <enet/enet.h>
#include <enet/time.h>

#include <climits>

namespace {

constexpr size_t kChannels = 2;
constexpr enet_uint8 kReliableChannel = 0;
constexpr enet_uint8 kUnreliableChannel = 1;
// Sent with a join, so that a listening game serves only its own kind.
constexpr enet_uint32 kJoinMark = 0x5A324E54;
// Why a connection ended, as the ENet goodbye tells it (0: it was not ended, it timed out).
constexpr enet_uint32 kGoodbye = 1;
constexpr enet_uint32 kDropped = 2;
constexpr enet_uint32 kStranger = 3;
// How often the host is serviced while peers exist: resends, pings and timeouts wait for it.
constexpr int kServiceMs = 20;
// Events handled per wake-up at most, so that a flood cannot hold the GUI thread; the socket
// notifier wakes the link again for the rest.
constexpr int kEventsPerWake = 512;

// ENet is set up once for the program and put away at its end.
bool EnetReady()
{
    struct Setup
    {
        bool ok = enet_initialize() == 0;
        ~Setup()
        {
            if (ok)
                enet_deinitialize();
        }
    };
    static const Setup setup;
    return setup.ok;
}

// A packet we queued counts down its peer's queued bytes when ENet lets go of it.
void PacketFreed(ENetPacket *packet)
{
    if (packet->userData)
        *static_cast<qsizetype *>(packet->userData) -= static_cast<qsizetype>(packet->dataLength);
}

QString Goodbye(enet_uint32 why, int silentMs)
{
    switch (why) {
    case 0: return TNetLink::tr("The connection is lost: no answer for %1 s.").arg(silentMs / 1000.0);
    case kGoodbye: return TNetLink::tr("The other side left.");
    case kDropped: return TNetLink::tr("The other side ended the connection.");
    case kStranger: return TNetLink::tr("The other side does not play Zandrix II.");
    default: return TNetLink::tr("The connection ended.");
    }
}

QString AddressText(const ENetAddress &address)
{
    return QStringLiteral("%1:%2").arg(QHostAddress(qFromBigEndian(address.host)).toString()).arg(address.port);
}

} // namespace

TNetLink::TNetLink(QObject *parent, const TNetLinkLimits &limits_)
    : QObject(parent)
    , limits(limits_)
{
    clock.start();
    serviceTimer.setInterval(kServiceMs);
    connect(&serviceTimer, &QTimer::timeout, this, &TNetLink::Service);
    flushTimer.setSingleShot(true);
    flushTimer.setInterval(0);
    connect(&flushTimer, &QTimer::timeout, this, [this] {
        if (host)
            enet_host_flush(host);
    });
}

TNetLink::~TNetLink()
{
    if (lookupId != -1)
        QHostInfo::abortHostLookup(lookupId);
    CloseHost();
}

bool TNetLink::Listen(quint16 port, QString *error)
{
    return OpenHost(true, port, error);
}

void TNetLink::Connect(const QString &hostName, quint16 port)
{
    // A join whose host has gone may be tried again on the same link.
    if (host && !serving && peers.empty())
        CloseHost();
    if (host || lookupId != -1) {
        Fail(tr("This connection is in use already."));
        return;
    }
    target = hostName.trimmed();
    targetPort = port;
    QHostAddress literal;
    if (literal.setAddress(target)) {
        ConnectTo(literal);
        return;
    }
    lookupId = QHostInfo::lookupHost(target, this, &TNetLink::HostFound);
}

quint16 TNetLink::Port() const
{
    return host ? host->address.port : 0;
}

bool TNetLink::Send(int peerId, const QByteArray &message, bool reliable)
{
    const auto it = peers.find(peerId);
    if (!host || it == peers.end() || !it->second.connected || it->second.dropped)
        return false;
    if (message.size() > limits.maxMessageBytes)
        return false;
    ENetPeer *enet = it->second.enet;
    qsizetype &queued = queuedBytes.at(static_cast<size_t>(enet - host->peers));
    if (queued + message.size() > limits.maxQueuedBytes) {
        DropPeer(it, tr("Cannot keep up: more than %1 KiB waiting to be sent.").arg(limits.maxQueuedBytes / 1024),
                 false);
        return false;
    }
    ENetPacket *packet = enet_packet_create(message.constData(), static_cast<size_t>(message.size()),
                                            reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (!packet)
        return false;
    packet->userData = &queued;
    packet->freeCallback = PacketFreed;
    queued += message.size();
    if (enet_peer_send(enet, reliable ? kReliableChannel : kUnreliableChannel, packet) < 0) {
        enet_packet_destroy(packet);
        return false;
    }
    flushTimer.start();
    return true;
}

void TNetLink::Drop(int peerId, const QString &reason)
{
    const auto it = peers.find(peerId);
    if (it != peers.end() && !it->second.dropped)
        DropPeer(it, reason, true);
}

int TNetLink::RoundTripMs(int peerId) const
{
    const auto it = peers.find(peerId);
    if (it == peers.end() || !it->second.connected)
        return -1;
    return static_cast<int>(qMin<enet_uint32>(it->second.enet->roundTripTime, INT_MAX));
}

QString TNetLink::Address(int peerId) const
{
    const auto it = peers.find(peerId);
    return it == peers.end() ? QString() : AddressText(it->second.enet->address);
}

QList<int> TNetLink::Peers() const
{
    QList<int> ids;
    for (const auto &[id, peer] : peers)
        if (peer.connected && !peer.dropped)
            ids.append(id);
    return ids;
}

bool TNetLink::OpenHost(bool listening, quint16 port, QString *error)
{
    if (host || lookupId != -1) {
        *error = tr("This connection is in use already.");
        return false;
    }
    if (!EnetReady()) {
        *error = tr("The network library could not be set up.");
        return false;
    }
    ENetAddress any;
    any.host = ENET_HOST_ANY;
    any.port = port;
    const size_t slotCount = listening ? static_cast<size_t>(qMax(limits.peers, 1)) : 1;
    host = enet_host_create(listening ? &any : nullptr, slotCount, kChannels, 0, 0);
    if (!host) {
        *error = listening ? tr("Cannot listen on port %1: it is taken, or not allowed.").arg(port)
                           : tr("Cannot open a network socket.");
        return false;
    }
    serving = listening;
    host->maximumPacketSize = static_cast<size_t>(qMax(limits.maxMessageBytes, 1));
    host->maximumWaitingData = static_cast<size_t>(qMax(limits.maxWaitingBytes, limits.maxMessageBytes));
    queuedBytes.assign(host->peerCount, 0);
    notifier = new QSocketNotifier(static_cast<qintptr>(host->socket), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &TNetLink::Service);
    return true;
}

void TNetLink::CloseHost()
{
    serviceTimer.stop();
    flushTimer.stop();
    if (notifier) {
        notifier->setEnabled(false);
        notifier->deleteLater();
        notifier = nullptr;
    }
    if (!host)
        return;
    for (auto &[id, peer] : peers)
        enet_peer_disconnect_now(peer.enet, kGoodbye);
    peers.clear();
    enet_host_destroy(host);
    host = nullptr;
    queuedBytes.clear();
}

void TNetLink::HostFound(const QHostInfo &info)
{
    lookupId = -1;
    if (info.error() != QHostInfo::NoError) {
        Fail(tr("Cannot find %1: %2").arg(target, info.errorString()));
        return;
    }
    for (const QHostAddress &address : info.addresses()) {
        bool ipv4 = false;
        address.toIPv4Address(&ipv4);
        if (ipv4) {
            ConnectTo(address);
            return;
        }
    }
    Fail(tr("%1 has no IPv4 address: the network game needs one.").arg(target));
}

void TNetLink::ConnectTo(const QHostAddress &address)
{
    bool ipv4 = false;
    const quint32 v4 = address.toIPv4Address(&ipv4);
    if (!ipv4) {
        Fail(tr("%1 is an IPv6 address: the network game needs IPv4.").arg(target));
        return;
    }
    QString error;
    if (!OpenHost(false, 0, &error)) {
        Fail(error);
        return;
    }
    ENetAddress to;
    to.host = qToBigEndian(v4);
    to.port = targetPort;
    ENetPeer *enet = enet_host_connect(host, &to, kChannels, kJoinMark);
    if (!enet) {
        CloseHost();
        Fail(tr("Cannot open a network socket."));
        return;
    }
    // ENet checks its timeouts only when it resends, ever more seldom: Watch() keeps the deadline,
    // ENet's own is a backstop.
    const auto connectMs = static_cast<enet_uint32>(qMax(limits.connectMs, 1));
    enet_peer_timeout(enet, 0, 2 * connectMs, 2 * connectMs);
    Peer &peer = peers[NextId()];
    peer.enet = enet;
    peer.sinceMs = clock.elapsed();
    enet_host_flush(host);
    UpdateTimer();
}

void TNetLink::Service()
{
    const QPointer<TNetLink> alive(this);
    ENetEvent event;
    for (int n = 0; n < kEventsPerWake && host; ++n) {
        // -1 is a failed send or receive on the socket: nothing is lost that a resend will not bring.
        if (enet_host_service(host, &event, 0) <= 0)
            break;
        const bool stays = Handle(event);
        if (event.packet)
            enet_packet_destroy(event.packet);
        if (!stays || !alive)
            return;
    }
    if (host && !Watch())
        return;
    UpdateTimer();
}

bool TNetLink::Handle(const ENetEvent &event)
{
    const QPointer<TNetLink> alive(this);
    switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT: {
        auto it = Find(event.peer);
        if (it == peers.end()) {
            // A peer that joined us.
            if (event.data != kJoinMark) {
                enet_peer_disconnect(event.peer, kStranger);
                return true;
            }
            it = peers.emplace(NextId(), Peer{event.peer}).first;
        }
        const auto silentMs = static_cast<enet_uint32>(qMax(limits.silentMs, 1));
        enet_peer_timeout(event.peer, 0, silentMs, 2 * silentMs);
        it->second.connected = true;
        it->second.connectedAt = host->serviceTime;
        it->second.windowStartMs = clock.elapsed();
        emit connected(it->first);
        return alive;
    }
    case ENET_EVENT_TYPE_RECEIVE: {
        const auto it = Find(event.peer);
        if (it == peers.end() || !it->second.connected || it->second.dropped || !event.packet)
            return true;
        const auto size = static_cast<qsizetype>(event.packet->dataLength);
        if (!Admit(it->second, size)) {
            DropPeer(it,
                     tr("Sent too much: more than %1 messages or %2 KiB in a second.")
                         .arg(limits.maxMessagesPerSecond)
                         .arg(limits.maxBytesPerSecond / 1024),
                     false);
            return true;
        }
        emit received(it->first, QByteArray(reinterpret_cast<const char *>(event.packet->data), size));
        return alive;
    }
    case ENET_EVENT_TYPE_DISCONNECT: {
        const auto it = Find(event.peer);
        if (it == peers.end())
            return true;
        const int id = it->first;
        const Peer peer = it->second;
        peers.erase(it);
        if (peer.dropped)
            return true;
        if (!peer.connected) {
            CloseHost();
            Fail(event.data == 0 ? tr("Nobody answers at %1:%2.").arg(target).arg(targetPort)
                                 : Goodbye(event.data, limits.silentMs));
            return true;
        }
        emit disconnected(id, Goodbye(event.data, limits.silentMs));
        return alive;
    }
    case ENET_EVENT_TYPE_NONE: break;
    }
    return true;
}

bool TNetLink::Watch()
{
    // A peer acknowledges what we send, and we ping it twice a second when there is nothing else:
    // an acknowledgement older than the limit means that it is gone.
    const qint64 now = clock.elapsed();
    const auto silentMs = static_cast<enet_uint32>(qMax(limits.silentMs, 1));
    std::vector<int> gone;
    for (const auto &[id, peer] : peers) {
        if (peer.dropped)
            continue;
        const bool late = peer.connected ? qMin(ENET_TIME_DIFFERENCE(host->serviceTime, peer.enet->lastReceiveTime),
                                                ENET_TIME_DIFFERENCE(host->serviceTime, peer.connectedAt))
                                               > silentMs
                                         : now - peer.sinceMs > limits.connectMs;
        if (late)
            gone.push_back(id);
    }
    const QPointer<TNetLink> alive(this);
    for (const int id : gone) {
        const auto it = peers.find(id);
        if (!host || it == peers.end())
            return true;
        const Peer peer = it->second;
        peers.erase(it);
        enet_peer_reset(peer.enet);
        if (!peer.connected) {
            CloseHost();
            Fail(tr("Nobody answers at %1:%2.").arg(target).arg(targetPort));
            return true;
        }
        emit disconnected(id, Goodbye(0, limits.silentMs));
        if (!alive)
            return false;
    }
    return true;
}

bool TNetLink::Admit(Peer &peer, qsizetype bytes)
{
    const qint64 now = clock.elapsed();
    if (now - peer.windowStartMs >= 1000) {
        peer.windowStartMs = now;
        peer.windowMessages = 0;
        peer.windowBytes = 0;
    }
    ++peer.windowMessages;
    peer.windowBytes += bytes;
    return peer.windowMessages <= limits.maxMessagesPerSecond && peer.windowBytes <= limits.maxBytesPerSecond;
}

void TNetLink::DropPeer(PeerMap::iterator it, const QString &reason, bool later)
{
    Peer &peer = it->second;
    peer.dropped = true;
    if (later)
        enet_peer_disconnect_later(peer.enet, kDropped);
    else
        enet_peer_disconnect(peer.enet, kDropped);
    if (peer.connected)
        EmitLater(it->first, reason);
    flushTimer.start();
    UpdateTimer();
}

void TNetLink::Fail(const QString &message)
{
    QMetaObject::invokeMethod(
        this, [this, message] { emit failed(message); }, Qt::QueuedConnection);
}

void TNetLink::EmitLater(int peer, const QString &reason)
{
    QMetaObject::invokeMethod(
        this, [this, peer, reason] { emit disconnected(peer, reason); }, Qt::QueuedConnection);
}

void TNetLink::UpdateTimer()
{
    // Also while ENet has a peer of its own that is not ours yet: a join whose acknowledgement
    // was lost is completed only by ENet resending its answer, which needs the service.
    bool halfJoined = false;
    for (std::size_t i = 0; host && i < host->peerCount && !halfJoined; ++i)
        halfJoined = host->peers[i].state != ENET_PEER_STATE_DISCONNECTED;
    if (host && (!peers.empty() || halfJoined)) {
        if (!serviceTimer.isActive())
            serviceTimer.start();
    } else {
        serviceTimer.stop();
    }
}

TNetLink::PeerMap::iterator TNetLink::Find(ENetPeer *enet)
{
    for (auto it = peers.begin(); it != peers.end(); ++it)
        if (it->second.enet == enet)
            return it;
    return peers.end();
}

int TNetLink::NextId()
{
    lastId = lastId == INT_MAX ? 1 : lastId + 1;
    return lastId;
}
