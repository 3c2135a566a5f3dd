#pragma once

#include <QFile>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <gif_lib.h>

#include <cstring>

// A GIF as a viewer shows it: its size, whether it loops, each frame's delay, and the picture
// after the last frame (each frame drawn over the one before, its transparent pixels left out).
struct ShownGif
{
    QSize size;
    bool loops = false;
    QList<int> delays;
    QImage last;
};

inline ShownGif ReadGif(const QString &path)
{
    ShownGif shown;
    int error = 0;
    GifFileType *gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
    if (gif == nullptr || DGifSlurp(gif) != GIF_OK) {
        if (gif)
            DGifCloseFile(gif, &error);
        return shown;
    }
    shown.size = QSize(gif->SWidth, gif->SHeight);
    shown.last = QImage(shown.size, QImage::Format_RGB32);
    shown.last.fill(Qt::black);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage &image = gif->SavedImages[i];
        for (int e = 0; e < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock &block = image.ExtensionBlocks[e];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11
                && std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && e + 1 < image.ExtensionBlockCount) {
                const ExtensionBlock &loop = image.ExtensionBlocks[e + 1];
                shown.loops = loop.ByteCount == 3 && loop.Bytes[0] == 1 && loop.Bytes[1] == 0 && loop.Bytes[2] == 0;
            }
        }
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        shown.delays.append(control.DelayTime);
        const GifImageDesc &desc = image.ImageDesc;
        const ColorMapObject *map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        for (int y = 0; y < desc.Height; ++y)
            for (int x = 0; x < desc.Width; ++x) {
                const int index = image.RasterBits[y * desc.Width + x];
                if (index == control.TransparentColor || index >= map->ColorCount)
                    continue;
                const GifColorType colour = map->Colors[index];
                shown.last.setPixel(desc.Left + x, desc.Top + y, qRgb(colour.Red, colour.Green, colour.Blue));
            }
    }
    DGifCloseFile(gif, &error);
    return shown;
}
