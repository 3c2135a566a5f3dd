#pragma once

#include <QWidget>

class QRadioButton;

// The settings dialog's page "Computer": how well the computer opponent plays. The level is one
// of the texts the settings file keeps ("easy", "normal", "hard").
class TComputerPage : public QWidget
{
    Q_OBJECT

public:
    explicit TComputerPage(QWidget *parent = nullptr);

    QString Level() const;
    // Any text but the three levels selects "normal".
    void setLevel(const QString &level);

private:
    QRadioButton *Easy = nullptr;
    QRadioButton *Normal = nullptr;
    QRadioButton *Hard = nullptr;
};
