#pragma once

#include "game/TPlayer.h"

#include <QByteArray>
#include <QObject>
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
// A network game is a two-player game whose blue cycle is steered from another computer.
enum class TGameMode : std::uint8_t { OnePlayer, TwoPlayers, AgainstComputer, Network };

// The side panel's displays, each showing one value of the game.
enum class TDisplay : std::uint8_t { RedSpeed, RedScore, RedLives, RedJets, BlueSpeed, BlueScore, BlueLives, BlueJets };
inline constexpr int DisplayCount = 8;

// A cycle as anyone watching can see it: where its head is, its heading (1..8), its step interval,
// its score, the cycles its player has left and its jump jets.
struct TCycleState
{
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    std::uint8_t dir = 0;
    std::uint16_t interval = 0;
    std::int32_t score = 0;
    std::uint8_t lives = 0;
    std::int32_t jets = 0;

    bool operator==(const TCycleState &) const = default;
};

// The pixels of a bonus label as a 1-bit mask: width x height bits row by row, bit i in byte i / 8
// at (i % 8), set where the label shows its colour. A replay keeps these rather than the text, so
// that a later font cannot change an old game.
struct TLabelMask
{
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    QByteArray bits{};

    static constexpr qsizetype Bytes(int width, int height) { return (qsizetype(width) * height + 7) / 8; }
    bool IsNull() const { return width == 0 || height == 0; }
    bool At(int x, int y) const
    {
        const qsizetype bit = qsizetype(y) * width + x;
        return (static_cast<unsigned char>(bits.at(bit / 8)) >> (bit % 8) & 1u) != 0;
    }
    bool operator==(const TLabelMask &) const = default;
};

// One thing that happened in the game, as anyone watching can see it. The game tells these in
// the order they happen; from them alone the field, the bonus labels and every value of the side
// panel can be rebuilt exactly. Only the fields that an event's kind names are set.
struct TGameEvent
{
    Q_GADGET

public:
    enum class Kind : std::uint8_t {
        RoundStart, // mode; followed by a Cycle event of each player
        // Each of these tells what happened to player's cycle and its whole state after it (cycle).
        Cycle,   // the cycle as the round starts
        Step,    // the head moved one pixel and drew its trail there
        Crash,   // the head moved one pixel into a wall; the round ends
        Heading, // the cycle turned
        Speed,   // a speed key was carried out (the interval may be the same at a bound)
        Jump,    // the cycle leapt, and spent a jet
        Score,   // the points for the opponent's crash
        Lives,   // a cycle lost
        // The bonus label shows text (a bonus of kind `bonus`) with its top left at x, y; in a replay
        // also its pixels (mask), which are then drawn instead of the text.
        BonusShown,
        // The bonus label was wiped off where it stood (x, y): collected by player (collected, and
        // cycle is the collector's after it) or lost at the end of the round.
        BonusErased,
        Panel, // the side panel's display shows value, or is hidden (visible)
        FieldCleared,
        GameOverShown, // the game-over picture is shown (visible) or hidden
        RoundEnd,      // checksum of the field as the round ended (before it is cleared)
        GameEnd,       // mode of the game that ended, and its winner (player): the one with cycles left
        State,         // the round's state is now state
        CrashShown,    // the crash window opens with text as its caption
    };
    Q_ENUM(Kind)

    // Whether the event carries the state of player's cycle.
    bool TellsCycle() const { return (kind >= Kind::Cycle && kind <= Kind::Lives) || collected; }

    // Milliseconds since the round began.
    std::int64_t time = 0;
    Kind kind = Kind::State;
    TPlayer player = TPlayer::Red;
    TCycleState cycle{};
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    std::uint8_t bonus = 0; // 1..10
    bool collected = false;
    QString text{};
    TDisplay display = TDisplay::RedSpeed;
    std::int32_t value = 0;
    bool visible = false;
    std::uint64_t checksum = 0;
    TRoundState state = TRoundState::Idle;
    TGameMode mode = TGameMode::OnePlayer;
    TLabelMask mask{};

    bool operator==(const TGameEvent &) const = default;
};
