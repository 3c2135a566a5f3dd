#pragma once

#include "game/TPlayer.h"

#include <QString>

#include <cstdint>

// The state of the game as the menus see it.
enum class TRoundState : std::uint8_t {
    Idle,     // no game yet
    Running,  // a round is being played
    Paused,   // a round stands still until it is resumed
    Crashed,  // a cycle has crashed: its window, and at the game's end the name entries, are open
    GameOver, // the game has ended; a new one may start
};

// What kind of game is played.
enum class TGameMode : std::uint8_t { OnePlayer, TwoPlayers, AgainstComputer };

// The side panel's displays, each showing one value of the game.
enum class TDisplay : std::uint8_t { RedSpeed, RedScore, RedLives, RedJets, BlueSpeed, BlueScore, BlueLives, BlueJets };
inline constexpr int DisplayCount = 8;

// One thing that happened in the game, as anyone watching can see it. The game tells these in
// the order they happen; from them alone the field, the bonus labels and every value of the side
// panel can be rebuilt exactly. Only the fields that an event's kind names are set.
struct TGameEvent
{
    enum class Kind : std::uint8_t {
        RoundStart, // mode; followed by a Cycle event of each player
        // The next three carry the whole of a cycle: x, y, dir, interval, score, lives, jets.
        Cycle,       // a cycle as the round starts
        Step,        // player's head moved to x, y and drew its trail there; score after the step
        Crash,       // player's head moved to x, y and crashed; the round ends
        Heading,     // player turned to dir
        Speed,       // player's step interval is now interval
        Jump,        // player leapt to x, y; jets left
        BonusShown,  // the bonus label shows text (bonus of kind) with its top left at x, y
        BonusErased, // the bonus label was wiped off, by player collecting it (collected) or by the end
                     // of the round; score and jets are the collector's after it
        Score,       // player's score is now score (the points for the opponent's crash)
        Lives,       // player has lives cycles left
        Panel,       // the side panel's display shows value, or is hidden (visible)
        FieldCleared,
        GameOverShown, // the game-over picture is shown (visible) or hidden
        RoundEnd,      // checksum of the field as the round ended (before it is cleared)
        GameEnd,       // both players' final scores are in the Score events before it
        State,         // the round's state is now state
    };

    // Milliseconds since the round began.
    std::int64_t time = 0;
    Kind kind = Kind::State;
    TPlayer player = TPlayer::Red;
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    std::uint8_t dir = 0;
    std::uint16_t interval = 0;
    std::int32_t score = 0;
    std::uint8_t lives = 0;
    std::int32_t jets = 0;
    std::uint8_t bonus = 0; // 1..10
    bool collected = false;
    TDisplay display = TDisplay::RedSpeed;
    std::int32_t value = 0;
    bool visible = false;
    QString text;
    std::uint64_t checksum = 0;
    TRoundState state = TRoundState::Idle;
    TGameMode mode = TGameMode::OnePlayer;
};
