#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>

class TReplay;
class TReplayPlayback;

// Watching a kept game in the main window: plays its rounds against the clock at a chosen speed,
// and answers the keys that pause, step, seek and change the speed. What it shows is the playback's
// mirror; the window follows `changed`.
class TReplayWatch : public QObject
{
    Q_OBJECT

public:
    explicit TReplayWatch(std::shared_ptr<const TReplay> replay, QObject *parent = nullptr);
    ~TReplayWatch() override;

    const TReplayPlayback &Playback() const { return *playback; }
    std::shared_ptr<const TReplay> Replay() const { return replay; }

    // The keys while watching; false for a key it has no use for. Escape asks to leave.
    bool Key(int key);
    // To this share (0 to 1) of the round being watched.
    void SeekShare(double share);

    bool Playing() const { return playing; }
    void setPlaying(bool on);
    // The speed as a factor of the game's own, a quarter to sixteen times, and as the panel shows it.
    double Speed() const;
    QString SpeedText() const;

signals:
    void changed();
    void leave();

private:
    void Tick();
    void Moved();

    std::shared_ptr<const TReplay> replay;
    std::unique_ptr<TReplayPlayback> playback;
    QTimer frames;
    QElapsedTimer sinceFrame;
    bool playing = true;
    int speedStep;
    // Game time owed to the position that a whole millisecond has not taken yet.
    double owed = 0.0;
    // Wall milliseconds the crash has been held on screen before the next round follows.
    std::int64_t heldMs = 0;
};
