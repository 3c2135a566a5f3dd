#include "components/TPixelPicture.h"

#include <QPainter>

TPixelPicture::TPixelPicture(QWidget *parent)
    : QWidget(parent)
{
}

void TPixelPicture::setPicture(const QImage &image)
{
    picture = image;
    update();
}

void TPixelPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(QPoint(0, 0), picture.size()), picture);
}
