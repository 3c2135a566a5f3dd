#pragma once

#include <QDialog>

class QLabel;
class TMarquee;

// The "Info" box: the title picture with the credits scrolling across its lower part. A click on
// the picture or the Enter key closes it; a click on the credits grabs the band instead.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *owner);

    // The credits line as the box shows it.
    static QString CreditsLine();

    // Each time the box becomes active the credits (re)start scrolling.
    void FormActivate(QObject *Sender);
    // Enter (a carriage return) closes the box with OK; every other character is ignored.
    void FormKeyPress(QObject *Sender, QChar &Key);
    // A click on the picture closes the box with OK.
    void Image1Click(QObject *Sender);

    QLabel *Image1 = nullptr;
    TMarquee *Marquee1 = nullptr;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
