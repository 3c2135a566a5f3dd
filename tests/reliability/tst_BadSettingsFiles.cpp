// Whole games played on settings files that are missing, broken, huge or out of reach. Whatever
// the file is, the game starts, plays to its end and either records the score while keeping every
// other byte of the file, or says "Kann nicht nach <the file's full path> schreiben", leaves the
// file exactly as it was and keeps the score to show and to write with the next game. A replay file
// that is anything but a whole replay fails with one clear message.
#include "halloffame/TFameTable.h"
#include "platform/Failure.h"
#include "platform/TProfileFile.h"
#include "replay/TReplay.h"
#include "replay/TReplayRecorder.h"
#include "support/Files.h"
#include "support/GameRig.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The message of a settings file that cannot be written: it names the file's full path.
QString CannotWrite()
{
    return QStringLiteral("Kann nicht nach %1 schreiben").arg(QDir::toNativeSeparators(TProfileFile::SettingsPath()));
}

// A list's ranks as "name score": as the given table has them, or as the settings file has them.
QStringList Ranks(const TFameTable &table, TFameList list)
{
    QStringList ranks;
    for (int rank = 1; rank <= TFameTable::Ranks; ++rank)
        ranks << table.At(list, rank).name + u' ' + table.At(list, rank).score;
    return ranks;
}

QStringList StoredRanks(TFameList list)
{
    TFameTable stored;
    stored.Load(TProfileFile::Settings());
    return Ranks(stored, list);
}

// Ticks per round: player 1 scores one point a step at the starting speed, and crashes after
// each round's steps, three times.
constexpr int Steps = 100;

// Longest a whole game (start to hall of fame) may take on any of these files. The game reads
// the file 50 times in a one-player game and 90 in a two-player one, and writes each list once;
// the player waits for most of it at the game over.
constexpr qint64 GameSeconds = 10;

// Everything below a directory as text: each entry's name, type, permissions, and for a regular
// file its size and a hash of its bytes. Taken with full rights; FIFOs are never opened.
QString Snapshot(const QString &root)
{
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QStringList lines;
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat info
        {
        };
        if (lstat(QFile::encodeName(path).constData(), &info) != 0) {
            lines << path + QStringLiteral(" <gone>");
            continue;
        }
        QString line = QStringLiteral("%1 mode %2").arg(path).arg(info.st_mode, 0, 8);
        if (S_ISREG(info.st_mode)) {
            line += QStringLiteral(" size %1 sha256 %2")
                        .arg(info.st_size)
                        .arg(QString::fromLatin1(
                            QCryptographicHash::hash(Contents(path), QCryptographicHash::Sha256).toHex()));
        }
        lines << line;
    }
    lines.sort();
    return lines.join(u'\n');
}

// The line end a rewrite uses: the file's first one, "\n" for a file without one.
QByteArray FirstLineEnd(const QByteArray &bytes)
{
    const auto at = std::find_if(bytes.begin(), bytes.end(), [](char c) { return c == '\r' || c == '\n'; });
    if (at == bytes.end() || *at == '\n')
        return "\n";
    return (at + 1 != bytes.end() && at[1] == '\n') ? QByteArray("\r\n") : QByteArray("\r");
}

// A hall of fame section as the game writes it into a file that has none: the given scores from
// rank 1 down with their names, the other ranks at score 0 with the list's default name.
QByteArray FameSection(const char *section, const QList<std::pair<int, QByteArray>> &ranks, const QByteArray &end)
{
    const QByteArray defaultName = QByteArray(section) == "OnePlayer" ? "1" : "2";
    QByteArray text = QByteArray("[") + section + ']' + end;
    for (int rank = 1; rank <= 10; ++rank) {
        const int score = rank <= ranks.size() ? ranks[rank - 1].first : 0;
        text += QByteArray::number(rank) + '=' + QByteArray::number(score) + end;
    }
    for (int rank = 1; rank <= 10; ++rank) {
        const QByteArray name = rank <= ranks.size() ? ranks[rank - 1].second : defaultName;
        text += QByteArray::number(rank) + "n=" + name + end;
    }
    return text;
}

// The file after a game on it: the old bytes untouched, then the new section.
QByteArray AfterGame(const QByteArray &old, bool twoPlayers)
{
    const QByteArray end = FirstLineEnd(old);
    QByteArray text = old;
    if (!old.isEmpty() && !old.endsWith('\n') && !old.endsWith('\r'))
        text += end;
    // Player 1 has three rounds of steps; in a two-player game player 2 as many, plus 5000 for
    // each of player 1's crashes, and takes rank 1 as the better score.
    if (twoPlayers)
        return text + FameSection("TwoPlayers", {{3 * Steps + 15000, "Blue"}, {3 * Steps, "Red"}}, end);
    return text + FameSection("OnePlayer", {{3 * Steps, "Tester"}}, end);
}

// Fails with the first differing offset rather than printing megabytes.
bool SameBytes(const QByteArray &actual, const QByteArray &expected)
{
    if (actual == expected)
        return true;
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    const qsizetype from = std::max<qsizetype>(0, at - 20);
    qWarning("sizes %lld and %lld differ first at byte %lld:\n actual   %s\n expected %s",
             static_cast<long long>(actual.size()), static_cast<long long>(expected.size()), static_cast<long long>(at),
             actual.mid(from, 60).toPercentEncoding().constData(),
             expected.mid(from, 60).toPercentEncoding().constData());
    return false;
}

QByteArray Garbage(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(4711);
    for (char &c : bytes)
        c = static_cast<char>(random.bounded(256));
    return bytes;
}

QByteArray FiftyMegabytes()
{
    // A million keys of one section: every read goes through all of them, as the hall of fame
    // section comes after.
    QByteArray text = "[Filler]\n";
    text.reserve(50 * 1024 * 1024 + 100);
    for (int i = 0; text.size() < 50 * 1024 * 1024; ++i)
        text += "key" + QByteArray::number(i) + "=the quick brown fox jumps over the dog\n";
    return text;
}

QByteArray HundredThousandSections()
{
    QByteArray text;
    for (int i = 0; i < 100000; ++i)
        text += "[Section" + QByteArray::number(i) + "]\nkey=" + QByteArray::number(i) + '\n';
    return text;
}

// Opening a FIFO for reading waits for a writer. Should the game ever do that, this lets every
// waiting open go after a few seconds by opening the FIFO for writing now and then, and notes it.
class FifoWatchdog
{
public:
    explicit FifoWatchdog(const QString &path)
        : fifo(QFile::encodeName(path))
        , worker([this] { Watch(); })
    {
    }
    ~FifoWatchdog()
    {
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        wake.notify_all();
        worker.join();
    }
    FifoWatchdog(const FifoWatchdog &) = delete;
    FifoWatchdog &operator=(const FifoWatchdog &) = delete;

    bool Fired() const { return fired; }

private:
    void Watch()
    {
        std::unique_lock lock(mutex);
        if (wake.wait_for(lock, std::chrono::seconds(3), [this] { return done; }))
            return;
        while (!wake.wait_for(lock, std::chrono::milliseconds(10), [this] { return done; })) {
            // Succeeds only while a reader waits in its open.
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                fired = true;
                ::close(fd);
            }
        }
    }

    QByteArray fifo;
    std::mutex mutex;
    std::condition_variable wake;
    bool done = false;
    std::atomic<bool> fired{false};
    std::thread worker;
};

enum class Trouble { Directory, ParentIsAFile, Fifo, DiskFull, Unreadable, ReadOnlyFile, ReadOnlyDirectory };

} // namespace

class BadSettingsFiles : public QObject
{
    Q_OBJECT

private slots:
    void writableFileGetsTheScoreAndKeepsEveryOtherByte_data();
    void writableFileGetsTheScoreAndKeepsEveryOtherByte();
    void unwritableFileIsReportedAndLeftAsItWas_data();
    void unwritableFileIsReportedAndLeftAsItWas();
    void badReplayFileFailsWithOneClearMessage_data();
    void badReplayFileFailsWithOneClearMessage();
};

void BadSettingsFiles::writableFileGetsTheScoreAndKeepsEveryOtherByte_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<bool>("noPermissions");
    QTest::addColumn<bool>("twoPlayers");

    QTest::newRow("missing") << false << QByteArray() << false << false;
    QTest::newRow("missing, two players") << false << QByteArray() << false << true;
    QTest::newRow("empty") << true << QByteArray() << false << false;
    QTest::newRow("binary garbage") << true << Garbage(64 * 1024) << false << false;
    QTest::newRow("NUL bytes") << true
                               << Bytes("[Controls]\nleftkeya=a\0z\n\0\0\0\n[Other\0Section]\nkey\0=\0value\n\0")
                               << false << true;
    QTest::newRow("1 MB value") << true
                                << "[Notes]\nlong=" + QByteArray(1024 * 1024, 'x') + "\nafter=1\n[Controls]\nfasta=w\n"
                                << false << false;
    QTest::newRow("no final line break") << true << QByteArray("; keys\r\n[Controls]\r\nfasta=w\r\nslowa=y") << false
                                         << false;
    // Root reads and replaces it all the same; see the unwritable cases for everyone else.
    QTest::newRow("chmod 000, as root") << true << QByteArray("[Controls]\nfasta=w\n") << true << false;
    QTest::newRow("50 MB") << true << FiftyMegabytes() << false << false;
    QTest::newRow("100 000 sections") << true << HundredThousandSections() << false << true;
}

void BadSettingsFiles::writableFileGetsTheScoreAndKeepsEveryOtherByte()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, old);
    QFETCH(bool, noPermissions);
    QFETCH(bool, twoPlayers);
    if (noPermissions && geteuid() != 0)
        QSKIP("only root can still read a file without permissions");

    GameRig rig(GameRig::Hosting::Windows);
    const TestConfigHome &home = rig.home;
    if (exists)
        Store(home.settingsFile(), old);
    if (noPermissions)
        QVERIFY(QFile::setPermissions(home.settingsFile(), {}));
    if (twoPlayers)
        rig.names = QStringList{"Red", "Blue"}; // one player is the rig's "Tester"

    QElapsedTimer clock;
    clock.start();
    QVERIFY(rig.PlayToGameOver(twoPlayers, Steps));
    const qint64 elapsed = clock.elapsed();
    qInfo("%s: a whole game took %lld ms", QTest::currentDataTag(), static_cast<long long>(elapsed));
    QCOMPARE(rig.failures, QStringList());
    QCOMPARE(rig.errorBoxes, QStringList());
    QVERIFY(rig.game.gameover.Visible());

    QVERIFY(SameBytes(Contents(home.settingsFile()), AfterGame(old, twoPlayers)));
    // No temporary file is left behind. (Root's rewrite of a file without permissions leaves it
    // readable and writable to its owner: the atomic replace keeps permissions but the owner's.)
    QCOMPARE(QDir(home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{"zandrix2.ini"});
    QVERIFY2(elapsed < GameSeconds * 1000, "the game waited too long for the settings file");
}

void BadSettingsFiles::unwritableFileIsReportedAndLeftAsItWas_data()
{
    QTest::addColumn<Trouble>("trouble");
    QTest::addColumn<bool>("twoPlayers");

    QTest::newRow("a directory") << Trouble::Directory << false;
    QTest::newRow("parent is a regular file") << Trouble::ParentIsAFile << true;
    QTest::newRow("a FIFO") << Trouble::Fifo << false;
    QTest::newRow("disk full") << Trouble::DiskFull << true;
    QTest::newRow("unreadable (chmod 000), as nobody") << Trouble::Unreadable << false;
    QTest::newRow("read-only file (chmod 444), as its owner nobody") << Trouble::ReadOnlyFile << false;
    QTest::newRow("read-only directory, as nobody") << Trouble::ReadOnlyDirectory << true;
}

void BadSettingsFiles::unwritableFileIsReportedAndLeftAsItWas()
{
    QFETCH(Trouble, trouble);
    QFETCH(bool, twoPlayers);

    GameRig rig(GameRig::Hosting::Windows);
    const TestConfigHome &home = rig.home;
    const QString file = home.settingsFile();
    const QByteArray old = "[Controls]\nfasta=w\n[OnePlayer]\n1=5000\n1n=Old\n";
    std::optional<FileSizeLimit> diskFull;
    switch (trouble) {
    case Trouble::Directory:
        QVERIFY(QDir().mkpath(file));
        Store(file + QStringLiteral("/inside"), old);
        break;
    case Trouble::ParentIsAFile:
        Store(home.path() + QStringLiteral("/config"), old);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
        break;
    case Trouble::Fifo: QCOMPARE(mkfifo(QFile::encodeName(file).constData(), 0644), 0); break;
    case Trouble::DiskFull: Store(file, old); break;
    case Trouble::Unreadable:
        Store(file, old);
        QVERIFY(QFile::setPermissions(file, {}));
        QVERIFY(QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                       | QFile::ReadOther | QFile::ExeOther));
        break;
    case Trouble::ReadOnlyFile:
        // Replacing the file would work, since the directory is writable; the file says no.
        Store(file, old);
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                       | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther));
        if (geteuid() == 0)
            QCOMPARE(chown(QFile::encodeName(file).constData(), 65534, 65534), 0);
        break;
    case Trouble::ReadOnlyDirectory:
        Store(file, old);
        QVERIFY(
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther));
        QVERIFY(QFile::setPermissions(home.path(),
                                      QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        break;
    }
    const QString before = Snapshot(home.path());

    {
        std::optional<FifoWatchdog> watchdog;
        if (trouble == Trouble::Fifo)
            watchdog.emplace(file);
        {
            std::optional<AsNobody> nobody;
            if (trouble == Trouble::Unreadable || trouble == Trouble::ReadOnlyFile
                || trouble == Trouble::ReadOnlyDirectory)
                QVERIFY(nobody.emplace().Active());
            if (trouble == Trouble::DiskFull)
                diskFull.emplace(static_cast<rlim_t>(old.size()));
            QVERIFY(rig.PlayToGameOver(twoPlayers, Steps));
            diskFull.reset();
        }
        if (watchdog)
            QVERIFY2(!watchdog->Fired(), "the game waited for a writer on a FIFO");
    }
    // Reported once for each score, in the error box, and the game over completed all the same.
    const QStringList reported(twoPlayers ? 2 : 1, CannotWrite());
    QCOMPARE(rig.failures, reported);
    QCOMPARE(rig.errorBoxes, reported);
    QVERIFY(rig.game.gameover.Visible());
    QVERIFY(rig.form.StartEnabled());

    QCOMPARE(Snapshot(home.path()), before);
    QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // The scores are still in the lists the hall of fame shows: player 2 of a two-player game is
    // asked for a name even though player 1's score could not be written.
    const TFameList list = twoPlayers ? TFameList::TwoPlayers : TFameList::OnePlayer;
    const QString first = QStringLiteral("Tester %1").arg(3 * Steps);
    const QString firstBlue = QStringLiteral("Tester %1").arg(3 * Steps + 15000);
    QVERIFY2(Ranks(fame, list).contains(first), qPrintable(Ranks(fame, list).join(u',')));
    QVERIFY2(!twoPlayers || Ranks(fame, list).contains(firstBlue), qPrintable(Ranks(fame, list).join(u',')));
    QCOMPARE(fame.Unsaved(TProfileFile::Settings()), twoPlayers ? 2 : 1);

    // Once the file can be written again, the next game writes it along with its own.
    switch (trouble) {
    case Trouble::Directory: QVERIFY(QDir(file).removeRecursively()); break;
    case Trouble::ParentIsAFile: QVERIFY(QFile::remove(home.path() + QStringLiteral("/config"))); break;
    case Trouble::Fifo: QVERIFY(QFile::remove(file)); break;
    case Trouble::Unreadable:
    case Trouble::ReadOnlyFile: QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner)); break;
    case Trouble::DiskFull:
    case Trouble::ReadOnlyDirectory: break;
    }
    rig.names = twoPlayers ? QStringList{"Red", "Blue"} : QStringList{"Again"};
    QVERIFY(rig.PlayToGameOver(twoPlayers, Steps));
    QCOMPARE(rig.failures, reported);
    const QStringList stored = StoredRanks(list);
    const QStringList second = twoPlayers ? QStringList{QStringLiteral("Blue %1").arg(3 * Steps + 15000), firstBlue,
                                                        QStringLiteral("Red %1").arg(3 * Steps), first}
                                          : QStringList{QStringLiteral("Again %1").arg(3 * Steps), first};
    const qsizetype at = stored.indexOf(second.first());
    QVERIFY2(at >= 0 && stored.mid(at, second.size()) == second, qPrintable(stored.join(u',')));
    QCOMPARE(fame.Unsaved(TProfileFile::Settings()), 0);
}

namespace {

// A real replay: a two-player game with a bonus on the field, as the recorder keeps it.
QByteArray RealReplay()
{
    static const QByteArray bytes = [] {
        GameRig rig;
        const QTemporaryDir folder;
        TReplayRecorder recorder(rig.game, folder.path());
        rig.StartTwoPlayers();
        rig.TickBoth(40);
        rig.Tick(TClock::Bonus);
        rig.TickBoth(40);
        rig.CrashRed();
        rig.PlayToGameOver(true, 30);
        return Contents(recorder.LastFile());
    }();
    return bytes;
}

QByteArray Cut(qsizetype sevenths)
{
    return RealReplay().left(RealReplay().size() * sevenths / 7);
}

QByteArray Flipped(qsizetype at)
{
    QByteArray bytes = RealReplay();
    at = at < 0 ? bytes.size() + at : at;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
    return bytes;
}

} // namespace

// A replay file that is cut short, altered, empty, of a newer format, huge, not a file at all or
// out of reach fails with one message that names the file and says what is wrong, at once, without
// reading more than a replay can be.
void BadSettingsFiles::badReplayFileFailsWithOneClearMessage_data()
{
    QTest::addColumn<QString>("make");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    QVERIFY(RealReplay().size() > 200);
    QCOMPARE(TReplay::Decode(RealReplay()).VerifyChecksums(), 0);
    for (qsizetype sevenths = 1; sevenths < 7; ++sevenths)
        QTest::addRow("cut at %lld/7", static_cast<long long>(sevenths))
            << QStringLiteral("file") << Cut(sevenths) << QStringLiteral("damaged");
    QTest::newRow("cut after the format")
        << QStringLiteral("file") << RealReplay().left(9) << QStringLiteral("damaged");
    // The mode, an event half-way, the start of the digest, its last byte.
    for (const qsizetype at : {qsizetype(9), RealReplay().size() / 2, RealReplay().size() - 8, qsizetype(-1)})
        QTest::addRow("a byte altered at %lld", static_cast<long long>(at))
            << QStringLiteral("file") << Flipped(at) << QStringLiteral("damaged");
    QTest::newRow("empty") << QStringLiteral("file") << QByteArray() << QStringLiteral("empty");
    QTest::newRow("not a replay") << QStringLiteral("file") << Garbage(4096)
                                  << QStringLiteral("not a Zandrix II replay");
    QTest::newRow("a settings file") << QStringLiteral("file") << QByteArray("[Controls]\nfasta=w\n")
                                     << QStringLiteral("not a Zandrix II replay");
    QByteArray newer = RealReplay();
    newer[8] = 2;
    QTest::newRow("a newer format") << QStringLiteral("file") << newer << QStringLiteral("newer Zandrix II (format 2");
    QTest::newRow("1 GB, sparse") << QStringLiteral("sparse") << QByteArray() << QStringLiteral("too large");
    QTest::newRow("a folder") << QStringLiteral("folder") << QByteArray() << QStringLiteral("folder");
    QTest::newRow("a FIFO") << QStringLiteral("fifo") << QByteArray() << QStringLiteral("not a regular file");
    QTest::newRow("missing") << QStringLiteral("missing") << QByteArray() << QStringLiteral("no such file");
    QTest::newRow("unreadable") << QStringLiteral("unreadable") << RealReplay() << QStringLiteral("cannot be read");
}

void BadSettingsFiles::badReplayFileFailsWithOneClearMessage()
{
    QFETCH(QString, make);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("2026-12-10_02-30-05_two-players.zxreplay"));
    if (make == u"file" || make == u"unreadable") {
        Store(path, bytes);
    } else if (make == u"sparse") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(qint64{1} << 30));
    } else if (make == u"folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (make == u"fifo") {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    }
    if (make == u"unreadable") {
        QVERIFY(QFile::setPermissions(path, {}));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                      | QFile::ReadOther | QFile::ExeOther));
    }

    const auto read = [&] {
        try {
            TReplay::Read(path);
        } catch (const Failure &failure) {
            return QString::fromUtf8(failure.what());
        }
        return QString();
    };
    QString message;
    if (make == u"unreadable") {
        const AsNobody nobody;
        if (!nobody.Active())
            QSKIP("Root reads any file, and the user nobody is not at hand");
        message = read();
    } else {
        message = read();
    }
    QVERIFY2(message.startsWith(QStringLiteral("Cannot play the replay %1: ").arg(path)), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
}

QTEST_MAIN(BadSettingsFiles)
#include "tst_BadSettingsFiles.moc"
