#pragma once

#include "computer/TComputerLevel.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class QObject;

// Where the game meets the windows that block and the settings file: showing the crash message,
// recording the final scores (with the name entry), and every read or write of the settings file
// the game makes. The program's host is app/TWindowHost; the tests' host records.
class TGameHost
{
public:
    virtual ~TGameHost() = default;

    // Shows the crash message with `msg` as its caption and returns when the player has closed it.
    virtual void ShowCrash(QObject *Sender, const QString &msg) = 0;
    // Records a final score in the hall of fame, asking for a name where it earns a place: the
    // score of a one-player game, or one player's score of a two-player game ("Player 1").
    virtual void RecordOnePlayer(QObject *Sender, std::int32_t score) = 0;
    virtual void RecordTwoPlayers(QObject *Sender, const QString &player, std::int32_t score) = 0;
    // The ten key bindings as stored, in the order of ControlsSection::Bindings.
    virtual QStringList ReadBindings() = 0;
    // The computer's level as stored.
    virtual TComputerLevel ReadComputerLevel() = 0;
    // Whether the game sounds, as stored; and keeping a new choice.
    virtual bool ReadSoundOn() = 0;
    virtual void WriteSoundOn(bool on) = 0;
};
