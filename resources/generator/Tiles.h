#pragma once

#include <QColor>
#include <QPainter>
#include <QString>

// Square letter tiles, the game's way of writing titles on its pictures.
namespace art {

struct TileStyle
{
    QColor face; // the tile's colour; its bevels are derived from it
    QColor ink;  // the letter's colour
};

// One tile filling `box` with a single character (or a short text) engraved in the middle.
void drawTile(QPainter &p, const QRectF &box, const QString &letter, const TileStyle &style);

// Width of a row of tiles: each character one tile, a blank half a tile.
double tileRowWidth(const QString &text, double size, double gap);

// A row of tiles centred on `centre`; blanks leave a gap.
void drawTileRow(QPainter &p, const QString &text, QPointF centre, double size, double gap, const TileStyle &style);

} // namespace art
