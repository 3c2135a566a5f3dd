#include "components/TRCADigital.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QResizeEvent>

#include <algorithm>
#include <limits>

namespace {

// Keeps a size computed in 64 bits within what a widget can be (all sizes here are 0 or more).
int clampToWidgetSize(qint64 size)
{
    return static_cast<int>(std::clamp<qint64>(size, 0, QWIDGETSIZE_MAX));
}

// One three-dimensional ring per pixel of width, shrinking the rectangle as it goes: the top row
// and left column in the top colour, the right column and bottom row in the bottom colour, which
// owns the top-right and bottom-left corner pixels. Stops once nothing is left to frame, so a huge
// width costs no more than the control's size.
void frame3D(QPainter &painter, QRect &rect, const QColor &top, const QColor &bottom, int width)
{
    for (; width > 0 && !rect.isEmpty(); --width) {
        painter.fillRect(rect.left(), rect.top(), rect.width() - 1, 1, top);
        painter.fillRect(rect.left(), rect.top(), 1, rect.height() - 1, top);
        painter.fillRect(rect.right(), rect.top(), 1, rect.height(), bottom);
        painter.fillRect(rect.left(), rect.bottom(), rect.width(), 1, bottom);
        rect.adjust(1, 1, -1, -1);
    }
}

} // namespace

TRCADigital::TRCADigital(QWidget *parent)
    : QWidget(parent)
{
    // The paint covers every pixel of the control, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(185, 41);
}

void TRCADigital::setNumbers(const QImage &strip)
{
    // The cells are copied opaque, and the raster engine copies 32-bit pixels fastest: convert
    // once here rather than on every paint (the game repaints a score on every tick).
    numbers = strip.isNull() ? QImage() : strip.convertToFormat(QImage::Format_RGB32);
    // Cells are copied pixel for pixel; a strip made for another scale must not be resampled.
    numbers.setDevicePixelRatio(1.0);
    numberWidth =
        static_cast<std::uint16_t>(std::min(numbers.width() / 10, int{std::numeric_limits<std::uint16_t>::max()}));
    UpdateHeight();
    Repaint();
}

void TRCADigital::setNumberWidth(std::uint16_t width)
{
    numberWidth = width;
    Repaint();
}

void TRCADigital::setValue(std::int32_t newValue)
{
    value = newValue;
    displayText = FormatValue(value, formatWidth);
    Repaint();
}

void TRCADigital::setMargin(std::uint16_t newMargin)
{
    margin = newMargin;
    UpdateHeight();
    Repaint();
}

void TRCADigital::setAutoSize(bool on)
{
    autoSize = on;
    UpdateHeight();
    Repaint();
}

void TRCADigital::setGap(std::int32_t newGap)
{
    gap = newGap;
    Repaint();
}

void TRCADigital::setFormatWidth(std::uint16_t width)
{
    formatWidth = width;
    setValue(value);
}

// The frame widths change the inset but, as on the panel this display grew from, do not refit the
// height by themselves: that waits for the next resize or the next change of the strip, Margin or
// AutoSize.
void TRCADigital::setBevelOuter(TPanelBevel bevel)
{
    bevelOuter = bevel;
    Repaint();
}

void TRCADigital::setBevelInner(TPanelBevel bevel)
{
    bevelInner = bevel;
    Repaint();
}

void TRCADigital::setBevelWidth(int width)
{
    bevelWidth = std::max(width, 0);
    Repaint();
}

void TRCADigital::setBorderWidth(int width)
{
    borderWidth = std::max(width, 0);
    Repaint();
}

void TRCADigital::setColor(const QColor &newColor)
{
    color = newColor;
    Repaint();
}

void TRCADigital::setCaption(const QString &text)
{
    caption = text;
    Repaint();
}

void TRCADigital::setHeight(int height)
{
    const QSize before = size();
    resize(width(), height);
    // A hidden widget hears of its new size only when it is shown, and by then its frame may
    // have changed. The display refits at once, as if the notification had come now, so that
    // showing it later changes nothing.
    if (!isVisible() && size() != before)
        UpdateHeight();
}

TRCADigital::Area TRCADigital::DigitArea() const
{
    qint64 inset = 0;
    if (bevelInner != bvNone)
        inset += bevelWidth;
    if (bevelOuter != bvNone)
        inset += bevelWidth;
    inset += borderWidth;
    inset += margin;
    const int clamped = clampToWidgetSize(inset);
    return {clamped, width() - clamped};
}

std::vector<TRCADigital::Cell> TRCADigital::VisibleCells() const
{
    std::vector<Cell> cells;
    if (numberWidth == 0)
        return cells;
    const Area area = DigitArea();
    // 64 bits: a Gap near either end of its range would overflow an int within two characters.
    qint64 x = area.right;
    for (qsizetype i = displayText.size() - 1; i >= 0; --i) {
        x -= numberWidth;
        // Strictly right of the inset: a cell starting exactly on it is cut off, like every cell
        // further left (with a Gap of 0 or more).
        if (x > area.inset && x < width()) {
            const QChar ch = displayText.at(i);
            const int cell = ch == QLatin1Char('-') ? 10 : ch.digitValue();
            cells.push_back({static_cast<int>(x), cell});
        }
        x -= gap;
    }
    return cells;
}

QString TRCADigital::FormatValue(std::int32_t value, std::uint16_t formatWidth)
{
    // The magnitude in unsigned arithmetic, so the most negative value needs no negation that
    // would overflow.
    const auto raw = static_cast<std::uint32_t>(value);
    const std::uint32_t magnitude = value < 0 ? 0u - raw : raw;
    QString digits = QString::number(magnitude);
    if (formatWidth < 16 && formatWidth > digits.size())
        digits.prepend(QString(formatWidth - digits.size(), QLatin1Char('0')));
    if (value < 0)
        digits.prepend(QLatin1Char('-'));
    return digits;
}

void TRCADigital::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // On a scaled screen every strip pixel becomes a block of whole device pixels, never a blend.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    PaintFrame(painter);
    PaintCells(painter);
}

void TRCADigital::PaintFrame(QPainter &painter)
{
    const QColor light = palette().color(QPalette::Light);
    // The button shadow of a 3D frame is Qt's Dark; its Shadow role is the near-black outer line.
    const QColor dark = palette().color(QPalette::Dark);
    const auto topColor = [&](TPanelBevel bevel) { return bevel == bvRaised ? light : dark; };
    const auto bottomColor = [&](TPanelBevel bevel) { return bevel == bvRaised ? dark : light; };

    QRect rect = this->rect();
    if (bevelOuter != bvNone)
        frame3D(painter, rect, topColor(bevelOuter), bottomColor(bevelOuter), bevelWidth);
    frame3D(painter, rect, color, color, borderWidth);
    if (bevelInner != bvNone)
        frame3D(painter, rect, topColor(bevelInner), bottomColor(bevelInner), bevelWidth);
    if (!rect.isEmpty())
        painter.fillRect(rect, color);

    if (!caption.isEmpty()) {
        // Centred vertically by the font's line height, horizontally within the interior.
        const int textHeight = QFontMetrics(font()).height();
        const int top = (rect.top() + rect.top() + rect.height() - textHeight) / 2;
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setFont(font());
        painter.drawText(QRect(rect.left(), top, rect.width(), textHeight),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextExpandTabs, caption);
    }
}

void TRCADigital::PaintCells(QPainter &painter)
{
    const int top = DigitArea().inset;
    // Cells are drawn right to left, so with a negative Gap the cell further left lands on top
    // of its right neighbour.
    for (const Cell &cell : VisibleCells()) {
        const QRect wanted(cell.cell * numberWidth, 0, numberWidth, numbers.height());
        // Only the part of the cell that lies inside the strip is copied; the rest of the cell's
        // place keeps the fill.
        const QRect available = wanted & numbers.rect();
        if (available.isEmpty())
            continue;
        painter.drawImage(QPoint(cell.x + available.x() - wanted.x(), top), numbers, available);
    }
}

void TRCADigital::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The resize that Qt delivers when a hidden display is first shown was handled already.
    if (size() != fittedSize)
        UpdateHeight();
}

// Only the height follows the strip; the width stays the caller's. Resizing to the height the
// control already has sends no further resize event, so the refit does not recurse.
void TRCADigital::UpdateHeight()
{
    if (autoSize) {
        const qint64 fitted = qint64{numbers.height()} + 2 * qint64{DigitArea().inset};
        setHeight(clampToWidgetSize(fitted));
    }
    fittedSize = size();
}

void TRCADigital::Repaint()
{
    update();
}
