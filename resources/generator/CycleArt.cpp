// The cycles-left strip: three small cycles with their riders per cell, lost ones dimmed and
// crossed out. Pixel art: at nine pixels high every dot has to be placed by hand.

#include "Art.h"
#include "ArtKit.h"

#include <array>

namespace art {

namespace {

// One cycle facing right, 18 x 9. H helmet, V visor, P rider, L/B/D hull light/base/dark,
// R wheel rim, h hub; '.' shows the black ground.
// clang-format off
constexpr std::array<const char *, 9> kCycle{
    "..........HHH.....",
    ".........HHHVV....",
    ".......PPPP..L....",
    "...LLLLPPPBBLLL...",
    ".RRRRBBBBBBBBRRRR.",
    "R....RDDDDDDR....R",
    "R.hh.R......R.hh.R",
    "R....R......R....R",
    ".RRRR........RRRR.",
};
// clang-format on

struct CycleColours
{
    QColor helmet, visor, rider, hullLight, hull, hullDark, rim, hub;
};

// Cells 0-3 belong to player 2 (steel grey, cyan glow), cells 4-7 to player 1 (brown, orange glow),
// cells 8-9 are spare green ones.
const CycleColours kGrey{QColor(236, 240, 248), QColor(90, 220, 255), QColor(88, 94, 110),  QColor(214, 220, 232),
                         QColor(146, 154, 170), QColor(74, 80, 94),   QColor(64, 196, 255), QColor(210, 240, 255)};
const CycleColours kBrown{QColor(250, 228, 200), QColor(255, 176, 60), QColor(104, 58, 28),  QColor(226, 176, 120),
                          QColor(168, 104, 52),  QColor(96, 54, 24),   QColor(255, 142, 32), QColor(255, 226, 180)};
const CycleColours kGreen{QColor(228, 255, 220), QColor(170, 255, 120), QColor(40, 104, 44),  QColor(170, 240, 150),
                          QColor(72, 182, 70),   QColor(32, 98, 36),    QColor(110, 255, 90), QColor(230, 255, 210)};

QColor colourOf(char code, const CycleColours &c)
{
    switch (code) {
    case 'H': return c.helmet;
    case 'V': return c.visor;
    case 'P': return c.rider;
    case 'L': return c.hullLight;
    case 'B': return c.hull;
    case 'D': return c.hullDark;
    case 'R': return c.rim;
    case 'h': return c.hub;
    default: return Qt::black;
    }
}

QColor dimmed(QColor c)
{
    return QColor(c.red() * 2 / 5, c.green() * 2 / 5, c.blue() * 2 / 5);
}

void drawCycle(QImage &strip, int left, const CycleColours &c, bool lost)
{
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 18; ++x) {
            const char code = kCycle[static_cast<size_t>(y)][x];
            if (code != '.')
                strip.setPixelColor(left + x, y, lost ? dimmed(colourOf(code, c)) : colourOf(code, c));
        }
    }
}

// A red cross, two pixels thick, over the middle of a lost cycle.
void drawCross(QImage &strip, int left)
{
    const QColor red(255, 36, 24);
    const QColor edge(150, 8, 4);
    for (int y = 0; y < 9; ++y) {
        for (int dx : {y, 8 - y}) {
            const int x = left + 4 + dx;
            strip.setPixelColor(x, y, red);
            strip.setPixelColor(x + 1, y, red);
        }
    }
    // Darker ends soften the stair steps where the strokes leave the cycle.
    for (int x : {left + 4, left + 13})
        for (int y : {0, 8})
            strip.setPixelColor(x, y, edge);
}

} // namespace

QImage cycleStrip()
{
    QImage strip = canvas(600, 9, Qt::black);
    for (int cell = 0; cell < 10; ++cell) {
        const CycleColours &colours = cell < 4 ? kGrey : cell < 8 ? kBrown : kGreen;
        const int whole = cell < 4 ? cell : cell < 8 ? cell - 4 : 3;
        for (int i = 0; i < 3; ++i) {
            const int left = cell * 60 + 2 + i * 19;
            drawCycle(strip, left, colours, i >= whole);
            if (i >= whole)
                drawCross(strip, left);
        }
    }
    return strip;
}

} // namespace art
