#pragma once

#include "game/PlayerAction.h"
#include "game/TGameEvent.h"

#include <QImage>
#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class TGameMirror;
class TNetGuestPlay;
class TNetHostPlay;
class TNetWaitWindow;
class TPortOpener;
class TWindowHost;
class TFieldView;
class TGame;
class TGamepads;
class TPixelPicture;
class TRCADigital;
class TReplay;
class TReplayRecorder;
class TReplayStrip;
class TReplayWatch;

// The main window, in which the game is played: menus, the field, the side panel. It shows the game
// it is given by following what the game tells, and hands the players' keys, controllers and
// commands to the game's gate; it decides nothing of the game itself.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    // The window shows the game and hands it what the keys and these controllers give.
    TForm1(TGame &shownGame, std::unique_ptr<TGamepads> controllers, QWidget *parent = nullptr);
    ~TForm1() override;

    TGame &game;

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
    QAction *NetworkGame1 = nullptr;
    QAction *Pause1 = nullptr;
    QAction *EndGame1 = nullptr; // ends a game at once, nothing recorded
    QAction *WatchLastGame1 = nullptr;
    QAction *OpenReplay1 = nullptr;
    QAction *SaveReplayAs1 = nullptr;
    QAction *ExportRoundasGIF1 = nullptr;
    QAction *Exitasif1 = nullptr;
    QMenu *View = nullptr;
    QAction *HallOfFame1 = nullptr;
    QAction *Settings1 = nullptr;
    QAction *Sound1 = nullptr;         // checked while the game sounds
    QAction *BrightColours1 = nullptr; // checked while the field shows bright colours
    QMenu *N1 = nullptr;
    QAction *Help1 = nullptr;
    QAction *About1 = nullptr;

    // Window and menu handlers.
    void FormActivate(QObject *Sender);
    void N1Player1Click(QObject *Sender);
    void N2Players1Click(QObject *Sender);
    void AgainsttheComputer1Click(QObject *Sender);
    void NetworkGame1Click(QObject *Sender);
    void Pause1Click(QObject *Sender);
    void EndGame1Click(QObject *Sender);
    void WatchLastGame1Click(QObject *Sender);
    void OpenReplay1Click(QObject *Sender);
    void SaveReplayAs1Click(QObject *Sender);
    void ExportRoundasGIF1Click(QObject *Sender);
    void Exitasif1Click(QObject *Sender);
    void HallOfFame1Click(QObject *Sender);
    void Settings1Click(QObject *Sender);
    void Sound1Click(QObject *Sender);
    void BrightColours1Click(QObject *Sender);
    // Another program has taken the keyboard.
    void ApplicationDeactivate(QObject *Sender);
    void Help1Click(QObject *Sender);
    void About1Click(QObject *Sender);

    // The games kept as they are played; watching them needs one.
    void setRecorder(TReplayRecorder *keeper);
    // Opens a replay file and watches it (a failure is raised, with nothing changed).
    void OpenReplay(const QString &path);
    // Watches a kept game in place of the game; leaving shows the game again.
    void Watch(std::shared_ptr<const TReplay> replay, const QString &name);
    void StopWatching();
    bool Watching() const { return watch != nullptr; }
    const TReplayWatch *Watcher() const { return watch.get(); }
    TReplayStrip *ReplayStrip() const { return replayStrip; }

    // The network game (TForm1Network.cpp). The windows that show the crash are the host's; a
    // failure to listen or to join is raised.
    void setWindowHost(TWindowHost *windows) { windowHost = windows; }
    void HostNetworkGame(quint16 port, const QString &password, bool evenOutLag);
    void JoinNetworkGame(const QString &host, quint16 port, const QString &password, bool watch);
    // Ends a network game this side takes part in, telling the other side why.
    void StopNetworkGame(const QString &reason);
    // Whether a network game is being set up or played (not once it is over).
    bool NetworkBusy() const;
    const TNetHostPlay *Hosting() const { return hosting.get(); }
    const TNetGuestPlay *Remote() const { return remote.get(); }

    // Whether "Start..." and its commands are enabled.
    bool StartEnabled() const;

    // The view of the field, with what it lays over it.
    TFieldView &FieldView() { return *fieldView; }
    const TFieldView &FieldView() const { return *fieldView; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateMenu();
    // A menu command whose handler is called with the command as its Sender; a failure it raises
    // is reported there.
    QAction *AddCommand(QMenu *menu, const QString &caption, void (TForm1::*handler)(QObject *),
                        const QKeySequence &shortcut = {});
    void CreateSidePanel();
    TRCADigital *CreateDisplay(const char *name, QRect place, const QImage &strip, std::uint16_t margin);
    void setStartEnabled(bool enabled);

    // Following the game.
    void Show(const TGameEvent &event);
    void ShowDisplay(TDisplay which);
    void ShowWatched();
    void EnableReplayCommands();
    void ShowCaption();
    // Where a replay is saved or exported to, asked of the player; empty when cancelled.
    QString AskFileName(const QString &caption, const QString &suggested, const QString &filter);
    void ShowState(TRoundState state);
    // The second plate of the side panel: "COMPUTER" in a game against the computer.
    void ShowPanelFor(TGameMode mode);
    // The game the window shows when it is not this computer's own: a replay's or a remote one's.
    const TGameMirror *ShownMirror() const;

    // The network game's side of the window (TForm1Network.cpp).
    void CreateRoundTrip();
    // The actions this computer's keys and first controller give its own cycle; false when no
    // network game takes them.
    bool NetworkAct(QChar key);
    bool NetworkAct(TPlayerAction action);
    // F5 and leaving the window in a network game; false when none takes them.
    bool NetworkPause();
    bool NetworkLeave();
    void ShowRemote(const TGameEvent &event);
    void RemoteEnded(const QString &reason, bool lost);
    void HostLost(const QString &text);
    void ShowCountdown(int ms);
    void ShowNetStatus(const QString &text);
    void CloseWaitWindow();
    void ShowRoundTrip();
    void ForgetNetworkGame();
    TWindowHost *windowHost = nullptr;
    std::unique_ptr<TNetHostPlay> hosting;
    std::unique_ptr<TNetGuestPlay> remote;
    QPointer<TNetWaitWindow> waitWindow;
    // The port forwarded on the router while a game is hosted, if the player asked for it.
    std::shared_ptr<TPortOpener> router;
    bool remoteEnded = false;
    QLabel *roundTrip = nullptr;
    QTimer roundTripTimer;
    QTimer countdownTimer;
    int countdownLeftMs = 0;
    // The bindings as this computer's keys steer its own cycle in a network game.
    QStringList netBindings;

    TFieldView *fieldView = nullptr;
    bool panelForComputer = false;
    std::array<TRCADigital *, DisplayCount> displays{};

    TReplayRecorder *recorder = nullptr;
    std::unique_ptr<TReplayWatch> watch;
    QString watchedName;
    // What the view laid over the game's field before watching, to lay it there again after.
    QImage savedNotice;
    QPoint savedNoticeAt;
    TReplayStrip *replayStrip = nullptr;

    // Game controllers: their actions go to the game's gate, Start as F5.
    void ConnectGamepads();
    std::unique_ptr<TGamepads> gamepads;
};
