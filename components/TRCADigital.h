#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QPainter;

// A framed panel that shows an integer as a row of pictures cut from one strip: cell k of the
// strip (NumberWidth pixels wide, the strip's full height) stands for the character "0" + k, cell
// 10 for "-". The cells are drawn right-aligned from the right inset; characters that do not fit
// are cut off at the left. With a strip of other pictures the display doubles as a picture
// selector.
class TRCADigital : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QImage Numbers READ Numbers WRITE setNumbers)
    Q_PROPERTY(quint16 NumberWidth READ NumberWidth WRITE setNumberWidth)
    Q_PROPERTY(qint32 Value READ Value WRITE setValue)
    Q_PROPERTY(quint16 Margin READ Margin WRITE setMargin)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
    Q_PROPERTY(qint32 Gap READ Gap WRITE setGap)
    Q_PROPERTY(quint16 FormatWidth READ FormatWidth WRITE setFormatWidth)
    Q_PROPERTY(TPanelBevel BevelOuter READ BevelOuter WRITE setBevelOuter)
    Q_PROPERTY(TPanelBevel BevelInner READ BevelInner WRITE setBevelInner)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE setBevelWidth)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE setBorderWidth)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)

public:
    enum TPanelBevel : std::uint8_t { bvNone, bvLowered, bvRaised };
    Q_ENUM(TPanelBevel)

    explicit TRCADigital(QWidget *parent = nullptr);

    // The strip. Setting it copies the picture (a null picture empties the strip), sets
    // NumberWidth to a tenth of its width and refits the height. A strip with a minus cell
    // therefore needs NumberWidth set afterwards.
    const QImage &Numbers() const { return numbers; }
    void setNumbers(const QImage &strip);

    std::uint16_t NumberWidth() const { return numberWidth; }
    void setNumberWidth(std::uint16_t width);

    // Value returns exactly what was last set; the setter rebuilds DisplayText on every call, also
    // with the value already shown.
    std::int32_t Value() const { return value; }
    void setValue(std::int32_t newValue);

    std::uint16_t Margin() const { return margin; }
    void setMargin(std::uint16_t newMargin);

    bool AutoSize() const { return autoSize; }
    void setAutoSize(bool on);

    std::int32_t Gap() const { return gap; }
    void setGap(std::int32_t newGap);

    // Minimum number of digits, reached with leading zeros; 16 or more pads nothing.
    std::uint16_t FormatWidth() const { return formatWidth; }
    void setFormatWidth(std::uint16_t width);

    const QString &DisplayText() const { return displayText; }

    // The panel's own properties. Widths below 0 are taken as 0.
    TPanelBevel BevelOuter() const { return bevelOuter; }
    void setBevelOuter(TPanelBevel bevel);
    TPanelBevel BevelInner() const { return bevelInner; }
    void setBevelInner(TPanelBevel bevel);
    int BevelWidth() const { return bevelWidth; }
    void setBevelWidth(int width);
    int BorderWidth() const { return borderWidth; }
    void setBorderWidth(int width);
    const QColor &Color() const { return color; }
    void setColor(const QColor &newColor);
    const QString &Caption() const { return caption; }
    void setCaption(const QString &text);
    // Resizes to the given height; with AutoSize on, the resize refits it to the strip.
    void setHeight(int height);

    // The left and top edge of the cell area (both the inset) and its right edge.
    struct Area
    {
        int inset;
        int right;
    };
    Area DigitArea() const;

    // Where the cells are painted, from the last character of DisplayText leftwards: the left
    // edge of each cell and the strip cell it shows (10 for "-"). A character whose cell would
    // start at or left of the inset is cut off; zero-wide cells and cells that a negative Gap
    // pushes off the right edge of the control are left out, since they show nothing.
    struct Cell
    {
        int x;
        int cell;
    };
    std::vector<Cell> VisibleCells() const;

    // The text the display draws for a value: the digits of its magnitude, zero-padded to
    // formatWidth when that is below 16, and "-" in front of a negative value.
    static QString FormatValue(std::int32_t value, std::uint16_t formatWidth);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void UpdateHeight();
    void Repaint();
    void PaintFrame(QPainter &painter);
    void PaintCells(QPainter &painter);

    QImage numbers;
    std::uint16_t numberWidth = 0;
    std::int32_t value = 0;
    std::uint16_t margin = 2;
    bool autoSize = true;
    std::int32_t gap = 0;
    std::uint16_t formatWidth = 1;
    QString displayText = QStringLiteral("0");

    TPanelBevel bevelOuter = bvRaised;
    TPanelBevel bevelInner = bvLowered;
    int bevelWidth = 3;
    int borderWidth = 0;
    QColor color = Qt::black;
    QString caption;
};
