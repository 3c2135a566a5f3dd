// The about box's title picture: "ZANDRIX" in square tiles along the top, one large tile with the
// numeral 2 in the middle, all over a swirl of colours. The credits line scrolls in a dark slot
// below the large tile.

#include "Art.h"
#include "ArtKit.h"
#include "Tiles.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace art {

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 200;

// Where the credits line lies over the picture.
const QRect kCredits(56, 152, 193, 25);

void swirl(QImage &image)
{
    const QPointF centre(150.0, 98.0);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double dx = x - centre.x();
            const double dy = y - centre.y();
            const double r = std::hypot(dx, dy);
            // The angle is twisted more the nearer a point lies to the centre.
            const double twist = std::atan2(dy, dx) + 4.2 * std::exp(-r / 70.0) + r / 55.0;
            const double hue = 2.0 * twist / (2.0 * std::numbers::pi) + r / 400.0;
            const double ripple = 0.5 + 0.5 * std::cos(5.0 * twist - r / 16.0);
            const double value = 0.42 + 0.5 * std::pow(ripple, 1.5);
            image.setPixelColor(x, y, hsv(hue, 0.9 - 0.3 * std::pow(ripple, 4.0), value));
        }
    }
}

} // namespace

QImage aboutPicture()
{
    QImage image = canvas(kWidth, kHeight, Qt::black);
    swirl(image);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // A soft shadow under the title row and round the large tile.
    QLinearGradient top(0, 0, 0, 56);
    top.setColorAt(0.0, QColor(0, 0, 0, 150));
    top.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(0, 0, kWidth, 56), top);
    QRadialGradient pool(QPointF(150, 98), 70);
    pool.setColorAt(0.0, QColor(0, 0, 0, 140));
    pool.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(pool);
    p.drawEllipse(QPointF(150, 98), 70.0, 70.0);

    drawTileRow(p, QStringLiteral("ZANDRIX"), QPointF(kWidth / 2.0, 22.0), 36.0, 4.0,
                TileStyle{QColor(36, 58, 150), QColor(255, 255, 255)});
    drawTile(p, QRectF(112.0, 60.0, 76.0, 76.0), QStringLiteral("2"),
             TileStyle{QColor(240, 146, 26), QColor(70, 20, 0)});

    // The slot the credits scroll in: a dark recess one pixel outside the line itself.
    const QRectF slot = QRectF(kCredits).adjusted(-2.5, -2.5, 2.5, 2.5);
    p.setBrush(QColor(0, 0, 0, 200));
    p.drawRoundedRect(slot.adjusted(-2, -2, 2, 2), 4, 4);
    p.setBrush(Qt::black);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.0));
    p.drawRoundedRect(slot, 2.5, 2.5);
    p.end();
    return image;
}

} // namespace art
