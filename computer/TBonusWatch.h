#pragma once

#include "computer/TFieldModel.h"

#include <array>
#include <cstdint>

class TFieldSurface;

// Looks out for the bonus label: yellow text that appears at a random place and is driven over to
// collect it. Showing or hiding it repaints its rectangle black, erasing the trails there, so the
// watch also has the field model read that rectangle again whenever the label comes or goes.
//
// Finding it costs reads: two rows of the region where a label can lie are looked at per tick
// (every third row and every other pixel, which no label's text can slip between), all of them
// in some 70 ticks.
class TBonusWatch
{
public:
    TBonusWatch();

    // Forgets any label, as at the start of a round.
    void Clear();
    // Looks for a new label, or checks that the known one is still there.
    void Update(const TFieldSurface &field, TFieldModel &model);

    bool Visible() const { return visible; }
    // The yellow pixels' bounds, edges included.
    int Left() const { return left; }
    int Top() const { return top; }
    int Right() const { return right; }
    int Bottom() const { return bottom; }
    // The cells the label covers: 1 for those, 0 elsewhere.
    const std::uint8_t *Cells() const { return cells.data(); }
    // The yellow pixel nearest to `from` (by steps of a cycle); `from` itself when none is left.
    TPixel Nearest(const TFieldSurface &field, TPixel from) const;

private:
    void Found(const TFieldSurface &field, TFieldModel &model, TPixel yellow);
    void Gone(const TFieldSurface &field, TFieldModel &model);
    void MarkCells(std::uint8_t value);

    bool visible = false;
    int left = 0, top = 0, right = 0, bottom = 0;
    TPixel sample;
    int scanRow = 0;
    std::array<std::uint8_t, TFieldModel::CellCount> cells{};
};
