#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>

// The replay's own plate in the lower part of the side panel while a game is watched again: the
// round, the game time and the speed, a groove that shows the position and seeks where the mouse
// presses or drags, and a window for the crash message. It knows nothing of the game: it shows
// what it is given.
class TReplayStrip : public QWidget
{
    Q_OBJECT

public:
    explicit TReplayStrip(QWidget *parent);

    // Where the plate stands in the side panel.
    static constexpr int Top = 344;

    void setRound(int round, int rounds);
    void setTime(std::int64_t ms, std::int64_t length);
    void setSpeed(const QString &speed);
    void setMessage(const QString &message);

    const QString &Message() const { return message; }

signals:
    // The mouse asks for the moment at this share of the round (0 to 1).
    void seek(double share);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void SeekAt(int x);

    QImage plate;
    QString round;
    QString time;
    QString speed;
    QString message;
    double position = 0.0;
};
