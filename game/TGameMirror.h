#pragma once

#include "game/TGameEvent.h"
#include "game/TPanelDisplay.h"
#include "game/TPlayfield.h"

#include <array>

// A game rebuilt from its stream alone: the field with its bonus labels and game-over picture,
// every value of the side panel, and what is known of each cycle. It decides nothing; it only
// follows. A watcher of a game (a playback, a remote screen) shows one of these. It is a plain value:
// a copy is a whole game of its own.
class TGameMirror
{
public:
    void Apply(const TGameEvent &event);

    TPlayfield playfield;
    std::array<TPanelDisplay, DisplayCount> displays;
    std::array<TCycleState, 2> cycles;
    TRoundState state = TRoundState::Idle;
    TGameMode mode = TGameMode::OnePlayer;
    std::uint8_t bonuskind = 0;
    // The caption of the crash window shown in this round, empty until then.
    QString crashText;
    // The checksums of the rounds' ends as told, and whether the rebuilt field matched each.
    int roundEnds = 0;
    int checksumMismatches = 0;

    const TPanelDisplay &Display(TDisplay display) const { return displays.at(static_cast<std::size_t>(display)); }
    const TCycleState &Of(TPlayer player) const { return cycles.at(Index(player)); }
};
