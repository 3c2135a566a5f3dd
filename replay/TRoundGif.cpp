#include "replay/TRoundGif.h"

#include "components/TGifWriter.h"
#include "game/TFieldSurface.h"
#include "platform/Failure.h"

#include <algorithm>
#include <cmath>
#include <cstring>

TRoundGif::TRoundGif(std::shared_ptr<const TReplay> replay, int wanted, TGifOptions chosen, TShownColour colour)
    : playback(std::move(replay))
    , options(chosen)
    , shown(std::move(colour))
{
    if (playback.RoundCount() == 0)
        throw Failure("This replay holds no round to export.");
    options.scale = std::clamp(options.scale, 1, LargestScale);
    if (!std::isfinite(options.speed))
        options.speed = 1.0;
    options.speed = std::clamp(options.speed, SlowestSpeed, FastestSpeed);
    gameMsPerFrame = FrameCentiseconds * 10.0 * options.speed;

    playback.GoToRound(wanted);
    round = playback.Round();
    // Frames at 0, 1, 2... frame times up to the crash, which is a frame of its own.
    const auto length = static_cast<double>(playback.RoundLength());
    frames = static_cast<int>(std::min(std::ceil(length / gameMsPerFrame), 1e9)) + 1;
}

QSize TRoundGif::Size() const
{
    return QSize(TFieldSurface::Width, TFieldSurface::Height) * options.scale;
}

bool TRoundGif::Save(const QString &path, const TGifProgress &progress)
{
    TGifWriter writer(path, Size());
    const int encoding = std::max(frames / 2, 1);
    const int total = frames + encoding;
    if (!Draw(writer, progress, total))
        return false;
    if (!progress) {
        writer.Finish();
        return true;
    }
    return writer.Finish([&](int done, int all) {
        const auto share = static_cast<std::int64_t>(done) * encoding / std::max(all, 1);
        return progress(frames + static_cast<int>(share), total);
    });
}

bool TRoundGif::Render(TGifWriter &writer, const TGifProgress &progress)
{
    return Draw(writer, progress, frames);
}

bool TRoundGif::Draw(TGifWriter &writer, const TGifProgress &progress, int total)
{
    field = QImage();
    playback.GoToRound(round);
    for (int frame = 0; frame < frames; ++frame) {
        const bool last = frame == frames - 1;
        if (last)
            playback.ToEnd();
        else
            playback.SeekTo(std::llround(frame * gameMsPerFrame));
        writer.AddFrame(Picture(), last ? CrashCentiseconds : FrameCentiseconds);
        if (progress && !progress(frame + 1, total))
            return false;
    }
    return true;
}

const QImage &TRoundGif::Picture()
{
    const QImage now = playback.Mirror().playfield.field.Image().convertToFormat(QImage::Format_RGB32);
    const int scale = options.scale;
    // The first picture is drawn whole.
    const bool whole = field.isNull();
    if (whole) {
        field = now.copy();
        picture = QImage(now.size() * scale, QImage::Format_RGB32);
    }
    const std::size_t lineBytes = static_cast<std::size_t>(now.width()) * sizeof(QRgb);
    for (int y = 0; y < now.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(now.constScanLine(y));
        auto *before = reinterpret_cast<QRgb *>(field.scanLine(y));
        if (!whole && std::memcmp(in, before, lineBytes) == 0)
            continue;
        for (int x = 0; x < now.width(); ++x) {
            if (!whole && in[x] == before[x])
                continue;
            before[x] = in[x];
            const QRgb colour = Shown(in[x]);
            for (int dy = 0; dy < scale; ++dy) {
                auto *out = reinterpret_cast<QRgb *>(picture.scanLine(y * scale + dy)) + x * scale;
                std::fill(out, out + scale, colour);
            }
        }
    }
    return picture;
}

QRgb TRoundGif::Shown(QRgb colour)
{
    if (const auto known = colours.find(colour); known != colours.end())
        return known->second;
    const QRgb mapped = shown ? shown(colour, options.bright) : colour;
    colours.emplace(colour, mapped);
    return mapped;
}
