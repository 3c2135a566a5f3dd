#pragma once

#include "app/TForm1.h"

#include <QString>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

// A main window for whole games driven by the test, built as the program builds it, except:
// - the random generator has a fixed seed, and sounds go nowhere;
// - with Manual ticks the movement timers keep their Enabled state but never tick on their own
//   (their handlers are cleared) and the bonus timer places nothing: the test calls the handlers;
//   with Threaded ticks the real workers deliver them;
// - every modal window is answered as a player would: a crash window with Enter, a name entry with
//   a name and Enter, an error box with OK;
// - failures go through ReportFailure into `failures` and on to the real error box.
// XDG_CONFIG_HOME must point where the test wants the settings file before the rig is made.
class PlayRig
{
public:
    enum class Ticks { Manual, Threaded };

    explicit PlayRig(Ticks ticks = Ticks::Manual, std::uint32_t seed = 20240611);
    ~PlayRig();
    PlayRig(const PlayRig &) = delete;
    PlayRig &operator=(const PlayRig &) = delete;

    // Declared before the window: reporting into them must work until the window is gone.
    QStringList failures;   // as reported by the game
    QStringList errorBoxes; // texts of the error boxes answered
    QStringList windows;    // titles of every modal window answered, in order
    // Typed into the name entries, one after the other; "Tester" once they are used up.
    QStringList names;
    // Called with each modal window right after its answer: the window has closed, but the
    // code that showed it has not gone on yet (its loop is finishing the events under way).
    std::function<void(QWidget *modal)> afterAnswer;

private:
    std::unique_ptr<TForm1> window;
    QTimer modalPoll;

public:
    TForm1 &form;

    // Plays a game to its end with Manual ticks: in each round every cycle in play takes `steps`
    // ticks, then player 1 runs into the left edge. Returns false if the game did not end.
    bool PlayToGameOver(bool twoPlayers, int steps);

private:
    void AnswerOpenModal();
};
