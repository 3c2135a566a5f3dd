#include "net/TGameFinder.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QUdpSocket>

#include <algorithm>

namespace {
// Datagrams read in one go before the event loop gets its turn again.
constexpr int ReadsPerWake = 32;
// Games kept at most: a local network does not host more, and a flood of made-up answers cannot
// grow the list without bound.
constexpr qsizetype MaxGames = 64;
} // namespace

TGameFinder::TGameFinder(QObject *parent)
    : TGameFinder(BroadcastTargets(), parent)
{
}

TGameFinder::TGameFinder(QList<TDiscoveryTarget> to, QObject *parent)
    : QObject(parent)
    , targets(std::move(to))
{
    askTimer.setInterval(AskEveryMs);
    connect(&askTimer, &QTimer::timeout, this, &TGameFinder::Ask);
    clock.start();
}

TGameFinder::~TGameFinder() = default;

QList<TDiscoveryTarget> TGameFinder::BroadcastTargets(quint16 port)
{
    QList<TDiscoveryTarget> all{{QHostAddress(QHostAddress::Broadcast), port}};
    const QList<QNetworkInterface> faces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &face : faces) {
        const QNetworkInterface::InterfaceFlags flags = face.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning)
            || !flags.testFlag(QNetworkInterface::CanBroadcast) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const QList<QNetworkAddressEntry> entries = face.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            const TDiscoveryTarget target{entry.broadcast(), port};
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !target.address.isNull()
                && !all.contains(target))
                all.append(target);
        }
    }
    return all;
}

void TGameFinder::setTargets(QList<TDiscoveryTarget> to)
{
    targets = std::move(to);
}

void TGameFinder::Start()
{
    failure.clear();
    if (socket || targets.isEmpty())
        return;
    socket = new QUdpSocket(this);
    if (!socket->bind(QHostAddress(QHostAddress::AnyIPv4), 0)) {
        failure = QStringLiteral("Cannot look for games on the local network: %1.").arg(socket->errorString());
        delete socket;
        socket = nullptr;
        return;
    }
    connect(socket, &QUdpSocket::readyRead, this, &TGameFinder::Read);
    askTimer.start();
    Ask();
}

void TGameFinder::Stop()
{
    askTimer.stop();
    // Stop() may be called from a slot of changed(), inside the socket's own signal.
    if (socket) {
        socket->disconnect(this);
        socket->deleteLater();
    }
    socket = nullptr;
    asked.fill(0);
    if (!games.isEmpty()) {
        games.clear();
        heardAt.clear();
        emit changed();
    }
}

void TGameFinder::Ask()
{
    // Games not heard from for a while have gone.
    const qint64 now = clock.elapsed();
    bool gone = false;
    for (qsizetype n = games.size() - 1; n >= 0; --n) {
        if (now - heardAt.at(n) > ForgetAfterMs) {
            games.removeAt(n);
            heardAt.removeAt(n);
            gone = true;
        }
    }

    // Zero is never an id, so that the empty slots match nothing.
    std::uint32_t id = 0;
    while (id == 0)
        id = QRandomGenerator::global()->generate();
    asked[nextAsked] = id;
    nextAsked = (nextAsked + 1) % asked.size();
    const QByteArray question = DiscoveryDatagram::Encode(TDiscoveryQuery{id});
    // A target that cannot be reached (no route, broadcast refused) is no failure: others may be.
    for (const TDiscoveryTarget &target : std::as_const(targets))
        socket->writeDatagram(question, target.address, target.port);
    if (gone)
        emit changed();
}

void TGameFinder::Read()
{
    for (int n = 0; n < ReadsPerWake && socket && socket->hasPendingDatagrams(); ++n) {
        const QNetworkDatagram datagram = socket->receiveDatagram(DiscoveryDatagram::MaxBytes + 1);
        const std::optional<TDiscoveryDatagram> decoded = DiscoveryDatagram::Decode(datagram.data());
        const auto *answer = decoded ? std::get_if<TDiscoveryAnswer>(&*decoded) : nullptr;
        if (answer && answer->id != 0 && std::find(asked.begin(), asked.end(), answer->id) != asked.end())
            Heard(datagram.senderAddress(), *answer);
    }
}

void TGameFinder::Heard(const QHostAddress &from, const TDiscoveryAnswer &answer)
{
    bool isV4 = false;
    const QHostAddress address(from.toIPv4Address(&isV4));
    if (!isV4)
        return;
    const TFoundGame game{address, answer.gamePort, answer.name, answer.version, answer.seatFree};
    const auto same = [&](const TFoundGame &known) { return known.address == address && known.port == game.port; };
    const qsizetype at = std::find_if(games.begin(), games.end(), same) - games.begin();
    if (at < games.size()) {
        heardAt[at] = clock.elapsed();
        if (games.at(at) == game)
            return;
        games[at] = game;
    } else {
        if (games.size() >= MaxGames)
            return;
        games.append(game);
        heardAt.append(clock.elapsed());
    }
    emit changed();
}
