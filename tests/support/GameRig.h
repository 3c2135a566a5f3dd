#pragma once

#include "app/TForm1.h"
#include "game/TDrivenTicks.h"
#include "game/TGame.h"
#include "support/ModalLog.h"
#include "support/TestConfigHome.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A game that the test plays, built with its parts, and the main window showing it:
// - a fresh settings directory, a fixed seed, and every sound command kept instead of played;
// - ticks driven by the test (the default): nothing ticks unless the test enters a tick or runs
//   the driven clock (`clock`); or threaded: the program's real timers deliver them;
// - a recording host (the default): no window opens, each crash window and each recording of a
//   final score is logged among the sounds, the bindings are the test's, and the rest of the
//   settings file is the real one in the test's directory; or the program's own host, its real
//   windows answered as a player would: a crash window with Enter, a name entry with a name and
//   Enter, an error box with OK (anything else is closed);
// - failures reported through ReportFailure are collected (and on the real windows also shown in
//   the real error box, as the program does).
class GameRig
{
public:
    static constexpr std::uint32_t DefaultSeed = 20240611;
    enum class Hosting { Recording, Windows };
    enum class Ticks { Held, Threaded };

    explicit GameRig(std::uint32_t seed = DefaultSeed);
    explicit GameRig(Hosting hosting, Ticks ticks = Ticks::Held, std::uint32_t seed = DefaultSeed);
    ~GameRig();
    GameRig(const GameRig &) = delete;
    GameRig &operator=(const GameRig &) = delete;

    // Everything below is declared before the window, which reports into it until it is gone.
    TestConfigHome home;
    // In order: sound commands as sent ("play /dir/explode.wav"), windows as "window: <title>"
    // (with the recording host the crash windows, on the real windows every modal window), and
    // the recording host's recordings as "record: Player 1 10" (two players) or "record: 30".
    QStringList events;
    QStringList failures;
    // Called with each window's title while the game waits for it: with the recording host while
    // the crash window is "open"; on the real windows right after the answer, when the window has
    // closed but the code that showed it has not gone on yet.
    std::function<void(const QString &title)> onWindow;

    // The recording host: the Sender of each crash window, in order; whether each recording fails
    // as the settings file would ("Kann nicht nach zandrix2.ini schreiben"), after it is logged;
    // and the bindings it gives (the defaults until the test sets them) with the count of reads.
    std::vector<const QObject *> crashSenders;
    bool failRecordings = false;
    QStringList bindings;
    int bindingReads = 0;
    void SetBinding(const char *key, const QString &value);

    // The real windows: the names typed into the name entries one after the other ("Tester" once
    // they are used up), and the texts of the error boxes answered.
    QStringList names;
    QStringList errorBoxes;

private:
    TDrivenTicks *drivenTicks = nullptr;
    std::unique_ptr<TGame> ownedGame;
    std::unique_ptr<TForm1> window;
    std::optional<ModalLog> modals;
    void AnswerAsAPlayer(QWidget *modal);

public:
    TGame &game;
    TForm1 &form;
    // The driven clock; null when the ticks are threaded.
    TDrivenTicks *const clock;

    // The new-game commands, as the menu calls them.
    void StartOnePlayer() { form.N1Player1Click(form.N1Player1); }
    void StartTwoPlayers() { form.N2Players1Click(form.N2Players1); }
    void StartAgainstTheComputer() { form.AgainsttheComputer1Click(form.AgainsttheComputer1); }
    void Start(bool twoPlayers) { twoPlayers ? StartTwoPlayers() : StartOnePlayer(); }

    // n ticks of player 1, of player 2, or of both (red first, as if their timers alternated).
    void TickRed(int n = 1);
    void TickBlue(int n = 1);
    void TickBoth(int n = 1);

    // Types each character as the keyboard would hand it to the window.
    void Type(const QString &keys);

    // The tick of a clock, as the clock would give it.
    void Tick(TClock which) { game.Tick(which); }

    // Puts a head somewhere with a heading, as if it had got there.
    void PlaceRed(int x, int y, std::uint8_t dir);
    void PlaceBlue(int x, int y, std::uint8_t dir);

    // Player 1 (or 2) crashes into the left edge on its next tick.
    void CrashRed() { Crash(1); }
    void CrashBlue() { Crash(2); }

    // The same for either player, 1 (red) or 2 (blue).
    static TPlayer PlayerOf(int player) { return player == 1 ? TPlayer::Red : TPlayer::Blue; }
    TMovementClock &Movement(int player) { return game.Clock(PlayerOf(player)); }
    void Tick(int player, int n = 1) { player == 1 ? TickRed(n) : TickBlue(n); }
    void Place(int player, int x, int y, std::uint8_t dir);
    void Crash(int player);

    // Plays a game to its end: in each round every cycle in play takes `steps` ticks, then player
    // 1 runs into the left edge. Returns false if the game did not end.
    bool PlayToGameOver(bool twoPlayers, int steps);

    // Places bonuses until one of the given kind lies on the field.
    void PlaceBonusOfKind(std::uint8_t kind);
    // Drives the player's head onto the bonus's first yellow pixel from the left: that tick collects
    // it, and the step draws the trail there and scores. Returns the pixel.
    QPoint CollectBonus(int player);
    // The first yellow pixel of the bonus label, row by row; (-1, -1) when there is none.
    QPoint FirstYellowPixel() const;

    // The window titles logged so far, and the other events (sounds, recordings), in order.
    QStringList WindowTitles() const;
    QStringList SoundCommands() const;
    // The command for a sound file in the program's directory.
    static QString SoundCommand(const char *verb, const char *file);

    // Number of field pixels of one colour, and a checksum of every pixel of the field.
    int CountPixels(std::uint32_t colour) const;
    QString FieldChecksum() const;
};

// The rows "player 1" and "player 2" of an int column "player", for cases that hold for either.
void AddPlayerRows();
