// The wall hugger: at 71 ms, it keeps to walls (its own trail, the other's, the field's edge) and
// fills its space tightly, to outlast the other cycle: of the moves that leave it the most room,
// the one with the most walls around its landing, straight headings before diagonal ones.
#include "bench/Sparring.h"
#include "bench/SparringField.h"

#include <algorithm>

namespace {

using namespace Sparring;

constexpr std::uint16_t Speed = 71;
constexpr int RoomCap = 2000;
constexpr int AreaEvery = 8;
// Less room than ten seconds' steps: time for a jet.
constexpr int TrapMs = 10'000;
constexpr int TrapRoomMost = RoomCap - 200;

class WallHugger final : public TPilot
{
public:
    explicit WallHugger(std::uint32_t seed)
        : random(seed)
    {
    }

    void NewRound() override
    {
        memory.Forget();
        decisions = 0;
        area = TrapRoomMost + 1;
        rightFirst = std::uniform_int_distribution<int>(0, 1)(random) == 1;
    }

    TPilotActions Decide(const TFieldSurface &field, const TCycleSight &own, const TCycleSight &other) override
    {
        memory.Look(field, own, other);
        const Spot head = HeadOf(own);
        Steps steps(field, own, rightFirst);
        steps.Measure(memory, head, RoomCap);
        if (area < 0 || decisions++ % AreaEvery == 0)
            area = memory.Area(head, TrapRoomMost + 1);
        const Step *chosen = Hug(steps, memory, random, RoomCap);

        const int trapRoom = std::clamp(TrapMs / std::max<int>(own.interval, 1), 30, TrapRoomMost);
        const int room = chosen ? (chosen->room.parts ? chosen->room.size : area) : 0;
        if (room < trapRoom)
            if (const std::optional<Jump> jump = BestJump(field, memory, own, 2 * trapRoom + 21);
                jump && jump->room > 2 * room + 20) {
                area = -1;
                return Press(*jump);
            }
        return Press(chosen ? chosen->turns : 0, SpeedPresses(own.interval, Speed));
    }

private:
    FieldMemory memory;
    std::mt19937 random;
    int decisions = 0;
    int area = TrapRoomMost + 1;
    bool rightFirst = false;
};

} // namespace

std::unique_ptr<TPilot> MakeWallHugger(std::uint32_t seed)
{
    return std::make_unique<WallHugger>(seed);
}
