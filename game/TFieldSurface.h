#pragma once

#include "game/TGameEvent.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QPainter;

class TFieldSurface;

// Colours of the field as COLORREF values (0x00BBGGRR), the form the game logic uses throughout.
namespace FieldColour {
inline constexpr std::uint32_t Black = 0x000000;
inline constexpr std::uint32_t Red = 0x0000FF;
inline constexpr std::uint32_t Blue = 0xFF0000;
inline constexpr std::uint32_t Yellow = 0x00FFFF;
// What a read outside the visible field returns: neither black nor yellow, so it is a wall.
inline constexpr std::uint32_t Invalid = 0xFFFFFFFF;
} // namespace FieldColour

// Something drawn into the field surface rather than shown as a widget, so that a pixel read sees
// its exact pixels. Showing, hiding or moving one repaints its old and new rectangles.
class TFieldElement
{
public:
    TFieldElement(TFieldSurface &surface, bool visible);
    virtual ~TFieldElement();
    TFieldElement(const TFieldElement &) = delete;
    TFieldElement &operator=(const TFieldElement &) = delete;

    bool Visible() const { return visible; }
    void setVisible(bool on);
    void Show() { setVisible(true); }
    void Hide() { setVisible(false); }

    int Left() const { return left; }
    int Top() const { return top; }
    void setLeft(int x);
    void setTop(int y);

    // The element's rectangle on the field.
    virtual QRect Bounds() const = 0;
    virtual void Draw(QPainter &painter) const = 0;

protected:
    // Takes the other element's place and visibility without repainting anything: the surface's
    // pixels are copied along with it.
    void CopyLook(const TFieldElement &other);

    // Runs a change of the element and repaints what it covered before and covers after.
    template <typename Change> void Changing(Change change);

private:
    TFieldSurface &surface;
    bool visible;
    int left = 0;
    int top = 0;
};

// A label with transparent background, sized to its text. The text is drawn without
// antialiasing, so each pixel is exactly the label's colour or what lay beneath. Given a mask (the
// pixels of a text as drawn once, kept in a replay), it shows the mask's pixels instead, at the
// mask's size.
class TFieldLabel : public TFieldElement
{
public:
    TFieldLabel(TFieldSurface &surface, std::uint32_t colour, bool visible);

    const QString &Caption() const { return caption; }
    void setCaption(const QString &text);
    // The caption with the pixels it shows; a null mask draws the text.
    void setCaption(const QString &text, const TLabelMask &pixels);
    const TLabelMask &Mask() const { return mask; }
    QRect Bounds() const override;
    void Draw(QPainter &painter) const override;
    // Place, visibility, caption and mask of the other label, without repainting.
    void CopyLook(const TFieldLabel &other);

    // The game's label font: the window font at a character height of 13 pixels.
    static QFont Font();
    // The pixels a label shows for a text, as a mask of the label's size.
    static TLabelMask TextMask(const QString &text);

private:
    QString caption;
    TLabelMask mask;
    // The mask's pixels in the label's colour, transparent elsewhere.
    QImage maskImage;
    std::uint32_t colour;
};

// A picture at its own size.
class TFieldPicture : public TFieldElement
{
public:
    TFieldPicture(TFieldSurface &surface, QImage picture, bool visible);
    QRect Bounds() const override;
    void Draw(QPainter &painter) const override;
    // Place, visibility and picture of the other one, without repainting.
    void CopyLook(const TFieldPicture &other);

private:
    QImage picture;
};

// The playing field: the pixels of columns 0..602 and rows 0..552 of the main window's client
// area. The game reads and writes single pixels in COLORREF values (0x00BBGGRR); a read outside
// the field gives 0xFFFFFFFF. Nothing keeps a record of the trails: repainting a rectangle fills it
// black and draws the visible elements again.
class TFieldSurface
{
public:
    static constexpr int Width = 603;
    static constexpr int Height = 553;

    TFieldSurface();
    // Elements belong to one surface: a copy would draw another's.
    TFieldSurface(const TFieldSurface &) = delete;
    TFieldSurface &operator=(const TFieldSurface &) = delete;

    // Takes the other surface's pixels (not its elements nor its listener) and tells of the change.
    void CopyPixels(const TFieldSurface &other);

    std::uint32_t GetPixel(int x, int y) const;
    void SetPixel(int x, int y, std::uint32_t colour);
    // Fills a rectangle (right and bottom edges excluded, clipped to the field) with a colour.
    void FillRect(const QRect &rect, std::uint32_t colour);
    // Fills the rectangle black and draws the visible elements inside it again.
    void Repaint(const QRect &rect);

    const QImage &Image() const { return image; }
    // A checksum of every pixel of the field (64-bit FNV-1a over the COLORREF values, row by row).
    std::uint64_t Checksum() const;

    // Told of every changed rectangle, so that a view can update it.
    std::function<void(const QRect &)> onChanged;

    // Elements register themselves; they are drawn in the order of registration.
    void Register(TFieldElement *element);
    void Unregister(TFieldElement *element);

private:
    void Changed(const QRect &rect);

    QImage image;
    std::vector<TFieldElement *> elements;
};

template <typename Change> void TFieldElement::Changing(Change change)
{
    const QRect before = visible ? Bounds() : QRect();
    change();
    const QRect after = visible ? Bounds() : QRect();
    surface.Repaint(before);
    surface.Repaint(after);
}
