#include "bench/SparringField.h"

#include "game/Headings.h"
#include "game/Rules.h"

#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <span>

namespace Sparring {

namespace {

// Every pixel is read again within this much of the own cycle's game time, a band of rows at a
// time.
constexpr int ReadEvery = 1000;

// A neighbour's offset, clockwise from straight up.
constexpr std::array<Spot, 8> Ring{{{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}}};

bool FreeColour(std::uint32_t colour)
{
    return colour == FieldColour::Black || colour == FieldColour::Yellow;
}

// A colour (0x00BBGGRR) in the surface's own pixel form, less its alpha (0x00RRGGBB).
constexpr QRgb AsRgb(std::uint32_t colour)
{
    return (colour & 0xFFu) << 16 | (colour & 0xFF00u) | (colour >> 16 & 0xFFu);
}

// The surface's pixel read as the game reads it: black or yellow is free.
bool FreeRgb(QRgb rgb)
{
    const QRgb colour = rgb & 0x00FFFFFFu;
    return colour == AsRgb(FieldColour::Black) || colour == AsRgb(FieldColour::Yellow);
}

Spot Plus(Spot a, Spot b)
{
    return {a.x + b.x, a.y + b.y};
}

} // namespace

int Chebyshev(Spot a, Spot b)
{
    return std::max(std::abs(a.x - b.x), std::abs(a.y - b.y));
}

std::uint8_t Turned(std::uint8_t heading, int turns)
{
    return static_cast<std::uint8_t>(((heading - 1 + turns) % 8 + 8) % 8 + 1);
}

Spot Ahead(Spot from, std::uint8_t heading, int distance)
{
    const HeadingStep step = StepOf(heading);
    return {from.x + step.dx * distance, from.y + step.dy * distance};
}

std::uint8_t HeadingTowards(int dx, int dy)
{
    const int sx = (dx > 0) - (dx < 0);
    const int sy = (dy > 0) - (dy < 0);
    for (std::uint8_t heading = 1; heading <= 8; ++heading) {
        const HeadingStep step = StepOf(heading);
        if (step.dx == sx && step.dy == sy)
            return heading;
    }
    return 0;
}

int TurnsBetween(std::uint8_t from, std::uint8_t to)
{
    const int turns = ((to - from) % 8 + 8) % 8;
    return turns > 4 ? turns - 8 : turns;
}

bool OpenNow(const TFieldSurface &field, Spot spot)
{
    return InField(spot) && FreeColour(field.GetPixel(spot.x, spot.y));
}

FieldMemory::FieldMemory()
    : walls(static_cast<std::size_t>(Stride * (Height + 2)), 1)
    , cellWalls(static_cast<std::size_t>(CellStride * (CellsHigh + 2)), BlockedCell)
    , stamps(walls.size(), 0)
    , owners(walls.size(), 0)
{
    queue.reserve(walls.size());
    Forget();
}

void FieldMemory::Set(Spot spot, bool wall)
{
    std::uint8_t &pixel = walls.at(Index(spot));
    if ((pixel != 0) == wall)
        return;
    pixel = wall ? 1 : 0;
    std::uint16_t &count = cellWalls.at(CellIndex(spot.x / Cell, spot.y / Cell));
    count = static_cast<std::uint16_t>(wall ? count + 1 : count - 1);
}

void FieldMemory::Read(const TFieldSurface &field, int x0, int y0, int x1, int y1)
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, Width - 1);
    y1 = std::min(y1, Height - 1);
    if (x0 > x1)
        return;
    const QImage &image = field.Image();
    const bool direct = (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
                        && image.width() >= Width && image.height() >= Height;
    const auto width = static_cast<std::size_t>(x1 - x0 + 1);
    for (int y = y0; y <= y1; ++y) {
        if (!direct) {
            for (int x = x0; x <= x1; ++x)
                Set({x, y}, !FreeColour(field.GetPixel(x, y)));
            continue;
        }
        // Both rows hold x0..x1: the image is at least the field's size, the copy has a border.
        const std::span<const QRgb> pixels(reinterpret_cast<const QRgb *>(image.constScanLine(y)) + x0, width);
        const std::span<std::uint8_t> copy(walls.begin() + static_cast<std::ptrdiff_t>(Index({x0, y})), width);
        for (std::size_t i = 0; i < width; ++i)
            if ((copy[i] != 0) == FreeRgb(pixels[i]))
                Set({x0 + static_cast<int>(i), y}, copy[i] == 0);
    }
}

void FieldMemory::Forget()
{
    // A round begins on a clear field.
    for (int y = 0; y < Height; ++y)
        std::fill_n(walls.begin() + static_cast<std::ptrdiff_t>(Index({0, y})), Width, std::uint8_t{0});
    for (int cy = 0; cy < CellsHigh; ++cy)
        std::fill_n(cellWalls.begin() + static_cast<std::ptrdiff_t>(CellIndex(0, cy)), CellsWide, std::uint16_t{0});
    seenOther = false;
    nextRow = 0;
}

void FieldMemory::Look(const TFieldSurface &field, const TCycleSight &own, const TCycleSight &other)
{
    // Since the last look the own cycle waited one interval, its current one.
    const int elapsed = own.interval;
    const Spot them = HeadOf(other);
    const int rows = std::max(1, (Height * elapsed + ReadEvery - 1) / ReadEvery);
    for (int row = 0; row < rows; ++row) {
        Read(field, 0, nextRow, Width - 1, nextRow);
        nextRow = (nextRow + 1) % Height;
    }
    Read(field, own.x - 1, own.y - 1, own.x + 1, own.y + 1);
    if (!seenOther) {
        lastOther = them;
        lastJets = other.jets;
        seenOther = true;
    }
    if (other.inPlay) {
        // The other cycle stepped at most once a millisecond, and each jet it used took it a jump
        // further: its trail lies within that reach of both its last and its present head.
        const int reach = elapsed + 2 + 20 * std::max(0, lastJets - other.jets);
        const int x0 = std::max(lastOther.x, them.x) - reach;
        const int x1 = std::min(lastOther.x, them.x) + reach;
        const int y0 = std::max(lastOther.y, them.y) - reach;
        const int y1 = std::min(lastOther.y, them.y) + reach;
        if (x0 <= x1 && y0 <= y1)
            Read(field, x0, y0, x1, y1);
        else
            Read(field, 0, 0, Width - 1, Height - 1);
    }
    lastOther = them;
    lastJets = other.jets;
}

bool FieldMemory::Wall(Spot spot) const
{
    if (spot.x < -1 || spot.y < -1 || spot.x > Width || spot.y > Height)
        return true;
    return walls.at(Index(spot)) != 0;
}

int FieldMemory::WallsAround(Spot spot) const
{
    int count = 0;
    for (Spot offset : Ring)
        count += Wall(Plus(spot, offset)) ? 1 : 0;
    return count;
}

void FieldMemory::NextGeneration()
{
    if (++generation == 0) {
        std::fill(stamps.begin(), stamps.end(), 0);
        generation = 1;
    }
}

int FieldMemory::Flood(const std::vector<Spot> &seeds, const std::vector<Spot> &excluded, int cap)
{
    NextGeneration();
    queue.clear();
    for (Spot spot : excluded)
        if (InField(spot))
            stamps.at(Index(spot)) = generation;
    for (Spot spot : seeds) {
        if (!InField(spot) || stamps.at(Index(spot)) == generation)
            continue;
        stamps.at(Index(spot)) = generation;
        queue.push_back(static_cast<std::int32_t>(Index(spot)));
    }
    const std::array<std::int32_t, 8> offsets{-Stride - 1, -Stride, -Stride + 1, -1, 1, Stride - 1, Stride, Stride + 1};
    const auto limit = static_cast<std::size_t>(std::max(cap, 0));
    for (std::size_t next = 0; next < queue.size() && queue.size() < limit; ++next) {
        const std::int32_t from = queue.at(next);
        for (std::int32_t offset : offsets) {
            // The border around the field is wall, so a neighbour of a field pixel is never
            // outside the copy.
            const auto to = static_cast<std::size_t>(from + offset);
            if (walls.at(to) != 0 || stamps.at(to) == generation)
                continue;
            stamps.at(to) = generation;
            queue.push_back(static_cast<std::int32_t>(to));
        }
    }
    return static_cast<int>(std::min(queue.size(), limit));
}

std::vector<Spot> FieldMemory::Flooded() const
{
    std::vector<Spot> spots;
    spots.reserve(queue.size());
    for (std::int32_t index : queue)
        spots.push_back({index % Stride - 1, index / Stride - 1});
    return spots;
}

bool FieldMemory::Reached(Spot spot) const
{
    return InField(spot) && stamps.at(Index(spot)) == generation;
}

int FieldMemory::Area(Spot head, int cap)
{
    std::vector<Spot> seeds;
    for (Spot offset : Ring)
        if (!Wall(Plus(head, offset)))
            seeds.push_back(Plus(head, offset));
    return Flood(seeds, {head}, cap);
}

Room FieldMemory::RoomAfter(Spot head, Spot landing, int cap)
{
    // The landing's free neighbours, grouped as they touch one another around it (two sides also
    // touch across a corner). One group: the landing parts nothing.
    std::array<bool, 8> free{};
    for (std::size_t i = 0; i < Ring.size(); ++i) {
        const Spot spot = Plus(landing, Ring.at(i));
        free.at(i) = spot != head && !Wall(spot);
    }
    std::array<std::size_t, 8> group{0, 1, 2, 3, 4, 5, 6, 7};
    const auto root = [](std::array<std::size_t, 8> &of, std::size_t i) {
        while (of.at(i) != i)
            i = of.at(i);
        return i;
    };
    const auto join = [&](std::size_t a, std::size_t b) {
        if (free.at(a) && free.at(b))
            group.at(root(group, a)) = root(group, b);
    };
    for (std::size_t i = 0; i < 8; ++i) {
        join(i, (i + 1) % 8);
        if (i % 2 == 0)
            join(i, (i + 2) % 8);
    }
    std::size_t count = 0;
    for (std::size_t i = 0; i < 8; ++i)
        count += free.at(i) && root(group, i) == i ? 1 : 0;
    if (count == 0)
        return {0, true};
    if (count == 1)
        return {cap, false};

    // Every group floods a pixel in turn, so that the cost follows the smaller areas: a group that
    // meets another is one area with it; once one area is left going, it is the largest, and it
    // goes on alone up to the cap.
    NextGeneration();
    stamps.at(Index(landing)) = generation;
    if (InField(head))
        stamps.at(Index(head)) = generation;
    std::array<std::size_t, 8> area{0, 1, 2, 3, 4, 5, 6, 7};
    std::array<int, 8> size{};
    std::array<std::size_t, 8> next{};
    for (std::vector<std::int32_t> &part : parts)
        part.clear();
    for (std::size_t i = 0; i < 8; ++i) {
        if (!free.at(i))
            continue;
        const std::size_t g = root(group, i);
        const std::size_t index = Index(Plus(landing, Ring.at(i)));
        stamps.at(index) = generation;
        owners.at(index) = static_cast<std::uint8_t>(g);
        parts.at(g).push_back(static_cast<std::int32_t>(index));
        ++size.at(g);
    }
    const std::array<std::int32_t, 8> offsets{-Stride - 1, -Stride, -Stride + 1, -1, 1, Stride - 1, Stride, Stride + 1};
    for (;;) {
        std::array<bool, 8> going{};
        int largestDone = 0;
        for (std::size_t g = 0; g < 8; ++g)
            if (next.at(g) < parts.at(g).size())
                going.at(root(area, g)) = true;
        std::size_t goingCount = 0;
        for (std::size_t a = 0; a < 8; ++a) {
            if (root(area, a) != a || size.at(a) == 0)
                continue;
            if (going.at(a))
                ++goingCount;
            else
                largestDone = std::max(largestDone, size.at(a));
            if (size.at(a) >= cap)
                return {cap, true};
        }
        if (goingCount == 0)
            return {largestDone, true};
        for (std::size_t g = 0; g < 8; ++g) {
            if (next.at(g) >= parts.at(g).size())
                continue;
            const std::size_t a = root(area, g);
            // The last area going, and already the largest: it alone goes on.
            const bool alone = goingCount == 1 && size.at(a) > largestDone;
            const std::size_t batch = alone ? static_cast<std::size_t>(cap) : 1;
            for (std::size_t n = 0; n < batch && next.at(g) < parts.at(g).size() && size.at(a) < cap; ++n) {
                const std::int32_t from = parts.at(g).at(next.at(g)++);
                for (std::int32_t offset : offsets) {
                    const auto to = static_cast<std::size_t>(from + offset);
                    if (walls.at(to) != 0)
                        continue;
                    if (stamps.at(to) != generation) {
                        stamps.at(to) = generation;
                        owners.at(to) = static_cast<std::uint8_t>(g);
                        parts.at(g).push_back(static_cast<std::int32_t>(to));
                        ++size.at(a);
                    } else if (to != Index(landing) && to != Index(head)) {
                        const std::size_t other = root(area, owners.at(to));
                        if (other != a) {
                            area.at(other) = a;
                            size.at(a) += size.at(other);
                            size.at(other) = 0;
                        }
                    }
                }
            }
        }
    }
}

bool FieldMemory::CellBlocked(int cx, int cy) const
{
    if (cx < 0 || cy < 0 || cx >= CellsWide || cy >= CellsHigh)
        return true;
    return cellWalls.at(CellIndex(cx, cy)) >= BlockedCell;
}

Steps::Steps(const TFieldSurface &field, const TCycleSight &own, bool rightFirst)
{
    const int side = rightFirst ? -1 : 1;
    for (int turns : {0, side, -side, 2 * side, -2 * side, 3 * side, -3 * side}) {
        const std::uint8_t heading = Turned(own.dir, turns);
        const Spot landing = Ahead(HeadOf(own), heading, 1);
        if (OpenNow(field, landing))
            items.at(count++) = {turns, heading, landing, {}};
    }
}

void Steps::Measure(FieldMemory &memory, Spot head, int cap)
{
    for (Step &step : *this)
        step.room = memory.RoomAfter(head, step.landing, cap);
}

int Steps::BestRoom() const
{
    int best = -1;
    for (const Step &step : *this)
        best = std::max(best, step.room.size);
    return best;
}

std::optional<Jump> BestJump(const TFieldSurface &field, FieldMemory &memory, const TCycleSight &own, int cap)
{
    if (own.jets <= 0)
        return std::nullopt;
    std::optional<Jump> best;
    for (int turns : {0, 1, -1, 2, -2, 3, -3}) {
        const std::uint8_t heading = Turned(own.dir, turns);
        // Faster presses before the jump lengthen it; the actions hold at most eight.
        const int most = std::min((own.interval - 1) / Rules::SpeedStep, 8 - 1 - std::abs(turns));
        for (int faster : {0, most}) {
            const auto interval = static_cast<std::uint16_t>(own.interval - faster * Rules::SpeedStep);
            const int distance = Rules::JumpDistance(interval);
            const Spot landing = Ahead(HeadOf(own), heading, distance + 1);
            if (distance <= 0 || !OpenNow(field, landing))
                continue;
            const int room = memory.Flood({landing}, {HeadOf(own)}, cap);
            if (!best || room > best->room)
                best = Jump{turns, faster, landing, room};
        }
    }
    return best;
}

int SpeedPresses(std::uint16_t interval, std::uint16_t target)
{
    return std::clamp((interval - target) / static_cast<int>(Rules::SpeedStep), -10, 10);
}

TPilotActions Press(int turns, int speed)
{
    TPilotActions actions;
    for (int i = 0; i < std::abs(turns); ++i)
        actions.Add(turns > 0 ? TPlayerAction::TurnLeft : TPlayerAction::TurnRight);
    for (int i = 0; i < std::abs(speed); ++i)
        actions.Add(speed > 0 ? TPlayerAction::Faster : TPlayerAction::Slower);
    return actions;
}

TPilotActions Press(const Jump &jump)
{
    TPilotActions actions = Press(jump.turns, jump.faster);
    actions.Add(TPlayerAction::Jump);
    return actions;
}

const Step *Hug(const Steps &steps, const FieldMemory &memory, std::mt19937 &random, int cap)
{
    const int enough = std::min(cap, steps.BestRoom());
    const Step *best = nullptr;
    int bestScore = -1;
    int ties = 0;
    for (const Step &step : steps) {
        if (step.room.size < enough)
            continue;
        const int score = 4 * memory.WallsAround(step.landing) + (Straight(step.heading) ? 2 : 0) + (step.turns == 0);
        if (score > bestScore) {
            best = &step;
            bestScore = score;
            ties = 1;
        } else if (score == bestScore && std::uniform_int_distribution<int>(0, ties++)(random) == 0) {
            best = &step;
        }
    }
    return best;
}

const Step *Steer(const Steps &steps, std::uint8_t wanted, int enough)
{
    enough = std::min(enough, steps.BestRoom());
    const Step *best = nullptr;
    int bestOff = 9;
    for (const Step &step : steps) {
        if (step.room.size < enough)
            continue;
        const int off = std::abs(TurnsBetween(step.heading, wanted));
        if (off < bestOff) {
            best = &step;
            bestOff = off;
        }
    }
    return best;
}

} // namespace Sparring
