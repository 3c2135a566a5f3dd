// The game object: what it is made of, its gate, its state and its stream. The handlers of play
// are in the files named in TGame.h.
#include "game/TGame.h"

#include "game/Rules.h"
#include "platform/FailureReport.h"

#include <QCoreApplication>

#include <utility>

TGame::TGame(TGameParts parts, QObject *parent)
    : QObject(parent)
    , host(std::move(parts.host))
    , media(std::move(parts.media))
    , ticks(std::move(parts.ticks))
    , makeComputer(std::move(parts.computer))
    , soundOn(host->ReadSoundOn())
{
    generator.seed(parts.seed);
    ticks->onTick = [this](TClock clock, QObject *Sender) {
        Enter({.kind = TGameInput::Kind::Tick, .clock = clock, .sender = Sender});
    };
    for (std::size_t i = 0; i < displays.size(); ++i)
        displays.at(i).onChanged = [this, i](const TPanelDisplay &display) {
            Tell({.kind = TGameEvent::Kind::Panel,
                  .display = static_cast<TDisplay>(i),
                  .value = display.Value(),
                  .visible = display.Visible()});
        };
}

TGame::~TGame()
{
    // Nothing may call into the game while its members go away.
    StopClocks();
    ticks->onTick = nullptr;
    for (TPanelDisplay &display : displays)
        display.onChanged = nullptr;
}

void TGame::Enter(const TGameInput &input)
{
    using Kind = TGameInput::Kind;
    switch (input.kind) {
    case Kind::Tick: {
        QObject *Sender = input.sender ? input.sender : ticks->Sender(input.clock);
        switch (input.clock) {
        case TClock::Red: hiresTimer1Timer(Sender); break;
        case TClock::Blue: HiResTimer2Timer(Sender); break;
        case TClock::Bonus: Timer1Timer(Sender); break;
        }
        break;
    }
    case Kind::Action:
        if (MayAct(input.player, input.action, input.actor))
            Perform(Player(input.player), input.action);
        break;
    case Kind::Key: {
        QChar key = input.key;
        FormKeyPress(input.sender, key);
        break;
    }
    case Kind::Start:
        if (StartAllowed())
            StartGame(input.mode, input.sender);
        break;
    case Kind::Pause:
        if (RoundUnderWay())
            TogglePause();
        break;
    case Kind::Leave:
        // A round being played pauses as F5 pauses it, and stays paused when the players come
        // back, until F5. Nothing happens when it is paused already or between rounds.
        if (state == TRoundState::Running)
            TogglePause();
        break;
    case Kind::Abandon:
        if (RoundUnderWay())
            AbandonGame();
        break;
    case Kind::End:
        // Closing ends the program at once, in the middle of a game too: no tick still on its way
        // may go on playing (and open a crash window) while the program winds down.
        StopClocks();
        setState(TRoundState::Idle);
        break;
    }
}

void TGame::Tick(TClock clock)
{
    Enter({.kind = TGameInput::Kind::Tick, .clock = clock});
}

void TGame::Act(TPlayer player, TPlayerAction action)
{
    Enter({.kind = TGameInput::Kind::Action, .player = player, .action = action});
}

void TGame::Type(QChar key)
{
    Enter({.kind = TGameInput::Kind::Key, .key = key});
}

void TGame::Start(TGameMode newMode, QObject *Sender)
{
    Enter({.kind = TGameInput::Kind::Start, .mode = newMode, .sender = Sender});
}

void TGame::Pause(QObject *Sender)
{
    Enter({.kind = TGameInput::Kind::Pause, .sender = Sender});
}

void TGame::Leave()
{
    Enter({.kind = TGameInput::Kind::Leave});
}

void TGame::Abandon()
{
    Enter({.kind = TGameInput::Kind::Abandon});
}

void TGame::End()
{
    Enter({.kind = TGameInput::Kind::End});
}

bool TGame::MayAct(TPlayer player, TPlayerAction action, TGameInput::Actor actor) const
{
    // While paused the cycles stand: a command must not move them or set a clock running again.
    if (state != TRoundState::Running)
        return false;
    if ((actor == TGameInput::Actor::Pilot) != (PilotOf(player) != nullptr))
        return false;
    return player == TPlayer::Red || twoplayer || action == TPlayerAction::Jump;
}

TGameMode TGame::Mode() const
{
    if (againstcomputer)
        return TGameMode::AgainstComputer;
    if (networked)
        return TGameMode::Network;
    return twoplayer ? TGameMode::TwoPlayers : TGameMode::OnePlayer;
}

void TGame::StartGame(TGameMode newMode, QObject *Sender)
{
    twoplayer = newMode != TGameMode::OnePlayer;
    networked = newMode == TGameMode::Network;
    if (newMode == TGameMode::AgainstComputer) {
        // A two-player game in every respect, but that the computer steers the blue cycle. Its
        // level holds for the whole game; its own random draws are seeded from the game's
        // generator, so that a seeded game with the same events plays the same.
        againstcomputer = true;
        const TComputerLevel level = Host().ReadComputerLevel();
        const auto seed = static_cast<std::uint32_t>(generator());
        setPilot(TPlayer::Blue, makeComputer ? makeComputer(level, seed) : nullptr);
    } else if (againstcomputer) {
        // The computer steers no more once a game of another kind begins.
        againstcomputer = false;
        setPilot(TPlayer::Blue, nullptr);
    }
    startgame(Sender);
}

void TGame::TogglePause()
{
    if (state == TRoundState::Running) {
        Clock(TPlayer::Red).setEnabled(false);
        Clock(TPlayer::Blue).setEnabled(false);
        setState(TRoundState::Paused);
    } else {
        Clock(TPlayer::Red).setEnabled(true);
        if (twoplayer)
            Clock(TPlayer::Blue).setEnabled(true);
        setState(TRoundState::Running);
    }
}

void TGame::AbandonGame()
{
    // The round ends as a crash ends it, but nobody crashed and nothing is recorded: the field and
    // the panel go back to how they were before the first game.
    EndRound(TRoundState::Idle);
    clearfield();
    for (TPanelDisplay &display : displays)
        display.hide();
    // No cycles left on either side, so that the next start begins a new game.
    redlives = 0;
    bluelives = 0;
}

void TGame::StopClocks()
{
    BonusClock().stop();
    Clock(TPlayer::Red).setEnabled(false);
    Clock(TPlayer::Blue).setEnabled(false);
}

void TGame::setState(TRoundState next)
{
    if (next == state)
        return;
    state = next;
    Tell({.kind = TGameEvent::Kind::State, .state = next});
    emit stateChanged(next);
}

std::int64_t TGame::RoundTime() const
{
    return ticks->Now() - roundStart;
}

void TGame::Tell(TGameEvent event)
{
    event.time = RoundTime();
    emit happened(event);
}

void TGame::TellCycle(TGameEvent::Kind kind, const TPlayerView &player)
{
    Tell({.kind = kind, .player = player.player, .cycle = player.State()});
}

TPlayerView TGame::Player(TPlayer player)
{
    if (player == TPlayer::Red)
        return {TPlayer::Red,
                reddir,
                redx,
                redy,
                Clock(TPlayer::Red),
                redscore,
                redlives,
                Display(TDisplay::RedJets),
                Display(TDisplay::RedSpeed),
                Display(TDisplay::RedScore),
                Display(TDisplay::RedLives),
                FieldColour::Red,
                Rules::RedLivesCell};
    return {TPlayer::Blue,
            bluedir,
            bluex,
            bluey,
            Clock(TPlayer::Blue),
            bluescore,
            bluelives,
            Display(TDisplay::BlueJets),
            Display(TDisplay::BlueSpeed),
            Display(TDisplay::BlueScore),
            Display(TDisplay::BlueLives),
            FieldColour::Blue,
            Rules::BlueLivesCell};
}

TCycleSight TGame::Sight(TPlayer player)
{
    return Player(player).Sight(player == TPlayer::Red || twoplayer);
}

std::unique_ptr<TPilot> TGame::setPilot(TPlayer player, std::unique_ptr<TPilot> pilot)
{
    return std::exchange(pilots.at(Index(player)), std::move(pilot));
}

TPilot *TGame::PilotOf(TPlayer player) const
{
    return pilots.at(Index(player)).get();
}

void TGame::setSoundOn(bool on)
{
    soundOn = on;
    if (!soundOn) {
        const QStringList playing = soundsPlaying;
        for (const QString &path : playing)
            StopSound(path);
    }
    host->WriteSoundOn(on);
}

TGame::PlayingSound::PlayingSound(TGame &owner, const char *file)
    : game(owner)
    , path(SoundPath(file))
{
    game.StartSound(path);
}

TGame::PlayingSound::~PlayingSound()
{
    game.StopSound(path);
}

QString TGame::SoundPath(const char *file)
{
    // The directory of the program file with its trailing separator, then the file name; the
    // path is passed whole, blanks and all.
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(file);
}

void TGame::StartSound(const QString &path)
{
    if (!soundOn)
        return;
    media->mciSendString(QStringLiteral("play ") + path);
    if (!soundsPlaying.contains(path))
        soundsPlaying.append(path);
}

void TGame::StopSound(const QString &path) noexcept
{
    // Only a sound that was started is stopped: with the sound off no command goes out at all.
    if (!soundsPlaying.removeOne(path))
        return;
    try {
        media->mciSendString(QStringLiteral("stop ") + path);
    } catch (...) {
        // Not even the memory for the command: the sound plays to its end.
    }
}
