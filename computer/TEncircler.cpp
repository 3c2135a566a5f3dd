#include "computer/TEncircler.h"

#include "game/TFieldSurface.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int Width = TFieldModel::Width;
constexpr int Height = TFieldModel::Height;
// Half sides of the square, in pixels.
constexpr int SmallestSquare = 4;
constexpr int LargestSquare = 30;
// A side this close to the field's edge is left to the edge.
constexpr int EdgeGap = 2;
// How often (game milliseconds) it looks whether the opponent is still shut in.
constexpr int SealMs = 100;
// Room behind a step of the hunt: counted up to the cap; a step with less than `SafeRoom` is
// taken only when no other has more, and with less than `LeastRoom` behind every step the hunt is
// given up.
constexpr int RoomCap = 600;
constexpr int SafeRoom = 400;
constexpr int LeastRoom = 150;
// A step off the square looks at most this often whether it already shuts the opponent in.
constexpr int DeviationCheckMs = 30;
// Walls around a hunt's landing (its own head not counted), at most.
constexpr int MostWallsBeside = 3;
// After giving up, game milliseconds before it tries again.
constexpr int RestMs = 300;

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

TPixel Clamped(TPixel p)
{
    return {std::clamp(p.x, 0, Width - 1), std::clamp(p.y, 0, Height - 1)};
}

std::uint8_t Towards(TPixel from, TPixel to)
{
    return HeadingOf(Sign(to.x - from.x), Sign(to.y - from.y));
}

std::uint8_t Turned(std::uint8_t heading, int by)
{
    return static_cast<std::uint8_t>((heading - 1 + by + 16) % 8 + 1);
}

// A landing between walls on two sides: a hunt keeps out of corridors, which the ordinary steering
// weighs better.
bool Narrow(const TFieldModel &model, TPixel head, TPixel landing)
{
    int walls = 0;
    for (std::uint8_t around = 1; around <= 8; ++around) {
        const TPixel p = Ahead(landing, around);
        walls += p != head && model.Wall(p) ? 1 : 0;
    }
    return walls > MostWallsBeside;
}

} // namespace

void TEncircler::Clear(int waitMs)
{
    count = 0;
    next = 0;
    sealed = false;
    sealedOnce = false;
    sinceCheck = 0;
    rest = waitMs;
}

void TEncircler::GiveUp(int restMs)
{
    count = 0;
    rest = restMs;
}

bool TEncircler::CheckSeal(const TFieldModel &model, TPixelFlood &flood, TPixel rival)
{
    sinceCheck = 0;
    std::array<TPixel, TPixelFlood::MostStarts> starts{};
    int n = 0;
    for (std::uint8_t heading = 1; heading <= 8; ++heading)
        if (OpenStep(model, rival, heading))
            starts[static_cast<std::size_t>(n++)] = Ahead(rival, heading);
    if (n == 0)
        return true;
    const std::array<int, TPixelFlood::MostStarts> rooms = flood.Split(model, starts, n, SealCap);
    return *std::max_element(rooms.begin(), rooms.begin() + n) < SealCap;
}

void TEncircler::MakePlan(const TChase &chase, std::mt19937 &random)
{
    // It rides 1 pixel a millisecond; the opponent `ratio` pixels meanwhile. The square is large
    // enough that the opponent, going on as it goes, is still inside when the last side closes.
    const double ratio = 1.0 / std::max(chase.rivalInterval, KeepOnFrom);
    const int distance = Steps(chase.head, chase.rival);
    const int size = std::clamp(static_cast<int>(std::ceil((3.0 + ratio * distance) / (1.0 - 8.0 * ratio)))
                                    + std::uniform_int_distribution<int>(0, 4)(random),
                                SmallestSquare, LargestSquare);
    const int lead = static_cast<int>(std::lround(ratio * (distance + 8 * size)));
    const TPixel centre = Clamped(Ahead(chase.rival, chase.rivalHeading, lead));
    x0 = std::min(centre.x - size, chase.rival.x - 2);
    x1 = std::max(centre.x + size, chase.rival.x + 2);
    y0 = std::min(centre.y - size, chase.rival.y - 2);
    y1 = std::max(centre.y + size, chase.rival.y + 2);
    if (x0 <= EdgeGap)
        x0 = -1;
    if (y0 <= EdgeGap)
        y0 = -1;
    if (x1 >= Width - 1 - EdgeGap)
        x1 = Width;
    if (y1 >= Height - 1 - EdgeGap)
        y1 = Height;

    // Corners clockwise from the top left; side i runs from corner i to corner i + 1.
    const std::array<TPixel, 4> corners{{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}};
    const std::array<bool, 4> edge{y0 < 0, x1 >= Width, y1 >= Height, x0 < 0};
    const auto corner = [&](int i) { return Clamped(corners[static_cast<std::size_t>(i % 4)]); };
    count = 0;
    next = 0;
    if (std::none_of(edge.begin(), edge.end(), [](bool on) { return on; })) {
        // All the way round, beginning with a side ahead of the opponent, at the end nearer to the
        // hunter, or, by the seed, at the end of another side ahead.
        const HeadingStep step = StepOf(chase.rivalHeading);
        const std::array<bool, 4> ahead{step.dy<0, step.dx> 0, step.dy > 0, step.dx < 0};
        int first = 0;
        bool clockwise = true;
        int best = -1;
        const int slack = std::uniform_int_distribution<int>(0, 4 * size)(random);
        for (int side = 0; side < 4; ++side) {
            if (!ahead[static_cast<std::size_t>(side)])
                continue;
            for (bool fromStart : {true, false}) {
                const int away = Steps(chase.head, corner(fromStart ? side : side + 1))
                                 + std::uniform_int_distribution<int>(0, slack)(random);
                if (best < 0 || away < best) {
                    best = away;
                    first = side;
                    clockwise = fromStart;
                }
            }
        }
        for (int i = 0; i <= 4; ++i)
            path[static_cast<std::size_t>(count++)] = clockwise ? corner(first + i) : corner(first + 5 - i);
    } else {
        // From edge to edge along the sides between.
        int first = 0;
        while (first < 4
               && !(edge[static_cast<std::size_t>((first + 3) % 4)] && !edge[static_cast<std::size_t>(first)]))
            ++first;
        for (int side = first; side < first + 4 && !edge[static_cast<std::size_t>(side % 4)] && count < 4; ++side) {
            if (count == 0)
                path[static_cast<std::size_t>(count++)] = corner(side);
            path[static_cast<std::size_t>(count++)] = corner(side + 1);
        }
        if (count > 1 && Steps(chase.head, path[static_cast<std::size_t>(count - 1)]) < Steps(chase.head, path[0]))
            std::reverse(path.begin(), path.begin() + count);
    }
    if (count == 0)
        path[static_cast<std::size_t>(count++)] = chase.rival;
    budget = 2 * distance + 8 * size + 60;
}

std::uint8_t TEncircler::SafeHeading(const TFieldSurface &field, const TFieldModel &model, TPixelFlood &flood,
                                     const TChase &chase, std::uint8_t wanted)
{
    // The wanted heading first, then those nearest to it, never reversing.
    std::array<std::uint8_t, TPixelFlood::MostStarts> headings{};
    std::array<TPixel, TPixelFlood::MostStarts> landings{};
    int n = 0;
    for (int by : {0, 1, -1, 2, -2, 3, -3}) {
        const std::uint8_t heading = Turned(wanted, by);
        if (Reverses(chase.heading, heading))
            continue;
        const TPixel landing = Ahead(chase.head, heading);
        if (TFieldModel::IsWallColour(field.GetPixel(landing.x, landing.y)) || !OpenStep(model, chase.head, heading)
            || Narrow(model, chase.head, landing))
            continue;
        headings[static_cast<std::size_t>(n)] = heading;
        landings[static_cast<std::size_t>(n++)] = landing;
    }
    if (n == 0)
        return 0;
    const std::array<int, TPixelFlood::MostStarts> rooms = flood.Split(model, landings, n, RoomCap);
    const int best = *std::max_element(rooms.begin(), rooms.begin() + n);
    if (best < LeastRoom)
        return 0;
    const int enough = std::min(SafeRoom, best);
    for (int i = 0; i < n; ++i)
        if (rooms[static_cast<std::size_t>(i)] >= enough)
            return headings[static_cast<std::size_t>(i)];
    return 0;
}

std::uint8_t TEncircler::Step(const TFieldSurface &field, const TFieldModel &model, TPixelFlood &flood,
                              const TChase &chase, std::mt19937 &random)
{
    sinceCheck += chase.elapsed;
    if (chase.rivalInterval < (count > 0 ? KeepOnFrom : chase.huntFrom)) {
        count = 0;
        return 0;
    }
    // Whether the opponent is still shut in, or already is before a hunt sets out: looked at now
    // and then, never while a hunt could not set out anyway.
    if (sealed && sinceCheck >= SealMs) {
        sealed = CheckSeal(model, flood, chase.rival);
        if (!sealed)
            count = 0;
    }
    if (sealed)
        return 0;
    if (rest > 0) {
        rest -= chase.elapsed;
        return 0;
    }
    if (count == 0) {
        if (!chase.reachable && !sealedOnce)
            return 0;
        if (sinceCheck >= SealMs) {
            sealed = CheckSeal(model, flood, chase.rival);
            sealedOnce = sealedOnce || sealed;
            if (sealed)
                return 0;
        }
    }

    if (count == 0 || !Inside(chase.rival) || --budget < 0)
        MakePlan(chase, random);
    if (chase.head == path[static_cast<std::size_t>(next)] && ++next >= count) {
        // The last corner: shut in, unless the opponent got out on the way.
        sealed = CheckSeal(model, flood, chase.rival);
        count = 0;
        if (sealed) {
            sealedOnce = true;
            return 0;
        }
        MakePlan(chase, random);
    }
    std::uint8_t wanted = Towards(chase.head, path[static_cast<std::size_t>(next)]);
    if (wanted == 0)
        wanted = chase.heading;
    const std::uint8_t heading = SafeHeading(field, model, flood, chase, wanted);
    if (heading == 0) {
        GiveUp(RestMs);
        return 0;
    }
    if (heading != wanted && next > 0 && sinceCheck >= DeviationCheckMs) {
        // Something stands on the square: maybe it already shuts the opponent in.
        sealed = CheckSeal(model, flood, chase.rival);
        if (sealed) {
            sealedOnce = true;
            count = 0;
            return 0;
        }
    }
    return heading;
}
