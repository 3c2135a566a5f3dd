#include "platform/TProfileFile.h"

#include "platform/Failure.h"
#include "platform/TProfileText.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The path as the player should see it in a message, and as the lock table knows the file.
QString FullPath(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

[[noreturn]] void CannotWrite(const QString &path, const QString &why = QString())
{
    QString message = QStringLiteral("Kann nicht nach %1 schreiben").arg(QDir::toNativeSeparators(FullPath(path)));
    if (!why.isEmpty())
        message += QStringLiteral(": ") + why;
    throw Failure(message.toStdString());
}

[[noreturn]] void Locked(const QString &path)
{
    CannotWrite(path, QStringLiteral("ein anderes Zandrix II hält die Datei gesperrt"));
}

// The locks this program holds, by the full path of their profile file. A lock belongs to the
// thread that took it; while a thread takes it, the entry is there without a lock file yet, so
// that other threads wait for that thread instead of racing it to the file.
struct HeldLock
{
    std::thread::id owner;
    int depth = 0;
    std::unique_ptr<QLockFile> file;
};

struct HeldLocks
{
    std::mutex mutex;
    std::condition_variable released;
    std::map<QString, HeldLock> locks;
};

HeldLocks &Held()
{
    static HeldLocks held;
    return held;
}

// Whether a lock file that QLockFile leaves alone was left by a program that is gone:
// - it holds no process number, as when its program died between making it and writing it (a
//   running copy writes its number at once; a second's age rules out one that is still at it);
// - it holds this program's number, yet this program does not hold it (the table of held locks
//   says so): an earlier program had the same number.
// Either is removed only if no running program keeps the file locked (QLockFile locks the open
// file too), so a live copy is never robbed.
bool LeftBehind(const QLockFile &lock)
{
    qint64 pid = 0;
    if (lock.getLockInfo(&pid, nullptr, nullptr))
        return pid == QCoreApplication::applicationPid();
    const QFileInfo info(lock.fileName());
    if (!info.isFile())
        return false;
    const qint64 age = info.lastModified().msecsTo(QDateTime::currentDateTime());
    return age > 1000 || age < -1000;
}

// Takes the lock file of the profile file, waiting until the deadline for another copy.
std::unique_ptr<QLockFile> TakeLockFile(const QString &path, Clock::time_point deadline)
{
    // The lock goes beside the file, so its directory is made first.
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        CannotWrite(path);
    auto lock = std::make_unique<QLockFile>(TProfileLock::LockPath(path));
    // A copy that is slow is still running and keeps its lock; only a gone one loses it.
    lock->setStaleLockTime(0);
    for (;;) {
        // One try at a time (QLockFile takes over a lock of a program that no longer runs on
        // its own), then a short pause, so that the wait ends soon after the other copy's write.
        if (lock->tryLock(0))
            return lock;
        if (lock->error() != QLockFile::LockFailedError)
            CannotWrite(path);
        if (LeftBehind(*lock) && lock->removeStaleLockFile())
            continue;
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
        if (left <= milliseconds::zero())
            Locked(path);
        QThread::msleep(static_cast<unsigned long>(std::min(left, milliseconds(20)).count()));
    }
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
    // Held from the read to the replace: another copy's write in between would be undone.
    const TProfileLock lock(*this);

    // A file that is there but cannot be read must not be replaced by one holding only these keys.
    const std::optional<QByteArray> old = ReadWhole(path);
    if (!old)
        CannotWrite(path);

    TProfileText text(*old);
    for (const auto &[section, values] : sections)
        text.Write(section, values);
    const QByteArray bytes = text.Bytes();

    // QSaveFile writes a new file beside the old one and renames it over the old one only when
    // every byte is down, so the old file survives any failure untouched. (Taking the lock made
    // the directory.)
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

TProfileLock::TProfileLock(const TProfileFile &file)
    : TProfileLock(file.Path())
{
}

TProfileLock::TProfileLock(const QString &path)
    : key(FullPath(path))
{
    const Clock::time_point deadline = Clock::now() + Wait;
    const std::thread::id self = std::this_thread::get_id();
    HeldLocks &held = Held();
    {
        std::unique_lock guard(held.mutex);
        if (const auto mine = held.locks.find(key); mine != held.locks.end() && mine->second.owner == self) {
            ++mine->second.depth;
            return;
        }
        if (!held.released.wait_until(guard, deadline, [&] { return !held.locks.contains(key); }))
            Locked(path);
        held.locks.emplace(key, HeldLock{self, 0, nullptr});
    }
    // The file is taken outside the table's mutex: other files' locks must not wait for it.
    std::unique_ptr<QLockFile> file;
    try {
        file = TakeLockFile(path, deadline);
    } catch (...) {
        {
            const std::lock_guard guard(held.mutex);
            held.locks.erase(key);
        }
        held.released.notify_all();
        throw;
    }
    const std::lock_guard guard(held.mutex);
    HeldLock &mine = held.locks.at(key);
    mine.file = std::move(file);
    mine.depth = 1;
}

TProfileLock::~TProfileLock()
{
    HeldLocks &held = Held();
    {
        const std::lock_guard guard(held.mutex);
        const auto mine = held.locks.find(key);
        if (mine == held.locks.end() || --mine->second.depth > 0)
            return;
        // Removed before the entry goes, so that a thread let in next finds the file free.
        mine->second.file->unlock();
        held.locks.erase(mine);
    }
    held.released.notify_all();
}

QString TProfileLock::LockPath(const QString &path)
{
    return FullPath(path) + QStringLiteral(".lock");
}
