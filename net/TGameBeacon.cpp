#include "net/TGameBeacon.h"

#include "net/NetMessage.h"

#include <QNetworkDatagram>
#include <QSysInfo>
#include <QUdpSocket>

namespace {
// Datagrams read in one go before the event loop gets its turn again.
constexpr int ReadsPerWake = 32;
} // namespace

TGameBeacon::TGameBeacon(quint16 port, QObject *parent)
    : QObject(parent)
    , gamePort(port)
    , hostName(QSysInfo::machineHostName())
    , version(NetProtocol::GameVersion())
{
    clock.start();
}

TGameBeacon::~TGameBeacon() = default;

bool TGameBeacon::Listen(quint16 port, const QHostAddress &address)
{
    delete socket;
    socket = new QUdpSocket(this);
    failure.clear();
    if (!socket->bind(address, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        failure = QStringLiteral("Other computers on the local network cannot find this game: UDP port %1 "
                                 "cannot be opened (%2).")
                      .arg(port)
                      .arg(socket->errorString());
        delete socket;
        socket = nullptr;
        return false;
    }
    connect(socket, &QUdpSocket::readyRead, this, &TGameBeacon::Read);
    return true;
}

quint16 TGameBeacon::Port() const
{
    return socket ? socket->localPort() : 0;
}

void TGameBeacon::Read()
{
    for (int n = 0; n < ReadsPerWake && socket->hasPendingDatagrams(); ++n) {
        // One byte more than the longest datagram: a longer one arrives cut and is refused.
        const QNetworkDatagram datagram = socket->receiveDatagram(DiscoveryDatagram::MaxBytes + 1);
        const std::optional<TDiscoveryDatagram> decoded = DiscoveryDatagram::Decode(datagram.data());
        const auto *query = decoded ? std::get_if<TDiscoveryQuery>(&*decoded) : nullptr;
        if (!query || datagram.senderAddress().isNull() || datagram.senderPort() <= 0 || !MayAnswer())
            continue;
        const TDiscoveryAnswer answer{query->id, gamePort, hostName, version, seatFree};
        socket->writeDatagram(DiscoveryDatagram::Encode(answer), datagram.senderAddress(),
                              static_cast<quint16>(datagram.senderPort()));
    }
}

bool TGameBeacon::MayAnswer()
{
    const qint64 now = clock.elapsed();
    if (now - windowStartMs >= 1000) {
        windowStartMs = now;
        windowAnswers = 0;
    }
    if (windowAnswers >= MaxAnswersPerSecond)
        return false;
    ++windowAnswers;
    return true;
}
