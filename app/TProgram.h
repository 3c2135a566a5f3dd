#pragma once

#include "app/TForm1.h"
#include "game/TGame.h"
#include "replay/TReplayRecorder.h"

#include <cstdint>
#include <memory>

class TWindowHost;

// The computer opponent at a level, seeded.
TComputerMaker ComputerPilotMaker();

// The program as main() makes it: the game with the real windows as its host, the real media and
// timers (or the tick source given) and the seed; and the main window showing it, with the
// controllers, whose buttons are read through the same host; and the keeper of the games played.
class TProgram
{
public:
    explicit TProgram(std::uint32_t seed, std::unique_ptr<TTickSource> ticks = nullptr);

private:
    TWindowHost *host = nullptr; // the game's, set while the game is made

public:
    TGame game;
    // Every game played is kept, the last ones in the replays folder.
    TReplayRecorder recorder;
    TForm1 Form1;
};
