#include "app/TProgram.h"
#include "net/NetAddress.h"
#include "platform/ErrorDisplay.h"
#include "platform/FailureReport.h"

#include <QCommandLineParser>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

struct TNetStart
{
    bool hosting = false;
    bool watching = false;
    TNetAddress address;
};

// The network game the command line asks for, if any; a malformed one ends the program with why.
std::optional<TNetStart> NetworkStart(const QCommandLineParser &arguments, const QCommandLineOption &host,
                                      const QCommandLineOption &join, const QCommandLineOption &watch)
{
    const int ways = int(arguments.isSet(host)) + int(arguments.isSet(join)) + int(arguments.isSet(watch));
    if (ways == 0)
        return std::nullopt;
    const auto refuse = [](const QString &why) {
        std::fprintf(stderr, "zandrix2: %s\n", qPrintable(why));
        std::exit(2);
    };
    if (ways > 1)
        refuse(QStringLiteral("--host, --join and --watch exclude each other."));
    TNetStart start;
    if (arguments.isSet(host)) {
        start.hosting = true;
        start.address.port = NetAddress::DefaultPort;
        if (!arguments.positionalArguments().isEmpty()) {
            bool number = false;
            const uint port = arguments.positionalArguments().constFirst().toUInt(&number);
            if (!number || port == 0 || port > 65535)
                refuse(QStringLiteral("--host takes a port from 1 to 65535."));
            start.address.port = static_cast<quint16>(port);
        }
        return start;
    }
    start.watching = arguments.isSet(watch);
    QString error;
    const std::optional<TNetAddress> address =
        NetAddress::Parse(arguments.value(start.watching ? watch : join), NetAddress::DefaultPort, &error);
    if (!address)
        refuse(error);
    start.address = *address;
    return start;
}

} // namespace

int main(int argc, char *argv[])
{
    TApplication application(argc, argv);
    // The title of the error box and the task bar. (A display name would be appended to every
    // window caption, and the captions are the game's own.)
    TApplication::setApplicationName(QStringLiteral("Zandrix II"));
    TApplication::setDesktopFileName(QStringLiteral("org.zandrix.Zandrix2"));
    InstallErrorBoxReporter();

    // zandrix2 [FILE]: a replay given (by a file manager, say) is watched as the window opens.
    QCommandLineParser arguments;
    arguments.setApplicationDescription(QStringLiteral("Zandrix II, a light-cycle duel"));
    arguments.addHelpOption();
    arguments.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A replay (.zxreplay) to watch."),
                                    QStringLiteral("[FILE]"));
    // A network game from the command line: zandrix2 --host [PORT], --join ADDRESS[:PORT],
    // --watch ADDRESS[:PORT].
    const QCommandLineOption host(
        QStringLiteral("host"),
        QStringLiteral("Host a network game on PORT (the first argument; default %1).").arg(NetAddress::DefaultPort));
    const QCommandLineOption join(QStringLiteral("join"), QStringLiteral("Join the network game at ADDRESS[:PORT]."),
                                  QStringLiteral("ADDRESS"));
    const QCommandLineOption watch(QStringLiteral("watch"), QStringLiteral("Watch the network game at ADDRESS[:PORT]."),
                                   QStringLiteral("ADDRESS"));
    const QCommandLineOption password(QStringLiteral("password"),
                                      QStringLiteral("The network game's password (never sent as it is)."),
                                      QStringLiteral("TEXT"));
    const QCommandLineOption sameLag(QStringLiteral("no-even-lag"),
                                     QStringLiteral("Host without evening out the lag: this side's keys act at once."));
    arguments.addOptions({host, join, watch, password, sameLag});
    arguments.process(application);
    const std::optional<TNetStart> network = NetworkStart(arguments, host, join, watch);

    // The game's random draws are seeded from the clock, once, as the main window is made.
    TProgram program(static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    program.Form1.show();
    if (network) {
        const QString secret = arguments.value(password);
        const bool evenOutLag = !arguments.isSet(sameLag);
        QTimer::singleShot(0, &program.Form1, [&program, start = *network, secret, evenOutLag] {
            RunReporting([&] {
                if (start.hosting)
                    program.Form1.HostNetworkGame(start.address.port, secret, evenOutLag);
                else
                    program.Form1.JoinNetworkGame(start.address.host, start.address.port, secret, start.watching);
            });
        });
    } else if (!arguments.positionalArguments().isEmpty()) {
        const QString file = arguments.positionalArguments().constFirst();
        QTimer::singleShot(0, &program.Form1,
                           [&program, file] { RunReporting([&] { program.Form1.OpenReplay(file); }); });
    }
    return TApplication::exec();
}
