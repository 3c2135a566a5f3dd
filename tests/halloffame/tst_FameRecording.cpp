// Recording final scores into the hall of fame lists of the settings file.
#include "FameTestSupport.h"

#include "halloffame/IntegerText.h"
#include "halloffame/TFameTable.h"
#include "halloffame/TForm3.h"
#include "platform/Failure.h"
#include "platform/TProfileFile.h"
#include "reliability/OtherCopy.h"

#include <QLabel>
#include <QtTest>

#include <functional>

namespace {

// The lists as the file holds them now, each rank as "name score".
QStringList StoredRanks(TFameList list)
{
    TFameTable table;
    table.Load(TProfileFile::Settings());
    QStringList ranks;
    for (int rank = 1; rank <= TFameTable::Ranks; ++rank)
        ranks << table.At(list, rank).name + u' ' + table.At(list, rank).score;
    return ranks;
}

const QStringList TenRanksAtoJ = {"A 1000", "B 900", "C 800", "D 700", "E 600",
                                  "F 500",  "G 400", "H 300", "I 200", "J 100"};

// The text of score line k (1 to 20) of a hall of fame window.
QString LineText(const TForm3 &hall, int k)
{
    const auto *line = hall.findChild<QLabel *>(k == 1 ? QStringLiteral("label1") : QStringLiteral("Label%1").arg(k));
    return line ? line->text() : QStringLiteral("<no line %1>").arg(k);
}

// Runs an action whenever a name entry window has come up, before anything is typed into it.
class WhileNameIsAsked : public QObject
{
public:
    explicit WhileNameIsAsked(std::function<void()> whileAsked)
        : action(std::move(whileAsked))
    {
        qApp->installEventFilter(this);
    }
    ~WhileNameIsAsked() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (qobject_cast<Tnewhigh *>(watched) && event->type() == QEvent::Show)
            action();
        return false;
    }

private:
    std::function<void()> action;
};

} // namespace

class FameRecording : public QObject
{
    Q_OBJECT

private slots:
    void readsIntegersAsTheGameAlwaysHas_data();
    void readsIntegersAsTheGameAlwaysHas();
    void firstScoreCreatesTheWholeSection();
    void placesScores_data();
    void placesScores();
    void scoreWithoutPlaceAsksNoNameButRewritesTheSection();
    void emptyNameStaysEmpty();
    void secondPlayerWithEqualScoreStandsAbove();
    void brokenStoredScoreGivesWayInsteadOfBlocking();
    void failedWriteLeavesTheFileAndReportsInGerman_data();
    void failedWriteLeavesTheFileAndReportsInGerman();
    void recordsOnAHallOfFameOwnedByAHiddenWindow();
    void scoreOfAnotherCopyDuringTheNameEntryIsKept();
    void twoCopiesRecordingAtTheSameMomentLoseNoScore();
};

void FameRecording::readsIntegersAsTheGameAlwaysHas_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "1234" << true << 1234;
    QTest::newRow("leading blanks") << "   -17" << true << -17;
    QTest::newRow("plus") << "+5" << true << 5;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << true << std::numeric_limits<int>::min();
    QTest::newRow("leading zeros") << "000000000000042" << true << 42;
    QTest::newRow("hex") << "$1F" << true << 31;
    QTest::newRow("hex pattern") << "$FFFFFFFF" << true << -1;
    QTest::newRow("hex leading zeros") << "$000000000A" << true << 10;
    QTest::newRow("too large") << "2147483648" << false << 0;
    QTest::newRow("too small") << "-2147483649" << false << 0;
    QTest::newRow("far too large") << "99999999999999999999999" << false << 0;
    QTest::newRow("hex too large") << "$100000000" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "   " << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("dollar only") << "$" << false << 0;
    QTest::newRow("signed hex") << "-$10" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("trailing text") << "12a" << false << 0;
    QTest::newRow("trailing blank") << "12 " << false << 0;
    QTest::newRow("non-ASCII digits") << QString::fromUtf8("\u0661\u0662") << false << 0;
}

void FameRecording::readsIntegersAsTheGameAlwaysHas()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const std::optional<std::int32_t> parsed = ParseIntegerText(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

void FameRecording::firstScoreCreatesTheWholeSection()
{
    TestConfigHome home;
    NameEntryScript script({"Bob"});
    TForm3 hall(nullptr);

    hall.writefame(&hall, 0);

    QCOMPARE(script.prompts, QStringList{"Enter your Name!"});
    QCOMPARE(Contents(home.settingsFile()), QByteArray("[OnePlayer]\n"
                                                       "1=0\n2=0\n3=0\n4=0\n5=0\n6=0\n7=0\n8=0\n9=0\n10=0\n"
                                                       "1n=Bob\n2n=1\n3n=1\n4n=1\n5n=1\n"
                                                       "6n=1\n7n=1\n8n=1\n9n=1\n10n=1\n"));
    QVERIFY(!hall.isVisible());
}

void FameRecording::placesScores_data()
{
    QTest::addColumn<int>("score");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("equal score goes above") << 700 << QStringList{"A 1000", "B 900", "C 800", "Zed 700", "D 700",
                                                                  "E 600",  "F 500", "G 400", "H 300",   "I 200"};
    QTest::newRow("best") << 5000 << QStringList{"Zed 5000", "A 1000", "B 900", "C 800", "D 700",
                                                 "E 600",    "F 500",  "G 400", "H 300", "I 200"};
    QTest::newRow("rank 10 overwritten") << 150 << QStringList{"A 1000", "B 900", "C 800", "D 700", "E 600",
                                                               "F 500",  "G 400", "H 300", "I 200", "Zed 150"};
    QTest::newRow("equal to rank 10") << 100 << QStringList{"A 1000", "B 900", "C 800", "D 700", "E 600",
                                                            "F 500",  "G 400", "H 300", "I 200", "Zed 100"};
    QTest::newRow("negative") << -5 << TenRanksAtoJ;
}

void FameRecording::placesScores()
{
    QFETCH(int, score);
    QFETCH(QStringList, expected);
    TestConfigHome home;
    Store(home.settingsFile(), TenRanks("OnePlayer") + TenRanks("TwoPlayers"));
    NameEntryScript script({"Zed"});
    TForm3 hall(nullptr);

    hall.writefame(&hall, score);

    QCOMPARE(StoredRanks(TFameList::OnePlayer), expected);
    QCOMPARE(StoredRanks(TFameList::TwoPlayers), TenRanksAtoJ);
}

void FameRecording::scoreWithoutPlaceAsksNoNameButRewritesTheSection()
{
    TestConfigHome home;
    // Rank 10 is missing and takes its defaults, which the rewrite then stores.
    QByteArray text = TenRanks("TwoPlayers");
    text.replace("10=100\n", "").replace("10n=J\n", "");
    Store(home.settingsFile(), text);
    NameEntryScript script;
    TForm3 hall(nullptr);

    hall.writefameb(&hall, QStringLiteral("Player 1"), -1);

    QCOMPARE(script.prompts, QStringList());
    const QByteArray written = Contents(home.settingsFile());
    QVERIFY2(written.contains("\n10=0\n") && written.endsWith("\n10n=2\n"), written.constData());
}

void FameRecording::emptyNameStaysEmpty()
{
    TestConfigHome home;
    NameEntryScript script({""});
    TForm3 hall(nullptr);

    hall.writefame(&hall, 300);

    QVERIFY(Contents(home.settingsFile()).contains("\n1n=\n"));
    QCOMPARE(StoredRanks(TFameList::OnePlayer).first(), QStringLiteral(" 300"));
}

void FameRecording::secondPlayerWithEqualScoreStandsAbove()
{
    TestConfigHome home;
    Store(home.settingsFile(), TenRanks("OnePlayer"));
    NameEntryScript script({"Red", "Blue"});
    TForm3 hall(nullptr);

    hall.writefameb(&hall, QStringLiteral("Player 1"), 700);
    hall.writefameb(&hall, QStringLiteral("Player 2"), 700);

    QCOMPARE(script.prompts, (QStringList{"Enter your name,Player 1", "Enter your name,Player 2"}));
    const QStringList ranks = StoredRanks(TFameList::TwoPlayers);
    QCOMPARE(ranks.mid(0, 3), (QStringList{"Blue 700", "Red 700", "2 0"}));
    QCOMPARE(StoredRanks(TFameList::OnePlayer), TenRanksAtoJ);
    QVERIFY(newname.isEmpty());
}

void FameRecording::brokenStoredScoreGivesWayInsteadOfBlocking()
{
    TestConfigHome home;
    QByteArray text = TenRanks("OnePlayer");
    text.replace("\n1=1000\n", "\n1=abc\n");
    Store(home.settingsFile(), text);
    NameEntryScript script({"Lo", "Hi", "New"});
    TForm3 hall(nullptr);

    // Even a poor score takes the broken rank; the broken entry moves down.
    hall.writefame(&hall, 50);
    QCOMPARE(StoredRanks(TFameList::OnePlayer).mid(0, 3), (QStringList{"Lo 50", "A abc", "B 900"}));

    // Valid scores above it are compared as always.
    hall.writefame(&hall, 9999);
    QCOMPARE(StoredRanks(TFameList::OnePlayer).mid(0, 3), (QStringList{"Hi 9999", "Lo 50", "A abc"}));

    // Further down the list it is passed over as well and finally drops out.
    for (int i = 0; i < 8; ++i)
        hall.writefame(&hall, 1);
    QCOMPARE(StoredRanks(TFameList::OnePlayer).last(), QStringLiteral("New 1"));
    QVERIFY(!Contents(home.settingsFile()).contains("abc"));
    QCOMPARE(script.prompts.size(), 10);
}

void FameRecording::failedWriteLeavesTheFileAndReportsInGerman_data()
{
    QTest::addColumn<bool>("twoPlayersNext");
    QTest::newRow("same list next") << false;
    QTest::newRow("other list next") << true;
}

// A score that cannot be written is reported, stays in the lists shown, and goes into the file
// with the next recording that can write.
void FameRecording::failedWriteLeavesTheFileAndReportsInGerman()
{
    QFETCH(bool, twoPlayersNext);
    TestConfigHome home;
    const QByteArray before = "[Controls]\nlefta=65\n";
    Store(home.settingsFile(), before);
    NameEntryScript script({"Bob", "Ann"});
    TForm3 hall(nullptr);

    QString message;
    {
        const FileSizeLimit limit(static_cast<rlim_t>(before.size()));
        try {
            hall.writefame(&hall, 100);
        } catch (const Failure &failure) {
            message = QString::fromUtf8(failure.what());
        }
    }

    QCOMPARE(message,
             QStringLiteral("Kann nicht nach %1 schreiben").arg(QDir::toNativeSeparators(home.settingsFile())));
    QCOMPARE(Contents(home.settingsFile()), before);
    QCOMPARE(script.prompts.size(), 1);
    QVERIFY(newname.isEmpty());
    QVERIFY(hall.findChildren<Tnewhigh *>().isEmpty());

    // Shown whenever the lists are, though the file does not have it.
    hall.readfame(&hall);
    QCOMPARE(LineText(hall, 1), QStringLiteral("Bob     100"));
    QCOMPARE(LineText(hall, 2), QStringLiteral("1     0"));
    QCOMPARE(fame.Unsaved(TProfileFile::Settings()), 1);

    if (twoPlayersNext) {
        hall.writefameb(&hall, QStringLiteral("Player 1"), 100);
        QCOMPARE(StoredRanks(TFameList::TwoPlayers).mid(0, 2), (QStringList{"Ann 100", "2 0"}));
        QCOMPARE(StoredRanks(TFameList::OnePlayer).mid(0, 2), (QStringList{"Bob 100", "1 0"}));
    } else {
        hall.writefame(&hall, 100);
        QCOMPARE(StoredRanks(TFameList::OnePlayer).mid(0, 3), (QStringList{"Ann 100", "Bob 100", "1 0"}));
    }
    QVERIFY(Contents(home.settingsFile()).startsWith(before));
    QCOMPARE(fame.Unsaved(TProfileFile::Settings()), 0);
}

void FameRecording::recordsOnAHallOfFameOwnedByAHiddenWindow()
{
    TestConfigHome home;
    QWidget mainWindow;
    NameEntryScript script({"Ann"});
    auto *hall = new TForm3(&mainWindow);

    hall->writefame(hall, 10);

    QCOMPARE(StoredRanks(TFameList::OnePlayer).first(), QStringLiteral("Ann 10"));
    QVERIFY(!hall->isVisible());
    QVERIFY(mainWindow.findChildren<Tnewhigh *>().isEmpty());
}

// The name is asked without the file's lock, and the score placed again on the file as it is once
// the name is in: a score another copy of the game recorded in the meantime stays.
void FameRecording::scoreOfAnotherCopyDuringTheNameEntryIsKept()
{
    TestConfigHome home;
    Store(home.settingsFile(), TenRanks("OnePlayer"));
    NameEntryScript script({"Zed"});
    bool lockedWhileAsked = true;
    const WhileNameIsAsked otherCopy([&] {
        lockedWhileAsked = QFileInfo::exists(home.settingsFile() + QStringLiteral(".lock"));
        TFameTable other;
        TProfileFile file = TProfileFile::Settings();
        other.Record(file, TFameList::OnePlayer, TFameScore{750, QStringLiteral("Other")});
    });
    TForm3 hall(nullptr);

    hall.writefame(&hall, 700);

    QVERIFY(!lockedWhileAsked);
    QCOMPARE(StoredRanks(TFameList::OnePlayer), (QStringList{"A 1000", "B 900", "C 800", "Other 750", "Zed 700",
                                                             "D 700", "E 600", "F 500", "G 400", "H 300"}));
}

// Two copies of the game, each in its own process, record a score at the same moment, round after
// round; each round's two scores beat all before, so both must be at the top afterwards.
void FameRecording::twoCopiesRecordingAtTheSameMomentLoseNoScore()
{
    TestConfigHome home;
    constexpr int Rounds = 100;
    const QString rounds = QString::number(Rounds);
    OtherCopy first({QStringLiteral("fame"), home.settingsFile(), QStringLiteral("A"), rounds});
    OtherCopy second({QStringLiteral("fame"), home.settingsFile(), QStringLiteral("B"), rounds});
    for (int round = 1; round <= Rounds; ++round) {
        first.Send("go");
        second.Send("go");
        const QByteArray recorded = "recorded " + QByteArray::number(round);
        QVERIFY2(first.NextLine() == recorded, qPrintable(first.Errors()));
        QVERIFY2(second.NextLine() == recorded, qPrintable(second.Errors()));
        const QStringList top = StoredRanks(TFameList::OnePlayer).mid(0, 2);
        QVERIFY2(top.contains(QStringLiteral("A-%1 %1").arg(round))
                     && top.contains(QStringLiteral("B-%1 %1").arg(round)),
                 qPrintable(QStringLiteral("round %1: %2").arg(round).arg(top.join(QStringLiteral(", ")))));
    }
    QVERIFY(first.Finish());
    QVERIFY(second.Finish());
}

QTEST_MAIN(FameRecording)
#include "tst_FameRecording.moc"
