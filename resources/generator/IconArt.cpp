// The program's icon: a light trail bent into a Z, its glowing head at the end of the last stroke.
// Small sizes are drawn pixel by pixel, larger ones as vector art with a glow.

#include "Art.h"
#include "ArtKit.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace art {

namespace {

const QColor kTileTop(34, 40, 78);
const QColor kTileBottom(6, 7, 16);
const QColor kTrailStart(196, 24, 12);
const QColor kTrailEnd(255, 150, 30);
const QColor kHead(255, 250, 220);

QColor trailColour(double along)
{
    return mix(kTrailStart, kTrailEnd, along);
}

// The rounded tile everything stands on.
void paintTile(QPainter &p, double size)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0.5, 0.5, size - 1.0, size - 1.0);
    const double radius = size * 0.19;
    QLinearGradient ground(0, 0, 0, size);
    ground.setColorAt(0.0, kTileTop);
    ground.setColorAt(1.0, kTileBottom);
    p.setPen(QPen(QColor(92, 104, 170), std::max(1.0, size / 64.0)));
    p.setBrush(ground);
    p.drawRoundedRect(box, radius, radius);
}

// Pixel sizes: the Z in whole pixels, two or three wide, with a dim halo one pixel around it.
QImage pixelIcon(int n)
{
    QImage big = canvas(n * 4, n * 4);
    {
        QPainter p(&big);
        p.scale(4, 4);
        paintTile(p, n);
    }
    QImage icon = downsample(big, 4);
    const int t = n <= 16 ? 2 : 3;
    const int m = n <= 16 ? 3 : 4;
    const int right = n - m; // one past the last column
    const int top = m;
    const int bottom = n - m; // one past the last row

    // The trail's pixels with their position along the path (0 at the start, 1 at the head).
    struct Dot
    {
        int x, y;
        double along;
    };
    std::vector<Dot> dots;
    const double length = 3.0 * (right - m);
    for (int x = m; x < right; ++x)
        for (int y = top; y < top + t; ++y)
            dots.push_back({x, y, (x - m) / length});
    const int rows = bottom - top - 2 * t;
    for (int i = 0; i <= rows; ++i) {
        const int y = top + t + i - (i == rows ? 1 : 0);
        const int x0 = right - t - static_cast<int>(std::lround(static_cast<double>(i) * (right - m - t) / rows));
        for (int x = x0; x < x0 + t; ++x)
            dots.push_back({x, y, (right - m + static_cast<double>(i) * (right - m) / rows) / length});
    }
    for (int x = m; x < right; ++x)
        for (int y = bottom - t; y < bottom; ++y)
            dots.push_back({x, y, (2.0 * (right - m) + (x - m)) / length});

    for (const Dot &d : dots)
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const QColor under = icon.pixelColor(d.x + dx, d.y + dy);
                icon.setPixelColor(d.x + dx, d.y + dy, mix(under, trailColour(d.along).darker(260), 0.55));
            }
    for (const Dot &d : dots)
        icon.setPixelColor(d.x, d.y, trailColour(d.along));
    for (int y = bottom - t; y < bottom; ++y)
        for (int x = right - 2; x < right; ++x)
            icon.setPixelColor(x, y, kHead);
    return icon;
}

// Vector sizes: the trail as a mitred wall of light with a bright core, a glow and a burning head.
QImage vectorIcon(int n)
{
    constexpr int ss = 4;
    const double s = n;
    QImage image = canvas(n * ss, n * ss);
    QPainter p(&image);
    p.scale(ss, ss);
    paintTile(p, s);

    // A receding floor grid on the tile, only where there is room for it.
    if (n >= 48) {
        p.save();
        QPainterPath clip;
        clip.addRoundedRect(QRectF(1, 1, s - 2, s - 2), s * 0.18, s * 0.18);
        p.setClipPath(clip);
        const QPointF vanish(s * 0.5, s * 0.42);
        QPen grid(QColor(70, 110, 255, 70), s / 160.0);
        p.setPen(grid);
        for (int i = -8; i <= 8; ++i)
            p.drawLine(vanish, QPointF(s * 0.5 + i * s * 0.16, s * 1.05));
        for (int i = 1; i <= 7; ++i) {
            const double y = s * 0.42 + s * 0.6 * std::pow(i / 7.0, 2.0);
            p.drawLine(QPointF(0, y), QPointF(s, y));
        }
        p.restore();
    }
    p.end();

    const double m = s * 0.22;
    const double w = std::max(3.0, s * 0.125);
    QPainterPath z;
    z.moveTo(m, m + w / 2);
    z.lineTo(s - m, m + w / 2);
    z.lineTo(m, s - m - w / 2);
    z.lineTo(s - m, s - m - w / 2);
    const QPointF head(s - m, s - m - w / 2);

    QImage light = canvas(n * ss, n * ss);
    QPainter lp(&light);
    lp.scale(ss, ss);
    lp.setRenderHint(QPainter::Antialiasing);
    QLinearGradient along(QPointF(m, m), head);
    along.setColorAt(0.0, kTrailStart);
    along.setColorAt(1.0, kTrailEnd);
    lp.setPen(QPen(QBrush(along), w, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    lp.drawPath(z);
    lp.setPen(QPen(QColor(255, 236, 190, 200), w * 0.28, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    lp.drawPath(z);
    QRadialGradient burn(head, w * 1.2);
    burn.setColorAt(0.0, kHead);
    burn.setColorAt(0.45, QColor(255, 214, 120, 230));
    burn.setColorAt(1.0, QColor(255, 120, 20, 0));
    lp.setPen(Qt::NoPen);
    lp.setBrush(burn);
    lp.drawEllipse(head, w * 1.2, w * 1.2);
    if (n >= 48) {
        // A four-pointed flare on the head.
        for (int turn = 0; turn < 4; ++turn) {
            QPainterPath ray;
            ray.moveTo(0, -w * 0.18);
            ray.lineTo(w * (turn % 2 == 0 ? 2.6 : 1.6), 0);
            ray.lineTo(0, w * 0.18);
            ray.closeSubpath();
            lp.save();
            lp.translate(head);
            lp.rotate(90.0 * turn);
            lp.setBrush(QColor(255, 246, 220, 230));
            lp.drawPath(ray);
            lp.restore();
        }
    }
    lp.end();

    addGlow(image, light, static_cast<int>(w * ss * 0.9), 0.9);
    QPainter op(&image);
    op.drawImage(0, 0, light);
    op.end();
    // The glow must not spill outside the rounded tile.
    QImage mask = canvas(n * ss, n * ss);
    QPainter mp(&mask);
    mp.scale(ss, ss);
    mp.setRenderHint(QPainter::Antialiasing);
    mp.setPen(Qt::NoPen);
    mp.setBrush(Qt::black);
    mp.drawRoundedRect(QRectF(0.0, 0.0, s, s), s * 0.19, s * 0.19);
    mp.end();
    QPainter cp(&image);
    cp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    cp.drawImage(0, 0, mask);
    cp.end();
    return downsample(image, ss);
}

} // namespace

QImage programIcon(int size)
{
    return size <= 24 ? pixelIcon(size) : vectorIcon(size);
}

} // namespace art
