#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
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
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int FrameMilliseconds() const;
    void RepaintWindowNow();

    const TFieldSurface &surface;

    // The window the view lives in paints at most once per frame of the screen (see the source).
    QPointer<QWidget> pacedWindow;
    QElapsedTimer sinceLastRepaint;
    QTimer deferredRepaint;
    bool repaintDue = false;
};
