#pragma once

#include "components/TQtThreadedTimer.h"
#include "game/TFieldSurface.h"
#include "game/TGameState.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QTimer>

#include <cstdint>
#include <memory>

class QAction;
class QMenu;
class TFieldView;
class TMediaCommands;
class TPixelPicture;
class TRCADigital;

// The main window, in which the whole game is played. The handlers of play live in game/, one
// file per concern; this class holds the window itself: menus, side panel, field and timers.
class TForm1 : public QMainWindow, public TGameState
{
    Q_OBJECT

public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The field: the client area left of the side panel.
    TFieldSurface field;
    TFieldLabel Label1;   // the bonus: yellow text
    TFieldLabel Label2;   // the eraser: black text where the last bonus stood
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
    QAction *Pause1 = nullptr;
    QAction *Exitasif1 = nullptr;
    QMenu *View = nullptr;
    QAction *HallOfFame1 = nullptr;
    QAction *Settings1 = nullptr;
    QMenu *N1 = nullptr;
    QAction *Help1 = nullptr;
    QAction *About1 = nullptr;

    // Window and menu handlers.
    void FormCreate(QObject *Sender);
    void FormActivate(QObject *Sender);
    void N1Player1Click(QObject *Sender);
    void N2Players1Click(QObject *Sender);
    void Pause1Click(QObject *Sender);
    void Exitasif1Click(QObject *Sender);
    void HallOfFame1Click(QObject *Sender);
    void Settings1Click(QObject *Sender);
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

    // "Start..." with its two commands and their shortcuts.
    void setStartEnabled(bool enabled);
    bool StartEnabled() const;

    // Sounds go through here; tests put a recorder in its place.
    void setMedia(std::unique_ptr<TMediaCommands> commands);
    TMediaCommands &Media() { return *media; }

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
    // "play " / "stop " + the program's directory + the sound's file name.
    void Sound(const char *verb, const char *file);
    // One movement tick of either player.
    struct Cycle;
    void Step(QObject *Sender, const Cycle &cycle);

    TFieldView *fieldView = nullptr;
    std::unique_ptr<TMediaCommands> media;
};
