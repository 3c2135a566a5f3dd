#include "computer/TCloseQuarters.h"

#include "computer/PixelPaths.h"
#include "game/TFieldSurface.h"

#include <algorithm>
#include <limits>

namespace {

// The index steps of the eight headings in the padded window, heading 1 first.
constexpr std::array<int, 8> Offsets(int stride)
{
    std::array<int, 8> offsets{};
    for (std::uint8_t heading = 1; heading <= 8; ++heading) {
        const HeadingStep step = StepOf(heading);
        offsets[static_cast<std::size_t>(heading - 1)] = step.dy * stride + step.dx;
    }
    return offsets;
}

std::uint8_t Turned(std::uint8_t heading, int by)
{
    return static_cast<std::uint8_t>((heading - 1 + by + 16) % 8 + 1);
}

constexpr std::array<int, 8> Around = Offsets(TCloseQuarters::Window + 2);

} // namespace

int TCloseQuarters::TheirDistances(int from)
{
    theirSteps.fill(Unreached);
    int head = 0;
    int tail = 0;
    for (int offset : Around) {
        const auto at = static_cast<std::size_t>(from + offset);
        if (walls[at] == 0 && theirSteps[at] == Unreached) {
            theirSteps[at] = 1;
            queue[static_cast<std::size_t>(tail++)] = static_cast<std::int16_t>(at);
        }
    }
    while (head < tail) {
        const int index = queue[static_cast<std::size_t>(head++)];
        const auto steps = static_cast<std::uint16_t>(theirSteps[static_cast<std::size_t>(index)] + 1);
        for (int offset : Around) {
            const auto at = static_cast<std::size_t>(index + offset);
            if (walls[at] == 0 && theirSteps[at] == Unreached) {
                theirSteps[at] = steps;
                queue[static_cast<std::size_t>(tail++)] = static_cast<std::int16_t>(at);
            }
        }
    }
    return tail;
}

TCloseQuarters::TRace TCloseQuarters::Race(int landing, int ours)
{
    // mySteps holds a generation stamp per pixel: no clearing between the moves.
    if (++myGeneration == 0) {
        mySteps.fill(0);
        myGeneration = 1;
    }
    TRace race;
    int head = 0;
    int tail = 0;
    mySteps[static_cast<std::size_t>(landing)] = myGeneration;
    queue[static_cast<std::size_t>(tail++)] = static_cast<std::int16_t>(landing);
    // The landing is reached after one step; a queue entry's steps follow from its distance.
    int levelEnd = tail;
    int steps = 1;
    while (head < tail) {
        if (head == levelEnd) {
            levelEnd = tail;
            ++steps;
        }
        const int index = queue[static_cast<std::size_t>(head++)];
        const int arrives = (steps + 1) * ours;
        for (int offset : Around) {
            const auto at = static_cast<std::size_t>(index + offset);
            if (mySteps[at] == myGeneration)
                continue;
            mySteps[at] = myGeneration;
            const int rivalArrives = theirTime[at];
            if (rivalArrives < arrives) // a wall, or the opponent's first
                continue;
            if (rivalArrives == arrives) {
                ++race.ties;
                continue;
            }
            ++race.first;
            race.contested += rivalArrives != Never ? 1 : 0;
            queue[static_cast<std::size_t>(tail++)] = static_cast<std::int16_t>(at);
        }
    }
    return race;
}

std::uint8_t TCloseQuarters::Choose(const TFieldSurface &field, const TFieldModel &model, const TCloseView &view)
{
    if (Steps(view.head, view.rival) > Reach)
        return 0;
    left = (view.head.x + view.rival.x) / 2 - Window / 2;
    top = (view.head.y + view.rival.y) / 2 - Window / 2;
    walls.fill(1);
    for (int y = 0; y < Window; ++y)
        for (int x = 0; x < Window; ++x)
            walls[static_cast<std::size_t>((y + 1) * Stride + x + 1)] = model.Wall(left + x, top + y) ? 1 : 0;
    // The heads are trail the moment they move on.
    const int own = Index(view.head);
    const int rival = Index(view.rival);
    walls[static_cast<std::size_t>(own)] = 1;
    walls[static_cast<std::size_t>(rival)] = 1;
    const int reachable = TheirDistances(rival);

    const int ours = std::max(view.interval, 1);
    const int theirPace = std::max(view.rivalInterval, 1);
    for (std::size_t i = 0; i < theirTime.size(); ++i)
        theirTime[i] = walls[i] != 0 ? Blocked : theirSteps[i] == Unreached ? Never : theirSteps[i] * theirPace;
    std::uint8_t best = 0;
    int bestScore = std::numeric_limits<int>::min();
    // Turns of 135 degrees only when nothing less will do.
    for (int by : {0, 1, -1, 2, -2, 3, -3}) {
        if ((by == 3 || by == -3) && best != 0)
            break;
        const std::uint8_t heading = Turned(view.heading, by);
        const TPixel landing = Ahead(view.head, heading);
        if (!InWindow(landing) || TFieldModel::IsWallColour(field.GetPixel(landing.x, landing.y)))
            continue;
        const int at = Index(landing);
        if (walls[static_cast<std::size_t>(at)] != 0)
            continue;
        const TRace race = Race(at, ours);
        const int first = race.first;
        const int second = reachable - race.contested - race.ties;
        int score = first - second;
        // The opponent on the landing as soon as this cycle, or before: a crash, if it wants one.
        const std::uint16_t onLanding = theirSteps[static_cast<std::size_t>(at)];
        if (onLanding != Unreached && onLanding * theirPace <= ours)
            score -= 4 * Area;
        if (score > bestScore) {
            best = heading;
            bestScore = score;
        }
    }
    return best;
}
