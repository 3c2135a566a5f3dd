#pragma once

#include "replay/TReplayPlayback.h"

#include <QImage>
#include <QRgb>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

class TGifWriter;

// How a round is exported: the size (1 for the field's own pixels, 2 for each pixel a 2 x 2
// block), the speed (2: twice as fast as it was played) and the window's brighter colours.
struct TGifOptions
{
    int scale = 1;
    double speed = 1.0;
    bool bright = false;
};

// How the window shows a pixel of the field (TFieldView::Shown): the field's colour in, the shown
// one out.
using TShownColour = std::function<QRgb(QRgb field, bool bright)>;
// Told after each frame how many of all are done; answering false cancels the export.
using TGifProgress = std::function<bool(int done, int total)>;

// One round of a kept game as an animated GIF of the field: from the round's start to its crash,
// a frame every 40 ms of the animation (so at speed 4 each frame moves on 160 ms of the game), the
// crash held for 3 seconds, in the colours the window shows, scaled with crisp pixels.
class TRoundGif
{
public:
    static constexpr int FrameCentiseconds = 4;
    static constexpr int CrashCentiseconds = 300;
    // The speeds and sizes offered are within these; others are brought within them.
    static constexpr double SlowestSpeed = 1.0 / 16.0;
    static constexpr double FastestSpeed = 64.0;
    static constexpr int LargestScale = 4;

    // A round out of range is clamped to the first or last, as a playback does.
    TRoundGif(std::shared_ptr<const TReplay> replay, int round, TGifOptions options, TShownColour shown);

    QSize Size() const;
    int FrameCount() const { return frames; }

    // Writes the file at `path` and returns true; returns false, with nothing written, when the
    // progress answers false. A failure to write is a Failure ("Kann nicht nach <path> schreiben").
    // The progress counts the frames drawn, then the encoding as half as many more.
    bool Save(const QString &path, const TGifProgress &progress = {});
    // Adds the round's frames to a writer of Size(), which the caller finishes; the progress
    // counts the frames.
    bool Render(TGifWriter &writer, const TGifProgress &progress = {});

private:
    bool Draw(TGifWriter &writer, const TGifProgress &progress, int total);
    // The picture of the field at the playback's position, drawing only what changed since the
    // picture before.
    const QImage &Picture();
    QRgb Shown(QRgb field);

    TReplayPlayback playback;
    TGifOptions options;
    TShownColour shown;
    int round = 0;
    double gameMsPerFrame = 40.0;
    int frames = 1;
    // The field as last drawn, and the picture drawn from it.
    QImage field;
    QImage picture;
    std::unordered_map<QRgb, QRgb> colours;
};
