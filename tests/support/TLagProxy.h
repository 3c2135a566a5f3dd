#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>

#include <map>

// How one direction of the proxy treats what passes: a delay with jitter (each datagram is held
// delay ± jitter ms), and the odds of losing, doubling or holding back a datagram (held back, it
// comes a whole delay later than its neighbours, so they overtake it).
struct TLagProfile
{
    int delayMs = 0;
    int jitterMs = 0;
    double loss = 0;
    double duplicate = 0;
    double reorder = 0;
};

// What one direction of the proxy did.
struct TLagCounters
{
    int received = 0;
    int lost = 0;
    int duplicated = 0;
    int reordered = 0;
    int sent = 0;
};

// A UDP relay on 127.0.0.1 between one client and a server port, that makes a network worse in
// each direction as its profile says. The client talks to Port(); the server sees the proxy's
// second socket as its client. Draws come from the seed, so a run's losses are the same each time
// (their timing is the machine's). Nothing leaves loopback.
class TLagProxy : public QObject
{
    Q_OBJECT
public:
    enum Direction { ToServer, ToClient };

    TLagProxy(quint16 serverPort, quint32 seed, QObject *parent = nullptr);

    // Opens both sockets on loopback; false (and why in *error) if that fails.
    bool Start(QString *error);
    quint16 Port() const { return front.localPort(); }

    void SetProfile(Direction direction, const TLagProfile &profile);
    // The same profile both ways.
    void SetProfile(const TLagProfile &profile);
    const TLagCounters &Counters(Direction direction) const { return counters[direction]; }

private:
    struct Held
    {
        Direction direction;
        QByteArray datagram;
    };

    void ReadFront();
    void ReadBack();
    void Pass(Direction direction, const QByteArray &datagram);
    void Deliver();
    void Rearm();
    bool Draw(double odds);

    quint16 serverPort;
    QRandomGenerator random;
    QUdpSocket front;
    QUdpSocket back;
    quint16 clientPort = 0;
    TLagProfile profiles[2];
    TLagCounters counters[2];
    // Held datagrams by the time they are due, in the order they came for equal times.
    std::multimap<qint64, Held> held;
    QElapsedTimer clock;
    QTimer timer;
};
