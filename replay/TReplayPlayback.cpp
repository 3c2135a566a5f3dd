#include "replay/TReplayPlayback.h"

#include <algorithm>
#include <iterator>
#include <utility>

TReplayPlayback::TReplayPlayback(std::shared_ptr<const TReplay> kept)
    : replay(kept ? std::move(kept) : std::make_shared<const TReplay>())
{
    using Kind = TGameEvent::Kind;
    std::size_t total = 0;
    for (const TReplayRound &played : replay->rounds)
        total += played.events.size();
    times.reserve(total);
    rounds.reserve(replay->rounds.size());
    keyframes.reserve(total / KeyframeEvents + 1);
    keyframes.push_back({0, mirror});

    for (const TReplayRound &played : replay->rounds) {
        const std::vector<TGameEvent> &events = played.events;
        const auto isStart = [](const TGameEvent &event) { return event.kind == Kind::RoundStart; };
        const auto startAt = std::find_if(events.begin(), events.end(), isStart);
        const std::size_t start = startAt == events.end() ? 0 : static_cast<std::size_t>(startAt - events.begin());

        TRoundSpan span;
        span.first = times.size();
        span.start = span.first + start;
        std::int64_t latest = 0;
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (i >= start)
                latest = std::max(latest, events[i].time);
            times.push_back(latest);
        }

        // The crash as its window shows it: the round's end, then the cycle lost and the window.
        const auto isEnd = [](const TGameEvent &event) { return event.kind == Kind::RoundEnd; };
        const auto endAt = std::find_if(events.begin() + static_cast<std::ptrdiff_t>(start), events.end(), isEnd);
        std::size_t end = events.size();
        if (endAt != events.end()) {
            end = static_cast<std::size_t>(endAt - events.begin()) + 1;
            while (end < events.size() && (events[end].kind == Kind::Lives || events[end].kind == Kind::CrashShown))
                ++end;
        }
        span.end = span.first + end;
        rounds.push_back(span);

        for (const TGameEvent &event : events) {
            mirror.Apply(event);
            if (++applied % KeyframeEvents == 0)
                keyframes.push_back({applied, mirror});
        }
    }
    GoToRound(0);
}

std::int64_t TReplayPlayback::RoundLength() const
{
    if (rounds.empty())
        return 0;
    const TRoundSpan &span = rounds[static_cast<std::size_t>(round)];
    return span.end > span.start ? times[span.end - 1] : 0;
}

void TReplayPlayback::GoToRound(int wanted)
{
    if (rounds.empty())
        return;
    round = std::clamp(wanted, 0, RoundCount() - 1);
    SeekTo(0);
}

void TReplayPlayback::SeekTo(std::int64_t ms)
{
    if (rounds.empty())
        return;
    time = std::clamp<std::int64_t>(ms, 0, RoundLength());
    MoveTo(PositionAt(time));
}

void TReplayPlayback::StepForward()
{
    if (AtEnd())
        return;
    // The first event not yet applied is told after the position's time.
    SeekTo(times[applied]);
}

void TReplayPlayback::StepBack()
{
    if (rounds.empty())
        return;
    const TRoundSpan &span = rounds[static_cast<std::size_t>(round)];
    if (applied <= PositionAt(0)) {
        ToStart();
        return;
    }
    // Back before the time of the last event applied, to the time of the one before it.
    const auto begin = times.begin() + static_cast<std::ptrdiff_t>(span.start);
    const auto last = times.begin() + static_cast<std::ptrdiff_t>(applied - 1);
    const auto earliest = std::lower_bound(begin, last, *last);
    SeekTo(earliest == begin ? 0 : *std::prev(earliest));
}

void TReplayPlayback::ToStart()
{
    SeekTo(0);
}

void TReplayPlayback::ToEnd()
{
    if (rounds.empty())
        return;
    time = RoundLength();
    MoveTo(rounds[static_cast<std::size_t>(round)].end);
}

bool TReplayPlayback::AtEnd() const
{
    return rounds.empty() || applied >= rounds[static_cast<std::size_t>(round)].end;
}

QString TReplayPlayback::CrashText() const
{
    // The mirror forgets it at the next RoundStart.
    return mirror.crashText;
}

std::size_t TReplayPlayback::PositionAt(std::int64_t ms) const
{
    const TRoundSpan &span = rounds[static_cast<std::size_t>(round)];
    const auto begin = times.begin() + static_cast<std::ptrdiff_t>(span.start);
    const auto end = times.begin() + static_cast<std::ptrdiff_t>(span.end);
    return static_cast<std::size_t>(std::upper_bound(begin, end, ms) - times.begin());
}

void TReplayPlayback::MoveTo(std::size_t target)
{
    const TKeyframe &nearest = keyframes[std::min(target / KeyframeEvents, keyframes.size() - 1)];
    // Onwards from here when nothing kept lies nearer.
    if (applied > target || applied < nearest.applied) {
        mirror = nearest.mirror;
        applied = nearest.applied;
    }
    Apply(applied, target);
    applied = target;
}

void TReplayPlayback::Apply(std::size_t from, std::size_t to)
{
    // The last round that begins at or before `from` (an empty round begins where the next does).
    const auto after = std::upper_bound(rounds.begin(), rounds.end(), from,
                                        [](std::size_t wanted, const TRoundSpan &span) { return wanted < span.first; });
    auto at = static_cast<std::size_t>(std::distance(rounds.begin(), after)) - 1;
    while (from < to && at < rounds.size()) {
        const std::vector<TGameEvent> &events = replay->rounds[at].events;
        const std::size_t last = std::min(events.size(), to - rounds[at].first);
        for (std::size_t i = from - rounds[at].first; i < last; ++i)
            mirror.Apply(events[i]);
        from = rounds[at].first + last;
        ++at;
    }
}
