#pragma once

#include "game/TGameHost.h"

class QWidget;

// The game's host in the program: the real crash window and hall of fame, owned by the main
// window while they are shown, and the settings file.
class TWindowHost : public TGameHost
{
public:
    explicit TWindowHost(QWidget &owner);

    void ShowCrash(QObject *Sender, const QString &msg) override;
    void RecordOnePlayer(QObject *Sender, std::int32_t score) override;
    void RecordTwoPlayers(QObject *Sender, const QString &player, std::int32_t score) override;
    QStringList ReadBindings() override;

private:
    QWidget &owner;
};
