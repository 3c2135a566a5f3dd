#include "ArtKit.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace art {

std::uint64_t Random::next()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double Random::uniform()
{
    return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0);
}

double Random::uniform(double lo, double hi)
{
    return lo + (hi - lo) * uniform();
}

int Random::below(int n)
{
    return static_cast<int>(next() % static_cast<std::uint64_t>(n));
}

double Random::gauss()
{
    double sum = 0.0;
    for (int i = 0; i < 6; ++i)
        sum += uniform();
    return (sum - 3.0) * std::sqrt(2.0);
}

QImage canvas(int width, int height, QColor fill)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

QColor mix(QColor a, QColor b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    auto lerp = [t](double x, double y) { return x + (y - x) * t; };
    QColor c;
    c.setRgbF(static_cast<float>(lerp(a.redF(), b.redF())), static_cast<float>(lerp(a.greenF(), b.greenF())),
              static_cast<float>(lerp(a.blueF(), b.blueF())), static_cast<float>(lerp(a.alphaF(), b.alphaF())));
    return c;
}

QColor hsv(double hue, double saturation, double value)
{
    hue -= std::floor(hue);
    QColor c;
    c.setHsvF(static_cast<float>(hue), static_cast<float>(std::clamp(saturation, 0.0, 1.0)),
              static_cast<float>(std::clamp(value, 0.0, 1.0)));
    return c;
}

namespace {

// One horizontal box pass over four premultiplied channels, then the same vertically by transposing
// the index arithmetic.
void boxPass(std::vector<double> &ch, int w, int h, int r, bool horizontal)
{
    const int len = horizontal ? w : h;
    const int lines = horizontal ? h : w;
    std::vector<double> line(static_cast<size_t>(len));
    for (int l = 0; l < lines; ++l) {
        for (int c = 0; c < 4; ++c) {
            auto idx = [&](int i) {
                const int x = horizontal ? i : l;
                const int y = horizontal ? l : i;
                return (static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4
                       + static_cast<size_t>(c);
            };
            double sum = 0.0;
            for (int i = -r; i <= r; ++i)
                sum += ch[idx(std::clamp(i, 0, len - 1))];
            for (int i = 0; i < len; ++i) {
                line[static_cast<size_t>(i)] = sum / (2 * r + 1);
                sum += ch[idx(std::min(i + r + 1, len - 1))] - ch[idx(std::max(i - r, 0))];
            }
            for (int i = 0; i < len; ++i)
                ch[idx(i)] = line[static_cast<size_t>(i)];
        }
    }
}

std::vector<double> channels(const QImage &image)
{
    const QImage src = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<double> ch(static_cast<size_t>(src.width()) * static_cast<size_t>(src.height()) * 4);
    size_t k = 0;
    for (int y = 0; y < src.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            ch[k++] = qRed(row[x]);
            ch[k++] = qGreen(row[x]);
            ch[k++] = qBlue(row[x]);
            ch[k++] = qAlpha(row[x]);
        }
    }
    return ch;
}

int channelByte(double v)
{
    return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0)));
}

} // namespace

void blur(QImage &image, int radius)
{
    if (radius < 1)
        return;
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = image.width();
    const int h = image.height();
    std::vector<double> ch = channels(image);
    const int r = std::max(1, radius / 2);
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(ch, w, h, r, true);
        boxPass(ch, w, h, r, false);
    }
    size_t k = 0;
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x, k += 4) {
            const int a = channelByte(ch[k + 3]);
            row[x] = qRgba(std::min(a, channelByte(ch[k])), std::min(a, channelByte(ch[k + 1])),
                           std::min(a, channelByte(ch[k + 2])), a);
        }
    }
}

void addGlow(QImage &target, const QImage &light, int radius, double strength)
{
    QImage glow = light.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    blur(glow, radius);
    target = target.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < target.height() && y < glow.height(); ++y) {
        auto *dst = reinterpret_cast<QRgb *>(target.scanLine(y));
        const auto *src = reinterpret_cast<const QRgb *>(glow.constScanLine(y));
        for (int x = 0; x < target.width() && x < glow.width(); ++x) {
            const int a = qAlpha(dst[x]);
            const int na = std::max(a, channelByte(qAlpha(src[x]) * strength));
            const int r = std::min(na, channelByte(qRed(dst[x]) + qRed(src[x]) * strength));
            const int g = std::min(na, channelByte(qGreen(dst[x]) + qGreen(src[x]) * strength));
            const int b = std::min(na, channelByte(qBlue(dst[x]) + qBlue(src[x]) * strength));
            dst[x] = qRgba(r, g, b, na);
        }
    }
}

QImage downsample(const QImage &big, int factor)
{
    const QImage src = big.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = src.width() / factor;
    const int h = src.height() / factor;
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    const int n = factor * factor;
    for (int y = 0; y < h; ++y) {
        auto *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int r = 0, g = 0, b = 0, a = 0;
            for (int j = 0; j < factor; ++j) {
                const auto *row = reinterpret_cast<const QRgb *>(src.constScanLine(y * factor + j));
                for (int i = 0; i < factor; ++i) {
                    const QRgb p = row[x * factor + i];
                    r += qRed(p);
                    g += qGreen(p);
                    b += qBlue(p);
                    a += qAlpha(p);
                }
            }
            dst[x] = qRgba((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n, (a + n / 2) / n);
        }
    }
    return out;
}

QFont titleFont(int pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(pixelSize);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferOutline);
    const QFontInfo found(font);
    if (found.family() != QStringLiteral("DejaVu Sans") || !found.bold())
        throw std::runtime_error("the DejaVu Sans fonts are needed (Debian package fonts-dejavu-core)");
    return font;
}

QPainterPath centredText(const QString &text, const QFont &font, QPointF centre)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF box = path.boundingRect();
    path.translate(centre - box.center());
    return path;
}

Noise::Noise(std::uint64_t seed, int cell, int octaves)
    : seed_(seed)
    , cell_(cell)
    , octaves_(octaves)
{
}

double Noise::layer(double x, double y, int size, std::uint64_t salt) const
{
    const double fx = x / size;
    const double fy = y / size;
    const auto ix = static_cast<std::int64_t>(std::floor(fx));
    const auto iy = static_cast<std::int64_t>(std::floor(fy));
    auto corner = [&](std::int64_t cx, std::int64_t cy) {
        Random r(seed_ ^ (salt * 0x632BE59BD9B4E019ULL) ^ (static_cast<std::uint64_t>(cx) * 0x8CB92BA72F3D8DD7ULL)
                 ^ (static_cast<std::uint64_t>(cy) * 0xD6E8FEB86659FD93ULL));
        r.next();
        return r.uniform();
    };
    auto smooth = [](double t) { return t * t * (3.0 - 2.0 * t); };
    const double tx = smooth(fx - static_cast<double>(ix));
    const double ty = smooth(fy - static_cast<double>(iy));
    const double top = corner(ix, iy) + (corner(ix + 1, iy) - corner(ix, iy)) * tx;
    const double bottom = corner(ix, iy + 1) + (corner(ix + 1, iy + 1) - corner(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

double Noise::at(double x, double y) const
{
    double sum = 0.0;
    double weight = 1.0;
    double total = 0.0;
    int size = cell_;
    for (int o = 0; o < octaves_ && size >= 1; ++o) {
        sum += layer(x, y, size, static_cast<std::uint64_t>(o + 1)) * weight;
        total += weight;
        weight *= 0.5;
        size /= 2;
    }
    return total > 0.0 ? sum / total : 0.0;
}

} // namespace art
