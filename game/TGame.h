#pragma once

#include "game/PlayerAction.h"
#include "game/TGameEvent.h"
#include "game/TGameParts.h"
#include "game/TGameState.h"
#include "game/TPanelDisplay.h"
#include "game/TPlayerView.h"
#include "game/TPlayfield.h"

#include <QObject>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>

// One thing that may change a round, as it enters the game.
struct TGameInput
{
    enum class Kind : std::uint8_t {
        Tick,    // a clock's tick
        Action,  // one of a player's five actions: a controller, the network, a pilot
        Key,     // a typed character, matched against the key bindings
        Start,   // a new game of a mode
        Pause,   // pause, or resume (F5, a controller's Start)
        Leave,   // the players have left for another program: pause a round that is being played
        Abandon, // the players end the game: nothing is recorded, and no game is played any more
        End,     // the program closes: nothing moves any more
    };
    // Who gives an action: a player (keys, controller, network) or the pilot that steers the cycle.
    enum class Actor : std::uint8_t { Player, Pilot };

    Kind kind = Kind::Tick;
    TClock clock = TClock::Red;
    TPlayer player = TPlayer::Red;
    TPlayerAction action = TPlayerAction::TurnLeft;
    Actor actor = Actor::Player;
    QChar key{};
    TGameMode mode = TGameMode::OnePlayer;
    // The object that names the event as its Sender (a timer, a menu command).
    QObject *sender = nullptr;
};

// The game without any window: the state of play, the field and the side panel's values, the
// clocks, the bonuses, the crashes and the rules of the keys. Everything that may change a round
// enters through Enter(), one event at a time; everything anyone can see change comes out, in
// order, as happened(). What it needs from outside is handed to it when it is made (TGameParts).
class TGame
    : public QObject
    , public TGameState
{
    Q_OBJECT

public:
    explicit TGame(TGameParts parts, QObject *parent = nullptr);
    ~TGame() override;

    // The gate. Who may do what, and when, is decided here.
    void Enter(const TGameInput &input);
    void Tick(TClock clock);
    void Act(TPlayer player, TPlayerAction action);
    void Type(QChar key);
    void Start(TGameMode mode, QObject *Sender = nullptr);
    void Pause(QObject *Sender = nullptr);
    void Leave();
    void Abandon();
    void End();

    TRoundState State() const { return state; }
    TGameMode Mode() const;
    // A round is being played, paused or not.
    bool RoundUnderWay() const { return state == TRoundState::Running || state == TRoundState::Paused; }
    bool StartAllowed() const { return state == TRoundState::Idle || state == TRoundState::GameOver; }

    // The field and what is drawn into it.
    TPlayfield playfield;
    TFieldSurface &field = playfield.field;
    TFieldLabel &Label1 = playfield.Label1; // the bonus: yellow text
    TFieldLabel &Label2 = playfield.Label2; // the eraser: black text where the last bonus stood
    TFieldPicture &gameover = playfield.gameover;
    std::uint32_t GetPixel(int x, int y) const { return field.GetPixel(x, y); }
    void SetPixel(int x, int y, std::uint32_t colour) { field.SetPixel(x, y, colour); }

    // The side panel's values, by display.
    std::array<TPanelDisplay, DisplayCount> displays;
    TPanelDisplay &Display(TDisplay display) { return displays.at(static_cast<std::size_t>(display)); }
    const TPanelDisplay &Display(TDisplay display) const { return displays.at(static_cast<std::size_t>(display)); }

    // The clocks: each cycle's (its interval is the cycle's step interval) and the bonus clock.
    TTickSource &Ticks() { return *ticks; }
    TMovementClock &Clock(TPlayer player)
    {
        return ticks->Movement(player == TPlayer::Red ? TClock::Red : TClock::Blue);
    }
    TBonusClock &BonusClock() { return ticks->Bonus(); }

    // Player 1 (red) or player 2 (blue): the one place where red or blue is chosen.
    TPlayerView Player(TPlayer player);
    // What either player can see of that cycle; player 2 is in play only in a two-player game.
    TCycleSight Sight(TPlayer player);

    // A pilot steers a player's cycle in place of the keys (the computer opponent); none by
    // default. It is asked on each of that cycle's ticks, and that cycle takes no other commands.
    // Returns the pilot it replaces.
    std::unique_ptr<TPilot> setPilot(TPlayer player, std::unique_ptr<TPilot> pilot);
    TPilot *PilotOf(TPlayer player) const;

    // The settings dialog has closed: the next round reads the bindings again.
    void BindingsChanged() { newctrls = true; }

    // Whether the game sounds; a change is kept in the settings file, and in effect at once even
    // if it cannot be kept.
    bool SoundOn() const { return soundOn; }
    void setSoundOn(bool on);

    TGameHost &Host() { return *host; }
    TMediaCommands &Media() { return *media; }

signals:
    // Everything anyone watching can see change, in order.
    void happened(const TGameEvent &event);
    void stateChanged(TRoundState state);

private:
    // The handlers of play, one concern per file: MovementTick.cpp, KeyboardControl.cpp,
    // RoundStart.cpp, Crash.cpp, Bonuses.cpp.
    void hiresTimer1Timer(QObject *Sender);
    void HiResTimer2Timer(QObject *Sender);
    void FormKeyPress(QObject *Sender, QChar &Key);
    void startgame(QObject *Sender);
    void gehdie(QObject *Sender, TPlayer player);
    void crashed(QObject *Sender, const QString &msg);
    void Timer1Timer(QObject *Sender);
    void givebonus(QObject *Sender, TPlayer player);
    void clearfield();
    void ShowGameOver(bool on);

    // The gate's own steps.
    void StartGame(TGameMode newMode, QObject *Sender);
    void TogglePause();
    void AbandonGame();
    // Whether an action may act now: a round is being played and it is not paused; a cycle that a
    // pilot steers takes only its pilot's actions; player 2 steers and changes speed only in a
    // two-player game (its jump counts in every game, where in a one-player game it moves nothing
    // that shows).
    bool MayAct(TPlayer player, TPlayerAction action, TGameInput::Actor actor) const;
    // One action, once allowed: the keys, controllers and pilots all come here.
    void Perform(const TPlayerView &player, TPlayerAction action);

    // One movement tick of either player.
    void Step(QObject *Sender, const TPlayerView &player);
    // The pilot of the player's cycle, if any, gives its commands for this tick.
    void Pilot(const TPlayerView &player);

    // The steps of a crash.
    // Ends the round with the field as it stands, in the state given.
    void EndRound(TRoundState next);
    void LoseCycle(QObject *Sender, const TPlayerView &crashing, const TPlayerView &opponent);
    void GameOver(QObject *Sender);
    void RecordScores(QObject *Sender);
    void StopClocks();

    void setState(TRoundState next);
    // Milliseconds since the round began.
    std::int64_t RoundTime() const;
    // Tells one event, stamped with the round's time.
    void Tell(TGameEvent event);
    void TellCycle(TGameEvent::Kind kind, const TPlayerView &player);

    // A sound that plays for as long as it lives: "play" when it is made, "stop" when it goes
    // (also when a failure ends its scope early). With the sound off neither is sent.
    class PlayingSound
    {
    public:
        PlayingSound(TGame &owner, const char *file);
        ~PlayingSound();
        PlayingSound(const PlayingSound &) = delete;
        PlayingSound &operator=(const PlayingSound &) = delete;

    private:
        TGame &game;
        QString path;
    };
    // The path of a sound: the program's directory and the sound's file name.
    static QString SoundPath(const char *file);
    void StartSound(const QString &path);
    void StopSound(const QString &path) noexcept;

    std::unique_ptr<TGameHost> host;
    std::unique_ptr<TMediaCommands> media;
    std::unique_ptr<TTickSource> ticks;
    TComputerMaker makeComputer;
    std::array<std::unique_ptr<TPilot>, 2> pilots;

    TRoundState state = TRoundState::Idle;
    std::int64_t roundStart = 0;
    bool soundOn = true;
    // The sounds between their "play" and their "stop".
    QStringList soundsPlaying;
};
