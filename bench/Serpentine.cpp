#include "bench/Serpentine.h"

namespace {
constexpr std::uint8_t Down = 5;
constexpr std::uint8_t Left = 3;
constexpr std::uint8_t Right = 7;
} // namespace

Serpentine::Serpentine(Band area)
    : band(area)
{
}

void Serpentine::Place(std::uint16_t &x, std::uint16_t &y, std::uint8_t &heading) const
{
    x = static_cast<std::uint16_t>(band.left);
    y = static_cast<std::uint16_t>(band.top);
    heading = Right;
}

int Serpentine::TurnsBefore(std::uint16_t x, std::uint16_t y, std::uint8_t heading) const
{
    switch (heading) {
    case Right: return x >= band.right ? -2 : 0;
    case Left: return x <= band.left ? +2 : 0;
    case Down:
        // Rows lie two pixels apart, so a trail never touches the row beside it.
        if ((y - band.top) % 2 != 0)
            return 0;
        return x >= band.right ? -2 : +2;
    default: return 0;
    }
}
