#pragma once

#include "computer/TComputerLevel.h"
#include "platform/TProfileFile.h"

#include <QWidget>

class QRadioButton;

// The settings dialog's page "Computer": how well the computer opponent plays.
class TComputerPage : public QWidget
{
    Q_OBJECT

public:
    explicit TComputerPage(QWidget *parent = nullptr);

    TComputerLevel Level() const;
    // The level the settings file holds, as the page opens.
    void setLevel(TComputerLevel level);
    // The "Computer" section, if the level was changed here; nothing otherwise.
    void AddChanges(TProfileFile::Sections &sections) const;
    // The change is in the settings file now.
    void Saved();

private:
    TComputerLevel stored = TComputerLevel::Normal;
    QRadioButton *Easy = nullptr;
    QRadioButton *Normal = nullptr;
    QRadioButton *Hard = nullptr;
};
