#include "support/GameRig.h"

#include "app/TProgram.h"
#include "app/TWindowHost.h"
#include "game/TTimerTicks.h"
#include "input/TGamepads.h"

#include "game/TFieldSurface.h"
#include "game/TGameHost.h"
#include "halloffame/Tnewhigh.h"
#include "platform/ErrorDisplay.h"
#include "platform/Failure.h"
#include "platform/FailureReport.h"
#include "platform/TMediaCommands.h"
#include "settings/ControlsSection.h"
#include "windows/Tcrash.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTest>

#include <array>
#include <cstring>

namespace {

constexpr const char *WindowPrefix = "window: ";

// Stands in for the media layer: keeps each command instead of playing it.
class SoundRecorder : public TMediaCommands
{
public:
    explicit SoundRecorder(QStringList &commands)
        : log(commands)
    {
    }
    void mciSendString(const QString &command) noexcept override { log.append(command); }

private:
    QStringList &log;
};

// Stands in for the crash window, the hall of fame and the bindings; the rest of the settings
// file is the real one.
class RecordingHost : public TWindowHost
{
public:
    explicit RecordingHost(GameRig &gameRig)
        : rig(gameRig)
    {
    }

    void ShowCrash(QObject *Sender, const QString &msg) override
    {
        rig.crashSenders.push_back(Sender);
        rig.events.append(WindowPrefix + msg);
        if (rig.onWindow)
            rig.onWindow(msg);
    }
    void RecordOnePlayer(QObject *, std::int32_t score) override { Record(QString::number(score)); }
    void RecordTwoPlayers(QObject *, const QString &player, std::int32_t score) override
    {
        Record(player + u' ' + QString::number(score));
    }
    QStringList ReadBindings() override
    {
        ++rig.bindingReads;
        return rig.bindings;
    }

private:
    void Record(const QString &what)
    {
        rig.events.append(QStringLiteral("record: ") + what);
        if (rig.failRecordings)
            throw Failure("Kann nicht nach zandrix2.ini schreiben");
    }

    GameRig &rig;
};

} // namespace

GameRig::GameRig(std::uint32_t seed)
    : GameRig(Hosting::Recording, Ticks::Held, seed)
{
}

namespace {

// The parts of a test's game: the given host, a sound recorder, driven or real ticks, the seed.
TGameParts RigParts(std::unique_ptr<TGameHost> host, QStringList &sounds, TDrivenTicks *&driven, GameRig::Ticks ticks,
                    std::uint32_t seed)
{
    TGameParts parts;
    parts.host = std::move(host);
    parts.media = std::make_unique<SoundRecorder>(sounds);
    if (ticks == GameRig::Ticks::Held) {
        auto source = std::make_unique<TDrivenTicks>();
        driven = source.get();
        parts.ticks = std::move(source);
    } else {
        parts.ticks = std::make_unique<TTimerTicks>();
    }
    parts.seed = seed;
    parts.computer = ComputerPilotMaker();
    return parts;
}

std::unique_ptr<TWindowHost> RigHost(GameRig::Hosting hosting, GameRig &rig)
{
    if (hosting == GameRig::Hosting::Recording)
        return std::make_unique<RecordingHost>(rig);
    return std::make_unique<TWindowHost>();
}

} // namespace

GameRig::GameRig(Hosting hosting, Ticks ticks, std::uint32_t seed)
    : ownedGame(std::make_unique<TGame>(RigParts(RigHost(hosting, *this), events, drivenTicks, ticks, seed)))
    , window(std::make_unique<TForm1>(*ownedGame, std::make_unique<TGamepads>([this] {
        return static_cast<TWindowHost &>(ownedGame->Host()).ReadPadMapping();
    })))
    , game(*ownedGame)
    , form(*window)
    , clock(drivenTicks)
{
    for (const ControlsSection::Binding &binding : ControlsSection::Bindings)
        bindings.append(QLatin1String(binding.defaultValue));
    if (hosting == Hosting::Recording) {
        SetFailureReporter([this](const std::string &message) { failures.append(QString::fromStdString(message)); });
    } else {
        static_cast<TWindowHost &>(game.Host()).setOwner(window.get());
        modals.emplace([this](QWidget *modal) { AnswerAsAPlayer(modal); });
        SetFailureReporter([this](const std::string &message) {
            failures.append(QString::fromStdString(message));
            ShowErrorBox(QString::fromStdString(message));
        });
    }
}

GameRig::~GameRig()
{
    modals.reset();
    window.reset();
    ownedGame.reset();
    SetFailureReporter({});
}

void GameRig::SetBinding(const char *key, const QString &value)
{
    for (std::size_t i = 0; i < ControlsSection::Bindings.size(); ++i)
        if (std::strcmp(ControlsSection::Bindings.at(i).key, key) == 0)
            bindings[static_cast<qsizetype>(i)] = value;
}

void GameRig::AnswerAsAPlayer(QWidget *modal)
{
    const QString title = modal->windowTitle();
    events.append(WindowPrefix + title);
    if (qobject_cast<Tcrash *>(modal)) {
        QTest::keyClick(modal, Qt::Key_Return);
    } else if (qobject_cast<Tnewhigh *>(modal)) {
        QTest::keyClicks(modal, names.isEmpty() ? QStringLiteral("Tester") : names.takeFirst());
        QTest::keyClick(modal, Qt::Key_Return);
    } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        errorBoxes.append(box->text());
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            ok->click();
    }
    if (onWindow)
        onWindow(title);
}

void GameRig::TickRed(int n)
{
    for (int i = 0; i < n; ++i)
        game.Tick(TClock::Red);
}

void GameRig::TickBlue(int n)
{
    for (int i = 0; i < n; ++i)
        game.Tick(TClock::Blue);
}

void GameRig::TickBoth(int n)
{
    for (int i = 0; i < n; ++i) {
        TickRed();
        TickBlue();
    }
}

void GameRig::Type(const QString &keys)
{
    for (QChar key : keys) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(key));
        QCoreApplication::sendEvent(&form, &press);
    }
}

void GameRig::PlaceRed(int x, int y, std::uint8_t dir)
{
    game.redx = static_cast<std::uint16_t>(x);
    game.redy = static_cast<std::uint16_t>(y);
    game.reddir = dir;
}

void GameRig::PlaceBlue(int x, int y, std::uint8_t dir)
{
    game.bluex = static_cast<std::uint16_t>(x);
    game.bluey = static_cast<std::uint16_t>(y);
    game.bluedir = dir;
}

void GameRig::Place(int player, int x, int y, std::uint8_t dir)
{
    player == 1 ? PlaceRed(x, y, dir) : PlaceBlue(x, y, dir);
}

// Heading 3 is left: one step from column 0 leaves the field.
void GameRig::Crash(int player)
{
    Place(player, 0, 300, 3);
    Tick(player);
}

bool GameRig::PlayToGameOver(bool twoPlayers, int steps)
{
    Start(twoPlayers);
    // Three crashes of player 1 end any game; a fourth round would mean it did not end.
    for (int round = 0; round < 4 && !game.StartAllowed(); ++round) {
        for (int i = 0; i < steps; ++i) {
            TickRed();
            if (twoPlayers)
                TickBlue();
        }
        CrashRed();
    }
    return form.StartEnabled() && game.State() == TRoundState::GameOver;
}

void GameRig::PlaceBonusOfKind(std::uint8_t kind)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        game.Tick(TClock::Bonus);
        if (game.bonuskind == kind)
            return;
    }
}

QPoint GameRig::CollectBonus(int player)
{
    const QPoint yellow = FirstYellowPixel();
    Place(player, yellow.x() - 1, yellow.y(), 7);
    Tick(player);
    return yellow;
}

QPoint GameRig::FirstYellowPixel() const
{
    const QRect bounds = game.Label1.Bounds();
    for (int y = bounds.top(); y <= bounds.bottom(); ++y)
        for (int x = bounds.left(); x <= bounds.right(); ++x)
            if (game.GetPixel(x, y) == FieldColour::Yellow)
                return {x, y};
    return {-1, -1};
}

QStringList GameRig::WindowTitles() const
{
    QStringList titles;
    for (const QString &event : events)
        if (event.startsWith(QLatin1String(WindowPrefix)))
            titles.append(event.mid(qsizetype(std::strlen(WindowPrefix))));
    return titles;
}

QStringList GameRig::SoundCommands() const
{
    QStringList commands;
    for (const QString &event : events)
        if (event.startsWith(u"play ") || event.startsWith(u"stop "))
            commands.append(event);
    return commands;
}

QString GameRig::SoundCommand(const char *verb, const char *file)
{
    return QLatin1String(verb) + QLatin1Char(' ') + QCoreApplication::applicationDirPath() + QLatin1Char('/')
           + QLatin1String(file);
}

int GameRig::CountPixels(std::uint32_t colour) const
{
    int count = 0;
    for (int y = 0; y < TFieldSurface::Height; ++y)
        for (int x = 0; x < TFieldSurface::Width; ++x)
            if (game.GetPixel(x, y) == colour)
                ++count;
    return count;
}

QString GameRig::FieldChecksum() const
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (int y = 0; y < TFieldSurface::Height; ++y)
        for (int x = 0; x < TFieldSurface::Width; ++x) {
            const std::uint32_t colour = game.GetPixel(x, y);
            const std::array<char, 4> bytes{static_cast<char>(colour & 0xFF), static_cast<char>((colour >> 8) & 0xFF),
                                            static_cast<char>((colour >> 16) & 0xFF),
                                            static_cast<char>((colour >> 24) & 0xFF)};
            hash.addData(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
        }
    return QString::fromLatin1(hash.result().toHex());
}

void AddPlayerRows()
{
    QTest::addColumn<int>("player");
    QTest::newRow("player 1") << 1;
    QTest::newRow("player 2") << 2;
}
