#include "app/TReplayWatch.h"

#include "replay/TReplay.h"
#include "replay/TReplayPlayback.h"

#include <QKeyEvent>

#include <array>

namespace {

// The speeds, a quarter to sixteen times the game's own.
struct TSpeed
{
    double factor;
    const char *text;
};
constexpr std::array<TSpeed, 7> Speeds{
    {{0.25, "x1/4"}, {0.5, "x1/2"}, {1, "x1"}, {2, "x2"}, {4, "x4"}, {8, "x8"}, {16, "x16"}}};
constexpr int NormalSpeed = 2;
// Frames of the playback, and how long the field at a crash stays before the next round follows.
constexpr int FrameMs = 15;
constexpr std::int64_t CrashHoldMs = 2000;

} // namespace

TReplayWatch::TReplayWatch(std::shared_ptr<const TReplay> watched, QObject *parent)
    : QObject(parent)
    , replay(std::move(watched))
    , playback(std::make_unique<TReplayPlayback>(replay))
    , speedStep(NormalSpeed)
{
    frames.setInterval(FrameMs);
    frames.setTimerType(Qt::PreciseTimer);
    connect(&frames, &QTimer::timeout, this, &TReplayWatch::Tick);
    playback->GoToRound(0);
    setPlaying(true);
}

TReplayWatch::~TReplayWatch() = default;

double TReplayWatch::Speed() const
{
    return Speeds.at(static_cast<std::size_t>(speedStep)).factor;
}

QString TReplayWatch::SpeedText() const
{
    return QLatin1String(Speeds.at(static_cast<std::size_t>(speedStep)).text);
}

void TReplayWatch::setPlaying(bool on)
{
    playing = on;
    owed = 0.0;
    heldMs = 0;
    if (on) {
        sinceFrame.start();
        frames.start();
    } else {
        frames.stop();
    }
    emit changed();
}

bool TReplayWatch::Key(int key)
{
    switch (key) {
    case Qt::Key_Space: setPlaying(!playing); return true;
    case Qt::Key_Left:
        setPlaying(false);
        playback->StepBack();
        break;
    case Qt::Key_Right:
        setPlaying(false);
        playback->StepForward();
        break;
    case Qt::Key_Home: playback->ToStart(); break;
    case Qt::Key_End: playback->ToEnd(); break;
    case Qt::Key_PageUp: playback->GoToRound(playback->Round() - 1); break;
    case Qt::Key_PageDown: playback->GoToRound(playback->Round() + 1); break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: // + without the shift key
        speedStep = std::min<int>(speedStep + 1, static_cast<int>(Speeds.size()) - 1);
        break;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: speedStep = std::max(speedStep - 1, 0); break;
    case Qt::Key_Escape: emit leave(); return true;
    default: return false;
    }
    Moved();
    return true;
}

void TReplayWatch::SeekShare(double share)
{
    playback->SeekTo(static_cast<std::int64_t>(share * static_cast<double>(playback->RoundLength()) + 0.5));
    Moved();
}

void TReplayWatch::Moved()
{
    owed = 0.0;
    heldMs = 0;
    sinceFrame.restart();
    emit changed();
}

void TReplayWatch::Tick()
{
    const std::int64_t wall = sinceFrame.restart();
    if (playback->AtEnd()) {
        // The crash stays a moment; then the next round, or the end of the game.
        heldMs += wall;
        if (heldMs < CrashHoldMs)
            return;
        if (playback->Round() + 1 >= playback->RoundCount()) {
            setPlaying(false);
            return;
        }
        playback->GoToRound(playback->Round() + 1);
        Moved();
        return;
    }
    owed += static_cast<double>(wall) * Speed();
    const auto whole = static_cast<std::int64_t>(owed);
    if (whole < 1)
        return;
    owed -= static_cast<double>(whole);
    playback->SeekTo(playback->Time() + whole);
    emit changed();
}
