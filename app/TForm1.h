#pragma once

#include "components/TQtThreadedTimer.h"
#include "game/PlayerAction.h"
#include "game/TFieldSurface.h"
#include "game/TGameState.h"
#include "game/TPlayerView.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>

class QAction;
class QMenu;
class TFieldView;
class TGameHost;
class TGamepads;
class TMediaCommands;
class TPilot;
class TPixelPicture;
class TRCADigital;

// The main window, in which the whole game is played. The handlers of play live in game/, one
// file per concern; this class holds the window itself: menus, side panel, field and timers.
class TForm1
    : public QMainWindow
    , public TGameState
{
    Q_OBJECT

public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The field: the client area left of the side panel.
    TFieldSurface field;
    TFieldLabel Label1; // the bonus: yellow text
    TFieldLabel Label2; // the eraser: black text where the last bonus stood
    TFieldPicture gameover;

    // Movement timers of player 1 (red) and player 2 (blue), and the bonus timer.
    TQtThreadedTimer hiresTimer1;
    TQtThreadedTimer hiresTimer2;
    QTimer Timer1;

    // Side panel.
    QWidget *Panel1 = nullptr;
    TPixelPicture *Image1 = nullptr;
    TRCADigital *digispeedr = nullptr;
    TRCADigital *digired = nullptr;
    TRCADigital *liferdigi = nullptr;
    TRCADigital *jumpdigr = nullptr;
    TRCADigital *digispeedb = nullptr;
    TRCADigital *digiblue = nullptr;
    TRCADigital *lifebdigi = nullptr;
    TRCADigital *jumpdigb = nullptr;

    // Menu.
    QMenu *Game = nullptr;
    QMenu *Start1 = nullptr;
    QAction *N1Player1 = nullptr;
    QAction *N2Players1 = nullptr;
    QAction *AgainsttheComputer1 = nullptr;
    QAction *Pause1 = nullptr;
    QAction *Exitasif1 = nullptr;
    QMenu *View = nullptr;
    QAction *HallOfFame1 = nullptr;
    QAction *Settings1 = nullptr;
    QAction *Sound1 = nullptr; // checked while the game sounds
    QMenu *N1 = nullptr;
    QAction *Help1 = nullptr;
    QAction *About1 = nullptr;

    // Window and menu handlers.
    void FormCreate(QObject *Sender);
    void FormActivate(QObject *Sender);
    void N1Player1Click(QObject *Sender);
    void N2Players1Click(QObject *Sender);
    void AgainsttheComputer1Click(QObject *Sender);
    void Pause1Click(QObject *Sender);
    void Exitasif1Click(QObject *Sender);
    void HallOfFame1Click(QObject *Sender);
    void Settings1Click(QObject *Sender);
    void Sound1Click(QObject *Sender);
    // Another program has taken the keyboard.
    void ApplicationDeactivate(QObject *Sender);
    void Help1Click(QObject *Sender);
    void About1Click(QObject *Sender);

    // Play.
    void hiresTimer1Timer(QObject *Sender);
    void HiResTimer2Timer(QObject *Sender);
    void FormKeyPress(QObject *Sender, QChar &Key);
    void startgame(QObject *Sender);
    void gehdie(QObject *Sender, std::uint8_t player);
    void crashed(QObject *Sender, const QString &msg);
    void Timer1Timer(QObject *Sender);
    void givebonus(QObject *Sender, std::uint8_t player);
    void clearfield();

    // The field's pixels, as COLORREF values; 0xFFFFFFFF outside the field.
    std::uint32_t GetPixel(int x, int y) const { return field.GetPixel(x, y); }
    void SetPixel(int x, int y, std::uint32_t colour) { field.SetPixel(x, y, colour); }

    // Player 1 (red) or player 2 (blue; any number but 1 is blue).
    TPlayerView Player(std::uint8_t number);
    // What either player can see of that cycle; player 2 is in play only in a two-player game.
    TCycleSight Sight(std::uint8_t number);

    // One of a player's five actions, given by a game controller: it acts as that player's key
    // would, under the same conditions. A cycle that a pilot steers takes no commands but its own.
    void Act(std::uint8_t player, TPlayerAction action);
    // A pilot steers a player's cycle in place of the keys (the computer opponent); none by
    // default. It is asked on each of that cycle's ticks.
    void setPilot(std::uint8_t player, std::unique_ptr<TPilot> pilot);
    TPilot *PilotOf(std::uint8_t player) const;

    // "Start..." with its two commands and their shortcuts.
    void setStartEnabled(bool enabled);
    bool StartEnabled() const;

    // Sounds go through here; tests put a recorder in its place.
    void setMedia(std::unique_ptr<TMediaCommands> commands);
    TMediaCommands &Media() { return *media; }
    // The crash window, the hall of fame and the bindings go through here; the game's tests put a
    // recorder in its place.
    void setHost(std::unique_ptr<TGameHost> gameHost);
    TGameHost &Host() { return *host; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void StopTimers();
    void CreateMenu();
    // A menu command whose handler is called with the command as its Sender; a failure it raises
    // is reported there.
    QAction *AddCommand(QMenu *menu, const QString &caption, void (TForm1::*handler)(QObject *),
                        const QKeySequence &shortcut = {});
    void CreateSidePanel();
    TRCADigital *CreateDisplay(const char *name, QRect place, const QImage &strip, std::uint16_t margin);
    // The path of a sound: the program's directory and the sound's file name.
    static QString SoundPath(const char *file);
    // A sound that plays for as long as it lives: "play" when it is made, "stop" when it goes
    // (also when a failure ends its scope early). With the sound off neither is sent.
    class PlayingSound
    {
    public:
        PlayingSound(TForm1 &owner, const char *file)
            : form(owner)
            , path(SoundPath(file))
        {
            form.StartSound(path);
        }
        ~PlayingSound() { form.StopSound(path); }
        PlayingSound(const PlayingSound &) = delete;
        PlayingSound &operator=(const PlayingSound &) = delete;

    private:
        TForm1 &form;
        QString path;
    };
    void StartSound(const QString &path);
    void StopSound(const QString &path) noexcept;

    // One movement tick of either player.
    void Step(QObject *Sender, const TPlayerView &player);
    // The pilot of the player's cycle, if any, gives its commands for this tick.
    void Pilot(const TPlayerView &player);
    // Whether the five actions act: a round is being played and it is not paused.
    bool ActionsAct() const;
    // After a game against the computer, the next game of another kind is the players' own.
    void LeaveTheComputer();
    // One action under the keys' conditions, whoever gives it.
    void Command(std::uint8_t player, TPlayerAction action);
    // One action, unconditionally: the keys, controllers and pilots all come here.
    void Perform(const TPlayerView &player, TPlayerAction action);

    // The steps of a crash.
    void EndRound();
    void LoseCycle(QObject *Sender, const TPlayerView &crashing, const TPlayerView &opponent);
    void GameOver(QObject *Sender);
    void RecordScores(QObject *Sender);

    TFieldView *fieldView = nullptr;
    std::unique_ptr<TMediaCommands> media;
    bool soundOn = true;
    // The sounds between their "play" and their "stop".
    QStringList soundsPlaying;
    std::unique_ptr<TGameHost> host;
    std::array<std::unique_ptr<TPilot>, 2> pilots;

    // Game controllers: their commands come through Act, Start through Pause1Click.
    void ConnectGamepads();
    std::unique_ptr<TGamepads> gamepads;
};
