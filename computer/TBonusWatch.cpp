#include "computer/TBonusWatch.h"

#include "game/Rules.h"
#include "game/TFieldSurface.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Where a label's text can be: its left and top edges are drawn from the bonus rules, and the
// widest caption ("Jump Jet") is well under 80 pixels wide, a caption under 20 high.
constexpr int RegionLeft = Rules::BonusLeft;
constexpr int RegionRight = Rules::BonusLeft + Rules::BonusLeftRange + 80;
constexpr int RegionTop = Rules::BonusTop;
constexpr int RegionBottom = Rules::BonusTop + Rules::BonusTopRange + 20;
// Digits and letters are 9 or more rows high: every third row meets each label at least thrice,
// and every other pixel of such a row meets its strokes many times over.
constexpr int RowStep = 3;
constexpr int ColumnStep = 2;
constexpr int RowsPerTick = 2;
constexpr int RowsInRegion = (RegionBottom - RegionTop) / RowStep + 1;
// The rectangle a label repaints is larger than its text: the font's ascent and descent above
// and below, the glyphs' side bearings left and right.
constexpr int MarginX = 4;
constexpr int MarginY = 7;
// Around the first yellow pixel seen, the label's text lies within this reach.
constexpr int ReachX = 80;
constexpr int ReachY = 20;

} // namespace

TBonusWatch::TBonusWatch()
{
    Clear();
}

void TBonusWatch::Clear()
{
    MarkCells(0);
    visible = false;
    scanRow = 0;
}

void TBonusWatch::MarkCells(std::uint8_t value)
{
    if (!visible)
        return;
    const int first = TFieldModel::CellOf({left, top});
    const int last = TFieldModel::CellOf({right, bottom});
    const int columns = last % TFieldModel::Stride - first % TFieldModel::Stride;
    for (int row = first; row <= last - columns; row += TFieldModel::Stride)
        for (int column = 0; column <= columns; ++column)
            cells[static_cast<std::size_t>(row + column)] = value;
}

void TBonusWatch::Update(const TFieldSurface &field, TFieldModel &model)
{
    if (visible) {
        if (field.GetPixel(sample.x, sample.y) == FieldColour::Yellow)
            return;
        // Some of the text may be left (a trail crossed a glyph's edge before the label went).
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
                if (field.GetPixel(x, y) == FieldColour::Yellow) {
                    sample = {x, y};
                    return;
                }
        Gone(field, model);
        return;
    }
    for (int i = 0; i < RowsPerTick; ++i) {
        const int row = scanRow;
        scanRow = (scanRow + 1) % RowsInRegion;
        // Row by row the other half of the pixels.
        const int y = RegionTop + row * RowStep;
        for (int x = RegionLeft + row % ColumnStep; x <= RegionRight; x += ColumnStep)
            if (field.GetPixel(x, y) == FieldColour::Yellow) {
                Found(field, model, {x, y});
                return;
            }
    }
}

void TBonusWatch::Found(const TFieldSurface &field, TFieldModel &model, TPixel yellow)
{
    left = yellow.x;
    right = yellow.x;
    top = yellow.y;
    bottom = yellow.y;
    for (int y = yellow.y - ReachY; y <= yellow.y + ReachY; ++y)
        for (int x = yellow.x - ReachX; x <= yellow.x + ReachX; ++x)
            if (field.GetPixel(x, y) == FieldColour::Yellow) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    sample = yellow;
    visible = true;
    MarkCells(1);
    // Its rectangle was repainted black before the text was drawn: trails there are gone.
    model.Reread(field, left - MarginX, top - MarginY, right + MarginX, bottom + MarginY);
}

void TBonusWatch::Gone(const TFieldSurface &field, TFieldModel &model)
{
    MarkCells(0);
    visible = false;
    // Hiding it repainted the rectangle too: whatever was driven over it meanwhile is gone.
    model.Reread(field, left - MarginX, top - MarginY, right + MarginX, bottom + MarginY);
}

TPixel TBonusWatch::Nearest(const TFieldSurface &field, TPixel from) const
{
    TPixel best = from;
    int bestDistance = -1;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            const int distance = std::max(std::abs(x - from.x), std::abs(y - from.y));
            if ((bestDistance < 0 || distance < bestDistance) && field.GetPixel(x, y) == FieldColour::Yellow) {
                best = {x, y};
                bestDistance = distance;
            }
        }
    return best;
}
