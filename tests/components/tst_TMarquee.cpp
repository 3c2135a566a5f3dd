#include "components/TCursorTable.h"
#include "components/TGifWriter.h"
#include "components/TMarquee.h"
#include "platform/Failure.h"
#include "support/Files.h"
#include "support/ModalAnswer.h"
#include "support/ShownGif.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

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

// A field-like picture: black, a red and a blue trail, a yellow block; `step` lengthens the trails.
QImage Trails(QSize size, int step)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    for (int x = 0; x < 10 + step; ++x) {
        image.setPixel(5 + x, 7, qRgb(255, 0, 0));
        image.setPixel(size.width() - 6 - x, size.height() - 8, qRgb(0, 0, 255));
    }
    for (int y = 20; y < 30; ++y)
        for (int x = 40; x < 52; ++x)
            image.setPixel(x, y, qRgb(255, 255, 0));
    return image;
}

// 400 colours, more than a GIF's palette holds: 200 far apart, then each of them a little bluer.
QImage Rainbow(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    for (int i = 0; i < 400; ++i) {
        const int base = i % 200;
        image.setPixel(i % size.width(), i / size.width(), qRgb(base % 20 * 13, base / 20 * 13, i < 200 ? 128 : 131));
    }
    return image;
}

// The largest difference of a colour channel between two pictures of one size.
int LargestDifference(const QImage &a, const QImage &b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max(
                {largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    return largest;
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

    // Frames, each with its delay: what the file holds and shows.
    void gifHoldsTheFramesAndLoops_data()
    {
        QTest::addColumn<QList<QImage>>("pictures");
        QTest::addColumn<QList<int>>("delays");
        QTest::addColumn<QList<int>>("writtenDelays");
        QTest::addColumn<int>("tolerance"); // in a colour channel of the last picture

        const QSize size(120, 90);
        QTest::newRow("one picture") << QList<QImage>{Trails(size, 0)} << QList<int>{300} << QList<int>{300} << 0;
        QTest::newRow("trails growing") << QList<QImage>{Trails(size, 0), Trails(size, 3), Trails(size, 9)}
                                        << QList<int>{4, 4, 300} << QList<int>{4, 4, 300} << 0;
        // The same picture again only lengthens the frame before; past 16 bits of delay a frame of
        // nothing carries the rest.
        QTest::newRow("still pictures merge")
            << QList<QImage>{Trails(size, 0), Trails(size, 0), Trails(size, 2), Trails(size, 2), Trails(size, 2)}
            << QList<int>{4, 4, 4, 4, 300} << QList<int>{8, 308} << 0;
        QTest::newRow("delay past 16 bits") << QList<QImage>{Trails(size, 0), Trails(size, 0)}
                                            << QList<int>{65000, 1000} << QList<int>{65000, 1000} << 0;
        // A picture of other formats and alpha is written opaque.
        QImage argb = Trails(size, 5).convertToFormat(QImage::Format_ARGB32);
        QTest::newRow("ARGB picture") << QList<QImage>{Trails(size, 0), argb} << QList<int>{4, 4} << QList<int>{4, 4}
                                      << 0;
        // 400 colours: the first 255 keep theirs, the rest show the nearest of them.
        QTest::newRow("more colours than a palette")
            << QList<QImage>{Trails(size, 0), Rainbow(size)} << QList<int>{4, 4} << QList<int>{4, 4} << 13;
    }

    void gifHoldsTheFramesAndLoops()
    {
        QFETCH(QList<QImage>, pictures);
        QFETCH(QList<int>, delays);
        QFETCH(QList<int>, writtenDelays);
        QFETCH(int, tolerance);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("round.gif"));
        TGifWriter writer(path, pictures.first().size());
        for (qsizetype i = 0; i < pictures.size(); ++i)
            writer.AddFrame(pictures[i], delays[i]);
        QVERIFY(!QFile::exists(path));
        writer.Finish();

        const ShownGif shown = ReadGif(path);
        QCOMPARE(shown.size, pictures.first().size());
        QVERIFY(shown.loops);
        QCOMPARE(shown.delays, writtenDelays);
        QCOMPARE(LargestDifference(shown.last, pictures.last()) <= tolerance, true);
        if (tolerance == 0)
            QCOMPARE(shown.last, pictures.last().convertToFormat(QImage::Format_RGB32));
    }

    // Nothing is left behind by a writer that is not finished or cannot write, and an older file
    // of the name stays as it was.
    void gifFailuresLeaveNothing_data()
    {
        QTest::addColumn<QString>("where");    // in the temporary folder
        QTest::addColumn<bool>("finish");      // or the writer goes unfinished (cancelled)
        QTest::addColumn<qint64>("diskBytes"); // a full disk after so many bytes of a file; 0: none
        QTest::addColumn<bool>("fails");

        QTest::newRow("cancelled") << QStringLiteral("round.gif") << false << qint64(0) << false;
        QTest::newRow("folder not there") << QStringLiteral("gone/round.gif") << true << qint64(0) << true;
        QTest::newRow("disk full") << QStringLiteral("round.gif") << true << qint64(2000) << true;
    }

    void gifFailuresLeaveNothing()
    {
        QFETCH(QString, where);
        QFETCH(bool, finish);
        QFETCH(qint64, diskBytes);
        QFETCH(bool, fails);
        QTemporaryDir dir;
        const QString path = dir.filePath(where);
        const QByteArray older("an older file");
        if (!where.contains(QLatin1Char('/')))
            Store(path, older);
        QString message;
        try {
            std::optional<FileSizeLimit> diskFull;
            if (diskBytes > 0)
                diskFull.emplace(static_cast<rlim_t>(diskBytes));
            TGifWriter writer(path, QSize(300, 200));
            for (int step = 0; step < 50; ++step)
                writer.AddFrame(Rainbow(QSize(300, 200)).mirrored(step % 2 == 1, false), 4);
            if (finish)
                writer.Finish();
        } catch (const Failure &failure) {
            message = QString::fromStdString(failure.what());
        }
        QCOMPARE(message, fails ? QStringLiteral("Kann nicht nach %1 schreiben").arg(path) : QString());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 where.contains(QLatin1Char('/')) ? QStringList() : QStringList{where});
        if (!where.contains(QLatin1Char('/')))
            QCOMPARE(Contents(path), older);
    }
};

QTEST_MAIN(tst_TMarquee)
#include "tst_TMarquee.moc"
