// The field view holds its window's repaints to one per screen frame. Guards both sides of that:
// a burst of changes costs a handful of paints, and the last change of a burst is still painted.
// (The timing bench found the cost.)

#include "app/TFieldView.h"
#include "game/TFieldSurface.h"

#include <QElapsedTimer>
#include <QPaintEvent>
#include <QtTest>

namespace {

// Counts the view's paints and remembers what the last one covered.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    QRegion painted;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            painted += static_cast<QPaintEvent *>(event)->region();
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class FramePacingTest : public QObject
{
    Q_OBJECT

private slots:
    void burstOfChangesIsPaintedOncePerFrameAndNothingIsLost()
    {
        TFieldSurface surface;
        QWidget window;
        auto *view = new TFieldView(surface, &window);
        surface.onChanged = [view](const QRect &rect) { view->update(rect); };
        PaintCounter counter;
        view->installEventFilter(&counter);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(50);
        counter.paints = 0;
        counter.painted = QRegion();

        // A pixel a millisecond for 300 ms, as a cycle at full speed sets them.
        QElapsedTimer clock;
        clock.start();
        int changes = 0;
        while (clock.elapsed() < 300) {
            surface.SetPixel(10 + changes % 500, 20, 0x0000FF);
            ++changes;
            QTest::qWait(1);
        }
        const QPoint last(10 + (changes - 1) % 500, 20);
        QTRY_VERIFY_WITH_TIMEOUT(counter.painted.contains(last), 1000);

        // At 60 frames a second 300 ms hold some 19 frames; a paint per change would be hundreds.
        // (Without the holding back there is one paint per change that reached the event loop.)
        QVERIFY2(counter.paints <= 40,
                 qPrintable(QStringLiteral("%1 paints for %2 changes").arg(counter.paints).arg(changes)));
    }

    void exposingTheWindowPaintsAtOnce()
    {
        TFieldSurface surface;
        QWidget window;
        auto *view = new TFieldView(surface, &window);
        PaintCounter counter;
        view->installEventFilter(&counter);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY_WITH_TIMEOUT(counter.paints > 0, 1000);
    }
};

QTEST_MAIN(FramePacingTest)
#include "FramePacingTest.moc"
