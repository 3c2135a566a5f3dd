#include "app/ProgramParts.h"
#include "app/TForm1.h"
#include "app/TWindowHost.h"
#include "game/TGame.h"
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
    auto host = std::make_unique<TWindowHost>();
    TWindowHost &windows = *host;
    const auto seed = static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
    TGame game(ProgramParts(std::move(host), seed));
    TForm1 Form1(game);
    windows.setOwner(&Form1);
    Form1.show();
    return TApplication::exec();
}
