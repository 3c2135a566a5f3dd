#pragma once

#include <QApplication>
#include <QString>

// The program's error box: a modal message box with the error icon, the application's title and
// a single OK button.
void ShowErrorBox(const QString &message);

// Routes ReportFailure() to the error box.
void InstallErrorBoxReporter();

// The application object. Its event dispatch is the catch point for failures raised by event
// handlers: the failure is shown in the error box and the program goes on.
class TApplication : public QApplication
{
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
