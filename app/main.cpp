#include "app/TForm1.h"
#include "platform/ErrorDisplay.h"

int main(int argc, char *argv[])
{
    TApplication application(argc, argv);
    // The title of the error box and the task bar. (A display name would be appended to every
    // window caption, and the captions are the game's own.)
    TApplication::setApplicationName(QStringLiteral("Zandrix II"));
    TApplication::setDesktopFileName(QStringLiteral("org.zandrix.Zandrix2"));
    InstallErrorBoxReporter();

    TForm1 Form1;
    Form1.show();
    return TApplication::exec();
}
