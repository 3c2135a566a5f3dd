#include <QFile>
#include <QImage>
#include <QSet>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

// What the game needs to know of a WAV file, read from its chunks.
struct WaveInfo
{
    quint16 format = 0;
    quint16 channels = 0;
    quint32 rate = 0;
    quint16 bits = 0;
    QByteArray samples;

    double seconds() const
    {
        const int frameBytes = channels * bits / 8;
        return frameBytes == 0 ? 0.0 : double(samples.size()) / frameBytes / rate;
    }
    int peak() const
    {
        int loudest = 0;
        for (qsizetype i = 0; i + 1 < samples.size(); i += 2)
            loudest = std::max(loudest, std::abs(int(qFromLittleEndian<qint16>(samples.constData() + i))));
        return loudest;
    }
};

// Walks the RIFF chunks; nullopt when the file is no well-formed WAVE file with a fmt and a data
// chunk inside its bounds.
std::optional<WaveInfo> readWave(const QByteArray &file)
{
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE")
        return std::nullopt;
    if (qFromLittleEndian<quint32>(file.constData() + 4) != quint32(file.size() - 8))
        return std::nullopt;
    WaveInfo info;
    bool haveFormat = false;
    bool haveData = false;
    qsizetype at = 12;
    while (at + 8 <= file.size()) {
        const QByteArray id = file.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(file.constData() + at + 4);
        if (size > quint32(file.size() - at - 8))
            return std::nullopt;
        const char *body = file.constData() + at + 8;
        if (id == "fmt " && size >= 16) {
            info.format = qFromLittleEndian<quint16>(body);
            info.channels = qFromLittleEndian<quint16>(body + 2);
            info.rate = qFromLittleEndian<quint32>(body + 4);
            info.bits = qFromLittleEndian<quint16>(body + 14);
            haveFormat = true;
        } else if (id == "data") {
            info.samples = QByteArray(body, qsizetype(size));
            haveData = true;
        }
        at += 8 + qsizetype(size) + qsizetype(size % 2);
    }
    if (!haveFormat || !haveData)
        return std::nullopt;
    return info;
}

QImage cell(const QImage &strip, int width, int k)
{
    return strip.copy(k * width, 0, width, strip.height());
}

// Relative luminance of an sRGB colour, the measure behind the WCAG contrast ratio.
double relativeLuminance(QRgb p)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(p)) + 0.7152 * linear(qGreen(p)) + 0.0722 * linear(qBlue(p));
}

// A digit cell split into its lit strokes and everything else (ground, glow, ghost). The split
// lies at the widest step in contrast between the cell's luminances, so it needs no knowledge of
// the palette, and the width of that step is how clearly the strokes stand out.
struct Glyph
{
    int width = 0;
    int height = 0;
    std::vector<bool> lit; // row by row
    std::vector<double> luminance;
    double contrast = 1.0; // dimmest lit pixel against the brightest unlit one

    bool isLit(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && lit[size_t(y * width + x)]; }
    double at(int x, int y) const { return luminance[size_t(y * width + x)]; }

    QRect litBox() const
    {
        QRect box;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (isLit(x, y))
                    box |= QRect(x, y, 1, 1);
        return box;
    }

    // Pieces of lit pixels joined through their edges.
    int strokes() const
    {
        std::vector<bool> seen(lit.size(), false);
        int pieces = 0;
        for (int start = 0; start < width * height; ++start) {
            if (!lit[size_t(start)] || seen[size_t(start)])
                continue;
            ++pieces;
            std::vector<int> todo{start};
            seen[size_t(start)] = true;
            while (!todo.empty()) {
                const int at = todo.back();
                todo.pop_back();
                const int x = at % width;
                const int y = at / width;
                for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const int nx = x + step.x();
                    const int ny = y + step.y();
                    if (isLit(nx, ny) && !seen[size_t(ny * width + nx)]) {
                        seen[size_t(ny * width + nx)] = true;
                        todo.push_back(ny * width + nx);
                    }
                }
            }
        }
        return pieces;
    }

    // The luminance of the cell's ground: the middle of its unlit pixels.
    double ground() const
    {
        std::vector<double> unlit;
        for (size_t i = 0; i < lit.size(); ++i)
            if (!lit[i])
                unlit.push_back(luminance[i]);
        if (unlit.empty())
            return 1.0;
        std::nth_element(unlit.begin(), unlit.begin() + qsizetype(unlit.size() / 2), unlit.end());
        return unlit[unlit.size() / 2];
    }
};

Glyph splitGlyph(const QImage &picture)
{
    Glyph g;
    g.width = picture.width();
    g.height = picture.height();
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            g.luminance.push_back(relativeLuminance(picture.pixel(x, y)));
    std::vector<double> levels = g.luminance;
    std::sort(levels.begin(), levels.end());
    levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
    double threshold = 2.0; // above every luminance: nothing lit
    for (size_t i = 0; i + 1 < levels.size(); ++i) {
        const double ratio = (levels[i + 1] + 0.05) / (levels[i] + 0.05);
        if (ratio > g.contrast) {
            g.contrast = ratio;
            threshold = levels[i + 1];
        }
    }
    for (double l : g.luminance)
        g.lit.push_back(l >= threshold);
    return g;
}

} // namespace

class tst_resources : public QObject
{
    Q_OBJECT

private slots:
    void picturesAreCompiledInAtTheirSizes_data();
    void picturesAreCompiledInAtTheirSizes();
    void stripCellsAreFilledAlignedAndDistinct_data();
    void stripCellsAreFilledAlignedAndDistinct();
    void playerStripsDifferInColour();
    void digitsAreSolidFiguresThatStandOut_data();
    void digitsAreSolidFiguresThatStandOut();
    void cursorsAreTwoColourHandsAtTheHotSpot_data();
    void cursorsAreTwoColourHandsAtTheHotSpot();
    void sixteenBitPcmSoundsOfTheirLength_data();
    void sixteenBitPcmSoundsOfTheirLength();
    void desktopIconsAtEverySize();
};

void tst_resources::picturesAreCompiledInAtTheirSizes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("digits orange") << ":/pictures/digits-orange.png" << QSize(100, 11);
    QTest::newRow("digits cyan") << ":/pictures/digits-cyan.png" << QSize(100, 11);
    QTest::newRow("dial orange") << ":/pictures/dial-orange.png" << QSize(200, 20);
    QTest::newRow("dial cyan") << ":/pictures/dial-cyan.png" << QSize(200, 20);
    QTest::newRow("cycles") << ":/pictures/cycles.png" << QSize(600, 9);
    QTest::newRow("panel") << ":/pictures/panel.png" << QSize(92, 552);
    QTest::newRow("game over") << ":/pictures/gameover.png" << QSize(603, 452);
    QTest::newRow("icon") << ":/pictures/icon.png" << QSize(32, 32);
    QTest::newRow("hall of fame") << ":/pictures/halloffame.png" << QSize(800, 600);
    QTest::newRow("new highscore") << ":/pictures/newhigh.png" << QSize(320, 240);
    QTest::newRow("crash") << ":/pictures/crash.png" << QSize(320, 240);
    QTest::newRow("about") << ":/pictures/about.png" << QSize(300, 200);
    QTest::newRow("open hand") << ":/cursors/MQOHAND.png" << QSize(32, 32);
    QTest::newRow("closed hand") << ":/cursors/MQCHAND.png" << QSize(32, 32);
}

void tst_resources::picturesAreCompiledInAtTheirSizes()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const QImage picture(path);
    QVERIFY2(!picture.isNull(), qPrintable(path));
    QCOMPARE(picture.size(), size);
}

// A display picks cell k of its strip for the digit k: an empty strip, a cell drawn twice or a
// picture shifted across a cell border would show the wrong thing. Each strip's cells keep a known
// border (a digit's black right edge, a dial's black corners, a cycle cell's empty end columns), so
// a shift shows there.
void tst_resources::stripCellsAreFilledAlignedAndDistinct_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("cellWidth");
    QTest::newRow("digits orange") << ":/pictures/digits-orange.png" << 10;
    QTest::newRow("digits cyan") << ":/pictures/digits-cyan.png" << 10;
    QTest::newRow("dial orange") << ":/pictures/dial-orange.png" << 20;
    QTest::newRow("dial cyan") << ":/pictures/dial-cyan.png" << 20;
    QTest::newRow("cycles") << ":/pictures/cycles.png" << 60;
}

void tst_resources::stripCellsAreFilledAlignedAndDistinct()
{
    QFETCH(QString, path);
    QFETCH(int, cellWidth);
    const QImage strip = QImage(path).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(strip.width(), 10 * cellWidth);
    const QRgb black = qRgb(0, 0, 0);

    for (int k = 0; k < 10; ++k) {
        const QImage c = cell(strip, cellWidth, k);
        QSet<QRgb> colours;
        for (int y = 0; y < c.height(); ++y)
            for (int x = 0; x < c.width(); ++x)
                colours.insert(c.pixel(x, y));
        QVERIFY2(colours.size() >= 4, qPrintable(QString("cell %1 is nearly blank").arg(k)));

        const int last = cellWidth - 1;
        const int bottom = c.height() - 1;
        if (cellWidth == 10) {
            for (int y = 1; y <= bottom; ++y)
                QCOMPARE(c.pixel(last, y), black);
            QVERIFY(c.pixel(0, 0) != black);
        } else if (cellWidth == 20) {
            for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, bottom), QPoint(last, bottom)})
                QCOMPARE(c.pixel(corner), black);
        } else {
            for (int y = 0; y <= bottom; ++y) {
                QCOMPARE(c.pixel(0, y), black);
                QCOMPARE(c.pixel(last, y), black);
            }
        }
    }
    // The cycles strip ends in two spare cells that both show three green cycles.
    const int distinctCells = cellWidth == 60 ? 9 : 10;
    for (int i = 0; i < distinctCells; ++i)
        for (int j = i + 1; j < distinctCells; ++j)
            QVERIFY2(cell(strip, cellWidth, i) != cell(strip, cellWidth, j),
                     qPrintable(QString("cells %1 and %2 are the same").arg(i).arg(j)));
}

// The two players' displays share one control class and differ only by their strips.
void tst_resources::playerStripsDifferInColour()
{
    QVERIFY(QImage(":/pictures/digits-orange.png") != QImage(":/pictures/digits-cyan.png"));
    QVERIFY(QImage(":/pictures/dial-orange.png") != QImage(":/pictures/dial-cyan.png"));
}

// A score must read at a glance at 1x. The digit strips failed that as a dot matrix inside a lit
// frame: each figure fell apart into separate dots, and the frame and unlit dots competed with the
// lit ones. So every figure must be one or two solid pieces that fill its cell, stand out from
// whatever is unlit by at least the 4.5 : 1 contrast asked of readable text, sit in no frame, and
// keep the player's colour.
void tst_resources::digitsAreSolidFiguresThatStandOut_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("warm");
    QTest::newRow("digits orange") << ":/pictures/digits-orange.png" << true;
    QTest::newRow("digits cyan") << ":/pictures/digits-cyan.png" << false;
}

void tst_resources::digitsAreSolidFiguresThatStandOut()
{
    QFETCH(QString, path);
    QFETCH(bool, warm);
    const QImage strip = QImage(path).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(strip.size(), QSize(100, 11));

    std::vector<Glyph> glyphs;
    for (int k = 0; k < 10; ++k) {
        const QImage picture = cell(strip, 10, k);
        const Glyph g = splitGlyph(picture);
        const QString digit = QString("digit %1: ").arg(k);

        QVERIFY2(g.contrast >= 4.5, qPrintable(digit + QString("contrast %1 : 1").arg(g.contrast)));
        const QRect box = g.litBox();
        QVERIFY2(box.width() >= 7 && box.height() >= 10,
                 qPrintable(digit + QString("lit %1 x %2").arg(box.width()).arg(box.height())));
        // Up to two pieces leave room for a figure whose strokes do not meet; a dot matrix breaks
        // into many more.
        QVERIFY2(g.strokes() <= 2, qPrintable(digit + QString("%1 separate pieces").arg(g.strokes())));

        // A frame is a border row or column lit above the ground along its whole length.
        const double ground = g.ground();
        const auto brightLine = [&](QPoint from, QPoint step, int length) {
            for (int i = 0; i < length; ++i)
                if (g.at(from.x() + i * step.x(), from.y() + i * step.y()) <= ground)
                    return false;
            return true;
        };
        QVERIFY2(!brightLine({0, 0}, {1, 0}, g.width), qPrintable(digit + "top edge lit"));
        QVERIFY2(!brightLine({0, g.height - 1}, {1, 0}, g.width), qPrintable(digit + "bottom edge lit"));
        QVERIFY2(!brightLine({0, 0}, {0, 1}, g.height), qPrintable(digit + "left edge lit"));
        QVERIFY2(!brightLine({g.width - 1, 0}, {0, 1}, g.height), qPrintable(digit + "right edge lit"));

        // Orange for player 1 and cyan for player 2, in every lit pixel.
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x)
                if (g.isLit(x, y)) {
                    const QRgb p = picture.pixel(x, y);
                    QVERIFY2(warm ? qRed(p) > qBlue(p) : qBlue(p) > qRed(p),
                             qPrintable(digit + QString("pixel %1,%2 is off the colour").arg(x).arg(y)));
                }
        glyphs.push_back(g);
    }
    // Shading may differ; the shapes themselves must.
    for (size_t i = 0; i < glyphs.size(); ++i)
        for (size_t j = i + 1; j < glyphs.size(); ++j)
            QVERIFY2(glyphs[i].lit != glyphs[j].lit,
                     qPrintable(QString("digits %1 and %2 have one shape").arg(i).arg(j)));
}

void tst_resources::cursorsAreTwoColourHandsAtTheHotSpot_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("open hand") << ":/cursors/MQOHAND.png";
    QTest::newRow("closed hand") << ":/cursors/MQCHAND.png";
}

void tst_resources::cursorsAreTwoColourHandsAtTheHotSpot()
{
    QFETCH(QString, path);
    const QImage cursor = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QVERIFY(cursor.hasAlphaChannel());
    int blacks = 0;
    int whites = 0;
    QRect hand;
    for (int y = 0; y < cursor.height(); ++y) {
        for (int x = 0; x < cursor.width(); ++x) {
            const QRgb p = cursor.pixel(x, y);
            if (qAlpha(p) == 0)
                continue;
            QCOMPARE(qAlpha(p), 255);
            if (p == qRgb(0, 0, 0))
                ++blacks;
            else if (p == qRgb(255, 255, 255))
                ++whites;
            else
                QFAIL(qPrintable(QString("pixel %1,%2 is neither black nor white").arg(x).arg(y)));
            hand |= QRect(x, y, 1, 1);
        }
    }
    QVERIFY(blacks > 40);
    QVERIFY(whites > 100);
    // The hot spot is the top-left pixel, so the hand must start right there.
    QVERIFY2(hand.left() <= 4 && hand.top() <= 5,
             qPrintable(QString("hand starts at %1,%2").arg(hand.left()).arg(hand.top())));
}

void tst_resources::sixteenBitPcmSoundsOfTheirLength_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("minSeconds");
    QTest::addColumn<double>("maxSeconds");
    QTest::newRow("explosion") << "explode.wav" << 1.0 << 2.5;
    QTest::newRow("applause") << "applaus.wav" << 3.0 << 6.0;
}

void tst_resources::sixteenBitPcmSoundsOfTheirLength()
{
    QFETCH(QString, name);
    QFETCH(double, minSeconds);
    QFETCH(double, maxSeconds);
    QFile file(QStringLiteral(ZANDRIX_RESOURCES_DIR "/sounds/") + name);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const std::optional<WaveInfo> wave = readWave(file.readAll());
    QVERIFY2(wave, "not a well-formed WAVE file");
    QCOMPARE(wave->format, quint16(1));
    QCOMPARE(wave->bits, quint16(16));
    QVERIFY(wave->channels == 1 || wave->channels == 2);
    QVERIFY(wave->rate == 22050 || wave->rate == 44100);
    QVERIFY2(wave->seconds() >= minSeconds && wave->seconds() <= maxSeconds,
             qPrintable(QString::number(wave->seconds())));
    QVERIFY2(wave->peak() > 16000, "the sound is (nearly) silent");
}

// The icons a desktop installation picks up: each size drawn for itself, with a transparent
// surround.
void tst_resources::desktopIconsAtEverySize()
{
    QImage previous;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path =
            QStringLiteral(ZANDRIX_RESOURCES_DIR "/icons/hicolor/%1x%1/apps/org.zandrix.Zandrix2.png").arg(size);
        const QImage icon(path);
        QVERIFY2(!icon.isNull(), qPrintable(path));
        QCOMPARE(icon.size(), QSize(size, size));
        QVERIFY(icon.hasAlphaChannel());
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QVERIFY(qAlpha(icon.pixel(size / 2, size / 2)) == 255);
    }
    QCOMPARE(QImage(":/pictures/icon.png"),
             QImage(QStringLiteral(ZANDRIX_RESOURCES_DIR "/icons/hicolor/32x32/apps/org.zandrix.Zandrix2.png")));
}

QTEST_GUILESS_MAIN(tst_resources)
#include "tst_resources.moc"
