#pragma once

#include <QDialog>

class QComboBox;
class QRadioButton;

// Asks how a round is exported as GIF: at the field's own size or twice that, and how fast.
class TExportGifDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TExportGifDialog(QWidget *parent);

    int Scale() const;
    double Speed() const;

    QRadioButton *Size1 = nullptr;
    QRadioButton *Size2 = nullptr;
    QComboBox *SpeedBox = nullptr;
};
