// The digit and speed dial strips of the side panel displays.

#include "Art.h"
#include "ArtKit.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <string>

namespace art {

namespace {

struct DigitColours
{
    QColor ground;    // the display's glass behind the digits
    QColor glow;      // the faint bloom a lit stroke throws onto the glass
    QColor litTop;    // strokes shade from a hot top ...
    QColor litBottom; // ... to the player's colour at the foot
};

// Close to the panel's caption colours, so a score matches its player's plate. The foot of a
// stroke, its darkest lit part, still stands out from the glow by more than 4.5 : 1.
DigitColours digitColours(Accent accent)
{
    if (accent == Accent::Orange)
        return {QColor(30, 13, 3), QColor(58, 24, 5), QColor(255, 214, 128), QColor(242, 118, 18)};
    return {QColor(2, 22, 28), QColor(6, 48, 58), QColor(190, 252, 255), QColor(26, 188, 222)};
}

constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 11;

// The ten digits as solid 2-pixel strokes, 8 x 11, top row first. The waist sits at rows 4-5, so
// the upper bowls (3, 8, 9) are a row smaller than the lower ones, as in printed figures; round
// figures lose their outer corner pixels, 5 keeps a square shoulder so that it never reads as 6,
// and 1 has a flag and a foot so that it is as wide as the others. Every figure is one connected
// piece that fills the cell, so a row of them reads at 1x without the eye having to join dots.
constexpr std::array<const char *, kGlyphHeight> digitRows{
    ".######. ..###... .######. .######. ##....## ######## .######. ######## .######. .######.",
    "######## .####... ######## ######## ##....## ######## ######## ######## ######## ########",
    "##....## ##.##... ##....## ##....## ##....## ##...... ##...... ......## ##....## ##....##",
    "##....## ...##... ......## ......## ##....## ##...... ##...... ......## ##....## ##....##",
    "##....## ...##... .####### ..#####. ######## #######. #######. .....##. .######. ########",
    "##....## ...##... #######. ..###### ######## ######## ######## ....##.. ######## .#######",
    "##....## ...##... ##...... ......## ......## ......## ##....## ...##... ##....## ......##",
    "##....## ...##... ##...... ......## ......## ......## ##....## ...##... ##....## ......##",
    "##....## ...##... ##...... ##....## ......## ##....## ##....## ...##... ##....## ##....##",
    "######## .######. ######## ######## ......## ######## ######## ...##... ######## ########",
    ".######. .######. ######## .######. ......## .######. .######. ...##... .######. .######.",
};

constexpr bool rowsHoldTenFigures()
{
    for (const char *row : digitRows)
        if (std::char_traits<char>::length(row) != 10 * (kGlyphWidth + 1) - 1)
            return false;
    return true;
}
static_assert(rowsHoldTenFigures());

bool glyphLit(int digit, int x, int y)
{
    if (x < 0 || x >= kGlyphWidth || y < 0 || y >= kGlyphHeight)
        return false;
    return digitRows[static_cast<size_t>(y)][digit * (kGlyphWidth + 1) + x] == '#';
}

} // namespace

QImage digitStrip(Accent accent)
{
    const DigitColours c = digitColours(accent);
    QImage strip = canvas(100, 11, Qt::black);
    for (int k = 0; k < 10; ++k) {
        const int left = k * 10;
        // The figure stands in columns 1 to 8 on the glass; column 0 (glass) and the black
        // column 9 space it from its neighbours. Column 9 is black in every cell, so a strip
        // shifted against its cells shows at once.
        for (int y = 0; y < 11; ++y)
            strip.setPixelColor(left, y, c.ground);
        for (int y = 0; y < kGlyphHeight; ++y) {
            for (int x = 0; x < kGlyphWidth; ++x) {
                QColor colour = c.ground;
                if (glyphLit(k, x, y)) {
                    const double depth = static_cast<double>(y) / (kGlyphHeight - 1);
                    colour = mix(c.litTop, c.litBottom, depth);
                } else if (glyphLit(k, x - 1, y) || glyphLit(k, x + 1, y) || glyphLit(k, x, y - 1)
                           || glyphLit(k, x, y + 1)) {
                    // The bloom stays inside the figure's box, softening its cut corners and
                    // counters without widening it towards its neighbours.
                    colour = c.glow;
                }
                strip.setPixelColor(left + 1 + x, y, colour);
            }
        }
    }
    return strip;
}

namespace {

struct DialColours
{
    QColor faceLight, face, faceDark, needle, mark;
};

DialColours dialColours(Accent accent)
{
    if (accent == Accent::Orange)
        return {QColor(255, 222, 150), QColor(240, 136, 28), QColor(120, 46, 4), QColor(28, 12, 4), QColor(70, 28, 4)};
    return {QColor(210, 255, 255), QColor(34, 200, 224), QColor(0, 70, 92), QColor(2, 20, 28), QColor(0, 44, 58)};
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

} // namespace

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

} // namespace art
