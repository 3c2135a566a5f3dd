#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>

// A standing human figure drawn as a wire-frame mesh (rings and meridians round every limb), one
// fist raised in triumph.
namespace art {

struct FigurePlacement
{
    QPointF feet;      // where the figure stands in the picture
    double scale;      // pixels per unit; the figure is about 8.6 units tall
    double yawDegrees; // turn about the vertical axis, positive turns its right side away
    bool mirrored;     // raise the other fist
};

void drawWireFigure(QPainter &p, const FigurePlacement &where, QColor colour);

} // namespace art
