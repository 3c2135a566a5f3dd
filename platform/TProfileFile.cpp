#include "platform/TProfileFile.h"

#include "platform/Failure.h"
#include "platform/TProfileText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <optional>

namespace {

[[noreturn]] void CannotWrite(const QString &path)
{
    const QString message = QStringLiteral("Kann nicht nach %1 schreiben").arg(QFileInfo(path).fileName());
    throw Failure(message.toStdString());
}

// The whole file, an empty text when there is none, or nothing when it is there but cannot be
// read (a directory, no permission, an I/O error) or is no regular file: opening a FIFO would
// wait for a writer for ever, and a device may never end.
std::optional<QByteArray> ReadWhole(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QByteArray();
    if (!info.isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

TProfileFile::TProfileFile(QString filePath)
    : path(std::move(filePath))
{
}

TProfileFile TProfileFile::Settings()
{
    return TProfileFile(SettingsPath());
}

QString TProfileFile::SettingsPath()
{
    // Looked up on every call: the place follows $XDG_CONFIG_HOME as it is now.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/zandrix2.ini");
}

QString TProfileFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    // A file that cannot be read is as good as a missing one: every value takes its default.
    const std::optional<QByteArray> bytes = ReadWhole(path);
    return TProfileText::ReadFrom(bytes.value_or(QByteArray()), section, key, defaultValue);
}

QStringList TProfileFile::ReadStrings(const QString &section, const KeyValues &keysAndDefaults) const
{
    const std::optional<QByteArray> bytes = ReadWhole(path);
    return TProfileText::ReadFrom(bytes.value_or(QByteArray()), section, keysAndDefaults);
}

void TProfileFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    WriteStrings(section, {{key, value}});
}

void TProfileFile::WriteStrings(const QString &section, const KeyValues &values)
{
    WriteSections({{section, values}});
}

void TProfileFile::WriteSections(const Sections &sections)
{
    // A file that is there but cannot be read must not be replaced by one holding only these keys.
    const std::optional<QByteArray> old = ReadWhole(path);
    if (!old)
        CannotWrite(path);

    TProfileText text(*old);
    for (const auto &[section, values] : sections)
        text.Write(section, values);
    const QByteArray bytes = text.Bytes();

    // QSaveFile writes a new file beside the old one and renames it over the old one only when
    // every byte is down, so the old file survives any failure untouched.
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        CannotWrite(path);
    QSaveFile file(path);
    // Unbuffered, because a buffered QSaveFile flushes inside commit() and does not notice when
    // that flush is cut short (a full disk): it would rename a truncated file over the old one.
    // Written directly, a short write shows in the count returned here.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        CannotWrite(path);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        CannotWrite(path);
    }
    if (!file.commit())
        CannotWrite(path);
}
