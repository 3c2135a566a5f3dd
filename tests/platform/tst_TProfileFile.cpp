#include "platform/Failure.h"
#include "platform/TProfileFile.h"
#include "reliability/OtherCopy.h"
#include "support/Files.h"
#include "support/TestConfigHome.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <optional>
#include <thread>

namespace {

const QString HeldByAnotherCopy = QStringLiteral(": ein anderes Zandrix II hält die Datei gesperrt");

// The German message of a write to the file that failed, naming its full path.
QString CannotWrite(const QString &path)
{
    return QStringLiteral("Kann nicht nach %1 schreiben")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

// Runs the write and checks that it failed with the given message.
template <typename Write> void ExpectWriteFailure(const QString &message, Write write)
{
    try {
        write();
        QFAIL("the write did not fail");
    } catch (const Failure &failure) {
        QCOMPARE(QString::fromStdString(failure.what()), message);
    }
}

// What a lock file of this very process holds, as QLockFile writes it.
QByteArray OwnLockContents()
{
    const QString exe = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).fileName();
    return QByteArray::number(QCoreApplication::applicationPid()) + '\n' + exe.toUtf8() + '\n'
           + QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId()
           + '\n';
}

enum class LockState { KilledCopy, EmptyOld, OwnNumber, ThisThread, OtherThread, RunningCopy };

} // namespace

class tst_TProfileFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString Path() const { return dir.filePath(QStringLiteral("zandrix2.ini")); }

private slots:
    void init() { QFile::remove(Path()); }

    // The settings file follows $XDG_CONFIG_HOME as it is at the time of the call.
    void settingsFileLivesInTheConfigDirectory()
    {
        TestConfigHome home;
        QCOMPARE(TProfileFile::SettingsPath(), home.settingsFile());
        TProfileFile::Settings().WriteString(QStringLiteral("Controls"), QStringLiteral("jumpa"), QStringLiteral("d"));
        QCOMPARE(Contents(home.settingsFile()), QByteArray("[Controls]\njumpa=d\n"));
    }

    void defaultsApplyWhenFileSectionOrKeyIsMissing()
    {
        TProfileFile file(Path());
        QCOMPARE(file.ReadString("Controls", "fasta", "w"), QStringLiteral("w"));

        Store(Path(), "[Other]\nfasta=x\n[Controls]\nslowa=q\n");
        QCOMPARE(file.ReadString("Missing", "fasta", "w"), QStringLiteral("w"));
        QCOMPARE(file.ReadString("Controls", "fasta", "w"), QStringLiteral("w"));
        QCOMPARE(file.ReadString("Controls", "slowa", "y"), QStringLiteral("q"));
    }

    // A file that is there but cannot be read (here: a directory) gives the defaults, no failure.
    void unreadableFileGivesDefaults()
    {
        QVERIFY(QDir().mkpath(Path()));
        QCOMPARE(TProfileFile(Path()).ReadString("Controls", "fasta", "w"), QStringLiteral("w"));
        QVERIFY(QDir(Path()).removeRecursively());
    }

    void emptyValueReadsEmptyNotDefault()
    {
        Store(Path(), "[Controls]\nfasta=\nslowa=   \n");
        TProfileFile file(Path());
        QCOMPARE(file.ReadString("Controls", "fasta", "w"), QString());
        QCOMPARE(file.ReadString("Controls", "slowa", "y"), QString());
    }

    void blanksAroundNamesAndValuesAreDropped()
    {
        Store(Path(), "  [ Controls ]  \n \t fasta \t=  w x\t \n");
        TProfileFile file(Path());
        QCOMPARE(file.ReadString("Controls", "fasta", "?"), QStringLiteral("w x"));
        QCOMPARE(file.ReadString(" Controls ", " fasta ", "?"), QStringLiteral("w x"));
    }

    // Values are not unquoted, and only the first "=" separates name and value.
    void valuesComeBackAsWritten()
    {
        Store(Path(), "[S]\nname=\"Ann Lee\"\nformula=a=b\n");
        TProfileFile file(Path());
        QCOMPARE(file.ReadString("S", "name", ""), QStringLiteral("\"Ann Lee\""));
        QCOMPARE(file.ReadString("S", "formula", ""), QStringLiteral("a=b"));
    }

    void namesMatchRegardlessOfCaseAndTheFirstWins()
    {
        Store(Path(), "[CONTROLS]\nFastA=1\nfasta=2\n[controls]\nslowa=3\n");
        TProfileFile file(Path());
        QCOMPARE(file.ReadString("Controls", "FASTA", ""), QStringLiteral("1"));
        // The second section of the same name is never looked at.
        QCOMPARE(file.ReadString("Controls", "slowa", "none"), QStringLiteral("none"));

        file.WriteStrings("controls", {{"fasta", "9"}, {"slowa", "8"}});
        QCOMPARE(Contents(Path()), QByteArray("[CONTROLS]\nFastA=9\nfasta=2\nslowa=8\n[controls]\nslowa=3\n"));
    }

    void valueIsCutTo1023Characters()
    {
        const QByteArray longValue(2000, 'x');
        Store(Path(), "[S]\nk=" + longValue + "\n");
        TProfileFile file(Path());
        QCOMPARE(file.ReadString("S", "k", ""), QString(1023, QLatin1Char('x')));
        QCOMPARE(file.ReadString("S", "missing", QString(1500, QLatin1Char('d'))), QString(1023, QLatin1Char('d')));

        // A character outside the BMP across the limit is dropped whole, not halved.
        Store(Path(), "[S]\nk=" + QByteArray(1022, 'x') + "\xF0\x9F\x98\x80" + "\n");
        const QString cut = file.ReadString("S", "k", "");
        QCOMPARE(cut, QString(1022, QLatin1Char('x')));
    }

    void newFileAndItsDirectoryAreCreated()
    {
        const QString nested = dir.filePath(QStringLiteral("a/b/zandrix2.ini"));
        TProfileFile file(nested);
        file.WriteStrings("Controls", {{"leftkeya", "a"}, {"rightkeya", "s"}});
        QCOMPARE(Contents(nested), QByteArray("[Controls]\nleftkeya=a\nrightkeya=s\n"));
    }

    // A new key goes after the last key of its section (before the blank line that separates the
    // sections), a new section at the very end.
    void newKeysAndSectionsGoWhereTheyBelong()
    {
        Store(Path(), "[OnePlayer]\n1=700\n; best so far\n\n[TwoPlayers]\n1=0");
        TProfileFile file(Path());
        file.WriteStrings("oneplayer", {{"1n", "Ann"}, {"2", "600"}});
        file.WriteString("TwoPlayers", "1n", "Bob");
        file.WriteString("Controls", "fasta", "w");
        file.WriteSections({{"TwoPlayers", {{"2", "5"}}}, {"Computer", {{"level", "hard"}}}});
        QCOMPARE(Contents(Path()), QByteArray("[OnePlayer]\n1=700\n1n=Ann\n2=600\n; best so far\n\n"
                                              "[TwoPlayers]\n1=0\n1n=Bob\n2=5\n[Controls]\nfasta=w\n"
                                              "[Computer]\nlevel=hard\n"));
    }

    // An existing key keeps its place, its indentation and its own spelling.
    void existingKeyIsReplacedInPlace()
    {
        Store(Path(), "[Controls]\n  FastA = w\nslowa=y\n");
        TProfileFile file(Path());
        file.WriteString("controls", "fasta", "q");
        QCOMPARE(Contents(Path()), QByteArray("[Controls]\n  FastA=q\nslowa=y\n"));
        file.WriteString("Controls", "slowa", "");
        QCOMPARE(Contents(Path()), QByteArray("[Controls]\n  FastA=q\nslowa=\n"));
        QCOMPARE(file.ReadString("Controls", "slowa", "y"), QString());
    }

    // Found by fuzzing: a value written with a leading blank gained one more blank with every
    // rewrite, because the blank after "=" was kept as if it were layout.
    void rewritingTheSameValueChangesNothing()
    {
        TProfileFile file(Path());
        file.WriteStrings("Controls", {{"leftkeya", " "}, {"newkey", " x "}});
        const QByteArray once = Contents(Path());
        QCOMPARE(once, QByteArray("[Controls]\nleftkeya= \nnewkey= x \n"));
        file.WriteStrings("Controls", {{"leftkeya", " "}, {"newkey", " x "}});
        QCOMPARE(Contents(Path()), once);
    }

    void everyLineEndReadsAndTheFilesOwnIsKept()
    {
        TProfileFile file(Path());
        Store(Path(), "[S]\r\na=1\r\n[T]\r\nb=2\r\n");
        QCOMPARE(file.ReadString("S", "a", ""), QStringLiteral("1"));
        QCOMPARE(file.ReadString("T", "b", ""), QStringLiteral("2"));
        file.WriteString("S", "c", "3");
        file.WriteString("U", "d", "4");
        QCOMPARE(Contents(Path()), QByteArray("[S]\r\na=1\r\nc=3\r\n[T]\r\nb=2\r\n[U]\r\nd=4\r\n"));

        Store(Path(), "[S]\ra=1\r[T]\rb=2");
        QCOMPARE(file.ReadString("S", "a", ""), QStringLiteral("1"));
        QCOMPARE(file.ReadString("T", "b", ""), QStringLiteral("2"));
        file.WriteString("T", "c", "3");
        QCOMPARE(Contents(Path()), QByteArray("[S]\ra=1\r[T]\rb=2\rc=3\r"));
    }

    // Whatever the program does not write comes back byte for byte: text before the first
    // section, comments, lines without "=", broken UTF-8, NUL bytes, a byte order mark.
    void untouchedLinesSurviveARewrite()
    {
        static const char raw[] = "\xEF\xBB\xBF"
                                  "stray=before any section\n"
                                  "; a comment = not a key\n"
                                  "[Controls]\n"
                                  "just some words\n"
                                  "name=\xFF\xFE broken \x00 bytes\n"
                                  "[half a header\n";
        const QByteArray head(raw, sizeof raw - 1);
        Store(Path(), head + "fasta=w\n");
        TProfileFile file(Path());
        QCOMPARE(file.ReadString("Controls", "; a comment", "none"), QStringLiteral("none"));
        QCOMPARE(file.ReadString("Controls", "stray", "none"), QStringLiteral("none"));
        QCOMPARE(file.ReadString("Controls", "name", ""), QString::fromUtf8("\xFF\xFE broken \x00 bytes", 17));

        file.WriteStrings("Controls", {{"fasta", "8"}, {"slowa", "2"}});
        QCOMPARE(Contents(Path()), head + "fasta=8\nslowa=2\n");
    }

    // Found by fuzzing: a value starting with U+FEFF (after blanks) lost that character, and the
    // blanks behind it were no longer dropped.
    void zeroWidthNoBreakSpaceStartingAValueIsKept()
    {
        const QString value = QStringLiteral("\uFEFF\tx");
        TProfileFile file(Path());
        file.WriteString("S", "k", QStringLiteral("\t") + value);
        QCOMPARE(file.ReadString("S", "k", ""), value);
    }

    // Line breaks in a name or value would split the line and corrupt the section.
    void lineBreaksInValuesBecomeBlanks()
    {
        TProfileFile file(Path());
        file.WriteStrings("S", {{"1n", "Ann\n[Controls]\r\nfasta=x"}, {"2n", "Bob"}});
        QCOMPARE(Contents(Path()), QByteArray("[S]\n1n=Ann [Controls]  fasta=x\n2n=Bob\n"));
    }

    void failedWriteLeavesTheFileUnchanged_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("unwritable directory") << "unwritable directory";
        QTest::newRow("parent is a file") << "parent is a file";
        QTest::newRow("file is a directory") << "file is a directory";
        QTest::newRow("disk full") << "disk full";
    }

    void failedWriteLeavesTheFileUnchanged()
    {
        QFETCH(QString, what);
        const QByteArray before = "; mine\n[Controls]\nfasta=w\n";
        QTemporaryDir place;
        QString path = place.filePath(QStringLiteral("zandrix2.ini"));
        QString untouched = path; // the file (or the thing in its way) that must stay as it was

        if (what == "unwritable directory") {
            Store(path, before);
            // 0555: everyone may read the file, nobody may add one beside it.
            QVERIFY(QFile::setPermissions(place.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                            | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        } else if (what == "parent is a file") {
            untouched = place.filePath(QStringLiteral("config"));
            Store(untouched, before);
            path = untouched + QStringLiteral("/zandrix2.ini");
        } else if (what == "file is a directory") {
            QVERIFY(QDir().mkpath(path));
        } else {
            Store(path, before);
        }

        {
            std::optional<FileSizeLimit> limit;
            if (what == "disk full")
                limit.emplace(static_cast<rlim_t>(before.size() + 10));
            // Root writes into any directory whatever its permissions.
            std::optional<AsNobody> user;
            if (what == "unwritable directory")
                QVERIFY(user.emplace().Active());
            TProfileFile file(path);
            // The batch is one replace: none of it lands, not even the first keys that would fit.
            ExpectWriteFailure(CannotWrite(path), [&] {
                file.WriteStrings("Controls", {{"fasta", "8"}, {"slowa", QString(100, QLatin1Char('x'))}});
            });
            // Nor does any section of several written together.
            ExpectWriteFailure(CannotWrite(path), [&] {
                file.WriteSections({{"Computer", {{"level", "hard"}}}, {"Controls", {{"slowa", QString(100, u'x')}}}});
            });
        }

        QFile::setPermissions(place.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (what == "file is a directory") {
            QVERIFY(QFileInfo(path).isDir());
            QVERIFY(QDir(path).isEmpty());
        } else {
            QCOMPARE(Contents(untouched), before);
        }
        // No temporary file is left behind, nor a lock.
        QCOMPARE(QDir(place.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).size(), 1);
    }

    void lockBesideTheFile_data()
    {
        QTest::addColumn<LockState>("state");
        QTest::newRow("left by a copy that was killed") << LockState::KilledCopy;
        QTest::newRow("left empty by a copy killed while making it") << LockState::EmptyOld;
        QTest::newRow("left by an earlier program with this one's number") << LockState::OwnNumber;
        QTest::newRow("held by this thread") << LockState::ThisThread;
        QTest::newRow("held by another thread for a moment") << LockState::OtherThread;
        QTest::newRow("held by a running copy") << LockState::RunningCopy;
    }

    // A write takes the lock beside the file for its read and replace. One held by a running
    // copy or another thread is waited for (a bounded time), one held by the writing thread
    // itself is used, one left by a program that is gone is taken over.
    void lockBesideTheFile()
    {
        QFETCH(LockState, state);
        QTemporaryDir place;
        const QString path = place.filePath(QStringLiteral("zandrix2.ini"));
        const QByteArray before = "[Controls]\nfasta=w\n";
        Store(path, before);
        const QString lockPath = path + QStringLiteral(".lock");
        TProfileFile file(path);
        const auto write = [&] { file.WriteString("Controls", "fasta", "8"); };

        switch (state) {
        case LockState::KilledCopy: {
            OtherCopy copy({QStringLiteral("hold"), path});
            QCOMPARE(copy.NextLine(), QByteArray("held"));
            copy.Kill();
            QVERIFY(QFileInfo::exists(lockPath));
            write();
            break;
        }
        case LockState::EmptyOld: {
            Store(lockPath, QByteArray());
            QFile lock(lockPath);
            QVERIFY(lock.open(QIODevice::ReadWrite));
            QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
            lock.close();
            write();
            break;
        }
        case LockState::OwnNumber:
            Store(lockPath, OwnLockContents());
            write();
            break;
        case LockState::ThisThread: {
            const TProfileLock lock(file);
            write();
            QVERIFY(QFileInfo::exists(lockPath));
            // Held twice now: the inner one going does not release it.
            {
                const TProfileLock again(path);
            }
            QVERIFY(QFileInfo::exists(lockPath));
            break;
        }
        case LockState::OtherThread: {
            std::atomic<bool> held{false};
            std::atomic<bool> released{false};
            std::thread other([&] {
                const TProfileLock lock(path);
                held = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                released = true;
            });
            const auto joinOther = qScopeGuard([&] { other.join(); });
            while (!held)
                std::this_thread::yield();
            write();
            QVERIFY2(released, "the write did not wait for the other thread");
            break;
        }
        case LockState::RunningCopy: {
            OtherCopy copy({QStringLiteral("hold"), path});
            QCOMPARE(copy.NextLine(), QByteArray("held"));
            ExpectWriteFailure(CannotWrite(path) + HeldByAnotherCopy, write);
            QCOMPARE(Contents(path), before);
            QVERIFY(QFileInfo::exists(lockPath));
            // Once the copy lets go, the next write goes through.
            QVERIFY2(copy.Finish(), qPrintable(copy.Errors()));
            write();
            break;
        }
        }

        QCOMPARE(Contents(path), QByteArray("[Controls]\nfasta=8\n"));
        QCOMPARE(QDir(place.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{"zandrix2.ini"});
    }
};

QTEST_GUILESS_MAIN(tst_TProfileFile)
#include "tst_TProfileFile.moc"
