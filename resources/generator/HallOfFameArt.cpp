// The hall of fame background: a rainbow vortex on black, "HALL OF FAME" in gold tiles along the
// top and a wire-frame champion on either side. The middle, where the window lays its two score
// frames with white italic text, is kept dark and quiet.

#include "Art.h"
#include "ArtKit.h"
#include "Tiles.h"
#include "WireFigure.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace art {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// The score frames and their headings, in picture coordinates (the picture is stretched into a
// slightly smaller window, so these lie a little right of and below the window's own positions).
const QRectF kQuietArea(150.0, 258.0, 490.0, 336.0);

void vortex(QImage &image)
{
    const QPointF centre(400.0, 178.0);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double dx = x - centre.x();
            const double dy = (y - centre.y()) * 1.15;
            const double r = std::max(1.0, std::hypot(dx, dy));
            const double theta = std::atan2(dy, dx);
            const double phase = 5.0 * theta + 7.0 * std::log(r / 24.0);
            const double band = 0.5 + 0.5 * std::cos(phase);
            const double arm = std::pow(band, 7.0) + 0.18 * std::pow(band, 1.5);
            const double reach = std::clamp(r / 40.0, 0.0, 1.0) * std::exp(-std::pow(r / 680.0, 2.0));
            const double hue = theta / (2.0 * std::numbers::pi) + r / 700.0;
            const QColor c = hsv(hue, 0.85 - 0.4 * std::pow(band, 12.0), std::min(1.0, arm * reach * 1.25));
            const double core = std::exp(-r / 16.0);
            image.setPixelColor(x, y, mix(c, QColor(255, 250, 235), core));
        }
    }
}

// Dims the middle to a faint shadow of the vortex, with soft edges.
void quieten(QImage &image, const QRectF &area, double keep, double softness)
{
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double dx = std::max({area.left() - x, 0.0, x - area.right()});
            const double dy = std::max({area.top() - y, 0.0, y - area.bottom()});
            const double d = std::hypot(dx, dy);
            if (d >= softness)
                continue;
            const double t = d / softness;
            const double f = keep + (1.0 - keep) * t * t * (3.0 - 2.0 * t);
            const QColor c = image.pixelColor(x, y);
            image.setPixelColor(
                x, y,
                QColor(static_cast<int>(c.red() * f), static_cast<int>(c.green() * f), static_cast<int>(c.blue() * f)));
        }
    }
}

} // namespace

QImage hallOfFamePicture()
{
    QImage image = canvas(kWidth, kHeight, Qt::black);
    vortex(image);

    // Darker columns behind the two figures, so the mesh reads against the vortex.
    for (const QRectF column : {QRectF(0, 150, 150, 450), QRectF(650, 150, 150, 450)})
        quieten(image, column, 0.45, 60.0);
    quieten(image, kQuietArea, 0.12, 30.0);

    QImage light = canvas(kWidth, kHeight);
    {
        QPainter lp(&light);
        drawWireFigure(lp, {QPointF(80, 588), 48.0, 24.0, false}, QColor(120, 255, 200));
        drawWireFigure(lp, {QPointF(720, 588), 48.0, -24.0, true}, QColor(120, 255, 200));
    }
    addGlow(image, light, 8, 0.9);
    QPainter p(&image);
    p.drawImage(0, 0, light);

    // A dark band behind the title so the tiles stand clear of the vortex.
    QLinearGradient band(0, 0, 0, 110);
    band.setColorAt(0.0, QColor(0, 0, 0, 220));
    band.setColorAt(0.7, QColor(0, 0, 0, 140));
    band.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(0, 0, kWidth, 110), band);
    drawTileRow(p, QStringLiteral("HALL OF FAME"), QPointF(400, 50), 52.0, 6.0,
                TileStyle{QColor(226, 164, 36), QColor(70, 34, 0)});
    p.end();
    return image;
}

} // namespace art
