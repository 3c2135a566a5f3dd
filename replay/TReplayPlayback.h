#pragma once

#include "game/TGameMirror.h"
#include "replay/TReplay.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// A cursor over a kept game: the game as it stood at one moment of one round, rebuilt from what
// happened. No widgets and no timers: whoever shows it moves the cursor (the window from its keys
// and its own clock) and draws Mirror().
//
// A round's moments run from its start (its RoundStart and everything told at time 0) to its
// crash as seen while the crash window was open: the round's end with its checksum, the cycle
// lost and the window's text. What follows (the points, the cleared field, the next round's panel)
// belongs to the way into the next round and is shown only there.
//
// Moving is cheap anywhere: a copy of the mirror is kept every so many events (KeyframeEvents), so
// a seek restores the nearest copy before the moment and applies at most that many events.
class TReplayPlayback
{
public:
    // Events between two kept copies of the mirror: each copy holds the field's image (1.3 MB),
    // so the copies take some 40 bytes per event, less than the events themselves.
    static constexpr std::size_t KeyframeEvents = 32768;

    explicit TReplayPlayback(std::shared_ptr<const TReplay> replay);

    const TReplay &Replay() const { return *replay; }
    // The field, labels, panel displays and state at the position.
    const TGameMirror &Mirror() const { return mirror; }
    int RoundCount() const { return static_cast<int>(rounds.size()); }
    int Round() const { return round; }
    // Game milliseconds since the round began, of the position.
    std::int64_t Time() const { return time; }
    // The time of the round's crash: its last moment.
    std::int64_t RoundLength() const;

    // To that round's start; a round out of range is clamped to the first or last.
    void GoToRound(int round);
    // To the moment `ms` of the round: every event of the round told at or before it applied.
    // Clamped to the round's start and crash.
    void SeekTo(std::int64_t ms);
    // To the next moment at which something happened (one tick), or the one before.
    void StepForward();
    void StepBack();
    void ToStart();
    // The field at the crash, before the next round clears it.
    void ToEnd();
    bool AtEnd() const;
    // The crash window's text once the position is at the crash; otherwise empty.
    QString CrashText() const;

private:
    // Where each round lies among all the game's events, counted from the first.
    struct TRoundSpan
    {
        std::size_t first = 0; // the round's first event
        std::size_t start = 0; // its RoundStart (or its first event if it has none): moments count from here
        std::size_t end = 0;   // one past its last moment: its crash as the crash window shows it
    };
    struct TKeyframe
    {
        std::size_t applied = 0;
        TGameMirror mirror;
    };
    // The count of the round's events from its start told at or before `ms`, as a position.
    std::size_t PositionAt(std::int64_t ms) const;
    // Applies events or goes back to a kept copy until exactly `target` events are applied.
    void MoveTo(std::size_t target);
    void Apply(std::size_t from, std::size_t to);

    std::shared_ptr<const TReplay> replay;
    std::vector<TRoundSpan> rounds;
    // Each event's time as a seek sees it: from the round's RoundStart on, never below 0 nor below
    // an earlier event's of the round (a damaged file cannot make the search go wrong).
    std::vector<std::int64_t> times;
    std::vector<TKeyframe> keyframes;

    TGameMirror mirror;
    std::size_t applied = 0;
    int round = 0;
    std::int64_t time = 0;
};
