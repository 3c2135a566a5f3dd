// A key that reaches the main window right behind the Enter that closes a modal window arrives
// before the game has gone on past that window: Qt's modal loop finishes the batch of events it is
// handling before exec() returns, and the window is no longer modal then. The game must not act on
// such a key as if a round were being played, nor start a new game in the middle of the old one's
// end.
//
// Under X11 the keys typed behind the Enter went to the window that had the focus, the closed one,
// and were lost there (the real program under Xvfb and openbox, keys sent with no delay), so these
// cases need a platform or an input method that moves the focus sooner; the game guards against
// them all the same.
#include "halloffame/TFameTable.h"
#include "platform/TProfileFile.h"
#include "support/GameRig.h"

#include <QtTest>

namespace {
constexpr int Steps = 10;
} // namespace

class InputBehindModalWindows : public QObject
{
    Q_OBJECT

private slots:
    void speedKeyBehindTheLastCrashWindowLeavesNoTimerRunning();
    void newGameBehindTheNameEntryWaitsForTheGameOver();
    void closeBehindACrashWindowEndsTheProgram_data();
    void closeBehindACrashWindowEndsTheProgram();
};

void InputBehindModalWindows::speedKeyBehindTheLastCrashWindowLeavesNoTimerRunning()
{
    GameRig rig(GameRig::Hosting::Windows);
    TForm1 &form = rig.form;
    TGame &game = rig.game;
    // The player holds "w" (faster) and hits Enter on the crash window of the last cycle.
    rig.onWindow = [&](const QString &title) {
        if (title == u"Player 1 crashed! 0 Cycles left...")
            rig.Type(QStringLiteral("w"));
    };
    QVERIFY(rig.PlayToGameOver(false, Steps));

    // The game is over: its movement timers must stand still. Whatever a running timer would
    // deliver, it is delivered here; a cycle set moving again would crash once more, with 255
    // cycles left.
    for (int tick = 0; tick < 1000 && game.Clock(TPlayer::Red).Enabled() && form.StartEnabled(); ++tick)
        rig.TickRed();
    QVERIFY(!game.Clock(TPlayer::Red).Enabled());
    QVERIFY(!game.Clock(TPlayer::Blue).Enabled());
    const QStringList crashes = rig.WindowTitles().filter(QStringLiteral("crashed!"));
    QCOMPARE(crashes.size(), 3);
    QCOMPARE(crashes.last(), QStringLiteral("Player 1 crashed! 0 Cycles left..."));
    QCOMPARE(game.redlives, std::uint8_t(0));
    QVERIFY(!game.RoundUnderWay());
    QVERIFY(form.StartEnabled());
}

void InputBehindModalWindows::newGameBehindTheNameEntryWaitsForTheGameOver()
{
    GameRig rig(GameRig::Hosting::Windows);
    // The player types a name, hits Enter and at once F2 for the next game.
    bool pressed = false;
    rig.onWindow = [&](const QString &title) {
        if (title.startsWith(u"Enter your name") && !pressed) {
            pressed = true;
            rig.StartTwoPlayers();
        }
    };
    QVERIFY(rig.PlayToGameOver(true, Steps));
    QVERIFY(pressed);

    // Player 2's final score (the steps plus 5000 for each of player 1's crashes) is in the hall
    // of fame, and a game that runs is not covered by the game-over picture.
    TFameTable table;
    table.Load(TProfileFile::Settings());
    QStringList scores;
    for (int rank = 1; rank <= TFameTable::Ranks; ++rank)
        scores << table.At(TFameList::TwoPlayers, rank).score;
    QVERIFY2(scores.contains(QString::number(3 * Steps + 15000)), qPrintable(scores.join(u' ')));
}

void InputBehindModalWindows::closeBehindACrashWindowEndsTheProgram_data()
{
    QTest::addColumn<QString>("crashWindow");
    // The game goes on to the next round, or to the game over and its name entry.
    QTest::newRow("first crash") << QStringLiteral("Player 1 crashed! 2 Cycles left...");
    QTest::newRow("last crash") << QStringLiteral("Player 1 crashed! 0 Cycles left...");
}

void InputBehindModalWindows::closeBehindACrashWindowEndsTheProgram()
{
    QFETCH(QString, crashWindow);
    GameRig rig(GameRig::Hosting::Windows);
    // The player answers the crash window and closes the main window in the same breath, before
    // the game has gone on: the program's loop must end then, and no window may open after it.
    qsizetype windowsAtClose = -1;
    rig.onWindow = [&](const QString &title) {
        if (title == crashWindow && windowsAtClose < 0) {
            windowsAtClose = rig.WindowTitles().size();
            rig.form.close();
        }
    };
    rig.form.show();
    QTimer::singleShot(0, &rig.form, [&] { rig.PlayToGameOver(false, Steps); });
    QTimer stuck;
    QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    stuck.start(10000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(windowsAtClose > 0);
    QCOMPARE(rig.WindowTitles().mid(windowsAtClose), QStringList());
}

QTEST_MAIN(InputBehindModalWindows)
#include "tst_InputBehindModalWindows.moc"
