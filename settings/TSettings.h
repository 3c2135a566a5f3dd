#pragma once

#include <QDialog>

// The key bindings dialog: ten one-character boxes laid out like the keys they stand for.
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

    // (further members are the implementer's)
};
