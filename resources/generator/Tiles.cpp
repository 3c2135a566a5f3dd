#include "Tiles.h"

#include "ArtKit.h"

#include <QPainterPath>

#include <algorithm>

namespace art {

void drawTile(QPainter &p, const QRectF &box, const QString &letter, const TileStyle &style)
{
    const double s = box.width();
    const double radius = s * 0.14;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    // Shadow, body and a raised bevel frame around an inner face.
    p.setBrush(QColor(0, 0, 0, 150));
    p.drawRoundedRect(box.translated(s * 0.05, s * 0.07), radius, radius);
    QLinearGradient body(box.topLeft(), box.bottomRight());
    body.setColorAt(0.0, style.face.lighter(175));
    body.setColorAt(0.5, style.face);
    body.setColorAt(1.0, style.face.darker(260));
    p.setBrush(body);
    p.setPen(QPen(style.face.darker(400), std::max(1.0, s * 0.025)));
    p.drawRoundedRect(box, radius, radius);
    p.setPen(Qt::NoPen);
    const QRectF inner = box.adjusted(s * 0.1, s * 0.1, -s * 0.1, -s * 0.1);
    QLinearGradient face(inner.topLeft(), inner.bottomLeft());
    face.setColorAt(0.0, style.face.lighter(118));
    face.setColorAt(1.0, style.face.darker(125));
    p.setBrush(face);
    p.drawRoundedRect(inner, radius * 0.6, radius * 0.6);

    // The letter, engraved: a light edge below and right of the ink.
    const QPainterPath glyph = centredText(letter, titleFont(static_cast<int>(s * 0.6)), box.center());
    p.setBrush(mix(style.face.lighter(160), Qt::white, 0.3));
    p.drawPath(glyph.translated(s * 0.025, s * 0.03));
    p.setBrush(style.ink);
    p.drawPath(glyph);

    // Gloss over the upper half.
    QLinearGradient gloss(box.topLeft(), QPointF(box.left(), box.center().y()));
    gloss.setColorAt(0.0, QColor(255, 255, 255, 90));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    p.drawRoundedRect(box.adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.5), radius * 0.8, radius * 0.8);
    p.restore();
}

double tileRowWidth(const QString &text, double size, double gap)
{
    double width = 0.0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        width += text[i] == QLatin1Char(' ') ? size * 0.5 : size;
        if (i + 1 < text.size())
            width += gap;
    }
    return width;
}

void drawTileRow(QPainter &p, const QString &text, QPointF centre, double size, double gap, const TileStyle &style)
{
    double x = centre.x() - tileRowWidth(text, size, gap) / 2.0;
    for (QChar c : text) {
        if (c == QLatin1Char(' ')) {
            x += size * 0.5 + gap;
            continue;
        }
        drawTile(p, QRectF(x, centre.y() - size / 2.0, size, size), QString(c), style);
        x += size + gap;
    }
}

} // namespace art
