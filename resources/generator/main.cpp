// Writes every picture, cursor, icon and sound of the game under the resources folder given as the
// only argument. Run through resources/generate.sh.

#include "Art.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <exception>
#include <stdexcept>

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw std::runtime_error(("cannot write " + path).toStdString());
    std::printf("%s\n", qPrintable(QDir::current().relativeFilePath(path)));
}

// Opaque pictures are stored without an alpha channel; cursors and icons keep theirs.
void writePng(const QString &path, const QImage &image, bool keepAlpha = false)
{
    const QImage stored = image.convertToFormat(keepAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!stored.save(&buffer, "PNG", 0))
        throw std::runtime_error(("cannot encode " + path).toStdString());
    write(path, bytes);
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv); // fonts need a GUI application (run with QT_QPA_PLATFORM=offscreen)
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RESOURCES_DIR\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    try {
        const QString pictures = out.filePath(QStringLiteral("pictures/"));
        writePng(pictures + "digits-orange.png", art::digitStrip(art::Accent::Orange));
        writePng(pictures + "digits-cyan.png", art::digitStrip(art::Accent::Cyan));
        writePng(pictures + "dial-orange.png", art::dialStrip(art::Accent::Orange));
        writePng(pictures + "dial-cyan.png", art::dialStrip(art::Accent::Cyan));
        writePng(pictures + "cycles.png", art::cycleStrip());
        writePng(pictures + "panel.png", art::sidePanel(QStringLiteral("PLAYER 2")));
        writePng(pictures + "panel-computer.png", art::sidePanel(QStringLiteral("COMPUTER")));
        writePng(pictures + "replay-panel.png", art::replayPanel());
        writePng(pictures + "gameover.png", art::gameOverPicture());
        writePng(pictures + "winner-player.png", art::winnerBanner(QStringLiteral("PLAYER 1 WINS")), true);
        writePng(pictures + "winner-computer.png", art::winnerBanner(QStringLiteral("COMPUTER WINS")), true);
        writePng(pictures + "starthint.png", art::startHint(), true);
        writePng(pictures + "icon.png", art::programIcon(32), true);
        writePng(pictures + "halloffame.png", art::hallOfFamePicture());
        writePng(pictures + "newhigh.png", art::newHighscorePicture());
        writePng(pictures + "crash.png", art::crashPicture());
        writePng(pictures + "about.png", art::aboutPicture());

        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            writePng(out.filePath(QStringLiteral("icons/hicolor/%1x%1/apps/org.zandrix.Zandrix2.png").arg(size)),
                     art::programIcon(size), true);

        writePng(out.filePath(QStringLiteral("cursors/MQOHAND.png")), art::openHandCursor(), true);
        writePng(out.filePath(QStringLiteral("cursors/MQCHAND.png")), art::closedHandCursor(), true);

        write(out.filePath(QStringLiteral("sounds/explode.wav")), art::explosionSound());
        write(out.filePath(QStringLiteral("sounds/applaus.wav")), art::applauseSound());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "zandrix2-artgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
