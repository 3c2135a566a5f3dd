#pragma once

#include <cstdint>

// A control of a game controller as the game hears of it: one of SDL's game-controller buttons,
// by its SDL_GameControllerButton number (0 "a" up to the touchpad), or one way of the left stick.
// The stick's two ways are no buttons of SDL's: they are numbered above all of them.
using TPadControl = std::uint8_t;

namespace PadControl {

inline constexpr TPadControl StickLeft = 200;
inline constexpr TPadControl StickRight = 201;

// A stick counts as pushed past half its travel and as let go only below a quarter, so that a
// hand resting near the middle does not turn the cycle again and again.
inline constexpr int StickPushed = 16384;
inline constexpr int StickReleased = 8192;

} // namespace PadControl
