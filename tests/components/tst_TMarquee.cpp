#include "components/TCursorTable.h"
#include "components/TMarquee.h"
#include "support/ModalAnswer.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QColor Background(0, 0, 255);
const QColor Ink1(0, 255, 0);
const QColor Ink2(255, 0, 0);

QFont Sans(int pixels)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    return font;
}

std::unique_ptr<TMarquee> MakeMarquee(int width = 300, int height = 30)
{
    auto marquee = std::make_unique<TMarquee>();
    marquee->resize(width, height);
    marquee->setColor(Background);
    marquee->setStringFont1({Sans(13), Ink1});
    marquee->setStringFont2({Sans(20), Ink2});
    return marquee;
}

// Characters are placed one by one, so a line is as wide as its characters' own widths.
int TextWidth(const QFont &font, const QWidget *device, const QString &text)
{
    const QFontMetrics metrics(font, device);
    int width = 0;
    for (const QChar c : text)
        width += metrics.horizontalAdvance(c);
    return width;
}

// Text is antialiased: a pixel counts as ink when it is close to the ink's colour.
bool IsInk(const QColor &pixel, const QColor &ink)
{
    return std::abs(pixel.red() - ink.red()) + std::abs(pixel.green() - ink.green())
               + std::abs(pixel.blue() - ink.blue())
           < 150;
}

// The first and last column of the view holding ink, or (-1, -1).
QPair<int, int> ColumnsOf(const QImage &view, const QColor &ink)
{
    int first = -1, last = -1;
    for (int x = 0; x < view.width(); ++x)
        for (int y = 0; y < view.height(); ++y)
            if (IsInk(view.pixelColor(x, y), ink)) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

int TopRowOf(const QImage &view, const QColor &ink)
{
    for (int y = 0; y < view.height(); ++y)
        for (int x = 0; x < view.width(); ++x)
            if (IsInk(view.pixelColor(x, y), ink))
                return y;
    return -1;
}

} // namespace

class tst_TMarquee : public QObject
{
    Q_OBJECT

private slots:
    // A strip of 100 pixels takes 101 ticks: offset 100 stays one tick and shows what offset 0
    // of the next strip shows.
    void forwardCycleHoldsTheSeamOneTick()
    {
        auto marquee = MakeMarquee(60);
        const QString line = QStringLiteral("WIDE");
        const int text = TextWidth(Sans(13), marquee.get(), line);
        marquee->setLeftMargin((100 - text) / 2);
        marquee->setRightMargin(100 - text - (100 - text) / 2);
        marquee->setMQSource({line});
        QList<int> offsets;
        QList<QImage> views;
        for (int tick = 0; tick < 102; ++tick) {
            offsets << marquee->CurOffset();
            marquee->ScrollTick();
            views << marquee->View();
        }
        QCOMPARE(marquee->StripExtent(0).width(), 100);
        for (int tick = 0; tick <= 100; ++tick)
            QCOMPARE(offsets[tick], tick);
        QCOMPARE(offsets[101], 0);
        QCOMPARE(views[100], views[101]);
        QVERIFY(views[50] != views[0]);
    }

    void overshootIsDroppedAtTheSeam()
    {
        auto marquee = MakeMarquee();
        marquee->setLeftMargin(50);
        marquee->setRightMargin(50);
        marquee->setMQSource({QString(), QString()});
        marquee->setMQSpeed(7);
        QList<int> offsets;
        for (int tick = 0; tick < 16; ++tick) {
            offsets << marquee->CurOffset();
            marquee->ScrollTick();
        }
        offsets << marquee->CurOffset();
        QCOMPARE(offsets, (QList<int>{0, 7, 14, 21, 28, 35, 42, 49, 56, 63, 70, 77, 84, 91, 98, 0, 7}));
        QCOMPARE(marquee->CurStrip(), 1);
    }

    void backwardWrapsToTheEndOfThePreviousStrip()
    {
        auto marquee = MakeMarquee();
        marquee->setMQSource({QStringLiteral("a"), QStringLiteral("ab"), QStringLiteral("abc")});
        marquee->setDirection(TMarquee::drBackward);
        marquee->ScrollTick();
        QCOMPARE(marquee->CurStrip(), 2);
        QCOMPARE(marquee->CurOffset(), marquee->StripExtent(2).width());
        QVERIFY(marquee->StripExtent(2).width() > marquee->StripExtent(1).width());
        marquee->ScrollTick();
        QCOMPARE(marquee->CurOffset(), marquee->StripExtent(2).width() - 1);
    }

    // Vertically the band runs through the strips' heights, which text strips take from the
    // control.
    void upwardRunsThroughStripHeights()
    {
        auto marquee = MakeMarquee(100, 20);
        marquee->setMQSource({QStringLiteral("a"), QStringLiteral("b")});
        marquee->setDirection(TMarquee::drUp);
        marquee->setMQSpeed(5);
        QList<int> offsets;
        for (int tick = 0; tick < 6; ++tick) {
            marquee->ScrollTick();
            offsets << marquee->CurOffset();
        }
        QCOMPARE(offsets, (QList<int>{5, 10, 15, 20, 0, 5}));
        QCOMPARE(marquee->CurStrip(), 1);
    }

    // A stored form applies MQSpeed before MQMaxSpeed, so its speed is cut to the old maximum.
    void speedsAndMarginsAreClamped()
    {
        TMarquee marquee;
        marquee.setMQSpeed(0);
        QCOMPARE(marquee.MQSpeed(), 1);
        marquee.setMQSpeed(-3);
        QCOMPARE(marquee.MQSpeed(), 1);
        marquee.setMQSpeed(15);
        marquee.setMQMaxSpeed(20);
        QCOMPARE(marquee.MQSpeed(), 10);
        QCOMPARE(marquee.MQMaxSpeed(), 20);
        marquee.setMQSpeed(50);
        QCOMPARE(marquee.MQSpeed(), 20);

        marquee.setMQSpeed(8);
        marquee.setMQMaxSpeed(5);
        QCOMPARE(marquee.MQMaxSpeed(), 5);
        QCOMPARE(marquee.MQSpeed(), 5);
        marquee.setMQMaxSpeed(0);
        QCOMPARE(marquee.MQMaxSpeed(), 1);
        QCOMPARE(marquee.MQSpeed(), 1);

        marquee.setLeftMargin(-5);
        marquee.setRightMargin(150);
        QCOMPARE(marquee.LeftMargin(), 0);
        QCOMPARE(marquee.RightMargin(), 100);
    }

    void directionAndMovingStayConsistent()
    {
        TMarquee marquee;
        marquee.setDirection(TMarquee::drUp);
        QCOMPARE(marquee.Moving(), TMarquee::mvVertical);
        marquee.setMoving(TMarquee::mvHorizontal);
        QCOMPARE(marquee.Direction(), TMarquee::drForward);
        marquee.setDirection(TMarquee::drBackward);
        marquee.setMoving(TMarquee::mvVertical);
        QCOMPARE(marquee.Direction(), TMarquee::drUp);
        marquee.setDirection(TMarquee::drBackward);
        QCOMPARE(marquee.Moving(), TMarquee::mvHorizontal);

        marquee.setMoving(TMarquee::mvBoth);
        marquee.setDirection(TMarquee::drDown);
        QCOMPARE(marquee.Moving(), TMarquee::mvBoth);
        marquee.setDirection(TMarquee::drForward);
        QCOMPARE(marquee.Moving(), TMarquee::mvBoth);
    }

    // The switch character takes no room; the second font's run sits lower. With the default
    // switch character (code 0) the bar is just another character of the first font.
    void textStripsAreMarginsPlusCharacterWidths()
    {
        const QStringList lines{QStringLiteral("a|b|c"), QString()};
        auto plain = MakeMarquee(400, 40);
        const auto w1 = [&](const char *c) { return TextWidth(Sans(13), plain.get(), QLatin1String(c)); };
        const auto w2 = [&](const char *c) { return TextWidth(Sans(20), plain.get(), QLatin1String(c)); };
        plain->setMQSource(lines);
        plain->ScrollTick();
        QCOMPARE(plain->StripExtent(0).width(), 20 + w1("a|b|c"));
        QCOMPARE(plain->StripExtent(1).width(), 20);
        QCOMPARE(ColumnsOf(plain->View(), Ink2).first, -1);

        auto switched = MakeMarquee(400, 40);
        switched->setSwitchChar('|');
        switched->setMQSource(lines);
        switched->ScrollTick();
        const int width = 20 + w1("a") + w2("b") + w1("c");
        QCOMPARE(switched->StripExtent(0).width(), width);

        const QImage view = switched->View();
        const QImage firstStrip = view.copy(0, 0, width, view.height());
        const auto b = ColumnsOf(firstStrip, Ink2);
        QVERIFY(b.first >= 10 + w1("a"));
        QVERIFY(b.second < 10 + w1("a") + w2("b"));
        QVERIFY(TopRowOf(firstStrip, Ink2) > TopRowOf(firstStrip, Ink1));
        // The empty line's strip is the margins, all background.
        for (int x = width; x < width + 20; ++x)
            QCOMPARE(view.pixelColor(x, 20), Background);
    }

    // Past 256 lines nothing more is built; slots stay and are reused, and a shorter list brings
    // the position back into its range.
    void atMost256StripsAndPositionKeptInRange()
    {
        auto marquee = MakeMarquee();
        marquee->setLeftMargin(1);
        marquee->setRightMargin(0);
        marquee->setMQSource(QStringList(300, QString()));
        for (int tick = 0; tick < 2 * 250; ++tick)
            marquee->ScrollTick();
        QCOMPARE(marquee->StripCount(), 256);
        QCOMPARE(marquee->CurStrip(), 250);

        marquee->setMQSource({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")});
        marquee->ScrollTick();
        QCOMPARE(marquee->StripCount(), 3);
        QVERIFY(marquee->CurStrip() < 3);
        QVERIFY(marquee->StripExtent(255).isValid()); // the idle slot keeps its strip
        QVERIFY(ColumnsOf(marquee->View(), Ink1).first >= 0);
    }

    void pictureLinesAndTheirExceptions()
    {
        QTemporaryDir dir;
        const QString picturePath = dir.filePath(QStringLiteral("picture.png"));
        QImage picture(40, 12, QImage::Format_RGB32);
        picture.fill(Qt::magenta);
        QVERIFY(picture.save(picturePath));
        const QString brokenPath = dir.filePath(QStringLiteral("broken.png"));
        QFile broken(brokenPath);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a picture");
        broken.close();

        auto marquee = MakeMarquee(200, 30);
        const QString quoted = QLatin1Char('\'') + picturePath;
        marquee->setMQSource({picturePath, quoted, brokenPath, dir.path()});
        marquee->ScrollTick();
        QCOMPARE(marquee->StripCount(), 4);
        QCOMPARE(marquee->StripExtent(0), QSize(40, 12));
        QCOMPARE(marquee->View().pixelColor(5, 5), QColor(Qt::magenta));
        // Past the picture's own rows the strip shows the background.
        QCOMPARE(marquee->View().pixelColor(5, 20), Background);

        const auto textWidth = [&](const QString &line) { return 20 + TextWidth(Sans(13), marquee.get(), line); };
        QCOMPARE(marquee->StripExtent(1), QSize(textWidth(quoted), 30));
        QCOMPARE(marquee->StripExtent(2).width(), textWidth(brokenPath));
        QCOMPARE(marquee->StripExtent(3).width(), textWidth(dir.path()));

        marquee->setStretch(true);
        marquee->setMQSource({picturePath});
        marquee->ScrollTick();
        QCOMPARE(marquee->StripExtent(0), QSize(200, 30));
    }

    void sourceIsRefusedWhileActive()
    {
        auto marquee = MakeMarquee();
        const QStringList old{QStringLiteral("old")};
        marquee->setMQSource(old);
        marquee->ScrollTick();
        marquee->setActive(true);
        QVERIFY(marquee->ScrollTimer().isActive());
        QCOMPARE(marquee->ScrollTimer().interval(), 100);

        QString text;
        int buttons = 0;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        AnswerNextModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            text = box->text();
            icon = box->icon();
            buttons = int(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        marquee->setMQSource({QStringLiteral("new")});
        QCOMPARE(text, QStringLiteral("Can not change the MQSource when in active mode!"));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons, 1);
        QCOMPARE(marquee->MQSource(), old);
        QVERIFY(!marquee->NeedBuild());
        QVERIFY(marquee->Active());
    }

    void pressAndReleaseWithoutMovementScrollsOn()
    {
        auto marquee = MakeMarquee();
        marquee->setMQSource({QStringLiteral("hello")});
        marquee->ScrollTick();
        marquee->setDirection(TMarquee::drBackward);
        marquee->setMQSpeed(6);
        marquee->show();
        QVERIFY(QTest::qWaitForWindowExposed(marquee.get()));

        QTest::mousePress(marquee.get(), Qt::RightButton, {}, QPoint(50, 10));
        QVERIFY(marquee->Dragging());
        QVERIFY(!marquee->Active());
        QCOMPARE(QWidget::mouseGrabber(), marquee.get());
        QCOMPARE(marquee->cursor().shape(), TCursorTable::Cursor(TMarquee::ClosedHandCursor).shape());
        QTest::mouseRelease(marquee.get(), Qt::RightButton, {}, QPoint(50, 10));
        QVERIFY(!marquee->Dragging());
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
        QCOMPARE(marquee->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(marquee->Direction(), TMarquee::drBackward);
        QCOMPARE(marquee->MQSpeed(), 1);
        QVERIFY(marquee->Active());
        QVERIFY(marquee->ScrollTimer().isActive());
    }

    // The band follows the pointer exactly and, released, keeps the last step's direction at a
    // speed of at most 10.
    void dragFlingsTheBand()
    {
        auto marquee = MakeMarquee(120, 30);
        marquee->setMQSource({QStringLiteral("one two three"), QStringLiteral("four five six")});
        marquee->ScrollTick();
        marquee->ScrollTick();
        marquee->show();
        QVERIFY(QTest::qWaitForWindowExposed(marquee.get()));

        QTest::mousePress(marquee.get(), Qt::LeftButton, {}, QPoint(40, 10));
        QTest::mouseMove(marquee.get(), QPoint(41, 10));
        QCOMPARE(marquee->CurOffset(), 1);
        const QImage before = marquee->View();
        QTest::mouseMove(marquee.get(), QPoint(71, 10));
        QCOMPARE(marquee->cursor().shape(), TCursorTable::Cursor(TMarquee::OpenHandCursor).shape());
        QCOMPARE(marquee->Direction(), TMarquee::drBackward);
        QCOMPARE(marquee->MQSpeed(), 10);
        QCOMPARE(marquee->CurStrip(), 1);
        QCOMPARE(marquee->CurOffset(), marquee->StripExtent(1).width() - 29);
        const QImage dragged = marquee->View();
        QCOMPARE(dragged.copy(30, 0, 90, 30), before.copy(0, 0, 90, 30));
        QTest::mouseRelease(marquee.get(), Qt::LeftButton, {}, QPoint(71, 10));
        QVERIFY(marquee->Active());

        marquee->ScrollTick(); // draws the dragged position, then steps
        QCOMPARE(marquee->View(), dragged);
        marquee->ScrollTick();
        QCOMPARE(marquee->View().copy(10, 0, 110, 30), dragged.copy(0, 0, 110, 30));
    }

    void dragInBothAxesPicksTheLargerPart()
    {
        auto marquee = MakeMarquee(120, 30);
        marquee->setMQSource({QStringLiteral("one two three"), QStringLiteral("four")});
        marquee->setMoving(TMarquee::mvBoth);
        for (int tick = 0; tick < 6; ++tick)
            marquee->ScrollTick();
        QCOMPARE(marquee->CurOffset(), 6);
        marquee->show();
        QVERIFY(QTest::qWaitForWindowExposed(marquee.get()));

        QTest::mousePress(marquee.get(), Qt::LeftButton, {}, QPoint(50, 20));
        // Equal parts count as vertical; the change of axis restarts the strip at offset 0.
        QTest::mouseMove(marquee.get(), QPoint(58, 12));
        QCOMPARE(marquee->Direction(), TMarquee::drUp);
        QCOMPARE(marquee->CurStrip(), 0);
        QCOMPARE(marquee->CurOffset(), 8);
        QTest::mouseMove(marquee.get(), QPoint(38, 15));
        QCOMPARE(marquee->Direction(), TMarquee::drForward);
        QCOMPARE(marquee->CurOffset(), 20);
        QTest::mouseRelease(marquee.get(), Qt::LeftButton, {}, QPoint(38, 15));
    }

    // Margins of 0 and empty lines give strips without extent: ticks, drags and a change of axis
    // still come to an end.
    void zeroExtentStripsEnd()
    {
        auto marquee = MakeMarquee(100, 0);
        marquee->setLeftMargin(0);
        marquee->setRightMargin(0);
        marquee->setMoving(TMarquee::mvBoth);
        marquee->setMQSource({QString(), QString(), QString()});
        marquee->ScrollTick();
        marquee->resize(100, 20);
        marquee->ScrollTick();
        QCOMPARE(marquee->StripCount(), 3);
        QCOMPARE(marquee->StripExtent(0), QSize(0, 0));
        marquee->show();
        QVERIFY(QTest::qWaitForWindowExposed(marquee.get()));
        QTest::mousePress(marquee.get(), Qt::LeftButton, {}, QPoint(50, 10));
        QTest::mouseMove(marquee.get(), QPoint(20, 10));
        QTest::mouseMove(marquee.get(), QPoint(60, 10));
        QTest::mouseMove(marquee.get(), QPoint(60, 15));
        QTest::mouseMove(marquee.get(), QPoint(60, 5));
        QTest::mouseRelease(marquee.get(), Qt::LeftButton, {}, QPoint(60, 5));
        marquee->ScrollTick();
        QVERIFY(marquee->CurStrip() < 3);
    }

    void axisSwitchBringsTheOffsetIntoRange()
    {
        auto marquee = MakeMarquee(100, 25);
        marquee->setMQSource({QStringLiteral("a fairly long line of text")});
        marquee->setMQSpeed(10);
        for (int tick = 0; tick < 8; ++tick)
            marquee->ScrollTick();
        QCOMPARE(marquee->CurOffset(), 80);
        marquee->setDirection(TMarquee::drDown);
        QVERIFY(marquee->CurOffset() <= marquee->StripExtent(0).height());
        marquee->ScrollTick();
        QVERIFY(marquee->CurOffset() >= 0);
    }
};

QTEST_MAIN(tst_TMarquee)
#include "tst_TMarquee.moc"
