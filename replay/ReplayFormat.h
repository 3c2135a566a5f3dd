#pragma once

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

// What a replay file's bytes are; see ReplayFormat.cpp for the layout.
namespace ReplayFormat {

// The format this program writes and the newest it reads.
inline constexpr std::uint32_t Version = 1;
// The largest file taken for a replay. A real game (at most five rounds, each shorter than the
// field has pixels) stays far below it.
inline constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
// At most this many events in a game: five rounds (the most a game can have), each with a step and
// a score for every pixel of the field, fit with room to spare.
inline constexpr std::size_t MaxEvents = 4'000'000;
// A text (a bonus's, a crash window's caption) is at most this many bytes of UTF-8.
inline constexpr int MaxTextBytes = 1024;
// Times in a round are at most this many milliseconds (a round is never a year long): anyone doing
// arithmetic with them never overflows.
inline constexpr std::int64_t MaxTime = std::int64_t{1} << 40;

} // namespace ReplayFormat
