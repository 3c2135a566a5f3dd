#pragma once

#include <QDialog>

#include <array>
#include <memory>

class QLineEdit;
class TComputerPage;
class TGamepadsPage;
namespace Ui {
class TSettings;
}

// The settings dialog and its three pages: Controls, the key bindings (ten one-character boxes
// laid out like the keys they stand for); Computer, the computer opponent's level; Gamepads, the
// controllers connected and each player's buttons.
class TSettings : public QDialog
{
    Q_OBJECT

public:
    explicit TSettings(QWidget *owner);
    ~TSettings() override;

    // Fills the ten boxes and the Computer page from the settings file (run each time the dialog
    // is shown; the Gamepads page reads its own section when it is made).
    void FormActivate(QObject *Sender);
    // Writes the ten boxes and what was changed on the Computer and Gamepads pages to the settings
    // file, in one replace (the OK button's click handler).
    void ctrlchange(QObject *Sender);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The boxes in the order of the bindings in ControlsSection.
    std::array<QLineEdit *, 10> Boxes() const;
    void FitKeyDiagram();
    void OKBtnClick();

    std::unique_ptr<Ui::TSettings> ui;
    TComputerPage *computerPage = nullptr;
    TGamepadsPage *gamepadsPage = nullptr;
};
