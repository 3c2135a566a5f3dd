#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class TFieldSurface;

// Shows the field surface 1:1 in logical pixels; on a HiDPI screen each field pixel becomes a
// crisp square (nearest-neighbour, no smoothing). What the view adds of its own (brighter
// colours, a notice laid over the field) only changes what is shown, never the field's pixels.
class TFieldView : public QWidget
{
    Q_OBJECT

public:
    TFieldView(const TFieldSurface &surface, QWidget *parent);

    // Shows another field (a replay's), or the game's again.
    void setSurface(const TFieldSurface &shown);
    const TFieldSurface &Surface() const { return *surface; }

    // Trails and bonus text in brighter colours than the field holds, easier to see.
    void setBright(bool on);
    bool Bright() const { return bright; }
    // A picture laid over the field with its top left at `at`; a null picture takes it away.
    void setNotice(const QImage &picture, QPoint at);
    const QImage &Notice() const { return notice; }
    QPoint NoticeAt() const { return noticeRect.topLeft(); }

    // The colour the view shows for a colour of the field (0xAARRGGBB as QImage holds it).
    static QRgb Shown(QRgb field, bool bright);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int FrameMilliseconds() const;
    void RepaintWindowNow();

    const TFieldSurface *surface;
    bool bright = false;
    QImage notice;
    QRect noticeRect;

    // The window the view lives in paints at most once per frame of the screen (see the source).
    QPointer<QWidget> pacedWindow;
    QElapsedTimer sinceLastRepaint;
    QTimer deferredRepaint;
    bool repaintDue = false;
};
