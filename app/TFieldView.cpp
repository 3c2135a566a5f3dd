#include "app/TFieldView.h"

#include "game/TFieldSurface.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {
// What a screen of unknown rate is taken to show, and the bounds for one that says.
constexpr double DefaultRefreshRate = 60.0;
constexpr double MinRefreshRate = 30.0;
constexpr double MaxRefreshRate = 240.0;
// How long a change waits for others that come with it before it is painted.
constexpr int GatherMilliseconds = 2;
} // namespace

TFieldView::TFieldView(const TFieldSurface &shown, QWidget *parent)
    : QWidget(parent)
    , surface(&shown)
{
    setFixedSize(TFieldSurface::Width, TFieldSurface::Height);
    // The view paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);

    deferredRepaint.setSingleShot(true);
    deferredRepaint.setTimerType(Qt::PreciseTimer);
    connect(&deferredRepaint, &QTimer::timeout, this, &TFieldView::RepaintWindowNow);
}

void TFieldView::setSurface(const TFieldSurface &shown)
{
    surface = &shown;
    update();
}

void TFieldView::setBright(bool on)
{
    if (on == bright)
        return;
    bright = on;
    update();
}

void TFieldView::setNotice(const QImage &picture, QPoint at)
{
    update(noticeRect);
    notice = picture;
    noticeRect = picture.isNull() ? QRect() : QRect(at, picture.size());
    update(noticeRect);
}

QRgb TFieldView::Shown(QRgb field, bool bright)
{
    if (!bright)
        return field;
    // Pure blue on black is hard to see (a contrast of 2.4 to 1); these keep each colour's hue
    // and stand out at least 6 to 1.
    switch (field & 0xFFFFFFu) {
    case 0xFF0000u: return qRgb(255, 96, 72);   // red
    case 0x0000FFu: return qRgb(90, 170, 255);  // blue
    case 0xFFFF00u: return qRgb(255, 255, 170); // yellow
    default: return field;
    }
}

void TFieldView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QRect dirty = event->rect() & rect();
    if (!bright) {
        painter.drawImage(dirty, surface->Image(), dirty);
    } else {
        QImage shown = surface->Image().copy(dirty).convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < shown.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(shown.scanLine(y));
            for (int x = 0; x < shown.width(); ++x)
                line[x] = Shown(line[x], true);
        }
        painter.drawImage(dirty.topLeft(), shown);
    }
    if (!notice.isNull() && noticeRect.intersects(dirty)) {
        painter.setClipRect(dirty);
        painter.drawImage(noticeRect.topLeft(), notice);
    }
}

// Each movement tick changes a pixel of the field and a score on the side panel, up to two
// thousand times a second with both cycles at full speed, and Qt would repaint the window and hand
// it to the display server after every one of them: far more often than any screen shows a
// frame, and on X11 that alone costs more than the ticks themselves. So the window's repaint
// requests are held back to one per screen frame; whatever became dirty meanwhile is painted
// together with the next one. Even after a pause a change is painted a moment later rather than at
// once: the two cycles' ticks come a fraction of a millisecond apart, and this way both go into one
// frame and the paint does not hold up the second tick. Exposing the window and repaint() still
// paint at once.
void TFieldView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    QWidget *shownIn = window();
    if (shownIn == pacedWindow || shownIn == this)
        return;
    if (pacedWindow)
        pacedWindow->removeEventFilter(this);
    pacedWindow = shownIn;
    pacedWindow->installEventFilter(this);
}

bool TFieldView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::UpdateRequest || watched != pacedWindow)
        return QWidget::eventFilter(watched, event);
    if (repaintDue) {
        repaintDue = false;
        sinceLastRepaint.start();
        return false;
    }
    // Qt sends no further request until this one has been handled, so one is owed later.
    if (!deferredRepaint.isActive()) {
        const int frame = FrameMilliseconds();
        const qint64 sinceLast = sinceLastRepaint.isValid() ? sinceLastRepaint.elapsed() : frame;
        deferredRepaint.start(static_cast<int>(std::max<qint64>(frame - sinceLast, GatherMilliseconds)));
    }
    return true;
}

int TFieldView::FrameMilliseconds() const
{
    double rate = DefaultRefreshRate;
    if (const QScreen *shownOn = screen(); shownOn != nullptr && shownOn->refreshRate() > 0.0)
        rate = std::clamp(shownOn->refreshRate(), MinRefreshRate, MaxRefreshRate);
    return static_cast<int>(std::floor(1000.0 / rate));
}

void TFieldView::RepaintWindowNow()
{
    if (!pacedWindow)
        return;
    repaintDue = true;
    QCoreApplication::postEvent(pacedWindow, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}
