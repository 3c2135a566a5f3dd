#include "replay/TReplayRecorder.h"

#include "game/TFieldSurface.h"
#include "game/TGame.h"
#include "platform/Failure.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace {

using Kind = TGameEvent::Kind;

constexpr auto Extension = QLatin1StringView(".zxreplay");

QString ModeName(TGameMode mode)
{
    switch (mode) {
    case TGameMode::OnePlayer: return QStringLiteral("one-player");
    case TGameMode::TwoPlayers: return QStringLiteral("two-players");
    case TGameMode::AgainstComputer: return QStringLiteral("against-computer");
    case TGameMode::Network: return QStringLiteral("network");
    }
    return QStringLiteral("game");
}

// The message of the exception being handled.
QString FailureText()
{
    try {
        throw;
    } catch (const std::exception &failure) {
        return QString::fromUtf8(failure.what());
    } catch (...) {
        return QStringLiteral("The game could not be kept.");
    }
}

} // namespace

TReplayRecorder::TReplayRecorder(TGame &game, QString where, QObject *parent)
    : QObject(parent)
    , folder(std::move(where))
    , state(game.State())
{
    for (int i = 0; i < DisplayCount; ++i) {
        const TPanelDisplay &shown = game.Display(static_cast<TDisplay>(i));
        panel.at(static_cast<std::size_t>(i)).setValue(shown.Value());
        panel.at(static_cast<std::size_t>(i)).setVisible(shown.Visible());
    }
    connect(&game, &TGame::happened, this, &TReplayRecorder::Take);
}

void TReplayRecorder::Take(const TGameEvent &event)
{
    // Nothing the recorder does may reach into the game: a failure to keep a game is told.
    try {
        Record(event);
    } catch (...) {
        current.reset();
        emit keepFailed(FailureText());
    }
}

TReplayRecorder::~TReplayRecorder()
{
    // A game ended from the menu just before the program closed is kept all the same.
    if (current && ending) {
        try {
            Finish();
        } catch (...) {
        }
    }
}

QString TReplayRecorder::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zandrix2/replays");
}

QString TReplayRecorder::FileName(const TReplay &replay)
{
    return replay.started.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss_")) + ModeName(replay.mode) + Extension;
}

bool TReplayRecorder::IsKeptName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d_(one-player|two-players|against-computer|network)(-\d{1,4})?\.zxreplay$)"));
    return pattern.match(name).hasMatch();
}

void TReplayRecorder::Record(const TGameEvent &event)
{
    if (event.kind == Kind::RoundStart) {
        if (current && ending)
            Finish();
        if (!current) {
            if (state == TRoundState::Idle || state == TRoundState::GameOver)
                Begin(event);
            return;
        }
        current->rounds.emplace_back();
    }
    if (event.kind == Kind::State)
        state = event.state;
    if (event.kind == Kind::Panel) {
        TPanelDisplay &shown = panel.at(static_cast<std::size_t>(event.display));
        shown.setValue(event.value);
        shown.setVisible(event.visible);
    }
    if (!current)
        return;

    std::vector<TGameEvent> &events = current->rounds.back().events;
    events.push_back(event);
    if (event.kind == Kind::BonusShown && event.mask.IsNull()) {
        // The label's pixels as this game drew them, so that the replay never depends on a font.
        auto mask = masks.constFind(event.text);
        if (mask == masks.constEnd())
            mask = masks.insert(event.text, TFieldLabel::TextMask(event.text));
        events.back().mask = *mask;
    }
    if (event.kind == Kind::State && event.state == TRoundState::GameOver)
        Finish();
    else if (event.kind == Kind::State && event.state == TRoundState::Idle && !ending) {
        // Ended from the menu: the round's end and the cleared field follow in the same breath.
        ending = true;
        QTimer::singleShot(0, this, [this] {
            if (!current || !ending)
                return;
            try {
                Finish();
            } catch (...) {
                emit keepFailed(FailureText());
            }
        });
    }
}

void TReplayRecorder::Begin(const TGameEvent &roundStart)
{
    current = std::make_unique<TReplay>();
    current->mode = roundStart.mode;
    current->started = QDateTime::currentDateTime();
    // The panel as the game begins: a watcher that starts from nothing shows what the players saw.
    TReplayRound &first = current->rounds.emplace_back();
    for (int i = 0; i < DisplayCount; ++i) {
        const auto display = static_cast<TDisplay>(i);
        first.events.push_back({.time = roundStart.time,
                                .kind = Kind::Panel,
                                .display = display,
                                .value = panel.at(static_cast<std::size_t>(i)).Value(),
                                .visible = panel.at(static_cast<std::size_t>(i)).Visible()});
    }
    first.events.push_back(roundStart);
}

void TReplayRecorder::Finish()
{
    std::shared_ptr<const TReplay> done(current.release());
    ending = false;
    last = done;
    lastFile.clear();
    emit gameKept();
    try {
        Keep(*done);
    } catch (...) {
        emit keepFailed(FailureText());
    }
}

void TReplayRecorder::Keep(const TReplay &replay)
{
    if (!QDir().mkpath(folder))
        throw Failure(
            QStringLiteral("Kann nicht nach %1 schreiben").arg(QDir::toNativeSeparators(folder)).toStdString());
    const QDir dir(folder);
    QString name = FileName(replay);
    // Two games begun in the same second (or a file left there) are kept side by side.
    for (int n = 2; QFileInfo::exists(dir.filePath(name)) && n < 10000; ++n)
        name = FileName(replay).chopped(Extension.size()) + QStringLiteral("-%1").arg(n) + Extension;
    const QString path = dir.filePath(name);
    replay.Write(path);
    lastFile = path;
    DropOldest();
}

void TReplayRecorder::DropOldest()
{
    QFileInfoList kept;
    for (const QFileInfo &file : QDir(folder).entryInfoList({QStringLiteral("*") + Extension}, QDir::Files))
        if (IsKeptName(file.fileName()))
            kept << file;
    if (kept.size() <= KeptGames)
        return;
    // Oldest first: by the time each was written, then by name.
    std::sort(kept.begin(), kept.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const QDateTime atA = a.lastModified(), atB = b.lastModified();
        return atA != atB ? atA < atB : a.fileName() < b.fileName();
    });
    for (qsizetype i = 0; i < kept.size() - KeptGames; ++i)
        QFile::remove(kept.at(i).filePath());
}
