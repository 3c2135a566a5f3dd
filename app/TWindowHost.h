#pragma once

#include "game/TGameHost.h"
#include "input/TPadMapping.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QDialog;

// The game's host in the program: the real crash window and hall of fame, owned by the main
// window while they are shown, and the settings file.
class TWindowHost : public TGameHost
{
public:
    void ShowCrash(QObject *Sender, const QString &msg) override;
    void RecordOnePlayer(QObject *Sender, std::int32_t score) override;
    void RecordTwoPlayers(QObject *Sender, const QString &player, std::int32_t score) override;
    QStringList ReadBindings() override;
    TComputerLevel ReadComputerLevel() override;
    bool ReadSoundOn() override;
    void WriteSoundOn(bool on) override;

    // The controllers' buttons, for the main window's controllers (the game itself has none).
    TPadMapping ReadPadMapping();

    // The window that owns the windows this host shows: the main window, once there is one.
    void setOwner(QWidget *window) { owner = window; }
    // How a crash window is shown and waited for instead of on its own (a network game also waits
    // for the other side's window); none: until the player closes it.
    using TCrashWait = std::function<void(QDialog &window)>;
    void setCrashWait(TCrashWait wait) { crashWait = std::move(wait); }

private:
    QPointer<QWidget> owner;
    TCrashWait crashWait;
};
