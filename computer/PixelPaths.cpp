#include "computer/PixelPaths.h"

#include <algorithm>
#include <cstdlib>

std::uint8_t HeadingOf(int dx, int dy)
{
    for (std::uint8_t heading = 1; heading <= 8; ++heading) {
        const HeadingStep step = StepOf(heading);
        if (step.dx == dx && step.dy == dy)
            return heading;
    }
    return 0;
}

bool Reverses(std::uint8_t from, std::uint8_t to)
{
    return (from + 4 - 1) % 8 + 1 == to;
}

int Steps(TPixel from, TPixel to)
{
    return std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
}

TPixel TRoute::At(TPixel from, int step) const
{
    if (step <= firstLength)
        return Ahead(from, first, step);
    return Ahead(Ahead(from, first, firstLength), last, step - firstLength);
}

namespace {

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

// The route with its diagonal stretch first or last; closed when a pixel on it is a wall.
TRoute Try(const TFieldModel &model, TPixel from, std::uint8_t heading, TPixel to, bool diagonalFirst)
{
    const int dx = to.x - from.x;
    const int dy = to.y - from.y;
    const int diagonal = std::min(std::abs(dx), std::abs(dy));
    const int straight = std::max(std::abs(dx), std::abs(dy)) - diagonal;
    const std::uint8_t slant = HeadingOf(Sign(dx), Sign(dy));
    const std::uint8_t axis = std::abs(dx) > std::abs(dy) ? HeadingOf(Sign(dx), 0) : HeadingOf(0, Sign(dy));
    struct Stretch
    {
        std::uint8_t heading;
        int length;
    };
    const Stretch a = diagonalFirst ? Stretch{slant, diagonal} : Stretch{axis, straight};
    const Stretch b = diagonalFirst ? Stretch{axis, straight} : Stretch{slant, diagonal};

    TRoute route;
    route.diagonalFirst = diagonalFirst;
    route.first = a.length > 0 ? a.heading : b.heading;
    route.last = b.length > 0 ? b.heading : a.heading;
    route.firstLength = a.length > 0 ? a.length : b.length;
    route.length = a.length + b.length;
    if (route.length == 0 || route.first == 0 || Reverses(heading, route.first))
        return route;
    TPixel p = from;
    for (const Stretch &stretch : {a, b})
        for (int i = 0; i < stretch.length; ++i) {
            if (!OpenStep(model, p, stretch.heading))
                return route;
            p = Ahead(p, stretch.heading);
        }
    route.open = true;
    return route;
}

} // namespace

TRoute RouteTo(const TFieldModel &model, TPixel from, std::uint8_t heading, TPixel to, bool diagonalFirst)
{
    const TRoute preferred = Try(model, from, heading, to, diagonalFirst);
    const TRoute other = Try(model, from, heading, to, !diagonalFirst);
    // Keeping the heading saves a turn; otherwise the order asked for.
    if (other.open && other.first == heading && preferred.first != heading)
        return other;
    return preferred.open ? preferred : other;
}

TPixelFlood::TPixelFlood()
{
    pending.reserve(2048);
}

int TPixelFlood::Count(const TFieldModel &model, TPixel from, int cap)
{
    std::array<TPixel, MostStarts> starts{};
    starts[0] = from;
    return Split(model, starts, 1, cap)[0];
}

std::array<int, TPixelFlood::MostStarts> TPixelFlood::Split(const TFieldModel &model,
                                                            const std::array<TPixel, MostStarts> &starts, int count,
                                                            int cap)
{
    if (++generation == 0) {
        seen.fill(0);
        generation = 1;
    }
    pending.clear();
    const TPixel origin{starts[0].x - Window / 2, starts[0].y - Window / 2};
    // The place of a pixel in the window; -1 outside it.
    const auto at = [origin](TPixel p) {
        const int x = p.x - origin.x;
        const int y = p.y - origin.y;
        return x < 0 || y < 0 || x >= Window || y >= Window ? -1 : y * Window + x;
    };
    std::array<int, MostStarts> parent{};
    std::array<int, MostStarts> size{};
    std::array<bool, MostStarts> open{};
    const auto root = [&parent](int part) {
        while (parent[static_cast<std::size_t>(part)] != part)
            part = parent[static_cast<std::size_t>(part)];
        return part;
    };
    for (int part = 0; part < count; ++part) {
        parent[static_cast<std::size_t>(part)] = part;
        const TPixel p = starts[static_cast<std::size_t>(part)];
        const int i = at(p);
        if (model.Wall(p) || i < 0)
            continue;
        if (seen[static_cast<std::size_t>(i)] == generation) {
            // Two moves onto one pixel: one part.
            parent[static_cast<std::size_t>(part)] = root(partOf[static_cast<std::size_t>(i)]);
            continue;
        }
        seen[static_cast<std::size_t>(i)] = generation;
        partOf[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(part);
        pending.push_back({p, part});
    }
    // Breadth first, so that at the cap each part has grown about alike.
    std::size_t next = 0;
    for (int taken = 0; next < pending.size() && taken < cap; ++next, ++taken) {
        const TEntry entry = pending[next];
        ++size[static_cast<std::size_t>(entry.part)];
        for (std::uint8_t heading = 1; heading <= 8; ++heading) {
            if (!OpenStep(model, entry.pixel, heading))
                continue;
            const TPixel n = Ahead(entry.pixel, heading);
            const int i = at(n);
            if (i < 0) {
                open[static_cast<std::size_t>(entry.part)] = true;
                continue;
            }
            if (seen[static_cast<std::size_t>(i)] == generation) {
                const int a = root(partOf[static_cast<std::size_t>(i)]);
                const int b = root(entry.part);
                if (a != b)
                    parent[static_cast<std::size_t>(std::max(a, b))] = std::min(a, b);
                continue;
            }
            seen[static_cast<std::size_t>(i)] = generation;
            partOf[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(entry.part);
            pending.push_back({n, entry.part});
        }
    }
    for (; next < pending.size(); ++next)
        open[static_cast<std::size_t>(pending[next].part)] = true;
    std::array<int, MostStarts> total{};
    std::array<bool, MostStarts> rootOpen{};
    for (int part = 0; part < count; ++part) {
        const auto r = static_cast<std::size_t>(root(part));
        total[r] += size[static_cast<std::size_t>(part)];
        rootOpen[r] = rootOpen[r] || open[static_cast<std::size_t>(part)];
    }
    std::array<int, MostStarts> room{};
    for (int part = 0; part < count; ++part) {
        const auto r = static_cast<std::size_t>(root(part));
        room[static_cast<std::size_t>(part)] = model.Wall(starts[static_cast<std::size_t>(part)]) ? 0
                                               : rootOpen[r]                                      ? cap
                                                                                                  : total[r];
    }
    return room;
}
