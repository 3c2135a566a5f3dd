#pragma once

#include <QImage>
#include <QWidget>

// A picture shown at its own size in logical pixels. On a scaled screen every picture pixel
// becomes a sharp block (nearest-neighbour), where a QLabel would blur it.
class TPixelPicture : public QWidget
{
    Q_OBJECT

public:
    explicit TPixelPicture(QWidget *parent = nullptr);

    const QImage &Picture() const { return picture; }
    void setPicture(const QImage &image);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage picture;
};
