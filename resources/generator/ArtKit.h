#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QString>

#include <cstdint>

// Small drawing tools shared by every picture of the generator.
namespace art {

// The generator must rewrite byte-identical files on every run and every machine, so it uses its
// own generator (splitmix64) instead of the standard distributions, whose results differ between
// standard libraries.
class Random
{
public:
    explicit Random(std::uint64_t seed)
        : state_(seed)
    {
    }
    std::uint64_t next();
    double uniform();                     // [0, 1)
    double uniform(double lo, double hi); // [lo, hi)
    int below(int n);                     // 0 .. n - 1, n > 0
    double gauss();                       // standard normal (sum of uniforms, good enough for art)

private:
    std::uint64_t state_;
};

// An empty picture of the given size, filled with one colour, ready for QPainter.
QImage canvas(int width, int height, QColor fill = Qt::transparent);

// Linear mix of two colours (t = 0 gives a, t = 1 gives b), alpha included.
QColor mix(QColor a, QColor b, double t);

// Colour from hue in turns (0..1, wraps), saturation and value 0..1.
QColor hsv(double hue, double saturation, double value);

// Three box passes, close to a gaussian of the given radius. Works on premultiplied pixels.
void blur(QImage &image, int radius);

// Adds a blurred copy of `light` to `target` (additive), `strength` scales the glow.
void addGlow(QImage &target, const QImage &light, int radius, double strength);

// Averages factor x factor blocks: pictures drawn large and brought down this way get clean
// antialiased edges, also for thin lines that QPainter would place unevenly.
QImage downsample(const QImage &big, int factor);

// The bold face used on letter tiles and big titles. Fails loudly when the font is missing, since a
// substitute face would silently change the committed pictures.
QFont titleFont(int pixelSize);

// The outline of a text, centred on `centre`, at the font's size.
QPainterPath centredText(const QString &text, const QFont &font, QPointF centre);

// A value noise field in 0..1 with smooth interpolation, tileable in neither direction; `octaves`
// layers of halving size, starting at cells of `cell` pixels.
class Noise
{
public:
    Noise(std::uint64_t seed, int cell, int octaves);
    double at(double x, double y) const;

private:
    double layer(double x, double y, int size, std::uint64_t salt) const;
    std::uint64_t seed_;
    int cell_;
    int octaves_;
};

} // namespace art
