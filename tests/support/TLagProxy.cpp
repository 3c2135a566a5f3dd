#include "support/TLagProxy.h"

#include <QNetworkDatagram>

#include <algorithm>

namespace {
// Datagrams held at once at most: a test that sends faster than it delivers loses the rest.
constexpr size_t kMostHeld = 20000;
} // namespace

TLagProxy::TLagProxy(quint16 serverPort_, quint32 seed, QObject *parent)
    : QObject(parent)
    , serverPort(serverPort_)
    , random(seed)
{
    clock.start();
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &TLagProxy::Deliver);
    connect(&front, &QUdpSocket::readyRead, this, &TLagProxy::ReadFront);
    connect(&back, &QUdpSocket::readyRead, this, &TLagProxy::ReadBack);
}

bool TLagProxy::Start(QString *error)
{
    if (!front.bind(QHostAddress::LocalHost, 0) || !back.bind(QHostAddress::LocalHost, 0)) {
        *error = front.errorString() + QLatin1Char(' ') + back.errorString();
        return false;
    }
    return true;
}

void TLagProxy::SetProfile(Direction direction, const TLagProfile &profile)
{
    profiles[direction] = profile;
}

void TLagProxy::SetProfile(const TLagProfile &profile)
{
    SetProfile(ToServer, profile);
    SetProfile(ToClient, profile);
}

void TLagProxy::ReadFront()
{
    while (front.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = front.receiveDatagram();
        if (datagram.senderAddress() != QHostAddress(QHostAddress::LocalHost))
            continue;
        clientPort = static_cast<quint16>(datagram.senderPort());
        Pass(ToServer, datagram.data());
    }
}

void TLagProxy::ReadBack()
{
    while (back.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = back.receiveDatagram();
        if (datagram.senderAddress() != QHostAddress(QHostAddress::LocalHost) || datagram.senderPort() != serverPort)
            continue;
        Pass(ToClient, datagram.data());
    }
}

void TLagProxy::Pass(Direction direction, const QByteArray &datagram)
{
    const TLagProfile &profile = profiles[direction];
    TLagCounters &count = counters[direction];
    ++count.received;
    if (Draw(profile.loss) || held.size() >= kMostHeld) {
        ++count.lost;
        return;
    }
    const int copies = Draw(profile.duplicate) ? 2 : 1;
    count.duplicated += copies - 1;
    for (int copy = 0; copy < copies; ++copy) {
        qint64 due = clock.elapsed() + profile.delayMs;
        if (profile.jitterMs > 0)
            due += static_cast<qint64>(random.bounded(2 * profile.jitterMs + 1)) - profile.jitterMs;
        if (Draw(profile.reorder)) {
            ++count.reordered;
            due += profile.delayMs + profile.jitterMs + 1;
        }
        held.emplace(due, Held{direction, datagram});
    }
    Rearm();
}

void TLagProxy::Deliver()
{
    const qint64 now = clock.elapsed();
    while (!held.empty() && held.begin()->first <= now) {
        const Held next = held.begin()->second;
        held.erase(held.begin());
        if (next.direction == ToServer)
            back.writeDatagram(next.datagram, QHostAddress::LocalHost, serverPort);
        else if (clientPort != 0)
            front.writeDatagram(next.datagram, QHostAddress::LocalHost, clientPort);
        ++counters[next.direction].sent;
    }
    Rearm();
}

void TLagProxy::Rearm()
{
    if (held.empty()) {
        timer.stop();
        return;
    }
    const qint64 wait = held.begin()->first - clock.elapsed();
    timer.start(static_cast<int>(std::clamp<qint64>(wait, 0, 60000)));
}

bool TLagProxy::Draw(double odds)
{
    // Drawn even for odds of 0 or 1, so that changing one profile's odds moves none of the later draws.
    const double draw = random.generateDouble();
    return draw < odds;
}
