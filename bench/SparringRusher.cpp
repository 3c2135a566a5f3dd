// The rusher: flat out at 1 ms. Against a slower cycle it draws a small square around it, with
// straight sides and square corners (a diagonal trail lets a diagonal step through), beginning
// with the side the other cycle heads for and leaving to the field's edge any side close to it.
// Once the other cycle is shut in, it keeps out of that area and fills its own space along the
// walls. Against a cycle about as fast it heads across in front of it instead; against a faster
// one it only keeps alive.
#include "bench/Sparring.h"
#include "bench/SparringField.h"

#include "game/Headings.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace Sparring;

constexpr std::uint16_t TopSpeed = 1;
// Room counted after a step that parts the free field; steering takes no step with less.
constexpr int RoomCap = 1200;
constexpr int SafeRoom = 600;
// The squares' half sides; the other cycle's area below SealCap (more than the largest square
// holds): it is shut in. Looked at every SealMs of game time, and no more than every SealEvery
// decisions.
constexpr int SmallestSquare = 4;
constexpr int LargestSquare = 30;
constexpr int SealCap = 4000;
constexpr int SealMs = 24;
constexpr int SealEvery = 4;
constexpr int AreaEvery = 16;
// Less room than two seconds' steps (but never more than the room counted): time for a jet.
constexpr int TrapMs = 2000;
constexpr int TrapRoomMost = RoomCap - 200;

class Rusher final : public TPilot
{
public:
    explicit Rusher(std::uint32_t seed)
        : random(seed)
        , shut(static_cast<std::size_t>(Width * Height), 0)
    {
    }

    void NewRound() override
    {
        memory.Forget();
        plan.reset();
        Unseal();
        decisions = 0;
        sinceSeal = SealMs;
        decisionsSinceSeal = SealEvery;
        area = TrapRoomMost + 1;
        rightFirst = std::uniform_int_distribution<int>(0, 1)(random) == 1;
    }

    TPilotActions Decide(const TFieldSurface &field, const TCycleSight &own, const TCycleSight &other) override
    {
        memory.Look(field, own, other);
        ++decisions;
        const Spot head = HeadOf(own);
        const int speed = SpeedPresses(own.interval, TopSpeed);
        Steps steps(field, own, rightFirst);
        steps.Measure(memory, head, RoomCap);
        if (area < 0 || decisions % AreaEvery == 1)
            area = memory.Area(head, TrapRoomMost + 1);
        sinceSeal += own.interval;
        ++decisionsSinceSeal;
        if (other.inPlay && sinceSeal >= SealMs && decisionsSinceSeal >= SealEvery)
            CheckSeal(HeadOf(other));

        const double ratio = static_cast<double>(own.interval) / std::max<double>(other.interval, 1.0);
        const Step *step = !other.inPlay || sealed || ratio > 1.5 ? Survive(steps) : Hunt(steps, head, own, other);

        const int trapRoom = std::clamp(TrapMs / std::max<int>(own.interval, 1), 30, TrapRoomMost);
        const int room = step ? (step->room.parts ? step->room.size : area) : 0;
        if (room < trapRoom)
            if (const std::optional<Jump> jump = BestJump(field, memory, own, 4 * trapRoom);
                jump && jump->room > 2 * room + 20) {
                area = -1;
                return Press(*jump);
            }
        return Press(step ? step->turns : 0, speed);
    }

private:
    // The square's sides, on the pixels its trail is to take; -1, Width or Height: the field's
    // edge stands for that side. The path runs over its corners.
    struct Plan
    {
        int x0 = 0;
        int y0 = 0;
        int x1 = 0;
        int y1 = 0;
        std::array<Spot, 5> path{};
        std::size_t count = 0;
        std::size_t next = 0;
        int budget = 0;

        bool Inside(Spot spot) const { return spot.x > x0 && spot.x < x1 && spot.y > y0 && spot.y < y1; }
    };

    void Unseal()
    {
        for (Spot spot : shutList)
            shut.at(static_cast<std::size_t>(spot.y * Width + spot.x)) = 0;
        shutList.clear();
        sealed = false;
    }

    bool Shut(Spot spot) const { return InField(spot) && shut.at(static_cast<std::size_t>(spot.y * Width + spot.x)); }

    void CheckSeal(Spot them)
    {
        sinceSeal = 0;
        decisionsSinceSeal = 0;
        Unseal();
        sealed = memory.Area(them, SealCap) < SealCap;
        if (!sealed)
            return;
        shutList = memory.Flooded();
        for (Spot spot : shutList)
            shut.at(static_cast<std::size_t>(spot.y * Width + spot.x)) = 1;
    }

    // Fills its own space along the walls, out of the area the other cycle is shut in.
    const Step *Survive(Steps &steps)
    {
        const bool elsewhere =
            std::any_of(steps.begin(), steps.end(), [this](const Step &s) { return !Shut(s.landing); });
        if (elsewhere)
            for (Step &step : steps)
                if (Shut(step.landing))
                    step.room = {-1, true};
        return Hug(steps, memory, random, RoomCap);
    }

    const Step *Hunt(Steps &steps, Spot head, const TCycleSight &own, const TCycleSight &other)
    {
        const Spot them = HeadOf(other);
        const double ratio = static_cast<double>(own.interval) / std::max<double>(other.interval, 1.0);
        if (ratio >= 0.1) {
            // About as fast: a point ahead of it, as far as it goes while this cycle gets there.
            const int lead = std::clamp(static_cast<int>(Chebyshev(head, them) * ratio) + 6, 6, 200);
            Spot target = Clamped(Ahead(them, other.dir, lead));
            if (Chebyshev(head, target) <= 1)
                target = Clamped(Ahead(them, other.dir, lead + 12));
            return Steer(steps, Towards(head, target, own.dir), SafeRoom);
        }

        if (!plan || !plan->Inside(them) || --plan->budget < 0)
            plan = MakePlan(head, own, other);
        if (head == plan->path.at(plan->next) && ++plan->next >= plan->count) {
            // The path ends on the edge: closed, unless the other cycle got out on the way.
            CheckSeal(them);
            plan.reset();
            if (sealed)
                return Survive(steps);
            plan = MakePlan(head, own, other);
        }
        const std::uint8_t wanted = Towards(head, plan->path.at(plan->next), own.dir);
        const int enough = std::min(SafeRoom, steps.BestRoom());
        for (const Step &step : steps)
            if (step.heading == wanted && step.room.size >= enough)
                return &step;
        if (plan->next >= 1) {
            // Something stands on the square: maybe it closes it.
            CheckSeal(them);
            plan.reset();
            if (sealed)
                return Survive(steps);
        }
        return Steer(steps, wanted, SafeRoom);
    }

    Plan MakePlan(Spot head, const TCycleSight &own, const TCycleSight &other)
    {
        const Spot them = HeadOf(other);
        const double ratio = static_cast<double>(own.interval) / std::max<double>(other.interval, 1.0);
        const int distance = Chebyshev(head, them);
        // Big enough that the other cycle, going on as it goes, is still inside when the square
        // closes: it moves `ratio` pixels for each of this cycle's, on the way and round the sides.
        const int size = std::clamp(static_cast<int>(std::ceil((3.0 + ratio * distance) / (1.0 - 8.0 * ratio)))
                                        + std::uniform_int_distribution<int>(0, 2)(random),
                                    SmallestSquare, LargestSquare);
        const int lead = static_cast<int>(std::lround(ratio * (distance + 4 * size)));
        const Spot centre = Clamped(Ahead(them, other.dir, lead));

        Plan made;
        made.x0 = std::min(centre.x - size, them.x - 2);
        made.x1 = std::max(centre.x + size, them.x + 2);
        made.y0 = std::min(centre.y - size, them.y - 2);
        made.y1 = std::max(centre.y + size, them.y + 2);
        if (made.x0 <= 2)
            made.x0 = -1;
        if (made.y0 <= 2)
            made.y0 = -1;
        if (made.x1 >= Width - 3)
            made.x1 = Width;
        if (made.y1 >= Height - 3)
            made.y1 = Height;

        // Corners clockwise from the top left; side i runs from corner i to corner i + 1.
        const std::array<Spot, 4> corners{
            {{made.x0, made.y0}, {made.x1, made.y0}, {made.x1, made.y1}, {made.x0, made.y1}}};
        const std::array<bool, 4> edge{made.y0 < 0, made.x1 >= Width, made.y1 >= Height, made.x0 < 0};
        const auto corner = [&](std::size_t i) { return Clamped(corners.at(i % 4)); };
        std::vector<Spot> path;
        if (std::none_of(edge.begin(), edge.end(), [](bool on) { return on; })) {
            // All round, beginning with the side ahead of the other cycle, at its nearer end.
            const HeadingStep step = StepOf(other.dir);
            std::size_t side = 0;
            bool clockwise = true;
            int best = -1;
            for (std::size_t candidate = 0; candidate < 4; ++candidate) {
                const bool ahead = (candidate == 0 && step.dy < 0) || (candidate == 1 && step.dx > 0)
                                   || (candidate == 2 && step.dy > 0) || (candidate == 3 && step.dx < 0);
                for (bool fromFirst : {true, false}) {
                    const int away = Chebyshev(head, corner(fromFirst ? candidate : candidate + 1));
                    if (ahead && (best < 0 || away < best)) {
                        best = away;
                        side = candidate;
                        clockwise = fromFirst;
                    }
                }
            }
            for (std::size_t i = 0; i <= 4; ++i)
                path.push_back(clockwise ? corner(side + i) : corner(side + 5 - i));
        } else {
            // From edge to edge along the sides between.
            std::size_t first = 0;
            while (first < 4 && !(edge.at((first + 3) % 4) && !edge.at(first)))
                ++first;
            for (std::size_t side = first; side < first + 4 && !edge.at(side % 4); ++side) {
                if (path.empty())
                    path.push_back(corner(side));
                path.push_back(corner(side + 1));
            }
            if (!path.empty() && Chebyshev(head, path.back()) < Chebyshev(head, path.front()))
                std::reverse(path.begin(), path.end());
        }
        if (path.empty())
            path.push_back(them);
        made.count = std::min(path.size(), made.path.size());
        std::copy_n(path.begin(), made.count, made.path.begin());
        made.budget = 2 * distance + 8 * size + 60;
        return made;
    }

    static Spot Clamped(Spot spot) { return {std::clamp(spot.x, 0, Width - 1), std::clamp(spot.y, 0, Height - 1)}; }

    static std::uint8_t Towards(Spot from, Spot to, std::uint8_t otherwise)
    {
        const std::uint8_t heading = HeadingTowards(to.x - from.x, to.y - from.y);
        return heading == 0 ? otherwise : heading;
    }

    FieldMemory memory;
    std::mt19937 random;
    std::optional<Plan> plan;
    bool sealed = false;
    std::vector<std::uint8_t> shut;
    std::vector<Spot> shutList;
    int decisions = 0;
    int sinceSeal = 0;
    int decisionsSinceSeal = 0;
    int area = TrapRoomMost + 1;
    bool rightFirst = false;
};

} // namespace

std::unique_ptr<TPilot> MakeRusher(std::uint32_t seed)
{
    return std::make_unique<Rusher>(seed);
}
