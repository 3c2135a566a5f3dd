#pragma once

#include "net/DiscoveryDatagram.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>

class QUdpSocket;

// The host's side of finding games on the local network: listens on the discovery port and
// answers every well-formed question ("who hosts a game?") straight to whoever asked, with the
// game's port, this computer's name, the game's version and whether the player's seat is free.
// Everything else that arrives is ignored, and it answers at most MaxAnswersPerSecond times a
// second, so that it cannot be used to flood someone else. A game is hosted just as well without
// it: when it cannot listen, error() tells why.
class TGameBeacon : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxAnswersPerSecond = 20;

    explicit TGameBeacon(quint16 gamePort, QObject *parent = nullptr);
    ~TGameBeacon() override;
    TGameBeacon(const TGameBeacon &) = delete;
    TGameBeacon &operator=(const TGameBeacon &) = delete;

    // Listens on the port (0: a free one, see Port()) of the address, shared with other copies of
    // the game on this computer. On failure error() tells why and false is returned.
    bool Listen(quint16 port = DiscoveryDatagram::DiscoveryPort,
                const QHostAddress &address = QHostAddress(QHostAddress::AnyIPv4));
    // The port it listens on, 0 if it does not.
    quint16 Port() const;
    // Why it does not listen, empty if it does (or was not asked to).
    QString error() const { return failure; }

    void setGamePort(quint16 port) { gamePort = port; }
    void setSeatFree(bool free) { seatFree = free; }
    // The name the host is found by; the computer's own by default.
    void setName(const QString &name) { hostName = name; }

private:
    void Read();
    // Whether one more answer fits in this second's allowance.
    bool MayAnswer();

    QUdpSocket *socket = nullptr;
    quint16 gamePort;
    bool seatFree = true;
    QString hostName;
    QString version;
    QString failure;
    QElapsedTimer clock;
    qint64 windowStartMs = 0;
    int windowAnswers = 0;
};
