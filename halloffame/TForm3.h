#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>

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

    // (further members are the implementer's)
};
