#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// Who rides a cycle: player 1 on the red one, player 2 on the blue one. Everything that differs
// between the two (state, clock, colour, displays) is looked up from this, in TGame::Player().
enum class TPlayer : std::uint8_t { Red = 1, Blue = 2 };

inline constexpr std::array<TPlayer, 2> BothPlayers{TPlayer::Red, TPlayer::Blue};

constexpr TPlayer Opponent(TPlayer player)
{
    return player == TPlayer::Red ? TPlayer::Blue : TPlayer::Red;
}

// 1 or 2, as the players are called on the screen ("Player 2 crashed!").
constexpr int Number(TPlayer player)
{
    return static_cast<int>(player);
}

// 0 or 1, for arrays of both.
constexpr std::size_t Index(TPlayer player)
{
    return player == TPlayer::Red ? 0 : 1;
}

// The player a number names, if it names one.
constexpr std::optional<TPlayer> PlayerNumbered(int number)
{
    if (number == 1)
        return TPlayer::Red;
    if (number == 2)
        return TPlayer::Blue;
    return std::nullopt;
}
