// Keyboard control: turns, speeds and jumps by the typed character, with the bindings read at the
// round start.
#include "support/GameRig.h"

#include "components/TRCADigital.h"
#include "support/Files.h"
#include "support/ModalAnswer.h"

#include <QtTest>

#include <cstdint>

namespace {

// Every default binding: aswyd for player 1, 46825 for player 2.
const QString AllDefaultKeys = QStringLiteral("aswyd46825");

// What keys can change, in one comparable line.
QString Controllable(GameRig &rig)
{
    TGame &game = rig.game;
    const TForm1 &form = rig.form;
    return QStringLiteral("red %1,%2 dir %3 %4ms %5 jets %6 dial %7 | blue %8,%9 dir %10 %11ms %12 jets %13 dial %14")
        .arg(int(game.redx))
        .arg(int(game.redy))
        .arg(int(game.reddir))
        .arg(int(game.Clock(TPlayer::Red).Interval()))
        .arg(game.Clock(TPlayer::Red).Enabled() ? "on" : "off")
        .arg(form.jumpdigr->Value())
        .arg(form.digispeedr->Value())
        .arg(int(game.bluex))
        .arg(int(game.bluey))
        .arg(int(game.bluedir))
        .arg(int(game.Clock(TPlayer::Blue).Interval()))
        .arg(game.Clock(TPlayer::Blue).Enabled() ? "on" : "off")
        .arg(form.jumpdigb->Value())
        .arg(form.digispeedb->Value());
}

} // namespace

class KeyboardTest : public QObject
{
    Q_OBJECT

private slots:
    void speedKeysStayWithinBounds_data();
    void speedKeysStayWithinBounds();
    void jumpDistanceByInterval_data();
    void jumpDistanceByInterval();
    void jumpNeedsAJet_data();
    void jumpNeedsAJet();
    void jumpIsNeitherTestedNorDrawn_data();
    void jumpIsNeitherTestedNorDrawn();
    void storedBindingUsesItsFirstCharacterOnly_data();
    void storedBindingUsesItsFirstCharacterOnly();
    void characterBoundTwiceDoesBoth();
    void typedCharactersReachTheGame_data();
    void typedCharactersReachTheGame();
    void bindingsAreReadAtFirstRoundAndAfterSettingsOnly();
    void gameKeysDoNothingOutsidePlay_data();
    void gameKeysDoNothingOutsidePlay();
};

// The interval moves by 10 between 1 and 101 ms; the dial shows interval div 11. A key at a bound
// keeps the interval but still leaves the timer running.
void KeyboardTest::speedKeysStayWithinBounds_data()
{
    QTest::addColumn<int>("player");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("dial");

    QTest::newRow("1: faster once") << 1 << "w" << 41 << 3;
    QTest::newRow("1: slower once") << 1 << "y" << 61 << 5;
    QTest::newRow("1: five times faster") << 1 << "wwwww" << 1 << 0;
    QTest::newRow("1: faster at 1 ms") << 1 << "wwwwwww" << 1 << 0;
    QTest::newRow("1: five times slower") << 1 << "yyyyy" << 101 << 9;
    QTest::newRow("1: slower at 101 ms") << 1 << "yyyyyyy" << 101 << 9;
    QTest::newRow("1: from the fastest to the slowest") << 1 << "wwwwwwwyyyyyyyyyyyy" << 101 << 9;
    QTest::newRow("2: faster once") << 2 << "8" << 41 << 3;
    QTest::newRow("2: slower once") << 2 << "2" << 61 << 5;
    QTest::newRow("2: faster at 1 ms") << 2 << "8888888" << 1 << 0;
    QTest::newRow("2: slower at 101 ms") << 2 << "2222222" << 101 << 9;
}

void KeyboardTest::speedKeysStayWithinBounds()
{
    QFETCH(int, player);
    QFETCH(QString, keys);
    QFETCH(int, interval);
    QFETCH(int, dial);
    GameRig rig;
    rig.StartTwoPlayers();

    rig.Type(keys);

    const TMovementClock &own = rig.Movement(player);
    const TMovementClock &other = rig.Movement(3 - player);
    QCOMPARE(own.Interval(), interval);
    QVERIFY(own.Enabled());
    QCOMPARE((player == 1 ? rig.form.digispeedr : rig.form.digispeedb)->Value(), dial);
    QCOMPARE(other.Interval(), 51);
    QCOMPARE((player == 1 ? rig.form.digispeedb : rig.form.digispeedr)->Value(), 4);
}

// A jump carries the head (100 - interval) div 5 pixels along its heading, on both axes of a
// diagonal, and uses a jet; at 101 ms it uses the jet and moves nothing.
void KeyboardTest::jumpDistanceByInterval_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("distance");
    const int distances[] = {19, 17, 15, 13, 11, 9, 7, 5, 3, 1, 0};
    for (int i = 0; i <= 10; ++i) {
        const int interval = 1 + 10 * i;
        QTest::addRow("%d ms", interval) << interval << distances[i];
    }
}

void KeyboardTest::jumpDistanceByInterval()
{
    QFETCH(int, interval);
    QFETCH(int, distance);
    GameRig rig;
    rig.StartTwoPlayers();
    rig.game.Clock(TPlayer::Red).setInterval(static_cast<std::uint16_t>(interval));
    rig.game.Clock(TPlayer::Blue).setInterval(static_cast<std::uint16_t>(interval));
    rig.PlaceRed(300, 300, 2);  // up and left
    rig.PlaceBlue(300, 300, 7); // right

    rig.Type(QStringLiteral("d5"));

    QCOMPARE(rig.game.redx, 300 - distance);
    QCOMPARE(rig.game.redy, 300 - distance);
    QCOMPARE(rig.game.bluex, 300 + distance);
    QCOMPARE(rig.game.bluey, 300);
    QCOMPARE(rig.form.jumpdigr->Value(), 2);
    QCOMPARE(rig.form.jumpdigb->Value(), 2);
}

// Three jets at a new game; a jump with none left does nothing and the count stays at 0.
void KeyboardTest::jumpNeedsAJet_data()
{
    AddPlayerRows();
}

void KeyboardTest::jumpNeedsAJet()
{
    QFETCH(int, player);
    GameRig rig;
    rig.StartTwoPlayers();
    rig.PlaceRed(300, 300, 3);
    rig.PlaceBlue(300, 300, 3);

    rig.Type(player == 1 ? QStringLiteral("dddd") : QStringLiteral("5555"));

    // Three jumps of 9 pixels left at 51 ms, then nothing.
    QCOMPARE(player == 1 ? rig.game.redx : rig.game.bluex, 300 - 27);
    QCOMPARE((player == 1 ? rig.form.jumpdigr : rig.form.jumpdigb)->Value(), 0);
    QCOMPARE(player == 1 ? rig.game.bluex : rig.game.redx, 300);
    QCOMPARE((player == 1 ? rig.form.jumpdigb : rig.form.jumpdigr)->Value(), 3);
}

// The pixels a jump passes over and the pixel it lands on are neither tested nor drawn: a jump
// carries a cycle over a trail, or onto one, and the next tick tests only the next pixel.
void KeyboardTest::jumpIsNeitherTestedNorDrawn_data()
{
    QTest::addColumn<int>("trailColumn");
    QTest::newRow("over a trail") << 295;
    QTest::newRow("onto a trail") << 291;
}

void KeyboardTest::jumpIsNeitherTestedNorDrawn()
{
    QFETCH(int, trailColumn);
    GameRig rig;
    rig.StartTwoPlayers();
    rig.PlaceBlue(trailColumn, 289, 5);
    rig.TickBlue(21); // rows 290..310
    rig.PlaceRed(303, 300, 3);
    rig.TickRed(3); // (302,300) .. (300,300)

    rig.Type(QStringLiteral("d")); // 9 pixels left, to (291,300)
    QCOMPARE(rig.game.redx, 291);
    rig.TickRed();

    QVERIFY(rig.WindowTitles().isEmpty());
    QCOMPARE(rig.game.GetPixel(290, 300), FieldColour::Red);
    QCOMPARE(rig.game.GetPixel(trailColumn, 300), FieldColour::Blue);
    QCOMPARE(rig.CountPixels(FieldColour::Red), 4);
    QCOMPARE(rig.game.redscore, 4);
}

// Only the first character of a binding counts, compared exactly; an empty binding binds no key
// (the default does not come back). Read from the settings file by the program's own host: a
// missing key is the default, and blanks around a value are dropped.
void KeyboardTest::storedBindingUsesItsFirstCharacterOnly_data()
{
    QTest::addColumn<QString>("where"); // the host's bindings, the settings file, or neither
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("turns");

    QTest::newRow("abc acts as a") << "host"
                                   << "abc"
                                   << "a" << true;
    QTest::newRow("abc: b does nothing") << "host"
                                         << "abc"
                                         << "b" << false;
    QTest::newRow("abc: c does nothing") << "host"
                                         << "abc"
                                         << "c" << false;
    QTest::newRow("empty: default a does nothing") << "host"
                                                   << ""
                                                   << "a" << false;
    QTest::newRow("upper case Q: q does nothing") << "host"
                                                  << "Q"
                                                  << "q" << false;
    QTest::newRow("upper case Q: Q turns") << "host"
                                           << "Q"
                                           << "Q" << true;
    QTest::newRow("file without the key: default a") << "none"
                                                     << ""
                                                     << "a" << true;
    QTest::newRow("file, empty: default a does nothing") << "file"
                                                         << ""
                                                         << "a" << false;
    QTest::newRow("file, blanks around x dropped") << "file"
                                                   << "  x  "
                                                   << "x" << true;
    QTest::newRow("file, blank reads empty") << "file"
                                             << " "
                                             << " " << false;
}

void KeyboardTest::storedBindingUsesItsFirstCharacterOnly()
{
    QFETCH(QString, where);
    QFETCH(QString, value);
    QFETCH(QString, typed);
    QFETCH(bool, turns);
    GameRig rig(where == u"host" ? GameRig::Hosting::Recording : GameRig::Hosting::Windows);
    if (where == u"host")
        rig.SetBinding("leftkeya", value);
    else if (where == u"file")
        Store(rig.home.settingsFile(), "[Controls]\nleftkeya=" + value.toUtf8() + '\n');
    rig.StartOnePlayer();

    rig.Type(typed);

    QCOMPARE(rig.game.reddir, turns ? 3 : 2);
}

// Every test of the key handler stands on its own: a character bound to two actions does both.
void KeyboardTest::characterBoundTwiceDoesBoth()
{
    GameRig rig;
    rig.SetBinding("fasta", QStringLiteral("a"));
    rig.StartOnePlayer();

    rig.Type(QStringLiteral("a"));

    QCOMPARE(rig.game.reddir, 3);
    QCOMPARE(rig.game.Clock(TPlayer::Red).Interval(), 41);
}

// Every character typed on the keyboard reaches the game before any control of the window; only
// the character counts, so the digits of the number pad act like those of the top row.
void KeyboardTest::typedCharactersReachTheGame_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("reddir");
    QTest::addColumn<int>("bluedir");

    QTest::newRow("a turns player 1 left") << int(Qt::Key_A) << "a" << int(Qt::NoModifier) << 3 << 4;
    QTest::newRow("Shift+a types A: no binding") << int(Qt::Key_A) << "A" << int(Qt::ShiftModifier) << 2 << 4;
    QTest::newRow("4 on the top row") << int(Qt::Key_4) << "4" << int(Qt::NoModifier) << 2 << 5;
    QTest::newRow("4 on the number pad") << int(Qt::Key_4) << "4" << int(Qt::KeypadModifier) << 2 << 5;
    QTest::newRow("6 on the number pad") << int(Qt::Key_6) << "6" << int(Qt::KeypadModifier) << 2 << 3;
}

void KeyboardTest::typedCharactersReachTheGame()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, modifiers);
    QFETCH(int, reddir);
    QFETCH(int, bluedir);
    GameRig rig;
    rig.form.show();
    rig.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&rig.form));
    rig.StartTwoPlayers();

    QTest::sendKeyEvent(QTest::Click, rig.form.windowHandle(), Qt::Key(key), text, Qt::KeyboardModifiers(modifiers));

    QCOMPARE(rig.game.reddir, reddir);
    QCOMPARE(rig.game.bluedir, bluedir);
}

// The bindings are read at the first round after start-up and at the first round after each use
// of the settings command, never otherwise: bindings changed between rounds are not picked up.
void KeyboardTest::bindingsAreReadAtFirstRoundAndAfterSettingsOnly()
{
    GameRig rig;
    const auto turnsLeftWith = [&rig](const QString &key) {
        const std::uint8_t before = rig.game.reddir;
        rig.Type(key);
        const bool turned = rig.game.reddir != before;
        rig.game.reddir = before;
        return turned;
    };

    rig.SetBinding("leftkeya", QStringLiteral("q"));
    // Two players, so that three crashes, one of them blue's, still leave the game running.
    rig.StartTwoPlayers();
    QVERIFY(turnsLeftWith(QStringLiteral("q")));
    QVERIFY(!turnsLeftWith(QStringLiteral("a")));

    rig.SetBinding("leftkeya", QStringLiteral("z"));
    rig.CrashRed(); // the next round of the same game
    QCOMPARE(rig.game.redlives, 2);
    QVERIFY(rig.game.RoundUnderWay());
    QVERIFY(turnsLeftWith(QStringLiteral("q")));
    QVERIFY(!turnsLeftWith(QStringLiteral("z")));
    QCOMPARE(rig.bindingReads, 1);

    // The dialog is closed without OK, which writes nothing; only the next round start reads.
    QString dialog;
    AnswerNextModal([&dialog](QWidget *modal) {
        dialog = modal->windowTitle();
        static_cast<QDialog *>(modal)->reject();
    });
    rig.form.Settings1Click(rig.form.Settings1);
    QCOMPARE(dialog, QStringLiteral("Zandrix II - Settings..."));
    QVERIFY(turnsLeftWith(QStringLiteral("q")));
    rig.CrashBlue();
    QVERIFY(turnsLeftWith(QStringLiteral("z")));
    QVERIFY(!turnsLeftWith(QStringLiteral("q")));

    // Read once more at that round; from then on they are not asked for again.
    rig.SetBinding("leftkeya", QStringLiteral("x"));
    rig.CrashRed();
    QVERIFY(rig.game.RoundUnderWay());
    QVERIFY(turnsLeftWith(QStringLiteral("z")));
    QVERIFY(!turnsLeftWith(QStringLiteral("x")));
    QCOMPARE(rig.bindingReads, 2);
}

// Game keys, and the five actions of either player however they come (a controller, later the
// network), act only while a round is played and not paused; in particular a speed key does not set
// a paused cycle moving again, nor one standing behind a crash window.
void KeyboardTest::gameKeysDoNothingOutsidePlay_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<bool>("keys");
    for (const bool keys : {true, false}) {
        const char *how = keys ? "keys" : "actions";
        QTest::addRow("%s before the first game", how) << "before" << keys;
        QTest::addRow("%s paused", how) << "paused" << keys;
        QTest::addRow("%s behind the crash window", how) << "crash" << keys;
        QTest::addRow("%s after game over", how) << "over" << keys;
    }
}

void KeyboardTest::gameKeysDoNothingOutsidePlay()
{
    QFETCH(QString, when);
    QFETCH(bool, keys);
    GameRig rig;
    const auto press = [&] {
        if (keys)
            return rig.Type(AllDefaultKeys);
        for (TPlayer player : BothPlayers)
            for (TPlayerAction action : {TPlayerAction::Jump, TPlayerAction::Faster, TPlayerAction::Slower,
                                         TPlayerAction::TurnLeft, TPlayerAction::TurnRight})
                rig.game.Act(player, action);
    };
    if (when == u"crash") {
        rig.StartTwoPlayers();
        QString before, after;
        rig.onWindow = [&](const QString &) {
            before = Controllable(rig);
            press();
            after = Controllable(rig);
        };
        rig.CrashRed();
        QCOMPARE(after, before);
        return;
    }
    if (when != u"before") {
        rig.StartTwoPlayers();
        rig.TickBoth(5);
    }
    if (when == u"paused")
        rig.form.Pause1Click(rig.form.Pause1);
    if (when == u"over") {
        for (int i = 0; i < 3; ++i)
            rig.CrashRed();
        QVERIFY(!rig.game.RoundUnderWay());
    }
    const QString before = Controllable(rig);

    for (int i = 0; i < 3; ++i)
        press();

    QCOMPARE(Controllable(rig), before);
}

QTEST_MAIN(KeyboardTest)
#include "tst_game_keyboard.moc"
