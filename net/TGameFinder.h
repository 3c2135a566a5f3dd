#pragma once

#include "net/DiscoveryDatagram.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>

class QUdpSocket;

// Where the finder asks.
struct TDiscoveryTarget
{
    QHostAddress address;
    quint16 port = DiscoveryDatagram::DiscoveryPort;
    bool operator==(const TDiscoveryTarget &) const = default;
};

// A game that answered.
struct TFoundGame
{
    // Where it answered from, and the port its game listens on.
    QHostAddress address;
    quint16 port = 0;
    QString name;
    QString version;
    bool seatFree = false;
    bool operator==(const TFoundGame &) const = default;
};

// The joining side of finding games on the local network: while started, asks its targets "who
// hosts a game?" at once and every half second after, and keeps the games that answered in a list,
// emitting changed() whenever the list changes. A game not heard from for 3 s drops out.
// By default the targets are the broadcast address and each interface's IPv4 broadcast, at the
// discovery port; they may be given instead (the tests ask loopback only).
class TGameFinder : public QObject
{
    Q_OBJECT
public:
    static constexpr int AskEveryMs = 500;
    static constexpr int ForgetAfterMs = 3000;

    explicit TGameFinder(QObject *parent = nullptr);
    explicit TGameFinder(QList<TDiscoveryTarget> targets, QObject *parent = nullptr);
    ~TGameFinder() override;
    TGameFinder(const TGameFinder &) = delete;
    TGameFinder &operator=(const TGameFinder &) = delete;

    // The broadcast addresses of this computer's networks at the port.
    static QList<TDiscoveryTarget> BroadcastTargets(quint16 port = DiscoveryDatagram::DiscoveryPort);
    // Asks these from the next question on (none: asks nobody, and Start() opens no socket).
    void setTargets(QList<TDiscoveryTarget> targets);
    const QList<TDiscoveryTarget> &Targets() const { return targets; }

    // Starts asking (the first question goes out at once). When no socket can be opened, error()
    // tells why and the list stays empty.
    void Start();
    // Stops asking and empties the list.
    void Stop();
    bool IsRunning() const { return socket != nullptr; }
    QString error() const { return failure; }

    // The games heard from in the last 3 s, in the order they were first heard.
    const QList<TFoundGame> &Games() const { return games; }

signals:
    void changed();

private:
    void Ask();
    void Read();
    void Heard(const QHostAddress &from, const TDiscoveryAnswer &answer);

    QList<TDiscoveryTarget> targets;
    QUdpSocket *socket = nullptr;
    QTimer askTimer;
    QElapsedTimer clock;
    QString failure;
    QList<TFoundGame> games;
    // When each game was last heard (the finder's clock), beside games.
    QList<qint64> heardAt;
    // The ids of the last questions: an answer must echo one of them.
    std::array<std::uint32_t, 8> asked{};
    std::size_t nextAsked = 0;
};
