#include "computer/TFieldModel.h"

#include "game/Headings.h"
#include "game/TFieldSurface.h"

#include <algorithm>

namespace {

// A trail grows by one pixel a tick and the other cycle makes at most some hundred steps between
// two of ours. Anything far beyond that is not a trail being drawn (a field the model missed), and
// is left to the sweep rather than read in one go.
constexpr std::size_t MostPixelsFollowed = 4096;

} // namespace

TFieldModel::TFieldModel()
    : marks(static_cast<std::size_t>(Width * Height), 0)
{
    pending.reserve(256);
    Clear();
}

bool TFieldModel::IsWallColour(std::uint32_t colour)
{
    // A bonus label's yellow text is driven over, not into.
    return colour != FieldColour::Black && colour != FieldColour::Yellow;
}

namespace {

// The column (or row) of the cell around a coordinate; anything beyond the field's cells lands in
// the padding.
int Band(int coordinate, int bands)
{
    const int shifted = coordinate - TFieldModel::NodeOffset + TFieldModel::CellSize / 2;
    const int band = shifted >= 0 ? shifted / TFieldModel::CellSize : -1;
    return std::min(band, bands);
}

} // namespace

int TFieldModel::CellOf(TPixel p)
{
    return (Band(p.y, Rows) + 1) * Stride + Band(p.x, Columns) + 1;
}

TPixel TFieldModel::NodeOf(int cell)
{
    return {NodeOffset + (cell % Stride - 1) * CellSize, NodeOffset + (cell / Stride - 1) * CellSize};
}

const std::array<int, 8> &TFieldModel::Neighbours()
{
    static const std::array<int, 8> offsets = [] {
        std::array<int, 8> result{};
        for (std::uint8_t heading = 1; heading <= 8; ++heading) {
            const HeadingStep step = StepOf(heading);
            result[heading - 1] = step.dy * Stride + step.dx;
        }
        return result;
    }();
    return offsets;
}

void TFieldModel::Clear()
{
    std::fill(marks.begin(), marks.end(), std::uint8_t{0});
    for (int cell = 0; cell < CellCount; ++cell) {
        // Count the pixels of the cell that lie outside the field: they are walls for good.
        const TPixel node = NodeOf(cell);
        const int left = node.x - CellSize / 2;
        const int top = node.y - CellSize / 2;
        const int insideColumns = std::max(0, std::min(left + CellSize, Width) - std::max(left, 0));
        const int insideRows = std::max(0, std::min(top + CellSize, Height) - std::max(top, 0));
        walls[static_cast<std::size_t>(cell)] =
            static_cast<std::uint16_t>(CellSize * CellSize - insideColumns * insideRows);
        freeCells[static_cast<std::size_t>(cell)] = walls[static_cast<std::size_t>(cell)] == 0 ? 1 : 0;
    }
    for (int cell = 0; cell < CellCount; ++cell)
        UpdateMoves(cell);
    sweepStep = 0;
}

void TFieldModel::UpdateMoves(int cell)
{
    // The padding has no moves (and no neighbours all round).
    const int column = cell % Stride;
    const int row = cell / Stride;
    std::uint8_t mask = 0;
    if (column > 0 && column < Stride - 1 && row > 0 && row < Rows + 1) {
        const std::array<int, 8> &n = Neighbours();
        for (std::size_t k = 0; k < 8; ++k) {
            if (!Free(cell + n[k]))
                continue;
            // Odd indices are the diagonals (headings 2, 4, 6, 8), between the headings either side.
            if (k % 2 == 1 && !Free(cell + n[k - 1]) && !Free(cell + n[(k + 1) % 8]))
                continue;
            mask = static_cast<std::uint8_t>(mask | 1u << k);
        }
    }
    moves[static_cast<std::size_t>(cell)] = mask;
}

void TFieldModel::Mark(int x, int y, bool wall)
{
    std::uint8_t &mark = marks[static_cast<std::size_t>(y * Width + x)];
    if ((mark != 0) == wall)
        return;
    mark = wall ? 1 : 0;
    const auto cell = static_cast<std::size_t>(CellOf({x, y}));
    walls[cell] = static_cast<std::uint16_t>(wall ? walls[cell] + 1 : walls[cell] - 1);
    const std::uint8_t free = walls[cell] == 0 ? 1 : 0;
    if (free == freeCells[cell])
        return;
    freeCells[cell] = free;
    // The moves into this cell, and the diagonals past it, change with it. (A cell of the padding
    // never holds a free pixel, so this is a cell of the field, with neighbours all round.)
    UpdateMoves(static_cast<int>(cell));
    for (int offset : Neighbours())
        UpdateMoves(static_cast<int>(cell) + offset);
}

void TFieldModel::ReadAll(const TFieldSurface &field)
{
    Reread(field, 0, 0, Width - 1, Height - 1);
}

void TFieldModel::Reread(const TFieldSurface &field, int left, int top, int right, int bottom)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, Width - 1);
    bottom = std::min(bottom, Height - 1);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            Mark(x, y, IsWallColour(field.GetPixel(x, y)));
}

void TFieldModel::Sweep(const TFieldSurface &field)
{
    // Half a row a tick: the whole field in some 1100 ticks.
    const int half = sweepStep % 2;
    Reread(field, half * (Width / 2 + 1), sweepStep / 2, half == 0 ? Width / 2 : Width - 1, sweepStep / 2);
    sweepStep = (sweepStep + 1) % (2 * Height);
}

void TFieldModel::Follow(const TFieldSurface &field, TPixel from, TPixel to, std::uint32_t colour)
{
    pending.clear();
    const auto around = [this](TPixel p) {
        for (std::uint8_t heading = 1; heading <= 8; ++heading) {
            const HeadingStep step = StepOf(heading);
            pending.push_back({p.x + step.dx, p.y + step.dy});
        }
    };
    around(from);
    pending.push_back(to);
    std::size_t taken = 0;
    while (!pending.empty() && taken < MostPixelsFollowed) {
        const TPixel p = pending.back();
        pending.pop_back();
        if (Wall(p) || field.GetPixel(p.x, p.y) != colour)
            continue;
        Mark(p.x, p.y, true);
        ++taken;
        around(p);
    }
}
