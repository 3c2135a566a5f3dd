// The lag proxy as a program of its own, for the end-to-end tests of two real programs:
//   zandrix2-lagproxy SERVER_PORT DELAY_MS JITTER_MS LOSS
// relays between one client and 127.0.0.1:SERVER_PORT, and prints the port the client joins.
#include "support/TLagProxy.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 5) {
        std::fprintf(stderr, "usage: zandrix2-lagproxy SERVER_PORT DELAY_MS JITTER_MS LOSS\n");
        return 2;
    }
    bool ok[4] = {};
    const uint server = arguments.at(1).toUInt(&ok[0]);
    const int delay = arguments.at(2).toInt(&ok[1]);
    const int jitter = arguments.at(3).toInt(&ok[2]);
    const double loss = arguments.at(4).toDouble(&ok[3]);
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || server == 0 || server > 65535 || delay < 0 || jitter < 0 || loss < 0
        || loss > 1) {
        std::fprintf(stderr, "zandrix2-lagproxy: bad arguments\n");
        return 2;
    }
    TLagProxy proxy(static_cast<quint16>(server), 20261210);
    proxy.SetProfile(TLagProfile{.delayMs = delay, .jitterMs = jitter, .loss = loss});
    QString error;
    if (!proxy.Start(&error)) {
        std::fprintf(stderr, "zandrix2-lagproxy: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%u\n", proxy.Port());
    std::fflush(stdout);
    return QCoreApplication::exec();
}
