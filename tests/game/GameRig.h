#pragma once

#include "app/TForm1.h"
#include "support/ModalLog.h"
#include "support/TestConfigHome.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// A main window whose game runs only when the test says so:
// - a fresh settings directory and a fixed seed;
// - the movement timers keep their Enabled state but never tick on their own (their handlers are
//   cleared, so the worker stays parked): the test calls the tick handlers itself;
// - the bonus timer runs but places nothing: the test calls Timer1Timer itself;
// - every sound command and every modal window (by title) goes into one log, in order;
// - every modal window is closed as soon as it opens, after the test's own answer if it set one;
// - failures reported through ReportFailure are collected.
class GameRig
{
public:
    static constexpr std::uint32_t DefaultSeed = 20240611;

    explicit GameRig(std::uint32_t seed = DefaultSeed);
    ~GameRig();
    GameRig(const GameRig &) = delete;
    GameRig &operator=(const GameRig &) = delete;

    TestConfigHome home;
    // Sound commands as sent ("play /dir/explode.wav") and modal windows as "window: <title>".
    QStringList events;
    QStringList failures;

private:
    // Created after the settings directory and the logs, destroyed before them.
    std::unique_ptr<TForm1> window;

public:
    TForm1 &form;
    ModalLog modals;
    // Called with every modal window while it is open, after it was logged; the window is closed
    // afterwards if it is still open.
    std::function<void(QWidget *modal)> onWindow;

    // The new-game commands, as the menu calls them.
    void StartOnePlayer() { form.N1Player1Click(form.N1Player1); }
    void StartTwoPlayers() { form.N2Players1Click(form.N2Players1); }

    // n ticks of player 1, of player 2, or of both (red first, as if their timers alternated).
    void TickRed(int n = 1);
    void TickBlue(int n = 1);
    void TickBoth(int n = 1);

    // Types each character as the keyboard would hand it to the window.
    void Type(const QString &keys);

    // Puts a head somewhere with a heading, as if it had got there.
    void PlaceRed(int x, int y, std::uint8_t dir);
    void PlaceBlue(int x, int y, std::uint8_t dir);

    // Player 1 (or 2) crashes into the left edge on its next tick; the crash window is answered.
    void CrashRed();
    void CrashBlue();

    // Places bonuses until one of the given kind lies on the field.
    void PlaceBonusOfKind(std::uint8_t kind);
    // The first yellow pixel of the bonus label, row by row; (-1, -1) when there is none.
    QPoint FirstYellowPixel() const;

    // Writes one key binding into the settings file, as the settings dialog would.
    void WriteBinding(const QString &key, const QString &value);

    // The titles of the modal windows opened so far, in order.
    QStringList WindowTitles() const;
    // The sound commands sent so far, in order.
    QStringList SoundCommands() const;
    // The command for a sound file in the program's directory.
    static QString SoundCommand(const char *verb, const char *file);

    // Number of field pixels of one colour, and a checksum of every pixel of the field.
    int CountPixels(std::uint32_t colour) const;
    QString FieldChecksum() const;
};
