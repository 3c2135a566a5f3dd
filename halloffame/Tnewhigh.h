#pragma once

#include "platform/TProfileText.h"

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class Tnewhigh;
}

// The text typed so far in the name entry window. Whoever opens the window reads it once the window
// has closed and then empties it, so that every entry starts empty.
extern QString newname;

// The name entry window: a picture and one label that repeats the typed text with an underscore as
// cursor. It has no text box; the window itself takes the keys. Enter closes it with OK, the close
// box with Cancel; the typed text counts either way.
class Tnewhigh : public QDialog
{
    Q_OBJECT

public:
    // The longest name the settings file gives back; typing past it would be lost on the next read.
    static constexpr qsizetype MaxNameLength = TProfileText::MaxValueLength;

    explicit Tnewhigh(QWidget *owner);
    ~Tnewhigh() override;

    // One typed character: Backspace (8) takes back the last character, Enter (13) closes the
    // window with OK, any other character is appended. Control characters and line separators are
    // held back: a name is one line of the settings file.
    void FormKeyPress(QObject *Sender, QChar key);

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void ShowName();

    std::unique_ptr<Ui::Tnewhigh> ui;
};
