#pragma once

#include <QDialog>

#include <memory>

class QKeyEvent;
namespace Ui {
class Tcrash;
}

// The crash message: a small picture window whose caption carries the message the game sets
// before showing it. The player dismisses it with a click on the picture, Enter or the close box.
class Tcrash : public QDialog
{
    Q_OBJECT

public:
    explicit Tcrash(QWidget *owner);
    ~Tcrash() override;

    // Closes the window with the modal result OK.
    void Image1Click(QObject *Sender);
    // Closes the window with the modal result OK when Key is Enter (character 13); any other
    // character is ignored and left as it is.
    void FormKeyPress(QObject *Sender, QChar &Key);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<Ui::Tcrash> ui;
};
