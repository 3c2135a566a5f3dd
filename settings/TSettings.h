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

// The settings dialog: the key bindings (ten one-character boxes laid out like the keys they stand
// for) and the computer opponent's level.
class TSettings : public QDialog
{
    Q_OBJECT

public:
    explicit TSettings(QWidget *owner);
    ~TSettings() override;

    // Fills the ten boxes from the settings file (run on activation).
    void FormActivate(QObject *Sender);
    // Writes the ten boxes to the settings file (the OK button's click handler).
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
