// The name entry picture: orange and yellow diamonds, a burst of light in the middle where the
// typed name stands in black, "NEW HIGHSCORE!" in red tiles at the top and mirrored in blue at the
// bottom.

#include "Art.h"
#include "ArtKit.h"
#include "Tiles.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace art {

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

void diamonds(QImage &image)
{
    const double dw = 26.0; // half a diamond's width
    const double dh = 19.0; // half its height
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double u = (x + 0.5) / dw + (y + 0.5) / dh;
            const double v = (x + 0.5) / dw - (y + 0.5) / dh;
            const double fu = u - std::floor(u);
            const double fv = v - std::floor(v);
            const bool odd = (static_cast<long>(std::floor(u)) + static_cast<long>(std::floor(v))) % 2 != 0;
            // Each diamond is a faceted gem: lit along its upper edges, shaded along its lower
            // ones.
            const double facet = 0.12 * ((fu - 0.5) + (fv - 0.5) * -1.0) + 0.1 * (0.5 - fu);
            QColor c = odd ? QColor(255, 206, 40) : QColor(250, 128, 18);
            c = facet > 0 ? mix(c, QColor(255, 250, 210), facet * 1.6) : mix(c, QColor(120, 40, 0), -facet * 1.6);
            const double edge = std::min({fu, 1.0 - fu, fv, 1.0 - fv});
            if (edge < 0.03)
                c = mix(c, QColor(150, 60, 0), 0.6);
            image.setPixelColor(x, y, c);
        }
    }
}

void lightBurst(QPainter &p, QPointF centre)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const int rays = 28;
    for (int i = 0; i < rays; ++i) {
        const double a0 = 2.0 * std::numbers::pi * i / rays;
        const double a1 = a0 + std::numbers::pi / rays;
        QPainterPath ray;
        ray.moveTo(centre);
        ray.lineTo(centre + QPointF(std::cos(a0), std::sin(a0)) * 260.0);
        ray.lineTo(centre + QPointF(std::cos(a1), std::sin(a1)) * 260.0);
        ray.closeSubpath();
        QRadialGradient fade(centre, 200.0);
        fade.setColorAt(0.0, QColor(255, 255, 230, 200));
        fade.setColorAt(1.0, QColor(255, 255, 200, 0));
        p.setBrush(fade);
        p.drawPath(ray);
    }
    // A wide bright lens where the name is written: black text reads best on pale ground.
    p.translate(centre);
    p.scale(1.0, 0.26);
    QRadialGradient lens(QPointF(0, 0), 205.0);
    lens.setColorAt(0.0, QColor(255, 255, 245, 250));
    lens.setColorAt(0.55, QColor(255, 250, 210, 215));
    lens.setColorAt(1.0, QColor(255, 240, 160, 0));
    p.setBrush(lens);
    p.drawEllipse(QPointF(0, 0), 205.0, 205.0);
    p.restore();
}

} // namespace

QImage newHighscorePicture()
{
    QImage image = canvas(kWidth, kHeight, Qt::black);
    diamonds(image);
    QPainter p(&image);
    lightBurst(p, QPointF(kWidth / 2.0, 116.0));

    const QString title = QStringLiteral("NEW HIGHSCORE!");
    const double size = 20.0;
    drawTileRow(p, title, QPointF(kWidth / 2.0, 19.0), size, 2.0,
                TileStyle{QColor(214, 26, 20), QColor(255, 244, 230)});

    // The reflection: the same row in blue, upside down at the bottom edge.
    QImage mirror = canvas(kWidth, 40);
    {
        QPainter mp(&mirror);
        drawTileRow(mp, title, QPointF(kWidth / 2.0, 19.0), size, 2.0,
                    TileStyle{QColor(28, 70, 220), QColor(235, 244, 255)});
    }
    p.drawImage(0, kHeight - 40, mirror.mirrored(false, true));
    p.end();
    return image;
}

} // namespace art
