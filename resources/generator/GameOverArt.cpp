// The game-over picture, shown over the black field: "GAME OVER" in extruded sunset chrome above a
// receding grid floor, where a red and a blue light wall meet in a burst. Everything fades to black
// towards the picture's edges, so it sits on the field without a visible border.

#include "Art.h"
#include "ArtKit.h"
#include "PixelFont.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace art {

namespace {

constexpr int kWidth = 603;
constexpr int kHeight = 452;
constexpr double kHorizon = 262.0;
constexpr double kCentreX = kWidth / 2.0;

// Floor point (lateral x, depth z) to the picture.
QPointF floorPoint(double x, double z)
{
    return {kCentreX + x * 150.0 / z, kHorizon + 190.0 / z};
}

// A light wall standing on the floor from (x1, z1) to (x2, z2): a translucent sheet with bright
// edges. A flat quad stays flat in perspective, so one polygon is exact.
void lightWall(QPainter &p, QPointF from, QPointF to, QColor colour)
{
    constexpr double height = 0.11;
    const QPointF a0 = floorPoint(from.x(), from.y());
    const QPointF b0 = floorPoint(to.x(), to.y());
    const QPointF a1 = a0 - QPointF(0, height * 190.0 / from.y());
    const QPointF b1 = b0 - QPointF(0, height * 190.0 / to.y());
    QColor sheet = colour;
    sheet.setAlpha(170);
    p.setPen(Qt::NoPen);
    p.setBrush(sheet);
    p.drawPolygon(QPolygonF{a0, b0, b1, a1});
    p.setPen(QPen(mix(colour, Qt::white, 0.75), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(a1, b1);
    p.setPen(QPen(mix(colour, Qt::white, 0.4), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(a0, b0);
}

void floorGrid(QPainter &p)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = -24; i <= 24; ++i) {
        QLinearGradient fade(0, kHorizon, 0, kHeight);
        fade.setColorAt(0.0, QColor(90, 40, 200, 0));
        fade.setColorAt(1.0, QColor(90, 80, 255, 200));
        p.setPen(QPen(QBrush(fade), 1.1));
        p.drawLine(floorPoint(i * 0.5, 400.0), floorPoint(i * 0.5, 0.8));
    }
    for (int i = 0; i < 40; ++i) {
        const double z = 0.8 + i * 0.45;
        const double y = floorPoint(0, z).y();
        const int alpha = static_cast<int>(std::clamp((y - kHorizon) / (kHeight - kHorizon) * 2.2, 0.0, 1.0) * 190);
        p.setPen(QPen(QColor(110, 70, 255, alpha), 1.0));
        p.drawLine(QPointF(0, y), QPointF(kWidth, y));
    }
    // The horizon: a thin hot line with a soft haze above it.
    QLinearGradient haze(0, kHorizon - 40, 0, kHorizon);
    haze.setColorAt(0.0, QColor(255, 40, 140, 0));
    haze.setColorAt(1.0, QColor(255, 60, 160, 70));
    p.fillRect(QRectF(0, kHorizon - 40, kWidth, 40), haze);
    p.setPen(QPen(QColor(255, 150, 220), 1.4));
    p.drawLine(QPointF(0, kHorizon), QPointF(kWidth, kHorizon));
    p.restore();
}

// The crash where the walls meet: a white core, a ring of rays and flying sparks.
void burst(QPainter &p, QPointF at)
{
    Random rnd(0x6A3E0001);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient core(at, 70);
    core.setColorAt(0.0, QColor(255, 255, 255));
    core.setColorAt(0.12, QColor(255, 244, 200));
    core.setColorAt(0.35, QColor(255, 150, 40, 170));
    core.setColorAt(1.0, QColor(255, 60, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(core);
    p.drawEllipse(at, 70.0, 70.0);
    for (int i = 0; i < 26; ++i) {
        const double angle = rnd.uniform(0.0, 2.0 * std::numbers::pi);
        const double length = rnd.uniform(30.0, 95.0) * (std::abs(std::sin(angle)) < 0.35 ? 1.4 : 0.8);
        const QPointF dir(std::cos(angle), std::sin(angle) * 0.7);
        QPainterPath ray;
        const QPointF side(-dir.y() * 2.4, dir.x() * 2.4);
        ray.moveTo(at + side);
        ray.lineTo(at + dir * length);
        ray.lineTo(at - side);
        ray.closeSubpath();
        QLinearGradient g(at, at + dir * length);
        g.setColorAt(0.0, QColor(255, 250, 230, 230));
        g.setColorAt(1.0, QColor(255, 140, 40, 0));
        p.setBrush(g);
        p.drawPath(ray);
    }
    for (int i = 0; i < 70; ++i) {
        const double angle = rnd.uniform(0.0, 2.0 * std::numbers::pi);
        const double r0 = rnd.uniform(20.0, 80.0);
        const double r1 = r0 + rnd.uniform(4.0, 14.0);
        const QPointF dir(std::cos(angle), std::sin(angle) * 0.65);
        const QColor c = i % 3 == 0 ? QColor(255, 90, 60) : i % 3 == 1 ? QColor(110, 160, 255) : QColor(255, 230, 160);
        p.setPen(QPen(c, rnd.uniform(1.0, 2.0), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(at + dir * r0, at + dir * r1);
    }
    p.restore();
}

// One line of the title: extruded, faced with a sunset gradient split by a bright horizon line.
void chromeWord(QImage &image, const QString &word, QPointF centre, double size)
{
    QFont font = titleFont(static_cast<int>(size));
    font.setLetterSpacing(QFont::AbsoluteSpacing, size * 0.04);
    QPainterPath face = centredText(word, font, centre);
    QTransform lean;
    lean.translate(centre.x(), centre.y());
    lean.shear(-0.16, 0.0);
    lean.translate(-centre.x(), -centre.y());
    face = lean.map(face);
    const QRectF box = face.boundingRect();

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const int depth = static_cast<int>(std::lround(size * 0.12));
    for (int k = depth; k >= 1; --k) {
        const double t = static_cast<double>(k) / depth;
        p.setBrush(mix(QColor(120, 20, 90), QColor(20, 4, 30), t));
        p.drawPath(face.translated(k * 0.55, k * 0.75));
    }
    QLinearGradient sunset(0, box.top(), 0, box.bottom());
    sunset.setColorAt(0.0, QColor(255, 255, 236));
    sunset.setColorAt(0.25, QColor(255, 226, 110));
    sunset.setColorAt(0.5, QColor(255, 150, 40));
    sunset.setColorAt(0.52, QColor(120, 20, 60));
    sunset.setColorAt(0.56, QColor(255, 90, 60));
    sunset.setColorAt(1.0, QColor(255, 40, 130));
    p.setBrush(sunset);
    p.setPen(QPen(QColor(255, 246, 230), 1.6));
    p.drawPath(face);
    // A glint on the upper rim of each letter.
    p.setClipPath(face);
    p.setPen(QPen(QColor(255, 255, 255, 170), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(face.translated(1.5, 2.0));
}

// Multiplies the picture by a mask that falls to black within `margin` of each edge.
void fadeEdges(QImage &image, double margin)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const double d = std::min(
                {static_cast<double>(x), static_cast<double>(y), image.width() - 1.0 - x, image.height() - 1.0 - y});
            if (d >= margin)
                continue;
            const double t = d / margin;
            const double f = t * t * (3.0 - 2.0 * t);
            const QColor c = image.pixelColor(x, y);
            image.setPixelColor(
                x, y,
                QColor(static_cast<int>(c.red() * f), static_cast<int>(c.green() * f), static_cast<int>(c.blue() * f)));
        }
    }
}

// A dark band across the picture, densest in the middle and fading out towards both ends and
// edges, so that a title laid over the busy floor grid stays readable.
void shadeBand(QImage &image, double density)
{
    for (int y = 0; y < image.height(); ++y) {
        const double v = 1.0 - std::pow(std::abs(y - image.height() / 2.0) / (image.height() / 2.0), 4.0);
        for (int x = 0; x < image.width(); ++x) {
            const double u = 1.0 - std::pow(std::abs(x - image.width() / 2.0) / (image.width() / 2.0), 6.0);
            image.setPixelColor(x, y, QColor(0, 0, 0, static_cast<int>(255 * density * u * v)));
        }
    }
}

} // namespace

QImage winnerBanner(const QString &title)
{
    QImage image = canvas(kWidth, 72);
    shadeBand(image, 0.78);
    QImage word = canvas(kWidth, 72);
    chromeWord(word, title, QPointF(kCentreX, 34), 44);
    addGlow(image, word, 10, 0.6);
    QPainter p(&image);
    p.drawImage(0, 0, word);
    return image;
}

QImage startHint()
{
    // Three lines in the panel's block letters, doubled so that every dot is a crisp square:
    // a lit key cap with the key's name, then the command it starts.
    struct Line
    {
        const char *key;
        const char *command;
        QColor colour;
    };
    const Line lines[] = {{"F1", "1 PLAYER", QColor(255, 184, 72)},
                          {"F2", "2 PLAYERS", QColor(150, 250, 255)},
                          {"F3", "AGAINST THE COMPUTER", QColor(255, 240, 120)}};
    constexpr int scale = 2;
    constexpr int lineHeight = 16;
    constexpr int capWidth = 17;
    const int textWidth = capWidth + 6 + pixelTextWidth(QStringLiteral("AGAINST THE COMPUTER"), PixelFont::Large);
    const int small = 6 + textWidth + 6;
    QImage dots = canvas(small, 6 + 3 * lineHeight + 2);
    QImage light = canvas(small, dots.height());
    for (int i = 0; i < 3; ++i) {
        const Line &line = lines[i];
        const int top = 6 + i * lineHeight;
        // The key cap: a dim rounded box with the key's name lit inside it.
        for (int y = top - 3; y <= top + 9; ++y)
            for (int x = 6; x < 6 + capWidth; ++x) {
                const bool corner = (y == top - 3 || y == top + 9) && (x == 6 || x == 5 + capWidth);
                if (!corner)
                    dots.setPixelColor(x, y, y == top + 9 ? QColor(20, 20, 26) : QColor(52, 56, 68));
            }
        const QString key = QString::fromLatin1(line.key);
        const int keyLeft = 6 + (capWidth - pixelTextWidth(key, PixelFont::Large)) / 2;
        drawPixelText(dots, keyLeft, top, key, PixelFont::Large, QColor(240, 240, 248));
        const QString command = QString::fromLatin1(line.command);
        drawPixelText(light, 6 + capWidth + 6, top, command, PixelFont::Large, line.colour.darker(160));
        drawPixelText(dots, 6 + capWidth + 6, top, command, PixelFont::Large, line.colour);
    }
    QImage band = canvas(kWidth, 120);
    shadeBand(band, 0.7);
    QImage big = dots.scaled(dots.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QImage bigLight = canvas(kWidth, band.height());
    const QPoint at((kWidth - big.width()) / 2, (band.height() - big.height()) / 2);
    {
        QPainter p(&bigLight);
        p.drawImage(at, light.scaled(light.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
    addGlow(band, bigLight, 5, 1.0);
    QPainter p(&band);
    p.drawImage(at, big);
    return band;
}

QImage gameOverPicture()
{
    QImage image = canvas(kWidth, kHeight, Qt::black);
    QImage light = canvas(kWidth, kHeight);
    {
        QPainter p(&image);
        floorGrid(p);
        p.end();
        QPainter lp(&light);
        lp.setRenderHint(QPainter::Antialiasing);
        const QPointF crash(0.0, 5.0);
        lightWall(lp, QPointF(-1.7, 0.8), QPointF(-1.7, 5.0), QColor(255, 30, 20));
        lightWall(lp, QPointF(-1.7, 5.0), QPointF(-0.12, 5.0), QColor(255, 30, 20));
        lightWall(lp, QPointF(2.1, 0.8), QPointF(2.1, 5.0), QColor(40, 80, 255));
        lightWall(lp, QPointF(2.1, 5.0), QPointF(0.12, 5.0), QColor(40, 80, 255));
        burst(lp, floorPoint(crash.x(), crash.y()) - QPointF(0, 6));
    }
    addGlow(image, light, 14, 1.1);
    {
        QPainter p(&image);
        p.drawImage(0, 0, light);
    }

    QImage title = canvas(kWidth, kHeight);
    chromeWord(title, QStringLiteral("GAME"), QPointF(kCentreX - 6, 86), 118);
    chromeWord(title, QStringLiteral("OVER"), QPointF(kCentreX + 6, 194), 118);
    QImage titleGlow = title;
    addGlow(image, titleGlow, 22, 0.55);
    {
        QPainter p(&image);
        p.drawImage(0, 0, title);
    }
    fadeEdges(image, 36.0);
    return image;
}

} // namespace art
