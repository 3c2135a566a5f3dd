#include "app/TReplayStrip.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// The wells of the plate (see the picture's generator), in the plate's own coordinates.
constexpr QRect RoundWell(12, 36, 67, 16);
constexpr QRect TimeWell(12, 65, 67, 16);
constexpr QRect SpeedWell(12, 94, 67, 16);
constexpr QRect Groove(9, 118, 74, 8);
constexpr QRect MessageWindow(9, 132, 74, 65);
// The mouse seeks anywhere in the groove's row, a little above and below it too.
constexpr QRect SeekArea(9, 112, 74, 20);

const QColor Lit(255, 184, 72);
const QColor Dim(110, 48, 10);

QFont PanelFont(int pixels, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QString Clock(std::int64_t ms)
{
    ms = std::max<std::int64_t>(ms, 0);
    const std::int64_t tenths = ms / 100;
    return QStringLiteral("%1:%2.%3").arg(tenths / 600).arg(tenths / 10 % 60, 2, 10, QLatin1Char('0')).arg(tenths % 10);
}

} // namespace

TReplayStrip::TReplayStrip(QWidget *parent)
    : QWidget(parent)
    , plate(QStringLiteral(":/pictures/replay-panel.png"))
{
    setObjectName(QStringLiteral("ReplayStrip"));
    setGeometry(0, Top, plate.width(), plate.height());
    setCursor(Qt::PointingHandCursor);
}

void TReplayStrip::setRound(int number, int rounds)
{
    round = QStringLiteral("%1 / %2").arg(number).arg(rounds);
    update(RoundWell);
}

void TReplayStrip::setTime(std::int64_t ms, std::int64_t length)
{
    time = Clock(ms);
    position = length > 0 ? std::clamp(static_cast<double>(ms) / static_cast<double>(length), 0.0, 1.0) : 0.0;
    update(TimeWell);
    update(Groove);
}

void TReplayStrip::setSpeed(const QString &shown)
{
    speed = shown;
    update(SpeedWell);
}

void TReplayStrip::setMessage(const QString &shown)
{
    if (message == shown)
        return;
    message = shown;
    update(MessageWindow);
}

void TReplayStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, plate);
    painter.setPen(Lit);
    painter.setFont(PanelFont(12, true));
    painter.drawText(RoundWell, Qt::AlignCenter, round);
    painter.drawText(TimeWell, Qt::AlignCenter, time);
    painter.drawText(SpeedWell, Qt::AlignCenter, speed);

    const QRect inside = Groove.adjusted(2, 2, -2, -2);
    painter.fillRect(inside, Dim);
    const int lit = static_cast<int>(position * inside.width() + 0.5);
    painter.fillRect(QRect(inside.left(), inside.top(), lit, inside.height()), Lit);

    painter.setFont(PanelFont(10, false));
    painter.drawText(MessageWindow.adjusted(4, 3, -3, -3), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, message);
}

void TReplayStrip::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && SeekArea.contains(event->position().toPoint()))
        SeekAt(event->position().toPoint().x());
}

void TReplayStrip::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        SeekAt(event->position().toPoint().x());
}

void TReplayStrip::SeekAt(int x)
{
    const QRect inside = Groove.adjusted(2, 2, -2, -2);
    emit seek(std::clamp(static_cast<double>(x - inside.left()) / inside.width(), 0.0, 1.0));
}
