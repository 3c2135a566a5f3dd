#include "components/TGifWriter.h"

#include "platform/Failure.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Remembered nearest colours beyond the palette's: enough for any picture of a game, bounded for
// a photograph.
constexpr std::size_t MostRemembered = 1 << 16;

int Distance(QRgb a, QRgb b)
{
    const int red = qRed(a) - qRed(b);
    const int green = qGreen(a) - qGreen(b);
    const int blue = qBlue(a) - qBlue(b);
    return red * red + green * green + blue * blue;
}

const QRgb *Line(const QImage &image, int y)
{
    return reinterpret_cast<const QRgb *>(image.constScanLine(y));
}

// giflib hands its bytes here; the file is the writer's QSaveFile.
int WriteToFile(GifFileType *gif, const GifByteType *bytes, int length)
{
    auto *file = static_cast<QSaveFile *>(gif->UserData);
    return file->write(reinterpret_cast<const char *>(bytes), length) == length ? length : 0;
}

struct GifCloser
{
    void operator()(GifFileType *gif) const
    {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

struct MapFreer
{
    void operator()(ColorMapObject *map) const { GifFreeMapObject(map); }
};

} // namespace

TGifWriter::TGifWriter(const QString &target, QSize pictureSize)
    : path(target)
    , size(pictureSize)
    , file(std::make_unique<QSaveFile>(target))
{
    if (size.width() < 1 || size.height() < 1 || size.width() > 65535 || size.height() > 65535)
        throw Failure(QStringLiteral("A GIF of %1 x %2 pixels cannot be made")
                          .arg(size.width())
                          .arg(size.height())
                          .toStdString());
    if (!file->open(QIODevice::WriteOnly))
        throw Failure(WriteFailed().toStdString());
}

// The QSaveFile, destroyed uncommitted, throws its temporary file away.
TGifWriter::~TGifWriter() = default;

QString TGifWriter::WriteFailed() const
{
    return QStringLiteral("Kann nicht nach %1 schreiben")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

void TGifWriter::AddFrame(const QImage &frame, int delayCentiseconds)
{
    if (finished)
        throw Failure("A GIF that is finished takes no more frames");
    if (frame.size() != size)
        throw Failure(QStringLiteral("A frame of %1 x %2 pixels does not fit a GIF of %3 x %4")
                          .arg(frame.width())
                          .arg(frame.height())
                          .arg(size.width())
                          .arg(size.height())
                          .toStdString());
    const int delay = std::clamp(delayCentiseconds, 0, LongestDelay);
    const QImage image = frame.convertToFormat(QImage::Format_RGB32);
    if (frames.empty()) {
        canvas = image.copy();
        Store(canvas.rect(), image, delay, false);
        return;
    }

    // The rows that changed, then the columns within them.
    const std::size_t lineBytes = static_cast<std::size_t>(size.width()) * sizeof(QRgb);
    int top = 0;
    while (top < size.height() && std::memcmp(Line(image, top), Line(canvas, top), lineBytes) == 0)
        ++top;
    if (top == size.height()) {
        Lengthen(delay);
        return;
    }
    int bottom = size.height() - 1;
    while (std::memcmp(Line(image, bottom), Line(canvas, bottom), lineBytes) == 0)
        --bottom;
    int left = size.width();
    int right = -1;
    for (int y = top; y <= bottom; ++y) {
        const QRgb *now = Line(image, y);
        const QRgb *before = Line(canvas, y);
        for (int x = 0; x < left; ++x)
            if (now[x] != before[x]) {
                left = x;
                break;
            }
        for (int x = size.width() - 1; x > right; --x)
            if (now[x] != before[x]) {
                right = x;
                break;
            }
    }
    const QRect changed(QPoint(left, top), QPoint(right, bottom));
    Store(changed, image, delay, true);
}

void TGifWriter::Store(const QRect &rect, const QImage &image, int delay, bool transparent)
{
    QByteArray pixels(static_cast<qsizetype>(rect.width()) * rect.height(), Qt::Uninitialized);
    auto *out = reinterpret_cast<std::uint8_t *>(pixels.data());
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const QRgb *now = Line(image, y) + rect.left();
        auto *shown = reinterpret_cast<QRgb *>(canvas.scanLine(y)) + rect.left();
        for (int x = 0; x < rect.width(); ++x) {
            if (transparent && now[x] == shown[x]) {
                *out++ = Transparent;
            } else {
                *out++ = IndexOf(now[x]);
                shown[x] = now[x];
            }
        }
    }
    frames.push_back({rect, delay, transparent, qCompress(pixels, 1)});
}

// A frame like the one before: that one stays longer. A GIF's delay has 16 bits; past them an
// empty frame (one transparent pixel) carries the rest.
void TGifWriter::Lengthen(int delay)
{
    Frame &last = frames.back();
    if (last.delay + delay <= LongestDelay) {
        last.delay += delay;
        return;
    }
    const QByteArray nothing(1, static_cast<char>(Transparent));
    frames.push_back({QRect(0, 0, 1, 1), delay, true, qCompress(nothing, 1)});
}

std::uint8_t TGifWriter::IndexOf(QRgb colour)
{
    colour |= 0xFF000000u;
    if (const auto known = indices.find(colour); known != indices.end())
        return known->second;
    if (palette.size() < MostColours) {
        palette.push_back(colour);
        const auto index = static_cast<std::uint8_t>(palette.size());
        indices.emplace(colour, index);
        return index;
    }
    std::size_t nearest = 0;
    int nearestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < palette.size(); ++i)
        if (const int distance = Distance(colour, palette[i]); distance < nearestDistance) {
            nearest = i;
            nearestDistance = distance;
        }
    const auto index = static_cast<std::uint8_t>(nearest + 1);
    if (indices.size() < MostRemembered)
        indices.emplace(colour, index);
    return index;
}

void TGifWriter::Finish()
{
    Finish({});
}

bool TGifWriter::Finish(const Progress &progress)
{
    if (finished)
        return true;
    if (frames.empty())
        throw Failure("A GIF needs at least one frame");
    if (!Encode(progress)) {
        file->cancelWriting();
        return false;
    }
    if (!file->commit())
        throw Failure(WriteFailed().toStdString());
    finished = true;
    return true;
}

bool TGifWriter::Encode(const Progress &progress)
{
    // The palette: the transparent entry, then the colours, padded to a power of two.
    const int bits = GifBitSize(static_cast<int>(palette.size()) + 1);
    std::unique_ptr<ColorMapObject, MapFreer> map(GifMakeMapObject(1 << bits, nullptr));
    if (!map)
        throw Failure("Out of memory for a GIF's palette");
    for (std::size_t i = 0; i < palette.size(); ++i)
        map->Colors[i + 1] = {static_cast<GifByteType>(qRed(palette[i])), static_cast<GifByteType>(qGreen(palette[i])),
                              static_cast<GifByteType>(qBlue(palette[i]))};

    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(file.get(), WriteToFile, &error));
    if (!gif)
        throw Failure(WriteFailed().toStdString());
    const auto check = [this](int result) {
        if (result != GIF_OK)
            throw Failure(WriteFailed().toStdString());
    };
    EGifSetGifVersion(gif.get(), true);
    check(EGifPutScreenDesc(gif.get(), size.width(), size.height(), 8, Transparent, map.get()));

    // Loop forever: the application extension every browser and viewer knows.
    static const char application[] = "NETSCAPE2.0";
    static const GifByteType loop[3] = {1, 0, 0}; // sub-block 1: repeat count 0, forever
    check(EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE));
    check(EGifPutExtensionBlock(gif.get(), 11, application));
    check(EGifPutExtensionBlock(gif.get(), 3, loop));
    check(EGifPutExtensionTrailer(gif.get()));

    for (std::size_t i = 0; i < frames.size(); ++i) {
        const Frame &frame = frames[i];
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.UserInputFlag = false;
        control.DelayTime = frame.delay;
        control.TransparentColor = frame.transparent ? Transparent : NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        check(EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension));
        check(EGifPutImageDesc(gif.get(), frame.rect.left(), frame.rect.top(), frame.rect.width(), frame.rect.height(),
                               false, nullptr));
        QByteArray pixels = qUncompress(frame.packed);
        if (pixels.size() != static_cast<qsizetype>(frame.rect.width()) * frame.rect.height())
            throw Failure("Out of memory for a GIF's frame");
        check(EGifPutLine(gif.get(), reinterpret_cast<GifPixelType *>(pixels.data()), static_cast<int>(pixels.size())));
        if (progress && !progress(static_cast<int>(i + 1), FrameCount()))
            return false;
    }

    // Closing writes the trailer.
    const int closed = EGifCloseFile(gif.release(), &error);
    check(closed);
    return true;
}
