// The side panel behind the eight displays: brushed dark metal, one raised plate per player with
// captions in the player's colour, recessed wells where the displays sit (seen between games, when
// the displays are hidden), and the game's emblem over a speaker grille below.

#include "Art.h"
#include "ArtKit.h"
#include "PixelFont.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace art {

namespace {

constexpr int kWidth = 92;
constexpr int kHeight = 552;

// Where the displays of one player sit, relative to the player's first display row (the speed
// dial's top). Player 1 starts at 40, player 2 at 216. The jump display is 17 high once the game
// runs.
struct PlayerLayout
{
    int top;
    QRect speed() const { return {30, top, 25, 32}; }
    QRect score() const { return {12, top + 40, 67, 25}; }
    QRect cycles() const { return {12, top + 72, 65, 21}; }
    QRect jumps() const { return {24, top + (top == 40 ? 104 : 96), 40, 17}; }
};

struct AccentColours
{
    QColor bright, mid, dim;
};

AccentColours accentColours(Accent accent)
{
    if (accent == Accent::Orange)
        return {QColor(255, 184, 72), QColor(230, 112, 20), QColor(110, 48, 10)};
    return {QColor(150, 250, 255), QColor(30, 196, 228), QColor(10, 80, 100)};
}

// Brushed metal: fine vertical streaks over a soft horizontal shading.
void brushedMetal(QImage &image, QRect area, QColor base, std::uint64_t seed)
{
    Random rnd(seed);
    std::vector<double> streak(static_cast<size_t>(area.width()));
    for (double &s : streak)
        s = rnd.uniform(-1.0, 1.0);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const double u = static_cast<double>(x - area.left()) / std::max(1, area.width() - 1);
            const double shade = 0.82 + 0.3 * std::exp(-std::pow((u - 0.3) / 0.35, 2.0));
            const double grain = streak[static_cast<size_t>(x - area.left())] * 0.05 + rnd.uniform(-0.025, 0.025);
            const double f = shade + grain;
            image.setPixelColor(x, y,
                                QColor(std::clamp(static_cast<int>(base.red() * f), 0, 255),
                                       std::clamp(static_cast<int>(base.green() * f), 0, 255),
                                       std::clamp(static_cast<int>(base.blue() * f), 0, 255)));
        }
    }
}

void bevel(QImage &image, QRect r, QColor light, QColor dark)
{
    for (int x = r.left(); x <= r.right(); ++x) {
        image.setPixelColor(x, r.top(), light);
        image.setPixelColor(x, r.bottom(), dark);
    }
    for (int y = r.top(); y <= r.bottom(); ++y) {
        image.setPixelColor(r.left(), y, y == r.bottom() ? dark : light);
        image.setPixelColor(r.right(), y, y == r.top() ? light : dark);
    }
}

// A raised plate with a screw in each corner.
void plate(QImage &image, QRect r, std::uint64_t seed)
{
    brushedMetal(image, r, QColor(62, 66, 78), seed);
    bevel(image, r, QColor(150, 156, 174), QColor(12, 12, 16));
    bevel(image, r.adjusted(1, 1, -1, -1), QColor(98, 102, 118), QColor(34, 36, 44));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (const QPointF c : {QPointF(r.left() + 5.5, r.top() + 5.5), QPointF(r.right() - 4.5, r.top() + 5.5),
                            QPointF(r.left() + 5.5, r.bottom() - 4.5), QPointF(r.right() - 4.5, r.bottom() - 4.5)}) {
        QRadialGradient head(c + QPointF(-0.8, -0.8), 3.2);
        head.setColorAt(0.0, QColor(214, 218, 228));
        head.setColorAt(1.0, QColor(60, 62, 72));
        p.setPen(QPen(QColor(16, 16, 20), 0.8));
        p.setBrush(head);
        p.drawEllipse(c, 2.3, 2.3);
        p.setPen(QPen(QColor(30, 30, 36), 0.9));
        p.drawLine(c + QPointF(-1.5, 1.5), c + QPointF(1.5, -1.5));
    }
}

// A recessed well exactly where a display sits: the display covers it while a game runs.
void well(QImage &image, QRect r, const AccentColours &a)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            image.setPixelColor(x, y, mix(QColor(4, 4, 6), a.dim, 0.12 * (r.bottom() - y) / std::max(1, r.height())));
    bevel(image, r, QColor(0, 0, 0), QColor(132, 138, 156));
    bevel(image, r.adjusted(1, 1, -1, -1), QColor(14, 14, 18), QColor(44, 46, 54));
}

// Caption centred on `centreX`, with thin rules reaching out to `from` and `to` on either side.
void caption(QImage &image, const QString &text, int centreX, int top, int from, int to, const AccentColours &a)
{
    const int w = pixelTextWidth(text, PixelFont::Small);
    const int left = centreX - w / 2;
    drawPixelText(image, left + 1, top + 1, text, PixelFont::Small, QColor(10, 10, 14));
    drawPixelText(image, left, top, text, PixelFont::Small, a.bright);
    for (int x = from; x < left - 2; ++x)
        image.setPixelColor(x, top + 2, a.dim);
    for (int x = left + w + 2; x <= to; ++x)
        image.setPixelColor(x, top + 2, a.dim);
}

// The lit name plate at the top of a player's plate: "PLAYER n" on a dark glass strip.
void namePlate(QImage &image, QRect r, const QString &text, const AccentColours &a)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            image.setPixelColor(x, y, mix(QColor(6, 6, 8), a.dim, 0.35 * (1.0 - std::abs(y - r.center().y()) / 8.0)));
    bevel(image, r, QColor(8, 8, 10), QColor(140, 146, 164));
    QImage light = canvas(kWidth, kHeight);
    const int w = pixelTextWidth(text, PixelFont::Large);
    const int left = r.left() + (r.width() - w) / 2;
    const int top = r.top() + (r.height() - 7) / 2;
    drawPixelText(light, left, top, text, PixelFont::Large, a.mid);
    addGlow(image, light, 4, 0.9);
    drawPixelText(image, left, top, text, PixelFont::Large, a.bright);
}

void playerPlate(QImage &image, QRect r, const PlayerLayout &l, const QString &name, const AccentColours &a,
                 std::uint64_t seed)
{
    plate(image, r, seed);
    namePlate(image, QRect(17, r.top() + 6, 58, 13), name, a);
    // Accent light strips on both sides of the name plate.
    for (int y = r.top() + 9; y <= r.top() + 15; ++y) {
        for (int x : {12, 13, 78, 79})
            image.setPixelColor(x, y, (x == 12 || x == 79) ? a.mid : a.bright);
    }

    const QRect speed = l.speed();
    caption(image, QStringLiteral("SPEED"), speed.center().x() + 1, speed.top() - 7, 14, 77, a);
    well(image, speed, a);
    // A short column of lamps either side of the dial, lit from the bottom up.
    for (int i = 0; i < 4; ++i) {
        const QColor lamp = mix(a.dim, a.bright, i / 3.0);
        const int y = speed.bottom() - 7 - i * 6;
        for (int x : {speed.left() - 7, speed.right() + 6}) {
            image.setPixelColor(x, y, lamp);
            image.setPixelColor(x + 1, y, lamp);
            image.setPixelColor(x, y + 1, lamp.darker(130));
            image.setPixelColor(x + 1, y + 1, lamp.darker(130));
            image.setPixelColor(x + 2, y + 1, QColor(10, 10, 14));
            image.setPixelColor(x + 1, y + 2, QColor(10, 10, 14));
            image.setPixelColor(x + 2, y + 2, QColor(10, 10, 14));
            image.setPixelColor(x, y + 2, QColor(10, 10, 14));
        }
    }

    const QRect score = l.score();
    caption(image, QStringLiteral("SCORE"), score.center().x() + 1, score.top() - 6, score.left() + 1,
            score.right() - 1, a);
    well(image, score, a);

    const QRect cycles = l.cycles();
    caption(image, QStringLiteral("CYCLES"), cycles.center().x() + 1, cycles.top() - 6, cycles.left() + 1,
            cycles.right() - 1, a);
    well(image, cycles, a);

    const QRect jumps = l.jumps();
    const int captionTop = jumps.center().y() - 2;
    drawPixelText(image, 8, captionTop + 1, QStringLiteral("JETS"), PixelFont::Small, QColor(10, 10, 14));
    drawPixelText(image, 7, captionTop, QStringLiteral("JETS"), PixelFont::Small, a.bright);
    well(image, jumps, a);
    // Three jet chevrons on the right of the jump count.
    for (int i = 0; i < 3; ++i)
        for (int d = 0; d < 3; ++d) {
            const QColor c = mix(a.dim, a.bright, i / 2.0);
            image.setPixelColor(jumps.right() + 5 + i * 4 + d, captionTop + d, c);
            image.setPixelColor(jumps.right() + 5 + i * 4 + d, captionTop + 4 - d, c);
        }
}

// The emblem plate: the icon as a badge, the name in chrome, the numeral in both players' colours
// and a speaker grille.
void emblemPlate(QImage &image, QRect r)
{
    plate(image, r, 0xC0FFEE03);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const int badge = 56;
    const QImage icon = programIcon(badge);
    const QPoint at(r.center().x() - badge / 2 + 1, r.top() + 14);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawRoundedRect(QRectF(at.x() + 2, at.y() + 3, badge, badge), badge * 0.19, badge * 0.19);
    p.drawImage(at, icon);

    // The name, narrowed to fit the plate.
    const QPointF nameCentre(r.center().x() + 1, at.y() + badge + 17);
    QTransform narrow;
    narrow.translate(nameCentre.x(), nameCentre.y());
    narrow.scale(0.84, 1.0);
    narrow.translate(-nameCentre.x(), -nameCentre.y());
    const QPainterPath name = narrow.map(centredText(QStringLiteral("ZANDRIX"), titleFont(15), nameCentre));
    QLinearGradient chrome(0, name.boundingRect().top(), 0, name.boundingRect().bottom());
    chrome.setColorAt(0.0, QColor(250, 252, 255));
    chrome.setColorAt(0.48, QColor(150, 160, 184));
    chrome.setColorAt(0.52, QColor(60, 64, 84));
    chrome.setColorAt(1.0, QColor(200, 210, 232));
    p.setPen(QPen(QColor(8, 8, 12), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(name.translated(0.8, 0.8));
    p.setPen(Qt::NoPen);
    p.setBrush(chrome);
    p.drawPath(name);

    // "II": one bar in each player's colour.
    const double barTop = at.y() + badge + 29;
    const AccentColours orange = accentColours(Accent::Orange);
    const AccentColours cyan = accentColours(Accent::Cyan);
    int i = 0;
    for (const AccentColours &a : {orange, cyan}) {
        const QRectF bar(r.center().x() - 9 + i * 11, barTop, 8, 24);
        QLinearGradient g(bar.topLeft(), bar.topRight());
        g.setColorAt(0.0, a.bright);
        g.setColorAt(1.0, a.mid);
        p.setBrush(QColor(0, 0, 0, 140));
        p.drawRect(bar.translated(1.5, 1.5));
        p.setBrush(g);
        p.drawRect(bar);
        p.setBrush(QColor(255, 255, 255, 90));
        p.drawRect(QRectF(bar.left(), bar.top(), bar.width(), 1.5));
        ++i;
    }
    p.end();

    // Speaker grille: rows of punched holes.
    const int grilleTop = static_cast<int>(barTop) + 38;
    for (int row = 0; grilleTop + row * 6 + 4 < r.bottom() - 8; ++row) {
        const int y = grilleTop + row * 6;
        const int offset = row % 2 == 0 ? 0 : 3;
        for (int x = r.left() + 12 + offset; x + 3 < r.right() - 10; x += 6) {
            image.setPixelColor(x, y, QColor(6, 6, 8));
            image.setPixelColor(x + 1, y, QColor(6, 6, 8));
            image.setPixelColor(x, y + 1, QColor(6, 6, 8));
            image.setPixelColor(x + 1, y + 1, QColor(20, 20, 26));
            image.setPixelColor(x + 2, y + 1, QColor(120, 126, 144));
            image.setPixelColor(x + 1, y + 2, QColor(120, 126, 144));
        }
    }
}

// The plate that takes the emblem's place while a replay is watched: what is shown (round, game
// time, speed), the groove of the position, and a window for the crash message. The values are
// drawn over the wells by the program.
void replayPlate(QImage &image, QRect r)
{
    const AccentColours a = accentColours(Accent::Orange);
    plate(image, r, 0xC0FFEE04);
    namePlate(image, QRect(17, r.top() + 6, 58, 13), QStringLiteral("REPLAY"), a);
    struct Well
    {
        const char *caption;
        int top;
    };
    for (const Well w : {Well{"ROUND", r.top() + 33}, Well{"TIME", r.top() + 62}, Well{"SPEED", r.top() + 91}}) {
        const QRect place(12, w.top, 67, 16);
        caption(image, QLatin1String(w.caption), place.center().x() + 1, place.top() - 6, place.left() + 1,
                place.right() - 1, a);
        well(image, place, a);
    }
    // The groove of the position, and the window for the crash message below it.
    well(image, QRect(9, r.top() + 115, 74, 8), a);
    well(image, QRect(9, r.top() + 129, 74, r.height() - 137), a);
}

} // namespace

QImage sidePanel(const QString &secondName)
{
    QImage image = canvas(kWidth, kHeight, Qt::black);
    brushedMetal(image, image.rect(), QColor(34, 36, 44), 0xC0FFEE00);
    // The edge against the field: a dark seam, then a lit rim.
    for (int y = 0; y < kHeight; ++y) {
        image.setPixelColor(0, y, QColor(6, 6, 8));
        image.setPixelColor(1, y, QColor(120, 126, 146));
        image.setPixelColor(kWidth - 1, y, QColor(6, 6, 8));
    }

    playerPlate(image, QRect(3, 3, 86, 170), PlayerLayout{40}, QStringLiteral("PLAYER 1"),
                accentColours(Accent::Orange), 0xC0FFEE01);
    playerPlate(image, QRect(3, 179, 86, 162), PlayerLayout{216}, secondName, accentColours(Accent::Cyan), 0xC0FFEE02);
    emblemPlate(image, QRect(3, 347, 86, 202));
    return image;
}

QImage replayPanel()
{
    // The side panel's lower part, from the seam between the plates down.
    QImage whole = canvas(kWidth, kHeight, Qt::black);
    brushedMetal(whole, whole.rect(), QColor(34, 36, 44), 0xC0FFEE00);
    for (int y = 0; y < kHeight; ++y) {
        whole.setPixelColor(0, y, QColor(6, 6, 8));
        whole.setPixelColor(1, y, QColor(120, 126, 146));
        whole.setPixelColor(kWidth - 1, y, QColor(6, 6, 8));
    }
    replayPlate(whole, QRect(3, 347, 86, 202));
    return whole.copy(0, ReplayPanelTop, kWidth, kHeight - ReplayPanelTop);
}

} // namespace art
