#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>
#include <vector>

class QHostAddress;
class QHostInfo;
class QSocketNotifier;
struct _ENetHost;
struct _ENetPeer;
struct _ENetEvent;

// What a link lets its peers do. The defaults are the game's; the tests make them small.
struct TNetLinkLimits
{
    // Peers a listening link serves at once: a player and eight watchers, and two more slots so that
    // a further joiner still reaches the host and hears why it is turned away.
    int peers = 9 + 2;
    // No message, sent or received, is larger than this.
    int maxMessageBytes = 64 * 1024;
    // Bytes a peer may have on the way to us, half received.
    int maxWaitingBytes = 256 * 1024;
    // A peer that sends more than this within a second is dropped.
    int maxMessagesPerSecond = 1000;
    int maxBytesPerSecond = 1024 * 1024;
    // Bytes we may have queued for one peer, sent but not yet acknowledged; a peer that cannot keep
    // up with more is dropped.
    int maxQueuedBytes = 2 * 1024 * 1024;
    // A peer that answers nothing for this long is gone (ENet pings every half second).
    int silentMs = 2000;
    // A join that nobody answers gives up after this long.
    int connectMs = 4000;
};

// One end of the network game's connection: an ENet host that either listens for peers on a port
// or joins one address. It carries whole messages, reliable and ordered or unreliable, and knows
// nothing of what they say. It runs on the GUI thread without threads of its own: the host's socket
// wakes it, and a short timer runs only while there are peers (resends, pings, timeouts), so a host
// waiting for an opponent costs nothing.
//
// Every peer that was reported connected is reported disconnected exactly once: when it leaves,
// goes silent, breaks the limits, or is dropped with Drop(). A join that does not succeed reports
// failed() instead. Signals are emitted from the event loop only, never from inside a call to the
// link, so a slot may call the link (or delete it with deleteLater()).
class TNetLink : public QObject
{
    Q_OBJECT
public:
    explicit TNetLink(QObject *parent = nullptr, const TNetLinkLimits &limits = {});
    ~TNetLink() override;
    TNetLink(const TNetLink &) = delete;
    TNetLink &operator=(const TNetLink &) = delete;

    // Listens on the port on every IPv4 address (port 0: a free one, see Port()). On failure tells
    // why in *error and returns false.
    bool Listen(quint16 port, QString *error);
    // Joins a host by name or IPv4 address: connected() or failed() follows.
    void Connect(const QString &host, quint16 port);
    // The port the link listens on or joins from (0 before either).
    quint16 Port() const;

    // Queues a message for a connected peer. Refused (false) for an unknown peer or a message over
    // the size limit; a peer whose queue would grow past its limit is dropped ("cannot keep up").
    bool Send(int peer, const QByteArray &message, bool reliable);
    // Ends a peer's connection once what was sent to it has gone out; disconnected(peer, reason)
    // follows. To tell the peer why, send it a message first.
    void Drop(int peer, const QString &reason);
    // Mean round trip to the peer in milliseconds, -1 for an unknown peer.
    int RoundTripMs(int peer) const;
    // The peer's address as "a.b.c.d:port", empty for an unknown peer.
    QString Address(int peer) const;
    // The connected peers.
    QList<int> Peers() const;

signals:
    void connected(int peer);
    void disconnected(int peer, const QString &reason);
    void received(int peer, const QByteArray &message);
    void failed(const QString &message);

private:
    struct Peer
    {
        _ENetPeer *enet = nullptr;
        bool connected = false;
        bool dropped = false;
        // When a join began (our clock), for its deadline.
        qint64 sinceMs = 0;
        // When it was connected (ENet's clock): until it acknowledges something, it was last heard then.
        quint32 connectedAt = 0;
        qint64 windowStartMs = 0;
        int windowMessages = 0;
        qint64 windowBytes = 0;
    };
    using PeerMap = std::map<int, Peer>;

    bool OpenHost(bool listening, quint16 port, QString *error);
    void CloseHost();
    void HostFound(const QHostInfo &info);
    void ConnectTo(const QHostAddress &address);
    void Service();
    // Handles one event of the host; false once the link is gone.
    bool Handle(const _ENetEvent &event);
    bool Admit(Peer &peer, qsizetype bytes);
    // Ends the peers that have been silent too long and a join that has waited too long; false once
    // the link is gone.
    bool Watch();
    void DropPeer(PeerMap::iterator it, const QString &reason, bool later);
    void Fail(const QString &message);
    void EmitLater(int peer, const QString &reason);
    void UpdateTimer();
    PeerMap::iterator Find(_ENetPeer *enet);
    int NextId();

    TNetLinkLimits limits;
    _ENetHost *host = nullptr;
    // Whether the host listens (or joins).
    bool serving = false;
    // Wakes the link when the host's socket has something; a child of the link, put away with
    // deleteLater() when the host closes, which may happen while it is telling of its socket.
    QSocketNotifier *notifier = nullptr;
    // Per ENet peer slot, the bytes of the packets we queued that ENet has not let go of yet; lives
    // as long as the host, whose packets count down into it when freed.
    std::vector<qsizetype> queuedBytes;
    PeerMap peers;
    int lastId = 0;
    QTimer serviceTimer;
    QTimer flushTimer;
    QElapsedTimer clock;
    int lookupId = -1;
    QString target;
    quint16 targetPort = 0;
};
