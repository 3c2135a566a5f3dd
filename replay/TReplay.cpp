#include "replay/TReplay.h"

#include "game/TGameMirror.h"
#include "platform/Failure.h"
#include "replay/ReplayFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <filesystem>
#include <system_error>

namespace {

[[noreturn]] void CannotPlay(const QString &path, const QString &reason)
{
    throw Failure(
        QStringLiteral("Cannot play the replay %1: %2").arg(QDir::toNativeSeparators(path), reason).toStdString());
}

} // namespace

TReplay TReplay::Read(const QString &path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(QFile::encodeName(path).toStdString(), error);
    if (status.type() == std::filesystem::file_type::not_found)
        CannotPlay(path, QStringLiteral("there is no such file."));
    if (status.type() == std::filesystem::file_type::directory)
        CannotPlay(path, QStringLiteral("it is a folder, not a file."));
    // A FIFO or a device would be read until it ends, if ever; a file out of reach is told below.
    if (!error && status.type() != std::filesystem::file_type::regular)
        CannotPlay(path, QStringLiteral("it is not a regular file."));
    const qint64 size = QFileInfo(path).size();
    if (size > ReplayFormat::MaxFileSize)
        CannotPlay(path, QStringLiteral("at %1 MB it is far too large to be a replay.").arg(size / (1024 * 1024)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        CannotPlay(path, QStringLiteral("it cannot be read (%1).").arg(file.errorString()));
    // The bytes the file had when it was looked at, never more, whatever it has grown to since.
    const QByteArray bytes = file.read(size);
    if (file.error() != QFileDevice::NoError)
        CannotPlay(path, QStringLiteral("it cannot be read (%1).").arg(file.errorString()));
    try {
        return Decode(bytes);
    } catch (const Failure &failure) {
        CannotPlay(path, QString::fromUtf8(failure.what()));
    }
}

void TReplay::Write(const QString &path) const
{
    const QByteArray bytes = Encode();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Failure(QStringLiteral("Kann nicht nach %1 schreiben").arg(QDir::toNativeSeparators(path)).toStdString());
}

int TReplay::VerifyChecksums() const
{
    TGameMirror mirror;
    for (const TReplayRound &round : rounds)
        for (const TGameEvent &event : round.events)
            mirror.Apply(event);
    return mirror.checksumMismatches;
}
