#include "game/TGameState.h"

int TGameState::random(int n)
{
    if (n <= 0)
        return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(generator);
}

std::int32_t WrappingAdd(std::int32_t score, std::int32_t points)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(score) + static_cast<std::uint32_t>(points));
}
