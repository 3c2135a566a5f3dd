#include "app/TFieldView.h"

#include "game/TFieldSurface.h"

#include <QPaintEvent>
#include <QPainter>

TFieldView::TFieldView(const TFieldSurface &shown, QWidget *parent)
    : QWidget(parent)
    , surface(shown)
{
    setFixedSize(TFieldSurface::Width, TFieldSurface::Height);
    // The view paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
}

void TFieldView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QRect dirty = event->rect();
    painter.drawImage(dirty, surface.Image(), dirty);
}
