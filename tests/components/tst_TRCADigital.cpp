#include "components/TRCADigital.h"

#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>

#include <limits>

namespace {

// A strip of `cells` cells, 10 pixels wide and `height` high, each filled with its own colour.
QImage makeStrip(int cells, int height = 11)
{
    QImage strip(cells * 10, height, QImage::Format_RGB32);
    QPainter painter(&strip);
    for (int k = 0; k < cells; ++k)
        painter.fillRect(k * 10, 0, 10, height, QColor(40 + 20 * k, 200 - 15 * k, 90 + 7 * k));
    return strip;
}

QRgb cellColour(int cell)
{
    return QColor(40 + 20 * cell, 200 - 15 * cell, 90 + 7 * cell).rgb();
}

// "x:cell x:cell ..." for the cells as the display places them, rightmost first.
QString describe(const std::vector<TRCADigital::Cell> &cells)
{
    QStringList parts;
    for (const auto &cell : cells)
        parts << QStringLiteral("%1:%2").arg(cell.x).arg(cell.cell);
    return parts.join(QLatin1Char(' '));
}

// The side panel's score display: 67 wide, bevels 1 pixel, Margin 1, so the inset is 3.
void setUpScoreDisplay(TRCADigital &display)
{
    display.resize(67, 17);
    display.setBevelWidth(1);
    display.setMargin(1);
}

} // namespace

class tst_TRCADigital : public QObject
{
    Q_OBJECT

private slots:
    void formatsValue_data()
    {
        QTest::addColumn<qint32>("value");
        QTest::addColumn<int>("formatWidth");
        QTest::addColumn<QString>("text");

        QTest::newRow("width 1 pads nothing") << 123456 << 1 << "123456";
        QTest::newRow("width 0 pads nothing") << 123456 << 0 << "123456";
        QTest::newRow("zero with width 0") << 0 << 0 << "0";
        QTest::newRow("width 3 pads") << 7 << 3 << "007";
        QTest::newRow("width 15 still pads") << 7 << 15 << "000000000000007";
        QTest::newRow("width 16 pads nothing") << 7 << 16 << "7";
        QTest::newRow("width 20 pads nothing") << 7 << 20 << "7";
        QTest::newRow("negative") << -42 << 1 << "-42";
        QTest::newRow("minus goes before the zeros") << -5 << 3 << "-005";
        QTest::newRow("most negative") << std::numeric_limits<qint32>::min() << 1 << "-2147483648";
        QTest::newRow("most negative, padded") << std::numeric_limits<qint32>::min() << 12 << "-002147483648";
        QTest::newRow("most positive") << std::numeric_limits<qint32>::max() << 1 << "2147483647";
    }

    void formatsValue()
    {
        QFETCH(qint32, value);
        QFETCH(int, formatWidth);
        QFETCH(QString, text);

        QCOMPARE(TRCADigital::FormatValue(value, static_cast<quint16>(formatWidth)), text);

        // A new width reformats the value shown, padded or not; a new value takes the width.
        TRCADigital display;
        QCOMPARE(display.DisplayText(), QStringLiteral("0"));
        display.setFormatWidth(15);
        display.setValue(value);
        display.setFormatWidth(static_cast<quint16>(formatWidth));
        QCOMPARE(display.DisplayText(), text);
        display.setValue(value);
        QCOMPARE(display.DisplayText(), text);
        QCOMPARE(display.Value(), value);
    }

    void placesCells_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("bevelWidth");
        QTest::addColumn<int>("margin");
        QTest::addColumn<int>("numberWidth");
        QTest::addColumn<qint32>("gap");
        QTest::addColumn<qint32>("value");
        QTest::addColumn<QString>("cells");

        const int huge = std::numeric_limits<int>::max();
        const int tiny = std::numeric_limits<int>::min();
        QTest::newRow("score at inset 3 loses the seventh digit")
            << 67 << 1 << 1 << 10 << 0 << 1234567 << "54:7 44:6 34:5 24:4 14:3 4:2";
        QTest::newRow("score at inset 7: a cell at column 0 is cut off")
            << 67 << 3 << 1 << 10 << 0 << 1234567 << "50:7 40:6 30:5 20:4 10:3";
        QTest::newRow("a cell starting on the inset is cut off")
            << 66 << 1 << 1 << 10 << 0 << 1234567 << "53:7 43:6 33:5 23:4 13:3";
        QTest::newRow("cycles at bevel 1") << 65 << 1 << 0 << 60 << 0 << 7 << "3:7";
        QTest::newRow("cycles at bevel 3 show nothing") << 65 << 3 << 0 << 60 << 0 << 7 << "";
        QTest::newRow("speed dial shows the last digit") << 25 << 1 << 0 << 20 << 0 << 10 << "3:0";
        QTest::newRow("minus takes cell 10") << 67 << 1 << 1 << 10 << 0 << -12 << "54:2 44:1 34:10";
        QTest::newRow("gap between cells") << 67 << 1 << 1 << 10 << 2 << 123 << "54:3 42:2 30:1";
        QTest::newRow("negative gap overlaps") << 67 << 1 << 1 << 10 << -4 << 123 << "54:3 48:2 42:1";
        QTest::newRow("zero-wide cells draw nothing") << 67 << 1 << 1 << 0 << 0 << 123 << "";
        QTest::newRow("most negative gap: the rest lies right of the control")
            << 67 << 1 << 1 << 10 << tiny << 123 << "54:3";
        QTest::newRow("most positive gap: the rest lies left of the inset")
            << 67 << 1 << 1 << 10 << huge << 123 << "54:3";
        QTest::newRow("huge bevel leaves no room") << 67 << huge << 1 << 10 << 0 << 123 << "";
    }

    void placesCells()
    {
        QFETCH(int, width);
        QFETCH(int, bevelWidth);
        QFETCH(int, margin);
        QFETCH(int, numberWidth);
        QFETCH(qint32, gap);
        QFETCH(qint32, value);
        QFETCH(QString, cells);

        TRCADigital display;
        display.setAutoSize(false);
        display.resize(width, 30);
        display.setBevelWidth(bevelWidth);
        display.setMargin(static_cast<quint16>(margin));
        display.setNumberWidth(static_cast<quint16>(numberWidth));
        display.setGap(gap);
        display.setValue(value);
        QCOMPARE(describe(display.VisibleCells()), cells);
    }

    void insetAddsUpTheFrame_data()
    {
        QTest::addColumn<TRCADigital::TPanelBevel>("outer");
        QTest::addColumn<TRCADigital::TPanelBevel>("inner");
        QTest::addColumn<int>("bevelWidth");
        QTest::addColumn<int>("borderWidth");
        QTest::addColumn<int>("margin");
        QTest::addColumn<int>("inset");

        QTest::newRow("both bevels count") << TRCADigital::bvRaised << TRCADigital::bvLowered << 3 << 0 << 2 << 8;
        QTest::newRow("no outer bevel") << TRCADigital::bvNone << TRCADigital::bvLowered << 3 << 0 << 2 << 5;
        QTest::newRow("no inner bevel, with border")
            << TRCADigital::bvLowered << TRCADigital::bvNone << 2 << 1 << 0 << 3;
        QTest::newRow("border and margin only") << TRCADigital::bvNone << TRCADigital::bvNone << 9 << 4 << 1 << 5;
    }

    void insetAddsUpTheFrame()
    {
        QFETCH(TRCADigital::TPanelBevel, outer);
        QFETCH(TRCADigital::TPanelBevel, inner);
        QFETCH(int, bevelWidth);
        QFETCH(int, borderWidth);
        QFETCH(int, margin);
        QFETCH(int, inset);

        TRCADigital display;
        display.setAutoSize(false);
        display.resize(100, 30);
        display.setBevelOuter(outer);
        display.setBevelInner(inner);
        display.setBevelWidth(bevelWidth);
        display.setBorderWidth(borderWidth);
        display.setMargin(static_cast<quint16>(margin));
        QCOMPARE(display.DigitArea().inset, inset);
        QCOMPARE(display.DigitArea().right, 100 - inset);
    }

    void numbersSetsCellWidth_data()
    {
        QTest::addColumn<QImage>("strip");
        QTest::addColumn<int>("numberWidth");

        QTest::newRow("dial strip") << QImage(200, 20, QImage::Format_RGB32) << 20;
        QTest::newRow("strip with a minus cell") << QImage(110, 11, QImage::Format_RGB32) << 11;
        QTest::newRow("rounds down") << QImage(109, 11, QImage::Format_Indexed8) << 10;
        QTest::newRow("narrower than ten pixels") << QImage(9, 11, QImage::Format_RGB32) << 0;
        QTest::newRow("no picture empties the strip") << QImage() << 0;
        QTest::newRow("too wide for 16 bits") << QImage(700000, 1, QImage::Format_RGB32) << 65535;
    }

    void numbersSetsCellWidth()
    {
        QFETCH(QImage, strip);
        QFETCH(int, numberWidth);

        TRCADigital display;
        display.setNumberWidth(33);
        display.setNumbers(strip);
        QCOMPARE(int{display.NumberWidth()}, numberWidth);
        QCOMPARE(display.Numbers().size(), strip.size());
        // A cell width set after the strip wins, as a minus cell needs.
        display.setNumberWidth(7);
        QCOMPARE(int{display.NumberWidth()}, 7);
    }

    void autoSizeFitsHeightToStrip_data()
    {
        QTest::addColumn<int>("stripHeight");
        QTest::addColumn<int>("bevelWidth");
        QTest::addColumn<int>("margin");
        QTest::addColumn<int>("height");

        QTest::newRow("digits at inset 3") << 11 << 1 << 1 << 17;
        QTest::newRow("digits at inset 7") << 11 << 3 << 1 << 25;
        QTest::newRow("dials at inset 2") << 20 << 1 << 0 << 24;
    }

    void autoSizeFitsHeightToStrip()
    {
        QFETCH(int, stripHeight);
        QFETCH(int, bevelWidth);
        QFETCH(int, margin);
        QFETCH(int, height);

        TRCADigital display;
        display.setAutoSize(false);
        display.setBevelWidth(bevelWidth);
        display.setMargin(static_cast<quint16>(margin));
        display.setNumbers(makeStrip(10, stripHeight));
        QCOMPARE(display.height(), 41);
        QCOMPARE(display.width(), 185);

        display.setAutoSize(true);
        QCOMPARE(display.height(), height);
        QCOMPARE(display.width(), 185);

        // Switching it off keeps the fitted height.
        display.setAutoSize(false);
        display.setHeight(50);
        QCOMPARE(display.height(), 50);
    }

    void frameWidthsRefitOnlyAtTheNextTrigger_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::newRow("resize") << "resize";
        QTest::newRow("Numbers") << "Numbers";
        QTest::newRow("Margin") << "Margin";
        QTest::newRow("AutoSize") << "AutoSize";
    }

    void frameWidthsRefitOnlyAtTheNextTrigger()
    {
        QFETCH(QString, trigger);

        TRCADigital display;
        setUpScoreDisplay(display);
        display.setNumbers(makeStrip(10));
        // Resize events reach only a shown widget at once.
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        QCOMPARE(display.height(), 17);

        display.setBevelWidth(3);
        display.setBorderWidth(1);
        QCOMPARE(display.height(), 17);

        if (trigger == QLatin1String("resize"))
            display.setHeight(40);
        else if (trigger == QLatin1String("Numbers"))
            display.setNumbers(makeStrip(10));
        else if (trigger == QLatin1String("Margin"))
            display.setMargin(1);
        else
            display.setAutoSize(true);
        QCOMPARE(display.height(), 11 + 2 * (3 + 3 + 1 + 1));
    }

    void settingTheSameValueRepaints()
    {
        struct PaintCounter : QObject
        {
            int paints = 0;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    ++paints;
                return false;
            }
        } counter;

        TRCADigital display;
        display.setValue(5);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        display.installEventFilter(&counter);
        // Let the paints of showing it pass; the display is then at rest.
        QTest::qWait(50);
        counter.paints = 0;

        display.setValue(5);
        QTRY_VERIFY(counter.paints > 0);
    }

    void paintsCellsAtTheirColumns_data()
    {
        QTest::addColumn<int>("stripCells");
        QTest::addColumn<int>("numberWidth");
        QTest::addColumn<qint32>("gap");
        QTest::addColumn<qint32>("value");
        // Column ranges of the middle row and the strip cell whose colour each shows; every other
        // column inside the frame keeps the fill.
        QTest::addColumn<QString>("spans");

        QTest::newRow("a missing minus cell keeps the fill")
            << 10 << 10 << 0 << -1234 << "24-33:1 34-43:2 44-53:3 54-63:4";
        QTest::newRow("a minus cell in the strip") << 11 << 10 << 0 << -5 << "44-53:10 54-63:5";
        QTest::newRow("only the part inside the strip is copied") << 10 << 15 << 0 << 6 << "49-58:9";
        QTest::newRow("a negative gap draws the left cell on top") << 10 << 10 << -4 << 12 << "48-57:1 58-63:2";
    }

    void paintsCellsAtTheirColumns()
    {
        QFETCH(int, stripCells);
        QFETCH(int, numberWidth);
        QFETCH(qint32, gap);
        QFETCH(qint32, value);
        QFETCH(QString, spans);

        TRCADigital display;
        setUpScoreDisplay(display);
        display.setNumbers(makeStrip(stripCells));
        display.setNumberWidth(static_cast<quint16>(numberWidth));
        display.setGap(gap);
        display.setValue(value);
        QCOMPARE(display.size(), QSize(67, 17));

        const QImage picture = display.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(picture.size(), QSize(67, 17));
        const QRgb light = display.palette().color(QPalette::Light).rgb();
        const QRgb dark = display.palette().color(QPalette::Dark).rgb();
        const QRgb fill = QColor(Qt::black).rgb();

        // A raised outer bevel and a lowered inner one, each 1 pixel, then the fill.
        QList<QRgb> row(67, fill);
        row[0] = light;
        row[1] = dark;
        row[65] = light;
        row[66] = dark;
        for (const QString &span : spans.split(QLatin1Char(' '))) {
            const QStringList parts = span.split(QRegularExpression(QStringLiteral("[-:]")));
            for (int column = parts[0].toInt(); column <= parts[1].toInt(); ++column)
                row[column] = cellColour(parts[2].toInt());
        }
        for (int column = 0; column < 67; ++column)
            QVERIFY2(picture.pixel(column, 8) == row[column], qPrintable(QStringLiteral("column %1").arg(column)));

        // Vertically the cells start at the top inset and are as tall as the strip.
        const int firstColumn = spans.section(QLatin1Char('-'), 0, 0).toInt();
        const QRgb cell = row[firstColumn];
        const QList<QRgb> column{light, dark, fill, cell, cell, cell, cell,  cell, cell,
                                 cell,  cell, cell, cell, cell, fill, light, dark};
        for (int y = 0; y < 17; ++y)
            QVERIFY2(picture.pixel(firstColumn, y) == column[y], qPrintable(QString::number(y)));
    }

    void scalesCellsWithoutSmoothing()
    {
        // A one-cell strip whose pixels alternate, so any blending would show.
        QImage strip(10, 11, QImage::Format_RGB32);
        for (int y = 0; y < strip.height(); ++y)
            for (int x = 0; x < strip.width(); ++x)
                strip.setPixel(x, y, (x + y) % 2 ? qRgb(255, 140, 0) : qRgb(20, 0, 60));

        TRCADigital display;
        setUpScoreDisplay(display);
        display.setNumbers(strip);
        display.setNumberWidth(10);

        QImage picture(display.size() * 2, QImage::Format_RGB32);
        picture.setDevicePixelRatio(2.0);
        display.render(&picture);

        // The cell of "0" sits at column 54, row 3 (inset 3).
        for (int y = 0; y < 2 * strip.height(); ++y)
            for (int x = 0; x < 2 * strip.width(); ++x)
                QVERIFY2(picture.pixel(2 * 54 + x, 2 * 3 + y) == strip.pixel(x / 2, y / 2),
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
    }
};

QTEST_MAIN(tst_TRCADigital)
#include "tst_TRCADigital.moc"
