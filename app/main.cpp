#include "app/TForm1.h"
#include "platform/ErrorDisplay.h"

int main(int argc, char *argv[])
{
    TApplication application(argc, argv);
    TApplication::setApplicationName(QStringLiteral("zandrix2"));
    TApplication::setApplicationDisplayName(QStringLiteral("Zandrix II"));
    InstallErrorBoxReporter();

    TForm1 Form1;
    Form1.show();
    return TApplication::exec();
}
