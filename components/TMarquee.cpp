#include "components/TMarquee.h"

#include "components/TCursorTable.h"
#include "platform/ErrorDisplay.h"
#include "platform/FailureReport.h"
#include "platform/WindowLook.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cstdlib>

namespace {

// A text strip's surface is at least this wide; longer lines widen it up to the cap, beyond
// which the strip shows its background (a line that long is not credits, it is a mistake).
constexpr int MinTextSurfaceWidth = 1024;
constexpr int MaxTextSurfaceWidth = 32768;
// Extents are kept far below the int range so that offset arithmetic cannot overflow.
constexpr qint64 MaxExtent = qint64(1) << 30;
// Dragging flings the band at most this fast, whatever MQMaxSpeed says.
constexpr int MaxFlingSpeed = 10;

QFont DefaultStringFont()
{
    QFont font = SansFont(13);
    font.setPointSize(8);
    return font;
}

// One character of a line: a single UTF-16 unit, or a surrogate pair kept together.
QStringView CharacterAt(const QString &line, qsizetype i)
{
    if (line.at(i).isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate())
        return QStringView(line).mid(i, 2);
    return QStringView(line).mid(i, 1);
}

} // namespace

TMarquee::TMarquee(QWidget *owner)
    : QWidget(owner)
    , color(0, 0, 255)
    , stringFont1{DefaultStringFont(), QColor(255, 255, 0)}
    , stringFont2{DefaultStringFont(), QColor(255, 255, 0)}
{
    scrollTimer.setInterval(TickInterval);
    connect(&scrollTimer, &QTimer::timeout, this, [this] {
        try {
            ScrollTick();
        } catch (...) {
            ReportCurrentException();
        }
    });

    // The open hand must show while merely hovering, so moves without a button count too.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(193, 89);
    FitView();

    TCursorTable::Enter(OpenHandCursor,
                        TCursorTable::FromResource(QStringLiteral(":/cursors/MQOHAND.png"), Qt::OpenHandCursor));
    TCursorTable::Enter(ClosedHandCursor,
                        TCursorTable::FromResource(QStringLiteral(":/cursors/MQCHAND.png"), Qt::ClosedHandCursor));
}

TMarquee::~TMarquee() = default;

void TMarquee::setMQSource(const QStringList &lines)
{
    if (active) {
        ShowErrorBox(QStringLiteral("Can not change the MQSource when in active mode!"));
        return;
    }
    source = lines;
    needBuild = true;
}

void TMarquee::setStretch(bool on)
{
    stretch = on;
    // Only the cross size changes here; the extents along the scroll axis wait for the next build.
    for (const auto &strip : strips) {
        if (!strip)
            continue;
        if (Horizontal())
            strip->height = height();
        else
            strip->width = width();
    }
}

void TMarquee::setMQSpeed(int pixelsPerTick)
{
    speed = std::clamp(pixelsPerTick, 1, maxSpeed);
}

void TMarquee::setActive(bool on)
{
    active = on;
    if (on)
        scrollTimer.start();
    else
        scrollTimer.stop();
}

void TMarquee::setDirection(TDirect newDirection)
{
    const bool axisChanged = IsHorizontal(newDirection) != Horizontal();
    direction = newDirection;
    if (moving == mvVertical && Horizontal())
        moving = mvHorizontal;
    else if (moving == mvHorizontal && !Horizontal())
        moving = mvVertical;
    if (axisChanged)
        BringPositionIntoRange();
}

void TMarquee::setMoving(TMoving newMoving)
{
    moving = newMoving;
    const bool wasHorizontal = Horizontal();
    if (moving == mvVertical && Horizontal())
        direction = drUp;
    else if (moving == mvHorizontal && !Horizontal())
        direction = drForward;
    if (wasHorizontal != Horizontal())
        BringPositionIntoRange();
}

void TMarquee::setMQMaxSpeed(int pixelsPerTick)
{
    maxSpeed = std::max(pixelsPerTick, 1);
    speed = std::min(speed, maxSpeed);
}

void TMarquee::setColor(const QColor &newColor)
{
    color = newColor;
    // Until the band is first drawn the control shows its plain background.
    if (!viewDrawn) {
        FitView();
        view.fill(color);
        update();
    }
}

void TMarquee::setLeftMargin(int pixels)
{
    leftMargin = std::clamp(pixels, 0, 100);
}

void TMarquee::setRightMargin(int pixels)
{
    rightMargin = std::clamp(pixels, 0, 100);
}

void TMarquee::setStringFont1(const TMarqueeFont &font)
{
    stringFont1 = font;
}

void TMarquee::setStringFont2(const TMarqueeFont &font)
{
    stringFont2 = font;
}

void TMarquee::setSwitchChar(char character)
{
    switchChar = character;
}

QSize TMarquee::StripExtent(int i) const
{
    if (i < 0 || i >= MaxStrips || !strips[i])
        return {};
    return {strips[i]->width, strips[i]->height};
}

int TMarquee::Extent(int strip) const
{
    return Horizontal() ? strips[strip]->width : strips[strip]->height;
}

void TMarquee::ScrollTick()
{
    if (needBuild)
        BuildStrips();
    if (stripCount == 0)
        return;
    DrawView();

    // The part of a step that runs past a strip's end is dropped rather than carried into the
    // next strip, and an offset equal to the extent stays for one tick (showing the same picture
    // as offset 0 of the next strip): the band stutters by a tick at every seam, as it always has.
    if (direction == drForward || direction == drUp) {
        const qint64 next = qint64(curOffset) + speed;
        if (next > Extent(curStrip)) {
            curOffset = 0;
            curStrip = NextStrip(curStrip);
        } else {
            curOffset = int(next);
        }
    } else {
        const qint64 next = qint64(curOffset) - speed;
        if (next < 0) {
            curStrip = PreviousStrip(curStrip);
            curOffset = Extent(curStrip);
        } else {
            curOffset = int(next);
        }
    }
}

// --- Building the strips ---

void TMarquee::BuildStrips()
{
    needBuild = false;
    stripCount = 0;
    for (const QString &line : std::as_const(source)) {
        if (stripCount == MaxStrips)
            break;
        const int i = stripCount++;
        if (!strips[i]) {
            strips[i] = std::make_unique<TStrip>();
            strips[i]->height = height();
            strips[i]->surfaceHeight = height();
        }
        // A picture that cannot be read still leaves a visible strip: its line as text.
        if (!IsPictureLine(line) || !LoadPicture(*strips[i], line))
            RenderText(*strips[i], line);
    }
    BringPositionIntoRange();
}

bool TMarquee::IsPictureLine(const QString &line)
{
    // An apostrophe in front is the way to show a text that happens to be a file name.
    return !line.isEmpty() && line.front() != QLatin1Char('\'') && QFileInfo(line).isFile();
}

bool TMarquee::LoadPicture(TStrip &strip, const QString &fileName) const
{
    const QImage picture(fileName);
    if (picture.isNull())
        return false;
    // Transparent parts of the picture show the band's background.
    strip.surface = QImage(picture.size(), QImage::Format_RGB32);
    strip.surface.fill(color);
    {
        QPainter painter(&strip.surface);
        painter.drawImage(0, 0, picture);
    }
    strip.background = color;
    // Stretch gives the strip the control's size; the picture itself is copied 1:1 and is cut
    // off or padded with the background.
    strip.width = stretch ? width() : picture.width();
    strip.height = stretch ? height() : picture.height();
    return true;
}

int TMarquee::PointSize(const QFont &font) const
{
    if (font.pixelSize() > 0) {
        const int dpi = logicalDpiY() > 0 ? logicalDpiY() : 96;
        return qRound(font.pixelSize() * 72.0 / dpi);
    }
    return qRound(font.pointSizeF());
}

void TMarquee::RenderText(TStrip &strip, const QString &line) const
{
    const QChar switcher = QLatin1Char(switchChar);
    const int y1 = PointSize(stringFont1.font) / 2;
    const int y2 = PointSize(stringFont1.font) + PointSize(stringFont2.font) / 2;
    const QFontMetrics metrics1(stringFont1.font, this);
    const QFontMetrics metrics2(stringFont2.font, this);

    // Characters are placed one by one, each advanced by its own width (no kerning), so the
    // line's width is known before anything is drawn and sizes the surface.
    // The switch goes by the row, as the drawing below does: with tiny fonts both rows are the
    // same and every switch selects the second font.
    qint64 end = leftMargin;
    bool second = false;
    for (qsizetype i = 0; i < line.size();) {
        const QStringView c = CharacterAt(line, i);
        i += c.size();
        if (c.front() == switcher)
            second = !second || y1 == y2;
        else
            end += (second ? metrics2 : metrics1).horizontalAdvance(c.toString());
    }
    end = std::min(end, MaxExtent - 100);

    const QSize surfaceSize(int(std::clamp<qint64>(end, MinTextSurfaceWidth, MaxTextSurfaceWidth)),
                            strip.surfaceHeight);
    if (strip.surface.size() != surfaceSize || strip.surface.format() != QImage::Format_RGB32)
        strip.surface = QImage(surfaceSize, QImage::Format_RGB32);
    strip.background = color;
    strip.surface.fill(color);

    if (!strip.surface.isNull()) {
        // Point-size fonts must come out the same size on the surface as on the control.
        const int dotsPerMeterX = qRound(logicalDpiX() / 0.0254);
        const int dotsPerMeterY = qRound(logicalDpiY() / 0.0254);
        if (dotsPerMeterX > 0 && dotsPerMeterY > 0) {
            strip.surface.setDotsPerMeterX(dotsPerMeterX);
            strip.surface.setDotsPerMeterY(dotsPerMeterY);
        }
        QPainter painter(&strip.surface);
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(color);
        qint64 x = leftMargin;
        int y = y1;
        const TMarqueeFont *font = &stringFont1;
        const QFontMetrics *metrics = &metrics1;
        painter.setFont(font->font);
        painter.setPen(font->color);
        for (qsizetype i = 0; i < line.size() && x < surfaceSize.width();) {
            const QStringView c = CharacterAt(line, i);
            i += c.size();
            if (c.front() == switcher) {
                const bool toSecond = y == y1;
                y = toSecond ? y2 : y1;
                font = toSecond ? &stringFont2 : &stringFont1;
                metrics = toSecond ? &metrics2 : &metrics1;
                painter.setFont(font->font);
                painter.setPen(font->color);
                continue;
            }
            const QString text = c.toString();
            painter.drawText(QPoint(int(x), y + metrics->ascent()), text);
            x += metrics->horizontalAdvance(text);
        }
    }
    strip.width = int(end + rightMargin);
}

void TMarquee::BringPositionIntoRange()
{
    // New strips or a new scroll axis can leave the old position beyond the band; the next view
    // must come from the band as it is now.
    if (stripCount == 0 || needBuild)
        return;
    curStrip = ((curStrip % stripCount) + stripCount) % stripCount;
    curOffset = std::clamp(curOffset, 0, Extent(curStrip));
}

// --- Drawing the view ---

void TMarquee::DrawView()
{
    FitView();
    if (stripCount == 0 || view.isNull())
        return;
    QPainter painter(&view);
    painter.setCompositionMode(QPainter::CompositionMode_Source);

    int position = 0;
    int remaining = Horizontal() ? view.width() : view.height();
    int k = curStrip;
    int offset = curOffset;
    // Strips without extent add nothing; a full lap of them means the band is empty.
    int emptyPieces = 0;
    while (remaining > 0) {
        const int available = std::max(Extent(k) - offset, 0);
        if (remaining < available) {
            CopyPiece(painter, *strips[k], offset, position, remaining);
            break;
        }
        if (available > 0) {
            CopyPiece(painter, *strips[k], offset, position, available);
            position += available;
            remaining -= available;
            emptyPieces = 0;
        } else if (++emptyPieces > stripCount) {
            const QRect rest = Horizontal() ? QRect(position, 0, remaining, view.height())
                                            : QRect(0, position, view.width(), remaining);
            painter.fillRect(rest, color);
            break;
        }
        offset = 0;
        k = NextStrip(k);
    }
    viewDrawn = true;
    update();
}

void TMarquee::CopyPiece(QPainter &painter, const TStrip &strip, int from, int to, int length) const
{
    // Every piece spans the control's whole cross size, whatever the strip's own.
    const QRect wanted = Horizontal() ? QRect(from, 0, length, view.height()) : QRect(0, from, view.width(), length);
    const QPoint target = Horizontal() ? QPoint(to, 0) : QPoint(0, to);
    const QRect onSurface = wanted.intersected(strip.surface.rect());
    if (onSurface != wanted)
        painter.fillRect(QRect(target, wanted.size()), strip.background);
    if (!onSurface.isEmpty())
        painter.drawImage(target + (onSurface.topLeft() - wanted.topLeft()), strip.surface, onSurface);
}

// --- Dragging ---

void TMarquee::MoveForward(int distance)
{
    int emptyStrips = 0;
    while (distance > 0) {
        const int available = std::max(Extent(curStrip) - curOffset, 0);
        if (distance <= available) {
            curOffset += distance;
            return;
        }
        distance -= available;
        emptyStrips = available > 0 ? 0 : emptyStrips + 1;
        if (emptyStrips > stripCount)
            return;
        curStrip = NextStrip(curStrip);
        curOffset = 0;
    }
}

void TMarquee::MoveBackward(int distance)
{
    int emptyStrips = 0;
    while (distance > 0) {
        if (distance <= curOffset) {
            curOffset -= distance;
            return;
        }
        distance -= std::max(curOffset, 0);
        emptyStrips = curOffset > 0 ? 0 : emptyStrips + 1;
        if (emptyStrips > stripCount)
            return;
        curStrip = PreviousStrip(curStrip);
        curOffset = Extent(curStrip);
    }
}

void TMarquee::mousePressEvent(QMouseEvent *event)
{
    speed = 1;
    setActive(false);
    const QPoint at = event->position().toPoint();
    dragX = at.x();
    dragY = at.y();
    dragging = true;
    const QCursor closedHand = TCursorTable::Cursor(ClosedHandCursor);
    setCursor(closedHand);
    // Grabbing with the closed hand keeps it on screen for as long as a button is held, even
    // though moves set the control's own cursor to the open hand.
    grabMouse(closedHand);
    event->accept();
}

void TMarquee::mouseMoveEvent(QMouseEvent *event)
{
    setCursor(TCursorTable::Cursor(OpenHandCursor));
    event->accept();
    if (!dragging || stripCount == 0)
        return;

    const QPoint at = event->position().toPoint();
    const int x = at.x();
    const int y = at.y();
    int distance = 0;
    const auto horizontalStep = [&] {
        direction = x > dragX ? drBackward : drForward;
        distance = std::abs(x - dragX);
    };
    const auto verticalStep = [&] {
        direction = y > dragY ? drDown : drUp;
        distance = std::abs(y - dragY);
    };
    switch (moving) {
    case mvHorizontal: horizontalStep(); break;
    case mvVertical: verticalStep(); break;
    case mvBoth:
        // A step that changes the axis restarts the band at the start of the current strip; a
        // diagonal step with equal parts (or none) counts as vertical.
        if (std::abs(x - dragX) > std::abs(y - dragY)) {
            if (!Horizontal())
                curOffset = 0;
            horizontalStep();
        } else {
            if (Horizontal())
                curOffset = 0;
            verticalStep();
        }
        break;
    }
    // The band follows the pointer exactly; only the speed kept for after the release is capped.
    speed = std::clamp(distance, 1, MaxFlingSpeed);
    if (direction == drForward || direction == drUp)
        MoveForward(distance);
    else
        MoveBackward(distance);
    DrawView();
    dragX = x;
    dragY = y;
}

void TMarquee::mouseReleaseEvent(QMouseEvent *event)
{
    dragging = false;
    setActive(true);
    unsetCursor();
    releaseMouse();
    event->accept();
}

// --- Showing the view ---

void TMarquee::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    if (view.isNull())
        painter.fillRect(area, color);
    else
        painter.drawImage(area.topLeft(), view, area);
}

void TMarquee::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FitView();
}

void TMarquee::FitView()
{
    // A hidden control gets its resize event only when shown, so drawing checks the size too.
    // The view keeps what it showed; new room shows the background until the next tick.
    if (view.size() == size())
        return;
    QImage resized(size(), QImage::Format_RGB32);
    if (!resized.isNull()) {
        resized.fill(color);
        if (!view.isNull()) {
            QPainter painter(&resized);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(0, 0, view);
        }
    }
    view = std::move(resized);
}
