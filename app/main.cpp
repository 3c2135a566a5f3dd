#include "app/TProgram.h"
#include "platform/ErrorDisplay.h"

#include <chrono>

int main(int argc, char *argv[])
{
    TApplication application(argc, argv);
    // The title of the error box and the task bar. (A display name would be appended to every
    // window caption, and the captions are the game's own.)
    TApplication::setApplicationName(QStringLiteral("Zandrix II"));
    TApplication::setDesktopFileName(QStringLiteral("org.zandrix.Zandrix2"));
    InstallErrorBoxReporter();

    // The game's random draws are seeded from the clock, once, as the main window is made.
    TProgram program(static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    program.Form1.show();
    return TApplication::exec();
}
