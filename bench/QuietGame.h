#pragma once

#include "game/TDrivenTicks.h"
#include "game/TGameHost.h"
#include "platform/TMediaCommands.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// What a headless game of the benches is made with: a host that shows nothing, records nothing
// and binds no keys (the game's blocking windows never open; a crash window only lets its time
// pass on the game's clock), and media that stay silent.
namespace QuietGame {

// How long a crash window stays open, as a player reads it and presses Enter. The game stops the
// cycles' clocks for it, but the time passes: the wait of the cycle that did not crash runs out
// meanwhile, and that cycle moves first in the next round, as in the program.
inline constexpr std::int64_t CrashWindowMs = 1500;

class Host final : public TGameHost
{
public:
    // The clock is the game's, set once the game is made; the level is the settings' answer.
    explicit Host(TDrivenTicks *&gameClock, TComputerLevel storedLevel = TComputerLevel::Normal)
        : clock(gameClock)
        , level(storedLevel)
    {
    }
    void ShowCrash(QObject *, const QString &) override
    {
        if (clock)
            clock->Pass(CrashWindowMs);
    }
    void RecordOnePlayer(QObject *, std::int32_t) override {}
    void RecordTwoPlayers(QObject *, const QString &, std::int32_t) override {}
    QStringList ReadBindings() override { return QStringList(10); }
    TComputerLevel ReadComputerLevel() override { return level; }
    bool ReadSoundOn() override { return false; }
    void WriteSoundOn(bool) override {}

private:
    TDrivenTicks *&clock;
    TComputerLevel level;
};

class Silence final : public TMediaCommands
{
public:
    void mciSendString(const QString &) noexcept override {}
};

} // namespace QuietGame
