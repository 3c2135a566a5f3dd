#include "computer/TComputerPlayer.h"

#include "game/Rules.h"
#include "game/TFieldSurface.h"

#include <algorithm>

namespace {

constexpr int Cell = TFieldModel::CellSize;
// The real pixels checked ahead on every step.
constexpr int CheckedAhead = 3;
// A cell's worth of score: looks count cells, the small preferences below are fractions of one.
constexpr int CellScore = 16;
constexpr int StraightOn = 3;       // a turn not taken
constexpr int PerFreeNeighbour = 2; // hugging walls fills space without leaving holes
constexpr int BonusStep = 2 * CellScore;
// Driving where the opponent's head can be first is as good as crashing.
constexpr int InTheWay = 1000 * CellScore;
// A look that promises this few cells is no better than the pixels tell.
constexpr int TightCells = 2;
// Pixel steering counts this far; below the lower number a jump is thought of.
constexpr int PixelRoomCap = 512;
constexpr int JumpRoomCap = 192;
constexpr int TightPixels = 48;
// Room at the start of a round below which it is boxed in.
constexpr int StartBoxRoom = 400;
// Speed keys pressed at most before a jump.
constexpr int MostJumpKeys = 5;
// A bonus closer than this many pixels is steered to pixel by pixel.
constexpr int BonusApproach = 12;
// Cells a tick takes off the plan's looks, and the cells of a quick look.
constexpr int PlanCellsPerTick = 700;
constexpr int QuickReach = 160;
// The first seconds of a round, in which near choices go one way or the other by the seed, so that
// no two rounds open alike; and how near a choice has to be (in score) for that.
constexpr int OpeningMs = 6000;
constexpr int OpeningLeeway = 8 * CellScore;
// How long after the start of a round it rides flat out away from the opponent's head.
constexpr int StartDash = 300;
// The first choices of a round, on a field still nearly empty, are freer still.
constexpr int FreeChoices = 5;
constexpr int FreeChoiceLeeway = 40 * CellScore;
// A hunt sets out this long (game milliseconds) after the start of a round, once the opponent's
// first speed keys show, and up to so much later, by the seed.
constexpr int HuntAfterMs = 60;
constexpr int HuntSpreadMs = 300;
// An opponent at this interval or faster is met pixel by pixel at close quarters.
constexpr int FastOpponent = 11;
// How near a fast opponent's head comes before it rides flat out, also where the cells see the two
// walled off: about as far as that opponent goes in one slow step.
constexpr int FastNear = 120;
// Its own room is counted every so many steps (up to the cap, in pixels): less than that, with
// the opponent's head farther away than `ShutOffDistance`, and it is shut off from the opponent.
constexpr int ShutOffCheckEvery = 128;
constexpr int ShutOffRoom = 4000;
constexpr int ShutOffDistance = 48;

std::uint32_t TrailColour(TPlayer player)
{
    return player == TPlayer::Red ? FieldColour::Red : FieldColour::Blue;
}

std::uint8_t Turned(std::uint8_t heading, int by)
{
    return static_cast<std::uint8_t>((heading - 1 + by + 8) % 8 + 1);
}

// Turns add up between two steps: the shorter way round, four to reverse (only ever for a jump,
// which leaps the trail just drawn).
void AddTurns(TPilotActions &actions, std::uint8_t from, std::uint8_t to)
{
    const int left = (to - from + 8) % 8;
    const bool toLeft = left <= 4;
    for (int i = 0; i < (toLeft ? left : 8 - left); ++i)
        actions.Add(toLeft ? TPlayerAction::TurnLeft : TPlayerAction::TurnRight);
}

// The interval after a number of Faster keys, under the keys' own bound.
std::uint16_t AfterFaster(std::uint16_t interval, int keys)
{
    for (; keys > 0; --keys)
        if (interval >= Rules::FasterFrom)
            interval = static_cast<std::uint16_t>(interval - Rules::SpeedStep);
    return interval;
}

int FreeNeighbours(const TFieldModel &model, int cell)
{
    int count = 0;
    for (int offset : TFieldModel::Neighbours())
        count += model.Free(cell + offset) ? 1 : 0;
    return count;
}

} // namespace

TComputerPlayer::TComputerPlayer(TComputerLevel playing, std::uint32_t seed)
    : level(playing)
    , traits(TraitsOf(playing))
    , generator(seed)
    , huntsThisRound(traits.hunts >= 1.0)
{
}

void TComputerPlayer::NewRound()
{
    // The field is clear and both cycles stand on the start pixel, which is never drawn.
    model.Clear();
    bonus.Clear();
    seen = true;
    lastHead = lastRival = {Rules::StartPosition, Rules::StartPosition};
    hasTarget = false;
    planCell = -1;
    planLooking = false;
    reactIn = -1;
    lateTicks = 0;
    jetThought = -1;
    walledOff = false;
    roomAhead = 0;
    roundMs = 0;
    freeChoices = FreeChoices;
    huntsThisRound = Chance(traits.hunts);
    closeMove = 0;
    closeLeft = 0;
    shutOff = false;
    shutCheckIn = 0;
    // The first moves of a round are its own before it sets out to shut the opponent in: no two
    // rounds open alike.
    hunter.Clear(HuntAfterMs + Below(HuntSpreadMs));
}

bool TComputerPlayer::Chance(double share)
{
    return share > 0.0 && std::uniform_real_distribution<double>(0.0, 1.0)(generator) < share;
}

int TComputerPlayer::Below(int n)
{
    return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(generator);
}

TPilotActions TComputerPlayer::Decide(const TFieldSurface &field, const TCycleSight &own, const TCycleSight &other)
{
    const TView view{field, own, other, {own.x, own.y}, {other.x, other.y}};
    Observe(view);
    roundMs = std::min(roundMs + own.interval, OpeningMs);
    CheckShutOff(view);

    TJump jump;
    const std::uint8_t heading = Steer(view, jump);

    TPilotActions actions;
    // Speed first: a jump's length follows the interval at the moment it is made.
    if (jump.worth) {
        for (int i = 0; i < jump.fasterKeys; ++i)
            actions.Add(TPlayerAction::Faster);
        AddTurns(actions, own.dir, jump.heading);
        actions.Add(TPlayerAction::Jump);
        hasTarget = false;
        return actions;
    }
    const std::uint16_t aim = AimedInterval(view);
    std::uint16_t interval = own.interval;
    for (int key = 0; key < std::max(traits.speedKeys, 1); ++key) {
        if (aim < interval && interval >= Rules::FasterFrom) {
            actions.Add(TPlayerAction::Faster);
            interval = static_cast<std::uint16_t>(interval - Rules::SpeedStep);
        } else if (aim > interval && interval <= Rules::SlowerUpTo) {
            actions.Add(TPlayerAction::Slower);
            interval = static_cast<std::uint16_t>(interval + Rules::SpeedStep);
        }
    }
    AddTurns(actions, own.dir, heading);
    return actions;
}

void TComputerPlayer::Observe(const TView &view)
{
    if (!seen) {
        model.ReadAll(view.field);
        seen = true;
        lastHead = view.head;
        lastRival = view.rival;
    }
    model.Follow(view.field, lastHead, view.head, TrailColour(view.own.player));
    if (view.other.inPlay)
        model.Follow(view.field, lastRival, view.rival, TrailColour(view.other.player));
    bonus.Update(view.field, model);
    model.Sweep(view.field);
    lastHead = view.head;
    lastRival = view.rival;
}

bool TComputerPlayer::RealRouteFree(const TView &view, const TRoute &route, TPixel from) const
{
    // The model may lag behind the field (a trail it has not followed yet): the next pixels are
    // read for real.
    for (int step = 1; step <= std::min(CheckedAhead, route.length); ++step) {
        const TPixel p = route.At(from, step);
        if (TFieldModel::IsWallColour(view.field.GetPixel(p.x, p.y)))
            return false;
    }
    return true;
}

int TComputerPlayer::ReactionTicks(std::uint16_t interval)
{
    if (traits.reactionMs <= 0)
        return 0;
    const int ms = traits.reactionMs + Below(traits.reactionSpreadMs + 1);
    return (ms + interval / 2) / std::max<int>(interval, 1);
}

std::uint8_t TComputerPlayer::Steer(const TView &view, TJump &jump)
{
    const std::uint8_t heading = view.own.dir;
    if (lateTicks > 0) {
        // A turn that comes late: still straight on, wall or not.
        --lateTicks;
        return heading;
    }
    if (roundMs < StartDash && view.own.jets > 0 && view.other.inPlay && view.other.interval <= FastOpponent) {
        // A round it starts late (it crashed in the last one): a fast opponent boxes it in around
        // the start before it is under way.
        const int room = RoomAround(view.head, StartBoxRoom);
        if (room < StartBoxRoom) {
            if (jetThought < 0)
                jetThought = Chance(traits.jetUse) ? 1 : 0;
            if (jetThought == 1) {
                jump = BestJump(view, room);
                if (jump.worth)
                    return heading;
            }
        }
    }
    if (huntsThisRound && view.other.inPlay) {
        const TChase chase{view.head,           heading,           view.rival, view.other.dir,
                           view.other.interval, view.own.interval, !walledOff, traits.huntFrom};
        if (const std::uint8_t hunting = hunter.Step(view.field, model, flood, chase, generator); hunting != 0) {
            hasTarget = false;
            planCell = -1;
            planLooking = false;
            return hunting;
        }
    }
    if (const std::uint8_t close = CloseMove(view); close != 0) {
        hasTarget = false;
        planCell = -1;
        planLooking = false;
        return close;
    }
    if (hasTarget && targetIsBonus && !bonus.Visible())
        hasTarget = false;
    if (hasTarget && view.head == target)
        hasTarget = false;

    if (hasTarget) {
        const TRoute route = RouteTo(model, view.head, heading, target, diagonalFirst);
        if (route.open && RealRouteFree(view, route, view.head)) {
            reactIn = -1;
            PlanAhead(view);
            return route.first;
        }
        // Something is in the way that was not there when the route was chosen. Noticing it and
        // doing something about it takes the level's reaction time; until then it drives on.
        if (reactIn < 0)
            reactIn = ReactionTicks(view.own.interval);
        if (reactIn > 0) {
            --reactIn;
            return route.first != 0 && !Reverses(heading, route.first) ? route.first : heading;
        }
        reactIn = -1;
        hasTarget = false;
    }

    if (ChooseTarget(view)) {
        jetThought = -1;
        if (lateTicks > 0) {
            --lateTicks;
            return heading;
        }
        const TRoute route = RouteTo(model, view.head, heading, target, diagonalFirst);
        return route.first;
    }
    return PixelMove(view, jump);
}

void TComputerPlayer::StartPlan(int cell, std::uint8_t arrival)
{
    planCell = cell;
    planSize = 0;
    planNext = 0;
    planLooking = false;
    const std::array<int, 8> &neighbours = TFieldModel::Neighbours();
    const std::uint8_t moves = model.Moves(cell);
    for (std::size_t k = 0; k < 8; ++k) {
        const auto heading = static_cast<std::uint8_t>(k + 1);
        if (Reverses(arrival, heading) || (moves & (1u << k)) == 0)
            continue;
        TCandidate &candidate = plan[static_cast<std::size_t>(planSize++)];
        candidate = {};
        candidate.cell = cell + neighbours[k];
    }
}

void TComputerPlayer::PlanAhead(const TView &view)
{
    int budget = PlanCellsPerTick;
    while (planCell >= 0 && planNext < planSize && budget > 0) {
        TCandidate &candidate = plan[static_cast<std::size_t>(planNext)];
        if (!planLooking) {
            candidate.time = (Steps(view.head, target) + Cell) * view.own.interval;
            planSearch.Begin(LookFrom(view, candidate));
            planLooking = true;
        }
        if (!planSearch.Go(model, budget))
            return;
        Score(view, candidate, planSearch.Result());
        planLooking = false;
        ++planNext;
    }
}

TLookFrom TComputerPlayer::LookFrom(const TView &view, const TCandidate &candidate) const
{
    TLookFrom from;
    from.cell = candidate.cell;
    from.time = candidate.time;
    from.step = Cell * std::max<int>(view.own.interval, 1);
    if (view.other.inPlay && traits.territory) {
        from.opponentCell = TFieldModel::CellOf(view.rival);
        from.opponentStep = Cell * std::max<int>(view.other.interval, 1);
    }
    if (traits.bonusReach > 0 && bonus.Visible())
        from.bonusCells = bonus.Cells();
    from.limit = traits.lookLimit;
    return from;
}

void TComputerPlayer::Score(const TView &view, TCandidate &candidate, const TOutlook &outlook)
{
    int score = 0;
    if (!view.other.inPlay || !traits.territory)
        score = outlook.space;
    else if (outlook.connected)
        score = outlook.mine - outlook.theirs;
    else
        score = outlook.space - outlook.theirs;
    score *= CellScore;
    if (outlook.bonusSteps >= 0 && outlook.bonusSteps <= traits.bonusReach)
        score += (traits.bonusReach + 1 - outlook.bonusSteps) * BonusStep;
    score -= PerFreeNeighbour * FreeNeighbours(model, candidate.cell);
    if (view.other.inPlay && traits.avoidOpponent) {
        const int theirArrival = Steps(view.rival, TFieldModel::NodeOf(candidate.cell)) * view.other.interval;
        if (theirArrival <= candidate.time + Cell * view.own.interval)
            score -= InTheWay;
    }
    candidate.outlook = outlook;
    candidate.score = score;
    candidate.evaluated = true;
}

bool TComputerPlayer::AimAtBonus(const TView &view)
{
    if (traits.bonusReach <= 0 || !bonus.Visible())
        return false;
    const TPixel yellow = bonus.Nearest(view.field, view.head);
    const int ours = Steps(view.head, yellow);
    if (yellow == view.head || ours > BonusApproach)
        return false;
    if (view.other.inPlay && Steps(view.rival, yellow) * view.other.interval <= ours * view.own.interval)
        return false;
    const TRoute route = RouteTo(model, view.head, view.own.dir, yellow, true);
    if (!route.open || !RealRouteFree(view, route, view.head))
        return false;
    hasTarget = true;
    targetIsBonus = true;
    target = yellow;
    diagonalFirst = route.diagonalFirst;
    planCell = -1;
    return true;
}

bool TComputerPlayer::ChooseTarget(const TView &view)
{
    if (AimAtBonus(view))
        return true;

    const std::uint8_t heading = view.own.dir;
    const int here = TFieldModel::CellOf(view.head);
    std::array<TCandidate, 9> options{};
    std::size_t count = 0;
    if (planCell == here && view.head == TFieldModel::NodeOf(here) && planNext == planSize) {
        for (int i = 0; i < planSize; ++i)
            options[count++] = plan[static_cast<std::size_t>(i)];
    } else {
        // Off the nodes (after dodging, a jump or a bonus): its own cell's node may lie ahead.
        if (view.head != TFieldModel::NodeOf(here))
            options[count++].cell = here;
        for (int offset : TFieldModel::Neighbours())
            if (model.Free(here + offset))
                options[count++].cell = here + offset;
    }
    planCell = -1;
    planLooking = false;

    struct TLegal
    {
        TCandidate candidate;
        TRoute route;
    };
    std::array<TLegal, 9> legal{};
    std::size_t legalCount = 0;
    bool straightLegal = false;
    for (std::size_t i = 0; i < count; ++i) {
        TCandidate &candidate = options[i];
        const TPixel node = TFieldModel::NodeOf(candidate.cell);
        if (candidate.cell != here && !model.Free(candidate.cell))
            continue;
        const TRoute route = RouteTo(model, view.head, heading, node, true);
        if (!route.open || !RealRouteFree(view, route, view.head))
            continue;
        if (!candidate.evaluated) {
            candidate.time = route.length * view.own.interval;
            TLookFrom from = LookFrom(view, candidate);
            from.reach = QuickReach;
            Score(view, candidate, quickSearch.Look(model, from));
        }
        if (route.first == heading)
            candidate.score += StraightOn;
        if (roundMs < OpeningMs)
            candidate.score += Below(freeChoices > 0 ? FreeChoiceLeeway : OpeningLeeway);
        straightLegal = straightLegal || route.first == heading;
        legal[legalCount++] = {candidate, route};
    }
    if (legalCount == 0)
        return false;

    std::stable_sort(legal.begin(), legal.begin() + static_cast<std::ptrdiff_t>(legalCount),
                     [](const TLegal &a, const TLegal &b) { return a.candidate.score > b.candidate.score; });
    std::size_t chosen = 0;
    if (Chance(traits.wrongTurn)) {
        chosen = static_cast<std::size_t>(Below(static_cast<int>(legalCount)));
    } else if (Chance(traits.wander)) {
        // A turn for the fun of it, into what it sees as open.
        std::size_t open = 0;
        while (open < legalCount && legal[open].candidate.outlook.space >= traits.lookLimit)
            ++open;
        if (open > 0)
            chosen = static_cast<std::size_t>(Below(static_cast<int>(open)));
    } else if (legalCount > 1 && Chance(traits.secondBest)) {
        chosen = 1;
    }
    freeChoices = std::max(freeChoices - 1, 0);
    const TLegal &choice = legal[chosen];
    if (choice.candidate.outlook.space <= TightCells && legal[0].candidate.outlook.space <= TightCells)
        return false;

    hasTarget = true;
    targetIsBonus = false;
    target = TFieldModel::NodeOf(choice.candidate.cell);
    diagonalFirst = choice.route.diagonalFirst;
    // Heads a cell or two apart (as at the start of every round) are never walled off from each
    // other, whatever the cells say: the cell between them is the other's head.
    walledOff = view.other.inPlay && traits.territory && !choice.candidate.outlook.connected
                && Steps(view.head, view.rival) > 2 * Cell;
    roomAhead = choice.candidate.outlook.space;
    StartPlan(choice.candidate.cell, choice.route.last);
    // A forced turn (straight on is closed) that comes late.
    if (!straightLegal && choice.route.first != heading && Chance(traits.lateTurn))
        lateTicks = 1 + Below(traits.lateTurnPixels);
    return true;
}

std::uint8_t TComputerPlayer::PixelMove(const TView &view, TJump &jump)
{
    const std::uint8_t heading = view.own.dir;
    // The seven moves that do not reverse; slipping between two wall pixels diagonally only when
    // nothing else is left.
    std::array<std::uint8_t, TPixelFlood::MostStarts> moves{};
    std::array<TPixel, TPixelFlood::MostStarts> landings{};
    int count = 0;
    for (int strict = 1; strict >= 0 && count == 0; --strict)
        for (int by = -3; by <= 3; ++by) {
            const std::uint8_t move = Turned(heading, by);
            const TPixel next = Ahead(view.head, move);
            if (TFieldModel::IsWallColour(view.field.GetPixel(next.x, next.y))
                || (strict == 1 && !OpenStep(model, view.head, move)))
                continue;
            moves[static_cast<std::size_t>(count)] = move;
            landings[static_cast<std::size_t>(count++)] = next;
        }
    const std::array<int, TPixelFlood::MostStarts> rooms = flood.Split(model, landings, count, PixelRoomCap);

    std::uint8_t best = 0;
    int bestRoom = 0;
    int bestScore = 0;
    for (int i = 0; i < count; ++i) {
        const TPixel next = landings[static_cast<std::size_t>(i)];
        const std::uint8_t move = moves[static_cast<std::size_t>(i)];
        const int room = rooms[static_cast<std::size_t>(i)];
        int walls = 0;
        for (std::uint8_t around = 1; around <= 8; ++around)
            walls += model.Wall(Ahead(next, around)) ? 1 : 0;
        const int left = (move - heading + 8) % 8;
        const int turns = std::min(left, 8 - left);
        const int score = room * 16 + walls * 2 + (turns == 0 ? 3 : 0) - turns;
        if (best == 0 || score > bestScore) {
            best = move;
            bestRoom = room;
            bestScore = score;
        }
    }
    // Against a fast opponent the last jet is kept for the start of a round: a cycle that crashed
    // starts the next one late and may find itself boxed in before its first step.
    const bool fastOpponent = view.other.inPlay && view.other.interval <= FastOpponent;
    const int kept = roundMs < StartDash || !fastOpponent ? 0 : traits.jetsKept;
    if (bestRoom < TightPixels && view.own.jets > kept) {
        if (jetThought < 0)
            jetThought = Chance(traits.jetUse) ? 1 : 0;
        if (jetThought == 1)
            jump = BestJump(view, bestRoom);
    } else if (bestRoom >= TightPixels) {
        jetThought = -1;
    }
    return best != 0 ? best : heading;
}

TComputerPlayer::TJump TComputerPlayer::BestJump(const TView &view, int roomWithout)
{
    TJump best;
    int bestRoom = 0;
    // A cleverer player also lengthens the jump with the speed keys first, as far as the keys of
    // one tick allow: the longest of equal jumps lands farthest from the trap, and riding fast
    // after it keeps a fast opponent from closing a box round it again at once.
    // A level that plays for room only thinks of it against a fast opponent, where a short jump
    // lands within reach of a box closed round it again at once.
    const bool fastOpponent = view.other.inPlay && view.other.interval <= FastOpponent;
    const int mostKeys = traits.territory ? MostJumpKeys : fastOpponent ? std::min(traits.speedKeys, MostJumpKeys) : 0;
    for (int keys = mostKeys; keys >= 0; --keys) {
        const std::uint16_t interval = AfterFaster(view.own.interval, keys);
        const int distance = Rules::JumpDistance(interval);
        if (distance <= 0)
            continue;
        for (std::uint8_t heading = 1; heading <= 8; ++heading) {
            const int left = (heading - view.own.dir + 8) % 8;
            if (keys + std::min(left, 8 - left) + 1 > static_cast<int>(TPilotActions::Capacity))
                continue;
            // The jump itself is neither tested nor drawn; the step after it is.
            const TPixel landing = Ahead(view.head, heading, distance + 1);
            if (TFieldModel::IsWallColour(view.field.GetPixel(landing.x, landing.y)))
                continue;
            // A free cell is room enough; otherwise the pixels tell.
            const int room =
                model.Free(TFieldModel::CellOf(landing)) ? JumpRoomCap : flood.Count(model, landing, JumpRoomCap);
            if (room > bestRoom) {
                bestRoom = room;
                best.heading = heading;
                best.fasterKeys = keys;
            }
        }
    }
    best.worth = bestRoom > std::max(2 * roomWithout, roomWithout + 16);
    return best;
}

std::uint16_t TComputerPlayer::AimedInterval(const TView &view) const
{
    if (!view.other.inPlay)
        return traits.aloneInterval;
    if (hunter.Hunting())
        return 1;
    // Head to head, as every round begins: flat out until there is room between them.
    if (roundMs < StartDash && Steps(view.head, view.rival) < traits.closeQuarters)
        return 1;
    if (shutOff)
        return traits.separatedInterval;
    // The cells may see a wall where a gap narrower than a cell still lets a fast opponent through:
    // one that comes near finds a slow cycle to box in.
    if (traits.closeLook > 0 && view.other.interval <= FastOpponent && Steps(view.head, view.rival) <= FastNear)
        return 1;
    if (walledOff)
        return traits.separatedInterval;
    // Head to head with a fast opponent: the one that is slower is boxed in.
    if (closeMove != 0)
        return 1;
    // The open field is where speed pays: it claims territory. Close to the opponent's head or
    // in a narrow place it only shortens the time to react.
    const bool open = roomAhead >= 64 && Steps(view.head, view.rival) > 96;
    const std::uint16_t aim = open ? traits.openInterval : Rules::StartInterval;
    // A faster opponent cuts in front and closes a box around a slow cycle before it can turn out
    // of it: keep pace, or better.
    if (traits.answerSpeed < 0 || view.other.interval >= aim)
        return aim;
    // A fast opponent far away is met when it comes near (see above): riding flat out meanwhile
    // only uses up the room sooner.
    if (traits.closeLook > 0 && view.other.interval <= FastOpponent)
        return aim;
    const int answer = view.other.interval - traits.answerSpeed * Rules::SpeedStep;
    return static_cast<std::uint16_t>(std::max<int>(answer, 1));
}

std::uint8_t TComputerPlayer::CloseMove(const TView &view)
{
    const bool close = traits.closeLook > 0 && view.other.inPlay && !shutOff && view.other.interval <= FastOpponent
                       && Steps(view.head, view.rival) <= traits.closeLook;
    if (!close) {
        closeMove = 0;
        closeLeft = 0;
        return 0;
    }
    // A slower judge keeps to the move it chose for a few steps, while it stays open.
    if (closeMove != 0 && closeLeft > 0 && !Reverses(view.own.dir, closeMove)) {
        const TPixel next = Ahead(view.head, closeMove);
        if (!TFieldModel::IsWallColour(view.field.GetPixel(next.x, next.y))) {
            --closeLeft;
            return closeMove;
        }
    }
    const TCloseView sight{view.head, view.own.dir, view.own.interval, view.rival, view.other.dir, view.other.interval};
    closeMove = closeQuarters.Choose(view.field, model, sight);
    closeLeft = traits.closeHold;
    return closeMove;
}

void TComputerPlayer::CheckShutOff(const TView &view)
{
    // Shut off from a fast opponent, the round goes to the one that lasts: it rides slowly. An
    // opponent that jumps in is near again. (A slower one is left to the cells' look.)
    if (traits.closeLook <= 0 || !view.other.inPlay || view.other.interval > FastOpponent) {
        shutOff = false;
        return;
    }
    if (shutOff && Steps(view.head, view.rival) <= ShutOffDistance) {
        shutOff = false;
        shutCheckIn = 0;
    }
    if (shutOff || --shutCheckIn > 0)
        return;
    shutCheckIn = ShutOffCheckEvery;
    if (Steps(view.head, view.rival) <= ShutOffDistance)
        return;
    shutOff = RoomAround(view.head, ShutOffRoom) < ShutOffRoom;
}

int TComputerPlayer::RoomAround(TPixel head, int cap)
{
    std::array<TPixel, TPixelFlood::MostStarts> starts{};
    int count = 0;
    for (std::uint8_t heading = 1; heading <= 8 && count < TPixelFlood::MostStarts; ++heading)
        if (OpenStep(model, head, heading))
            starts[static_cast<std::size_t>(count++)] = Ahead(head, heading);
    if (count == 0)
        return 0;
    const std::array<int, TPixelFlood::MostStarts> rooms = flood.Split(model, starts, count, cap);
    return *std::max_element(rooms.begin(), rooms.begin() + count);
}
