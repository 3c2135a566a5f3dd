#pragma once

// The numbers of the game's rules, in one place. The speed, the points a step scores, the length of
// a jump and the speed dial all follow from a cycle's step interval, in milliseconds.
#include <QStringView>

#include <array>
#include <cstdint>

namespace Rules {

// Every round starts at this interval; the speed keys move it by 10 between 1 and 101.
inline constexpr std::uint16_t StartInterval = 51;
inline constexpr std::uint16_t SpeedStep = 10;
// The speed keys' bounds, tested on the interval as it is: 2 or more to go faster, 96 or less to go
// slower. Since the interval stays one more than a multiple of 10, they keep it within 1..101.
inline constexpr std::uint16_t FasterFrom = 2;
inline constexpr std::uint16_t SlowerUpTo = 96;

// Both cycles start every round on this pixel (column and row) and part on their first ticks.
inline constexpr std::uint16_t StartPosition = 200;
inline constexpr std::uint8_t RedStartHeading = 2;  // up and left
inline constexpr std::uint8_t BlueStartHeading = 4; // down and left

inline constexpr std::uint8_t StartLives = 3;
inline constexpr std::int32_t StartJets = 3;
// What the opponent of a crashed cycle gains.
inline constexpr std::int32_t CrashPoints = 5000;

// The lives strip holds blue's cycles in cells 0..3 and red's in cells 4..7: cell offset + lives.
inline constexpr std::uint8_t BlueLivesCell = 0;
inline constexpr std::uint8_t RedLivesCell = 4;

// Faster cycles score double: 2 points a step below 51 ms, 1 from 51 ms on. (At 101 the numerator
// is -1, and -1 / 50 truncates to 0.)
constexpr std::int32_t StepPoints(std::uint16_t interval)
{
    return (100 - static_cast<std::int32_t>(interval)) / 50 + 1;
}

// The jump distance shrinks with speed: 19 pixels at 1 ms, 0 at 101 ms (-1 / 5 truncates to 0).
constexpr int JumpDistance(std::uint16_t interval)
{
    return (100 - static_cast<int>(interval)) / 5;
}

// The speed dial's needle: 0 at 1 ms, 9 at 101 ms; never a second digit.
constexpr std::int32_t SpeedDial(std::uint16_t interval)
{
    return interval / 11;
}

// Bonus kinds 1..10, as drawn by random(10) + 1: "Jump Jet" gives one more jet, the others points.
struct BonusKind
{
    QStringView text;
    std::int32_t points;
    bool jumpJet;
};

inline constexpr std::array<BonusKind, 10> BonusKinds{{
    {u"Jump Jet", 0, true},
    {u"Jump Jet", 0, true},
    {u"1000", 1000, false},
    {u"1000", 1000, false},
    {u"2500", 2500, false},
    {u"2500", 2500, false},
    {u"5000", 5000, false},
    {u"100", 100, false},
    {u"100", 100, false},
    {u"100", 100, false},
}};

// A kind outside 1..10 never comes from the draw; it counts as the last one ("100").
constexpr const BonusKind &Bonus(std::uint8_t kind)
{
    return BonusKinds[kind >= 1 && kind <= BonusKinds.size() ? kind - 1 : BonusKinds.size() - 1];
}

// Where a bonus may lie: left edge 100..499, top 50..449, so always wholly inside the field; and
// the wait for the next one, 2 to 20 seconds, counted from the collection.
inline constexpr int BonusLeft = 100, BonusLeftRange = 400;
inline constexpr int BonusTop = 50, BonusTopRange = 400;
inline constexpr int BonusDelay = 2000, BonusDelayRange = 18000;
inline constexpr int FirstBonusDelay = 1000;

} // namespace Rules
