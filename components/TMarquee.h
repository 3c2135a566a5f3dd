#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

// A font together with the colour its text is drawn in (a QFont carries no colour).
struct TMarqueeFont
{
    QFont font;
    QColor color;

    bool operator==(const TMarqueeFont &) const = default;
};

// An endless band built from a list of lines, scrolled by a timer and draggable with the mouse.
// Each line becomes one strip: a picture when the line names an existing picture file, otherwise
// the line rendered as text. The strips lie end to end and the band repeats after the last one.
// Every 100 ms the band moves MQSpeed pixels along Direction. Any mouse button grabs the band: it
// follows the pointer while the button is held and, on release, keeps moving in the direction and
// at the speed of the last pointer step, so a quick drag flings it.
//
// The band is drawn only at ticks and drag steps, into an off-screen view that paint events show.
class TMarquee : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QStringList MQSource READ MQSource WRITE setMQSource)
    Q_PROPERTY(bool Stretch READ Stretch WRITE setStretch)
    Q_PROPERTY(int MQSpeed READ MQSpeed WRITE setMQSpeed)
    Q_PROPERTY(bool Active READ Active WRITE setActive)
    Q_PROPERTY(TDirect Direction READ Direction WRITE setDirection)
    Q_PROPERTY(TMoving Moving READ Moving WRITE setMoving)
    Q_PROPERTY(int MQMaxSpeed READ MQMaxSpeed WRITE setMQMaxSpeed)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(int LeftMargin READ LeftMargin WRITE setLeftMargin)
    Q_PROPERTY(int RightMargin READ RightMargin WRITE setRightMargin)
    Q_PROPERTY(char SwitchChar READ SwitchChar WRITE setSwitchChar)

public:
    // The direction in which the band's content moves: drForward to the left, drBackward to the
    // right, drUp upwards, drDown downwards.
    enum TDirect : std::uint8_t { drForward, drBackward, drUp, drDown };
    Q_ENUM(TDirect)
    // The axes along which the band may be dragged.
    enum TMoving : std::uint8_t { mvHorizontal, mvVertical, mvBoth };
    Q_ENUM(TMoving)

    static constexpr int MaxStrips = 256;
    static constexpr int TickInterval = 100;
    // Cursor table numbers of the open hand (hovering) and the closed hand (dragging).
    static constexpr int OpenHandCursor = 4;
    static constexpr int ClosedHandCursor = 5;

    explicit TMarquee(QWidget *owner = nullptr);
    ~TMarquee() override;

    // Refused with an error box while Active; otherwise the lines are copied and the strips are
    // rebuilt at the next tick. Lines after the 256th are ignored.
    const QStringList &MQSource() const { return source; }
    void setMQSource(const QStringList &lines);

    bool Stretch() const { return stretch; }
    void setStretch(bool on);

    // Clamped to 1..MQMaxSpeed.
    int MQSpeed() const { return speed; }
    void setMQSpeed(int pixelsPerTick);

    // Switches the scroll timer on or off.
    bool Active() const { return active; }
    void setActive(bool on);

    // Direction and Moving keep each other consistent: a horizontal direction cannot go with
    // vertical-only dragging and vice versa.
    TDirect Direction() const { return direction; }
    void setDirection(TDirect newDirection);
    TMoving Moving() const { return moving; }
    void setMoving(TMoving newMoving);

    // At least 1; lowers MQSpeed to it when needed.
    int MQMaxSpeed() const { return maxSpeed; }
    void setMQMaxSpeed(int pixelsPerTick);

    // The background of text strips.
    const QColor &Color() const { return color; }
    void setColor(const QColor &newColor);

    // Clamped to 0..100.
    int LeftMargin() const { return leftMargin; }
    void setLeftMargin(int pixels);
    int RightMargin() const { return rightMargin; }
    void setRightMargin(int pixels);

    const TMarqueeFont &StringFont1() const { return stringFont1; }
    void setStringFont1(const TMarqueeFont &font);
    const TMarqueeFont &StringFont2() const { return stringFont2; }
    void setStringFont2(const TMarqueeFont &font);

    // Inside a text line this character switches between StringFont1 and StringFont2; it is not
    // drawn and takes no room.
    char SwitchChar() const { return switchChar; }
    void setSwitchChar(char character);

    // The band's position and strips, as the next view will show them.
    int CurStrip() const { return curStrip; }
    int CurOffset() const { return curOffset; }
    int StripCount() const { return stripCount; }
    bool NeedBuild() const { return needBuild; }
    bool Dragging() const { return dragging; }
    // The extent (width and height) of strip i, which the band uses; empty for a slot without a
    // strip.
    QSize StripExtent(int i) const;
    // What the control shows: the view drawn at the last tick or drag step.
    const QImage &View() const { return view; }
    const QTimer &ScrollTimer() const { return scrollTimer; }

    // Builds the strips when needed, draws the view and advances the band by MQSpeed.
    void ScrollTick();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct TStrip
    {
        QImage surface;
        int width = 0;
        int height = 0;
        // Text strips are as high as the control was when the slot was first filled.
        int surfaceHeight = 0;
        // Shown where the band reaches past the surface.
        QColor background;
    };

    static bool IsHorizontal(TDirect d) { return d == drForward || d == drBackward; }
    bool Horizontal() const { return IsHorizontal(direction); }
    int Extent(int strip) const;
    int NextStrip(int strip) const { return strip + 1 < stripCount ? strip + 1 : 0; }
    int PreviousStrip(int strip) const { return strip > 0 ? strip - 1 : stripCount - 1; }

    void BuildStrips();
    static bool IsPictureLine(const QString &line);
    bool LoadPicture(TStrip &strip, const QString &fileName) const;
    void RenderText(TStrip &strip, const QString &line) const;
    int PointSize(const QFont &font) const;
    void BringPositionIntoRange();

    void FitView();
    void DrawView();
    void CopyPiece(QPainter &painter, const TStrip &strip, int from, int to, int length) const;
    void MoveForward(int distance);
    void MoveBackward(int distance);

    QStringList source;
    bool stretch = false;
    int speed = 1;
    bool active = false;
    TDirect direction = drForward;
    TMoving moving = mvHorizontal;
    int maxSpeed = 10;
    QColor color;
    int leftMargin = 10;
    int rightMargin = 10;
    TMarqueeFont stringFont1;
    TMarqueeFont stringFont2;
    char switchChar = 0;

    std::array<std::unique_ptr<TStrip>, MaxStrips> strips;
    int stripCount = 0;
    int curStrip = 0;
    int curOffset = 0;
    bool needBuild = true;
    QTimer scrollTimer;
    bool dragging = false;
    int dragX = 0;
    int dragY = 0;

    QImage view;
    bool viewDrawn = false;
};
