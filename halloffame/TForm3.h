#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class QLabel;
enum class TFameList;

namespace Ui {
class TForm3;
}

// The hall of fame window, and the recording of final scores into its two lists.
class TForm3 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm3(QWidget *owner);
    ~TForm3() override;

    // Loads both lists from the settings file into the twenty score lines (run on activation).
    void readfame(QObject *Sender);
    // Records a one-player score; may ask for a name. Raises a Failure when the file cannot be
    // written.
    void writefame(QObject *Sender, std::int32_t score);
    // Records one player's score of a two-player game ("Player 1" or "Player 2").
    void writefameb(QObject *Sender, const QString &player, std::int32_t score);
    // Shows the name entry window with the prompt as its caption and returns the typed name.
    void highenter(QObject *Sender, const QString &prompt, QString &name);

    // A click on the picture closes the window with OK.
    void Image1Click(QObject *Sender);
    // Enter (13) closes the window with OK; every other key is ignored.
    void FormKeyPress(QObject *Sender, QChar key);

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void record(QObject *Sender, TFameList list, std::int32_t score, const QString &prompt);
    QWidget *NameEntryOwner();
    void ShowLine(int k);

    std::unique_ptr<Ui::TForm3> ui;
    // The score lines of entries 1 to 20: one-player ranks, then two-player ranks.
    std::array<QLabel *, 20> lines{};
};
