// The crash picture: a wall of fire, bright star flares, and "CRASH!" in grey tiles across the
// middle.

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

// Heat 0..1 to fire: deep red, red, orange, yellow, white.
QColor fireColour(double heat)
{
    struct Stop
    {
        double at;
        QColor colour;
    };
    static const Stop stops[] = {{0.0, QColor(70, 0, 0)},     {0.3, QColor(170, 14, 0)},
                                 {0.55, QColor(236, 70, 4)},  {0.75, QColor(255, 150, 20)},
                                 {0.9, QColor(255, 220, 90)}, {1.0, QColor(255, 255, 220)}};
    heat = std::clamp(heat, 0.0, 1.0);
    for (size_t i = 1; i < std::size(stops); ++i)
        if (heat <= stops[i].at)
            return mix(stops[i - 1].colour, stops[i].colour,
                       (heat - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
    return stops[std::size(stops) - 1].colour;
}

void fire(QImage &image)
{
    const Noise warp(0xF12E0001, 48, 3);
    const Noise body(0xF12E0002, 40, 5);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            // Flames rise: the noise is stretched upwards and bent sideways by a second field.
            const double bend = (warp.at(x, y * 0.6) - 0.5) * 70.0;
            const double n = body.at(x * 1.5 + bend, y * 0.55 + bend * 0.5);
            const double rise = 0.25 * (static_cast<double>(y) / kHeight);
            const double heat = std::pow(std::clamp(n * 1.5 - 0.3 + rise, 0.0, 1.0), 1.4);
            image.setPixelColor(x, y, fireColour(heat));
        }
    }
}

// A star flare: glowing core, long horizontal and vertical spikes, shorter diagonal ones.
void flare(QPainter &p, QPointF at, double size)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.translate(at);
    QRadialGradient glow(QPointF(0, 0), size);
    glow.setColorAt(0.0, QColor(255, 255, 255, 255));
    glow.setColorAt(0.15, QColor(255, 250, 220, 230));
    glow.setColorAt(0.5, QColor(255, 210, 120, 70));
    glow.setColorAt(1.0, QColor(255, 160, 60, 0));
    p.setBrush(glow);
    p.drawEllipse(QPointF(0, 0), size, size);
    for (int i = 0; i < 8; ++i) {
        const double length = (i % 2 == 0 ? 2.6 : 1.2) * size;
        const double width = (i % 2 == 0 ? 0.07 : 0.05) * size;
        QPainterPath spike;
        spike.moveTo(0, -width);
        spike.lineTo(length, 0);
        spike.lineTo(0, width);
        spike.closeSubpath();
        QLinearGradient fade(QPointF(0, 0), QPointF(length, 0));
        fade.setColorAt(0.0, QColor(255, 255, 255, 255));
        fade.setColorAt(1.0, QColor(255, 240, 200, 0));
        p.save();
        p.rotate(45.0 * i);
        p.setBrush(fade);
        p.drawPath(spike);
        p.restore();
    }
    p.restore();
}

} // namespace

QImage crashPicture()
{
    QImage image = canvas(kWidth, kHeight, Qt::black);
    fire(image);

    QPainter p(&image);
    Random rnd(0xF12E0003);
    for (int i = 0; i < 40; ++i) { // sparks
        const QPointF at(rnd.uniform(0, kWidth), rnd.uniform(0, kHeight));
        p.setPen(QPen(QColor(255, 240, 180, rnd.below(120) + 120), rnd.uniform(0.8, 1.8)));
        p.drawPoint(at);
    }
    const QPointF flares[] = {{52, 50}, {276, 38}, {250, 196}, {34, 192}, {160, 214}, {300, 120}, {118, 24}, {20, 118}};
    const double sizes[] = {26, 20, 30, 16, 12, 14, 11, 12};
    for (size_t i = 0; i < std::size(flares); ++i)
        flare(p, flares[i], sizes[i]);

    // A smoky shadow band behind the word keeps the tiles clear of the flames.
    QLinearGradient band(0, 80, 0, 160);
    band.setColorAt(0.0, QColor(40, 0, 0, 0));
    band.setColorAt(0.5, QColor(40, 0, 0, 120));
    band.setColorAt(1.0, QColor(40, 0, 0, 0));
    p.fillRect(QRectF(0, 80, kWidth, 80), band);
    drawTileRow(p, QStringLiteral("CRASH!"), QPointF(kWidth / 2.0, 120.0), 44.0, 5.0,
                TileStyle{QColor(150, 154, 164), QColor(34, 34, 40)});
    p.end();
    return image;
}

} // namespace art
