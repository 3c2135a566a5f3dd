#pragma once

#include "game/TGameEvent.h"
#include "game/TPanelDisplay.h"
#include "replay/TReplay.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <array>
#include <memory>

class TGame;

// Keeps every game played: follows the game's stream as it is told, one append an event, and when
// a game ends (at its end, or when it is ended from the menu) writes it to a file of its own in a
// folder that keeps the last 20 games.
class TReplayRecorder : public QObject
{
    Q_OBJECT

public:
    // The games kept in the folder; older ones go.
    static constexpr int KeptGames = 20;

    TReplayRecorder(TGame &game, QString folder, QObject *parent = nullptr);
    ~TReplayRecorder() override;

    // $XDG_DATA_HOME/zandrix2/replays (~/.local/share/zandrix2/replays without it).
    static QString DefaultFolder();
    // The file name a game gets: its start's date and time and its mode.
    static QString FileName(const TReplay &replay);
    // Whether a file name is one this recorder gives (only those are ever dropped).
    static bool IsKeptName(const QString &name);

    // The last finished (or ended from the menu) game; null before the first.
    std::shared_ptr<const TReplay> LastGame() const { return last; }
    // Where it was kept; empty if keeping it failed.
    QString LastFile() const { return lastFile; }

    // An event of a game that this computer shows but does not run (a network game's host's), in
    // the order told: kept like the game's own. Only while the game here is not played.
    void Take(const TGameEvent &event);

signals:
    // LastGame() is new.
    void gameKept();
    // The game could not be written to its file; the program goes on.
    void keepFailed(const QString &message);

private:
    void Record(const TGameEvent &event);
    void Begin(const TGameEvent &roundStart);
    // The game is over: it becomes LastGame() and goes to its file.
    void Finish();
    void Keep(const TReplay &replay);
    void DropOldest();

    QString folder;
    // The side panel as told so far: a game's first round begins with it.
    std::array<TPanelDisplay, DisplayCount> panel{};
    // The game being recorded, if any, and whether it has gone back to Idle (ended from the menu:
    // what the end tells after that still belongs to it).
    std::unique_ptr<TReplay> current;
    bool ending = false;
    TRoundState state = TRoundState::Idle;
    // Each bonus text's pixels, drawn once.
    QHash<QString, TLabelMask> masks;
    std::shared_ptr<const TReplay> last;
    QString lastFile;
};
