#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class QSaveFile;

// Writes an animated GIF that loops forever, frame by frame, through giflib. The file appears at
// its path only when Finish() succeeds: a writer destroyed before that (cancelled, or failed) leaves
// nothing behind, and an older file of that name stays as it was.
//
// It is kept small for pictures of few colours: one global palette of the colours seen (up to 255;
// any further colour is shown as the nearest of those), each frame only the rectangle that changed
// since the previous one, drawn over it ("do not dispose") with the unchanged pixels inside that
// rectangle transparent, and a frame identical to the previous one adds its delay to it. Since the
// palette is known only at the end, the frames wait in memory until Finish(), each compressed.
//
// Every failure is a Failure; one to create or write the file says "Kann nicht nach <path> schreiben".
class TGifWriter
{
public:
    // Opens the file at once, so that a folder that is not there or not writable fails here,
    // before any frame is made.
    TGifWriter(const QString &path, QSize size);
    ~TGifWriter();
    TGifWriter(const TGifWriter &) = delete;
    TGifWriter &operator=(const TGifWriter &) = delete;

    QSize Size() const { return size; }
    // A frame of exactly Size(), shown for delayCentiseconds (0..65535; beyond is clamped). Alpha
    // is ignored: a GIF's pixels are opaque.
    void AddFrame(const QImage &frame, int delayCentiseconds);
    // Told after each frame encoded how many of all are; answering false cancels.
    using Progress = std::function<bool(int done, int total)>;

    // Writes the whole file and puts it in place. Needs at least one frame.
    void Finish();
    // The same, but returns false, with nothing written, when the progress answers false.
    bool Finish(const Progress &progress);

    // Frames the file will hold so far: identical ones merged.
    int FrameCount() const { return static_cast<int>(frames.size()); }
    // Distinct colours in the palette so far (the transparent entry not counted).
    int ColourCount() const { return static_cast<int>(palette.size()); }

private:
    struct Frame
    {
        QRect rect;
        int delay = 0;
        bool transparent = false;
        QByteArray packed; // the rectangle's palette indices, row by row, compressed
    };

    std::uint8_t IndexOf(QRgb colour);
    void Store(const QRect &rect, const QImage &image, int delay, bool transparent);
    void Lengthen(int delay);
    bool Encode(const Progress &progress);
    QString WriteFailed() const;

    static constexpr std::uint8_t Transparent = 0;
    static constexpr std::size_t MostColours = 255;
    static constexpr int LongestDelay = 65535;

    QString path;
    QSize size;
    std::unique_ptr<QSaveFile> file;
    // The picture as the frames so far leave it.
    QImage canvas;
    // Colours by index, starting at 1 (index 0 is the transparent one).
    std::vector<QRgb> palette;
    std::unordered_map<QRgb, std::uint8_t> indices;
    std::vector<Frame> frames;
    bool finished = false;
};
