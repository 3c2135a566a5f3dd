#pragma once

#include <QWidget>

class TFieldSurface;

// Shows the field surface 1:1 in logical pixels; on a HiDPI screen each field pixel becomes a
// crisp square (nearest-neighbour, no smoothing).
class TFieldView : public QWidget
{
    Q_OBJECT

public:
    TFieldView(const TFieldSurface &surface, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const TFieldSurface &surface;
};
