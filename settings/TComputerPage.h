#pragma once

#include "platform/TProfileFile.h"

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
    // The level as the settings file has it; any text but the three levels selects "normal".
    void setLevel(const QString &level);
    // The "Computer" section, if the level was changed here; nothing otherwise.
    void AddChanges(TProfileFile::Sections &sections) const;
    // The change is in the settings file now.
    void Saved();

private:
    QString stored;
    QRadioButton *Easy = nullptr;
    QRadioButton *Normal = nullptr;
    QRadioButton *Hard = nullptr;
};
