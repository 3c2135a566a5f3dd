#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <functional>

// Two tiny bitmap fonts for captions and block letters. Outline fonts smear at these sizes; an
// arcade panel wants every dot in place.
namespace art {

enum class PixelFont {
    Small, // 3 x 5 dots
    Large, // 5 x 7 dots
};

int glyphWidth(PixelFont font);
int glyphHeight(PixelFont font);

// Width in dots of a line of text, with `spacing` blank columns between characters.
int pixelTextWidth(const QString &text, PixelFont font, int spacing = 1);

// Calls `dot(x, y)` for every lit dot of the text, the first character's top-left dot at (0, 0).
// Characters the font lacks are drawn as blanks.
void forEachDot(const QString &text, PixelFont font, const std::function<void(int, int)> &dot, int spacing = 1);

// Sets the text's dots in `image` with the top-left dot at (x, y), clipped to the picture.
void drawPixelText(QImage &image, int x, int y, const QString &text, PixelFont font, QColor colour, int spacing = 1);

} // namespace art
