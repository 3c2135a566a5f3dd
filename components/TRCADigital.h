#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

// A framed panel that shows an integer as a row of pictures cut from one strip: cell k of the
// strip (NumberWidth pixels wide, the strip's full height) stands for the character "0" + k, cell
// 10 for "-". The cells are drawn right-aligned from the right inset; characters that do not fit
// are cut off at the left. With a strip of other pictures the display doubles as a picture
// selector.
class TRCADigital : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE setValue)
    Q_PROPERTY(int NumberWidth READ NumberWidth WRITE setNumberWidth)
    Q_PROPERTY(int Margin READ Margin WRITE setMargin)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
    Q_PROPERTY(int Gap READ Gap WRITE setGap)
    Q_PROPERTY(int FormatWidth READ FormatWidth WRITE setFormatWidth)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE setBevelWidth)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE setBorderWidth)

public:
    enum TPanelBevel : std::uint8_t { bvNone, bvLowered, bvRaised };

    explicit TRCADigital(QWidget *parent = nullptr);

    // The strip. Setting it copies the picture, sets NumberWidth to a tenth of its width and
    // refits the height.
    const QImage &Numbers() const { return numbers; }
    void setNumbers(const QImage &strip);

    std::uint16_t NumberWidth() const { return numberWidth; }
    void setNumberWidth(std::uint16_t width);

    std::int32_t Value() const { return value; }
    void setValue(std::int32_t newValue);

    std::uint16_t Margin() const { return margin; }
    void setMargin(std::uint16_t newMargin);

    bool AutoSize() const { return autoSize; }
    void setAutoSize(bool on);

    std::int32_t Gap() const { return gap; }
    void setGap(std::int32_t newGap);

    std::uint16_t FormatWidth() const { return formatWidth; }
    void setFormatWidth(std::uint16_t width);

    const QString &DisplayText() const { return displayText; }

    // Inherited panel properties.
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
    void setHeight(int height);

    // The left and top edge of the cell area (both the inset) and its right edge.
    struct Area
    {
        int inset;
        int right;
    };
    Area DigitArea() const;

    // The left edge of every cell that paint() draws, from the rightmost character leftwards,
    // with the strip cell each shows.
    struct Cell
    {
        int x;
        int cell;
    };
    std::vector<Cell> VisibleCells() const;

    static QString FormatValue(std::int32_t value, std::uint16_t formatWidth);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void UpdateHeight();
    void Repaint();

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
