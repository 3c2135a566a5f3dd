#pragma once

#include <array>
#include <cstdint>
#include <vector>

class TFieldSurface;

// A pixel of the field in signed coordinates: a wrapped head (column 65535) is simply far outside.
struct TPixel
{
    int x = 0;
    int y = 0;
    friend bool operator==(const TPixel &, const TPixel &) = default;
};

// The computer's own copy of the field: which pixels are walls, and over them a coarse grid of
// 15 x 15 pixel cells. Reading all 333 000 pixels for every decision is far too slow, so the copy is
// kept up to date from what changes: the trails, followed from where each head was last seen;
// rectangles that a bonus label repainted; and a slow sweep, half a row a tick, that catches anything
// else (a trail erased by a label that came and went unseen).
//
// The cells are centred on the nodes, every 15th pixel across and down, the start pixel (200,200)
// among them. An odd size keeps a diagonal trail from node to node out of the two cells beside
// it: it passes their shared corner between two pixels, not on one of theirs. The computer drives from node to node, so that its own trail runs
// along the cells' middles. A cell holding any wall pixel counts as blocked; so do the cells on
// the field's edge, which reach beyond it.
class TFieldModel
{
public:
    static constexpr int Width = 603;
    static constexpr int Height = 553;
    static constexpr int CellSize = 15;
    // The start pixel (200, 200) is a node.
    static constexpr int NodeOffset = 200 % CellSize;
    // Cells that reach into the field, by column and row.
    static constexpr int Columns = (Width - 1 - NodeOffset + CellSize / 2) / CellSize + 1;
    static constexpr int Rows = (Height - 1 - NodeOffset + CellSize / 2) / CellSize + 1;
    // One blocked cell of padding all round, so that neighbours need no bounds checks.
    static constexpr int Stride = Columns + 2;
    static constexpr int CellCount = Stride * (Rows + 2);

    TFieldModel();

    // An empty field, as at the start of a round.
    void Clear();
    // Reads every pixel: for a field the model has never seen (slow: use once, not per tick).
    void ReadAll(const TFieldSurface &field);
    // Takes in the pixels of `colour` that are new since the head was at `from` and now is at
    // `to`: everything of that colour connected to either that the model does not know yet.
    // Both ends count, since a jump leaves a gap in a trail.
    void Follow(const TFieldSurface &field, TPixel from, TPixel to, std::uint32_t colour);
    // Reads a rectangle again (edges included, clipped to the field).
    void Reread(const TFieldSurface &field, int left, int top, int right, int bottom);
    // Reads the next piece of the rolling sweep.
    void Sweep(const TFieldSurface &field);

    // Outside the field everything is a wall.
    bool Wall(int x, int y) const { return !InField(x, y) || marks[static_cast<std::size_t>(y * Width + x)] != 0; }
    bool Wall(TPixel p) const { return Wall(p.x, p.y); }
    bool Free(int cell) const { return freeCells[static_cast<std::size_t>(cell)] != 0; }
    // The moves from a cell into free cells, a bit per heading (bit 0: heading 1). A diagonal move
    // passes the corner the two cells share, where the other diagonal's trail would cross it on a
    // pixel: it is open only if one of the two cells beside it is free.
    std::uint8_t Moves(int cell) const { return moves[static_cast<std::size_t>(cell)]; }

    static bool InField(int x, int y) { return x >= 0 && y >= 0 && x < Width && y < Height; }
    static bool IsWallColour(std::uint32_t colour);
    // The cell of a pixel; a pixel outside the field lies in the padding.
    static int CellOf(TPixel p);
    static TPixel NodeOf(int cell);
    static bool IsNode(TPixel p)
    {
        return (p.x - NodeOffset) % CellSize == 0 && (p.y - NodeOffset) % CellSize == 0 && InField(p.x, p.y);
    }
    // The eight neighbours in heading order (heading 1 first), as offsets of a cell index.
    static const std::array<int, 8> &Neighbours();

private:
    void Mark(int x, int y, bool wall);
    void UpdateMoves(int cell);

    std::vector<std::uint8_t> marks;
    // Wall pixels per cell, the field's outside included; a cell is free when it holds none.
    std::array<std::uint16_t, CellCount> walls{};
    std::array<std::uint8_t, CellCount> freeCells{};
    std::array<std::uint8_t, CellCount> moves{};
    int sweepStep = 0;
    std::vector<TPixel> pending;
};
