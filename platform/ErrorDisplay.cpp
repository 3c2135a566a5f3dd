#include "platform/ErrorDisplay.h"

#include "platform/FailureReport.h"

#include <QMessageBox>

void ShowErrorBox(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void InstallErrorBoxReporter()
{
    SetFailureReporter([](const std::string &message) { ShowErrorBox(QString::fromStdString(message)); });
}

TApplication::TApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportCurrentException();
        return true;
    }
}
