#include "game/TFieldSurface.h"

#include "platform/WindowLook.h"

#include <QPainter>

#include <algorithm>
#include <utility>

namespace {

// COLORREF (0x00BBGGRR) to and from the surface's 0xAARRGGBB pixels.
QRgb ToRgb(std::uint32_t colour)
{
    return qRgb(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

std::uint32_t FromRgb(QRgb rgb)
{
    return static_cast<std::uint32_t>(qRed(rgb)) | static_cast<std::uint32_t>(qGreen(rgb)) << 8
           | static_cast<std::uint32_t>(qBlue(rgb)) << 16;
}

} // namespace

TFieldElement::TFieldElement(TFieldSurface &owner, bool shown)
    : surface(owner)
    , visible(shown)
{
    surface.Register(this);
}

TFieldElement::~TFieldElement()
{
    surface.Unregister(this);
}

void TFieldElement::setVisible(bool on)
{
    if (on != visible)
        Changing([&] { visible = on; });
}

void TFieldElement::CopyLook(const TFieldElement &other)
{
    visible = other.visible;
    left = other.left;
    top = other.top;
}

void TFieldElement::setLeft(int x)
{
    if (x != left)
        Changing([&] { left = x; });
}

void TFieldElement::setTop(int y)
{
    if (y != top)
        Changing([&] { top = y; });
}

TFieldLabel::TFieldLabel(TFieldSurface &owner, std::uint32_t textColour, bool shown)
    : TFieldElement(owner, shown)
    , colour(textColour)
{
}

QFont TFieldLabel::Font()
{
    QFont font = SansFont(13);
    // Every pixel of a label is exactly its colour or what lies beneath: a bonus is found by its
    // exact yellow.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

TLabelMask TFieldLabel::TextMask(const QString &text)
{
    const QFontMetrics metrics(Font());
    const QSize size(std::clamp(metrics.horizontalAdvance(text), 0, TFieldSurface::Width),
                     std::clamp(metrics.height(), 0, TFieldSurface::Height));
    if (text.isEmpty() || size.isEmpty())
        return {};
    // Drawn as the label draws it, white on black: every pixel the text sets is part of the mask.
    QImage drawn(size, QImage::Format_RGB32);
    drawn.fill(Qt::black);
    {
        QPainter painter(&drawn);
        painter.setFont(Font());
        painter.setPen(Qt::white);
        painter.drawText(0, metrics.ascent(), text);
    }
    TLabelMask mask{static_cast<std::uint16_t>(size.width()), static_cast<std::uint16_t>(size.height()),
                    QByteArray(TLabelMask::Bytes(size.width(), size.height()), '\0')};
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (drawn.pixel(x, y) != qRgb(0, 0, 0)) {
                const qsizetype bit = qsizetype(y) * size.width() + x;
                mask.bits[bit / 8] = static_cast<char>(mask.bits.at(bit / 8) | 1 << (bit % 8));
            }
    return mask;
}

void TFieldLabel::setCaption(const QString &text)
{
    setCaption(text, {});
}

void TFieldLabel::setCaption(const QString &text, const TLabelMask &pixels)
{
    if (text == caption && pixels == mask)
        return;
    Changing([&] {
        caption = text;
        mask = pixels;
        maskImage = QImage();
        if (mask.IsNull() || mask.bits.size() < TLabelMask::Bytes(mask.width, mask.height))
            return;
        maskImage = QImage(mask.width, mask.height, QImage::Format_ARGB32);
        maskImage.fill(Qt::transparent);
        for (int y = 0; y < mask.height; ++y)
            for (int x = 0; x < mask.width; ++x)
                if (mask.At(x, y))
                    maskImage.setPixel(x, y, ToRgb(colour));
    });
}

void TFieldLabel::CopyLook(const TFieldLabel &other)
{
    TFieldElement::CopyLook(other);
    caption = other.caption;
    mask = other.mask;
    maskImage = other.maskImage;
}

QRect TFieldLabel::Bounds() const
{
    if (!maskImage.isNull())
        return {QPoint(Left(), Top()), maskImage.size()};
    const QFontMetrics metrics(Font());
    return {Left(), Top(), metrics.horizontalAdvance(caption), metrics.height()};
}

void TFieldLabel::Draw(QPainter &painter) const
{
    if (!maskImage.isNull()) {
        // Every pixel is opaque or fully transparent: the mask's pixels come out exact.
        painter.drawImage(Left(), Top(), maskImage);
        return;
    }
    if (caption.isEmpty())
        return;
    // Only inside the label: a glyph that reaches out of its box (the "J" of "Jump Jet" one pixel
    // to the left) would leave a yellow pixel that the repaint of the box, when the label goes,
    // does not wipe.
    painter.save();
    painter.setClipRect(Bounds(), Qt::IntersectClip);
    painter.setFont(Font());
    painter.setPen(QColor(ToRgb(colour)));
    const QFontMetrics metrics(Font());
    painter.drawText(Left(), Top() + metrics.ascent(), caption);
    painter.restore();
}

TFieldPicture::TFieldPicture(TFieldSurface &owner, QImage image, bool shown)
    : TFieldElement(owner, shown)
    , picture(std::move(image))
{
}

QRect TFieldPicture::Bounds() const
{
    return {QPoint(Left(), Top()), picture.size()};
}

void TFieldPicture::Draw(QPainter &painter) const
{
    painter.drawImage(Left(), Top(), picture);
}

void TFieldPicture::CopyLook(const TFieldPicture &other)
{
    TFieldElement::CopyLook(other);
    picture = other.picture;
}

TFieldSurface::TFieldSurface()
    : image(Width, Height, QImage::Format_RGB32)
{
    image.fill(Qt::black);
}

void TFieldSurface::CopyPixels(const TFieldSurface &other)
{
    image = other.image;
    Changed(image.rect());
}

std::uint32_t TFieldSurface::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= Width || y >= Height)
        return FieldColour::Invalid;
    return FromRgb(image.pixel(x, y));
}

void TFieldSurface::SetPixel(int x, int y, std::uint32_t colour)
{
    if (x < 0 || y < 0 || x >= Width || y >= Height)
        return;
    image.setPixel(x, y, ToRgb(colour));
    Changed(QRect(x, y, 1, 1));
}

void TFieldSurface::FillRect(const QRect &rect, std::uint32_t colour)
{
    const QRect clipped = rect.intersected(image.rect());
    if (clipped.isEmpty())
        return;
    QPainter(&image).fillRect(clipped, QColor(ToRgb(colour)));
    Changed(clipped);
}

void TFieldSurface::Repaint(const QRect &rect)
{
    const QRect clipped = rect.intersected(image.rect());
    if (clipped.isEmpty())
        return;
    {
        QPainter painter(&image);
        painter.setClipRect(clipped);
        painter.fillRect(clipped, Qt::black);
        for (const TFieldElement *element : elements)
            if (element->Visible() && element->Bounds().intersects(clipped))
                element->Draw(painter);
    }
    Changed(clipped);
}

void TFieldSurface::Register(TFieldElement *element)
{
    elements.push_back(element);
}

void TFieldSurface::Unregister(TFieldElement *element)
{
    elements.erase(std::remove(elements.begin(), elements.end(), element), elements.end());
}

void TFieldSurface::Changed(const QRect &rect)
{
    if (onChanged)
        onChanged(rect);
}

std::uint64_t TFieldSurface::Checksum() const
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const std::uint32_t colour = GetPixel(x, y);
            for (int shift = 0; shift < 32; shift += 8) {
                hash ^= (colour >> shift) & 0xFFu;
                hash *= 0x100000001b3u;
            }
        }
    return hash;
}
