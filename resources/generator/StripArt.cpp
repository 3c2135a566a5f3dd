// The digit and speed dial strips of the side panel displays.

#include "Art.h"
#include "ArtKit.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace art {

namespace {

struct DigitColours {
    QColor ground, edgeLight, unlit, litLeft, litRight;
};

DigitColours digitColours(Accent accent)
{
    if (accent == Accent::Orange)
        return {QColor(36, 17, 4), QColor(112, 60, 22), QColor(66, 31, 7), QColor(255, 196, 92),
            QColor(246, 132, 22)};
    return {QColor(2, 27, 33), QColor(26, 98, 110), QColor(8, 58, 68), QColor(170, 255, 255),
        QColor(36, 214, 236)};
}

// 3 x 5 patterns of the ten digits, top row first.
constexpr std::array<std::array<const char *, 5>, 10> digitDots{{
    {"###", "#.#", "#.#", "#.#", "###"},
    {".#.", "##.", ".#.", ".#.", "###"},
    {"###", "..#", "###", "#..", "###"},
    {"###", "..#", ".##", "..#", "###"},
    {"#.#", "#.#", "###", "..#", "..#"},
    {"###", "#..", "###", "..#", "###"},
    {"###", "#..", "###", "#.#", "###"},
    {"###", "..#", "..#", "..#", "..#"},
    {"###", "#.#", "###", "#.#", "###"},
    {"###", "#.#", "###", "..#", "###"},
}};

}  // namespace

QImage digitStrip(Accent accent)
{
    const DigitColours c = digitColours(accent);
    QImage strip = canvas(100, 11, c.ground);
    for (int k = 0; k < 10; ++k) {
        const int left = k * 10;
        // Cell frame: lit from the top left like the panel's own bevels.
        for (int i = 0; i < 10; ++i) {
            strip.setPixelColor(left + i, 0, c.edgeLight);
            strip.setPixelColor(left + i, 10, Qt::black);
        }
        for (int j = 0; j < 11; ++j) {
            strip.setPixelColor(left, j, j == 10 ? QColor(Qt::black) : c.edgeLight);
            strip.setPixelColor(left + 9, j, j == 0 ? c.edgeLight : QColor(Qt::black));
        }
        // The 3 x 5 matrix fills the 8 x 9 interior exactly: dots two pixels wide with one blank
        // column between them, one pixel high with one blank row between them.
        for (int row = 0; row < 5; ++row) {
            for (int col = 0; col < 3; ++col) {
                const bool lit =
                    digitDots[static_cast<size_t>(k)][static_cast<size_t>(row)][col] == '#';
                const int x = left + 1 + col * 3;
                const int y = 1 + row * 2;
                strip.setPixelColor(x, y, lit ? c.litLeft : c.unlit);
                strip.setPixelColor(x + 1, y, lit ? c.litRight : c.unlit);
            }
        }
    }
    return strip;
}

namespace {

struct DialColours {
    QColor faceLight, face, faceDark, needle, mark;
};

DialColours dialColours(Accent accent)
{
    if (accent == Accent::Orange)
        return {QColor(255, 222, 150), QColor(240, 136, 28), QColor(120, 46, 4), QColor(28, 12, 4),
            QColor(70, 28, 4)};
    return {QColor(210, 255, 255), QColor(34, 200, 224), QColor(0, 70, 92), QColor(2, 20, 28),
        QColor(0, 44, 58)};
}

// Needle angles in degrees clockwise from straight up. Cells 3, 5 and 7 must point exactly right,
// down and left; the others are spread evenly between those.
constexpr std::array<double, 10> needleAngles{0, 30, 60, 90, 135, 180, 225, 270, 300, 330};

// One dial drawn eight times larger than its 20 x 20 cell; the strip averages it down.
void paintDial(QPainter &p, const DialColours &c, double angle)
{
    constexpr double s = 8.0;
    const QPointF centre(10 * s, 10 * s);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    // Bezel: a metal ring lit from the top left.
    QLinearGradient bezel(centre + QPointF(-9.5 * s, -9.5 * s), centre + QPointF(9.5 * s, 9.5 * s));
    bezel.setColorAt(0.0, QColor(236, 236, 240));
    bezel.setColorAt(0.45, QColor(150, 152, 160));
    bezel.setColorAt(1.0, QColor(34, 34, 40));
    p.setBrush(bezel);
    p.drawEllipse(centre, 9.6 * s, 9.6 * s);
    QLinearGradient groove(centre + QPointF(-8 * s, -8 * s), centre + QPointF(8 * s, 8 * s));
    groove.setColorAt(0.0, QColor(30, 30, 34));
    groove.setColorAt(1.0, QColor(200, 200, 206));
    p.setBrush(groove);
    p.drawEllipse(centre, 8.3 * s, 8.3 * s);

    // Face: a lit dome in the player's colour.
    QRadialGradient face(centre + QPointF(-2.5 * s, -3 * s), 10.5 * s);
    face.setColorAt(0.0, c.faceLight);
    face.setColorAt(0.45, c.face);
    face.setColorAt(1.0, c.faceDark);
    p.setBrush(face);
    p.drawEllipse(centre, 7.6 * s, 7.6 * s);

    // Marks at top, right, bottom and left: two pixels wide, so they stay crisp after averaging.
    p.setBrush(c.mark);
    for (int quarter = 0; quarter < 4; ++quarter) {
        p.save();
        p.translate(centre);
        p.rotate(90.0 * quarter);
        p.drawRect(QRectF(-1 * s, -7.6 * s, 2 * s, 2.6 * s));
        p.restore();
    }

    // Needle: a tapered blade from the hub, with a short tail behind it.
    p.save();
    p.translate(centre);
    p.rotate(angle);
    QPainterPath needle;
    needle.moveTo(-1.05 * s, 1.6 * s);
    needle.lineTo(-0.9 * s, -3.0 * s);
    needle.lineTo(-0.5 * s, -6.6 * s);
    needle.lineTo(0.5 * s, -6.6 * s);
    needle.lineTo(0.9 * s, -3.0 * s);
    needle.lineTo(1.05 * s, 1.6 * s);
    needle.closeSubpath();
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawPath(needle.translated(0.6 * s, 0.6 * s));
    p.setBrush(c.needle);
    p.drawPath(needle);
    p.restore();

    QRadialGradient hub(centre + QPointF(-0.5 * s, -0.5 * s), 1.8 * s);
    hub.setColorAt(0.0, QColor(120, 120, 128));
    hub.setColorAt(1.0, c.needle);
    p.setBrush(hub);
    p.drawEllipse(centre, 1.5 * s, 1.5 * s);

    // Glass: a faint reflection over the upper left of the face.
    QPainterPath glass;
    glass.addEllipse(centre, 7.4 * s, 7.4 * s);
    QPainterPath cut;
    cut.addEllipse(centre + QPointF(1.6 * s, 2.2 * s), 7.6 * s, 7.6 * s);
    QLinearGradient shine(centre + QPointF(-6 * s, -6 * s), centre);
    shine.setColorAt(0.0, QColor(255, 255, 255, 120));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(shine);
    p.drawPath(glass.subtracted(cut));
}

}  // namespace

QImage dialStrip(Accent accent)
{
    const DialColours c = dialColours(accent);
    constexpr int scale = 8;
    QImage big = canvas(200 * scale, 20 * scale, Qt::black);
    QPainter p(&big);
    for (int k = 0; k < 10; ++k) {
        p.save();
        p.translate(k * 20 * scale, 0);
        paintDial(p, c, needleAngles[static_cast<size_t>(k)]);
        p.restore();
    }
    p.end();
    return downsample(big, scale);
}

}  // namespace art
