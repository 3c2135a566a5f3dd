#include "app/TProgram.h"
#include "platform/ErrorDisplay.h"
#include "platform/FailureReport.h"

#include <QCommandLineParser>
#include <QTimer>

#include <chrono>

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
    arguments.process(application);

    // The game's random draws are seeded from the clock, once, as the main window is made.
    TProgram program(static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    program.Form1.show();
    if (!arguments.positionalArguments().isEmpty()) {
        const QString file = arguments.positionalArguments().constFirst();
        QTimer::singleShot(0, &program.Form1,
                           [&program, file] { RunReporting([&] { program.Form1.OpenReplay(file); }); });
    }
    return TApplication::exec();
}
