// The two hand cursors of the credits line: black outline, white fill, the rest transparent. The
// hot spot is the top-left pixel, so both hands are drawn tucked into that corner.
//
// A hand is stamped part by part (palm, thumb, fingers): each part paints its black rim, then its
// white inside. Later parts overwrite earlier ones, so neighbouring fingers get a black line
// between them, while a rim never cuts into the palm, which keeps the fingers joined to it.

#include "Art.h"
#include "ArtKit.h"

#include <QPainter>
#include <QPainterPath>

#include <vector>

namespace art {

namespace {

constexpr int kSize = 32;
constexpr int kSuper = 4;

using Mask = std::vector<bool>;

bool at(const Mask &m, int x, int y)
{
    return x >= 0 && y >= 0 && x < kSize && y < kSize && m[static_cast<size_t>(y * kSize + x)];
}

// The pixels at least half covered by the shape.
Mask maskOf(const QPainterPath &shape)
{
    QImage big = canvas(kSize * kSuper, kSize * kSuper);
    QPainter p(&big);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kSuper, kSuper);
    p.fillPath(shape, Qt::black);
    p.end();
    const QImage small = downsample(big, kSuper);
    Mask m(kSize * kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            m[static_cast<size_t>(y * kSize + x)] = qAlpha(small.pixel(x, y)) >= 128;
    return m;
}

QPainterPath finger(QPointF base, QPointF tip, double width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    QPainterPath line;
    line.moveTo(base);
    line.lineTo(tip);
    return stroker.createStroke(line).simplified();
}

class Hand
{
public:
    Hand()
        : image_(canvas(kSize, kSize))
    {
    }

    // Adds a part to the hand's silhouette.
    void add(const QPainterPath &shape) { silhouette_ = silhouette_.united(shape); }

    // Draws the silhouette: a one-pixel black rim around a white inside.
    void drawSilhouette() { stamp(maskOf(silhouette_)); }

    // A part lying in front of the silhouette (a folded thumb) gets its own rim.
    void stampFront(const QPainterPath &shape) { stamp(maskOf(shape)); }

    // A black crease inside the hand (between curled fingers).
    void crease(QPoint from, QPoint to)
    {
        QPainter p(&image_);
        p.setPen(QPen(Qt::black, 1.0));
        p.drawLine(from, to);
    }

    QImage image() const { return image_; }

private:
    void stamp(const Mask &part)
    {
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                if (at(part, x, y)) {
                    image_.setPixelColor(x, y, Qt::white);
                    continue;
                }
                bool rim = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        rim = rim || at(part, x + dx, y + dy);
                if (rim)
                    image_.setPixelColor(x, y, Qt::black);
            }
        }
    }

    QImage image_;
    QPainterPath silhouette_;
};

} // namespace

QImage openHandCursor()
{
    Hand hand;
    QPainterPath palm;
    palm.addRoundedRect(QRectF(7.0, 12.0, 13.0, 12.0), 4.5, 4.5);
    hand.add(palm);
    QPainterPath wrist;
    wrist.addRect(QRectF(9.0, 20.0, 9.5, 5.5));
    hand.add(wrist);
    // Spread fingers: a clear gap between each pair, so the silhouette alone separates them.
    hand.add(finger({9.5, 19.5}, {2.2, 12.8}, 3.4));  // thumb
    hand.add(finger({9.4, 14.0}, {4.0, 4.4}, 3.0));   // index
    hand.add(finger({12.6, 13.0}, {10.6, 2.6}, 3.0)); // middle
    hand.add(finger({15.6, 13.5}, {17.6, 3.4}, 3.0)); // ring
    hand.add(finger({18.0, 15.5}, {23.4, 8.2}, 2.8)); // little
    hand.drawSilhouette();
    return hand.image();
}

QImage closedHandCursor()
{
    Hand hand;
    QPainterPath palm;
    palm.addRoundedRect(QRectF(4.5, 8.0, 16.0, 14.0), 4.5, 4.5);
    hand.add(palm);
    QPainterPath wrist;
    wrist.addRect(QRectF(7.5, 18.0, 10.5, 7.5));
    hand.add(wrist);
    // Curled fingers: four knuckles along the top.
    for (int i = 0; i < 4; ++i) {
        QPainterPath knuckle;
        knuckle.addRoundedRect(QRectF(4.6 + i * 4.0, 5.0 + (i == 0 || i == 3 ? 1.0 : 0.0), 4.0, 7.0), 1.9, 1.9);
        hand.add(knuckle);
    }
    hand.drawSilhouette();
    for (int i = 1; i < 4; ++i)
        hand.crease(QPoint(4 + i * 4, 6 + (i == 3 ? 1 : 0)), QPoint(4 + i * 4, 10));
    // The thumb folded across the front of the curled fingers.
    hand.stampFront(finger({5.0, 16.5}, {13.0, 12.6}, 3.4));
    return hand.image();
}

} // namespace art
