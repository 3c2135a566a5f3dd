// A long two-player game at top speed on the real threaded timers, with scripted keys, pauses and
// every modal window answered, new games started as the old ones end. Checked throughout:
// - every tick runs on the GUI thread, alone, and only while a round is played;
// - each tick's points add up: a step scores 1 or 2 by the speed, a collected bonus its points
//   (or a jump jet), a crash 5000 for the other player; lives only go down within a game;
// - the field holds only black, red, blue and yellow while a round is played;
// - nothing is reported as a failure, and memory does not grow once the game has warmed up.
// The run lasts $ZANDRIX_SOAK_SECONDS seconds (20 unless set; see docs/reliability.md).
#include "components/TRCADigital.h"
#include "game/Rules.h"
#include "support/GameRig.h"

#include "game/TTimerTicks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#if defined(__SANITIZE_ADDRESS__)
#define ZANDRIX_ASAN 1
// From AddressSanitizer's runtime (its header does not come with every compiler).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

int SoakSeconds()
{
    return qEnvironmentVariableIsSet("ZANDRIX_SOAK_SECONDS") ? qEnvironmentVariableIntValue("ZANDRIX_SOAK_SECONDS")
                                                             : 20;
}

long ResidentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Bytes the program holds on the heap; under AddressSanitizer freed memory waits in quarantine
// and counts towards the resident size, but not here.
long long HeapBytes()
{
#ifdef ZANDRIX_ASAN
    return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
    return -1;
#endif
}

// What one tick may change.
struct Snapshot
{
    std::int32_t score[3] = {};
    std::uint8_t lives[3] = {};
    std::uint16_t interval[3] = {};
    std::int32_t jumps[3] = {};
    bool bonusShown = false;
    std::uint8_t bonusKind = 0;

    explicit Snapshot(const TForm1 &form)
        : score{0, form.game.redscore, form.game.bluescore}
        , lives{0, form.game.redlives, form.game.bluelives}
        , interval{0, form.game.Clock(TPlayer::Red).Interval(), form.game.Clock(TPlayer::Blue).Interval()}
        , jumps{0, form.jumpdigr->Value(), form.jumpdigb->Value()}
        , bonusShown(form.game.Label1.Visible())
        , bonusKind(form.game.bonuskind)
    {
    }
};

// Wraps both movement timers' handlers and checks every tick.
class TickAccounting
{
public:
    explicit TickAccounting(TForm1 &window)
        : form(window)
        , game(window.game)
    {
        auto &timers = static_cast<TTimerTicks &>(game.Ticks());
        timers.hiresTimer1.setOnTimer([this](TThreadedTimer *) { Tick(1); });
        timers.hiresTimer2.setOnTimer([this](TThreadedTimer *) { Tick(2); });
    }

    QStringList violations;
    qint64 ticks = 0;
    qint64 crashes = 0;
    qint64 bonuses = 0;
    qint64 jumpJets = 0;

    // Whether a tick is under way: the events seen then come from a modal window's loop inside
    // it (the crash window, the name entry).
    bool InTick() const { return inTick; }

    void Violation(const QString &what)
    {
        // The first few tell the story; thousands more would only bury it.
        if (violations.size() < 20)
            violations << what;
    }

private:
    void Tick(int player)
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            Violation(QStringLiteral("a tick ran off the GUI thread"));
        if (inTick)
            Violation(QStringLiteral("a tick ran inside another"));
        if (!game.RoundUnderWay() || (game.State() == TRoundState::Paused))
            Violation(QStringLiteral("a tick arrived while no round was played"));
        inTick = true;
        const Snapshot before(form);
        if (player == 1)
            game.Tick(TClock::Red);
        else
            game.Tick(TClock::Blue);
        const Snapshot after(form);
        inTick = false;
        ++ticks;
        Check(player, before, after);
    }

    void Check(int me, const Snapshot &before, const Snapshot &after)
    {
        const int other = 3 - me;
        const auto fail = [&](const char *what) {
            Violation(QStringLiteral("player %1's tick %2: %3 (scores %4/%5 -> %6/%7, lives %8/%9 -> %10/%11)")
                          .arg(me)
                          .arg(ticks)
                          .arg(QLatin1String(what))
                          .arg(before.score[1])
                          .arg(before.score[2])
                          .arg(after.score[1])
                          .arg(after.score[2])
                          .arg(before.lives[1])
                          .arg(before.lives[2])
                          .arg(after.lives[1])
                          .arg(after.lives[2]));
        };
        if (after.lives[other] != before.lives[other])
            fail("the other player's lives changed");
        if (after.lives[me] == before.lives[me] - 1) {
            ++crashes;
            if (after.score[me] != before.score[me])
                fail("a crash changed the crashed player's score");
            if (after.score[other] != WrappingAdd(before.score[other], Rules::CrashPoints))
                fail("a crash did not credit the other player 5000");
            return;
        }
        if (after.lives[me] != before.lives[me])
            fail("lives changed by more than one crash");
        if (after.score[other] != before.score[other])
            fail("the other player's score changed");

        std::int32_t points = Rules::StepPoints(before.interval[me]);
        std::int32_t jets = 0;
        if (before.bonusShown && !after.bonusShown) {
            ++bonuses;
            const Rules::BonusKind &kind = Rules::Bonus(before.bonusKind);
            if (kind.jumpJet) {
                ++jumpJets;
                jets = 1;
            }
            points += kind.points;
        }
        if (after.score[me] != WrappingAdd(before.score[me], points))
            fail("the points of the step do not add up");
        if (after.jumps[me] != before.jumps[me] + jets)
            fail("the jump jets do not add up");
    }

    TForm1 &form;
    TGame &game;
    bool inTick = false;
};

// Only black, red, blue and yellow belong on the field while a round is played.
int StrayPixels(const TForm1 &form)
{
    TGame &game = form.game;
    int stray = 0;
    for (int y = 0; y < TFieldSurface::Height; ++y) {
        for (int x = 0; x < TFieldSurface::Width; ++x) {
            const std::uint32_t colour = game.GetPixel(x, y);
            if (colour != FieldColour::Black && colour != FieldColour::Red && colour != FieldColour::Blue
                && colour != FieldColour::Yellow)
                ++stray;
        }
    }
    return stray;
}

} // namespace

class Soak : public QObject
{
    Q_OBJECT

private slots:
    void twoPlayerGamesAtTopSpeed();
};

void Soak::twoPlayerGamesAtTopSpeed()
{
    const int seconds = SoakSeconds();
    QVERIFY(seconds > 0);
    const int warmUpMs = std::min(seconds * 1000 / 4, 30000);

    GameRig rig(GameRig::Hosting::Windows, GameRig::Ticks::Threaded);
    TForm1 &form = rig.form;
    TGame &game = rig.game;
    TickAccounting accounting(form);
    QRandomGenerator script(1234);
    qint64 games = 0;
    qint64 keys = 0;
    qint64 pauses = 0;
    qint64 fieldChecks = 0;
    // The script acts like a player at the keyboard: only while a round is played and no modal
    // window is open. It stays out of the loops of modal windows inside a tick, where a player's
    // keys cannot arrive either, except right behind the key that closes the window (see
    // tst_InputBehindModalWindows.cpp).
    const auto idle = [&] { return !accounting.InTick() && !QApplication::activeModalWidget(); };
    const auto playing = [&] { return game.RoundUnderWay() && !(game.State() == TRoundState::Paused) && idle(); };

    // A new two-player game as soon as the last one is over.
    // The rig's list of windows and sounds is emptied as it goes, so that it does not count as
    // growth.
    qint64 modalWindows = 0;
    QTimer starter;
    starter.setInterval(20);
    QObject::connect(&starter, &QTimer::timeout, [&] {
        modalWindows += rig.WindowTitles().size();
        rig.events.clear();
        if (form.StartEnabled() && idle()) {
            form.N2Players1Click(form.N2Players1);
            ++games;
            if (game.redscore != 0 || game.bluescore != 0 || game.redlives != 3 || game.bluelives != 3)
                accounting.Violation(QStringLiteral("a new game did not start from nothing"));
        }
    });

    // Both players at top speed: whenever a cycle is slower (every round starts at 51 ms), its
    // fast key; otherwise turns, jumps, and now and then a step down in speed and back up.
    QTimer typist;
    typist.setInterval(4);
    QObject::connect(&typist, &QTimer::timeout, [&] {
        if (!playing())
            return;
        if (game.Clock(TPlayer::Red).Interval() > 1) {
            rig.Type(QStringLiteral("w"));
            ++keys;
        }
        if (game.Clock(TPlayer::Blue).Interval() > 1) {
            rig.Type(QStringLiteral("8"));
            ++keys;
        }
        static constexpr char Script[] = "aaasss4446665d5dy2......";
        const char key = Script[script.bounded(static_cast<int>(sizeof Script - 1))];
        if (key != '.') {
            rig.Type(QString(QLatin1Char(key)));
            ++keys;
        }
    });

    // A short pause now and then: the workers are parked and released under way.
    QTimer pauser;
    pauser.setInterval(700);
    QObject::connect(&pauser, &QTimer::timeout, [&] {
        if (!playing())
            return;
        form.Pause1Click(form.Pause1);
        ++pauses;
        QTimer::singleShot(15, &form, [&] {
            if ((game.State() == TRoundState::Paused))
                form.Pause1Click(form.Pause1);
        });
    });

    // The bonus timer, hurried: at top speed a round rarely lasts the two seconds and more that
    // the game leaves before a bonus.
    QTimer bonus;
    bonus.setInterval(150);
    QObject::connect(&bonus, &QTimer::timeout, [&] {
        if (playing() && !game.Label1.Visible())
            game.Tick(TClock::Bonus);
    });

    QTimer fieldCheck;
    fieldCheck.setInterval(500);
    QObject::connect(&fieldCheck, &QTimer::timeout, [&] {
        if (!playing() || game.gameover.Visible())
            return;
        ++fieldChecks;
        if (const int stray = StrayPixels(form))
            accounting.Violation(QStringLiteral("%1 field pixels of a fifth colour").arg(stray));
    });

    long rssWarm = 0;
    long long heapWarm = 0;
    QTimer::singleShot(warmUpMs, [&] {
        rssWarm = ResidentKilobytes();
        heapWarm = HeapBytes();
    });

    QElapsedTimer clock;
    clock.start();
    for (QTimer *timer : {&starter, &typist, &pauser, &bonus, &fieldCheck})
        timer->start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    for (QTimer *timer : {&starter, &typist, &pauser, &bonus, &fieldCheck})
        timer->stop();
    const long rssEnd = ResidentKilobytes();
    const long long heapEnd = HeapBytes();
    const qint64 elapsed = clock.elapsed();

    qInfo("%lld s: %lld games, %lld ticks (%lld a second), %lld crashes, %lld bonuses (%lld jump jets), "
          "%lld keys, %lld pauses, %lld field checks, %lld modal windows; resident %ld kB after warm-up, "
          "%ld kB at the end; heap %lld -> %lld bytes",
          static_cast<long long>(elapsed / 1000), games, accounting.ticks, accounting.ticks * 1000 / elapsed,
          accounting.crashes, accounting.bonuses, accounting.jumpJets, keys, pauses, fieldChecks,
          modalWindows + rig.WindowTitles().size(), rssWarm, rssEnd, heapWarm, heapEnd);

    QVERIFY2(accounting.violations.isEmpty(), qPrintable(accounting.violations.join(u'\n')));
    QCOMPARE(rig.failures, QStringList());
    QVERIFY(games >= 1);
    QVERIFY(accounting.crashes >= 1);
    QVERIFY2(accounting.ticks >= 100LL * seconds, "the timers hardly ticked");

    // Caches fill during the warm-up; after it the program must not keep growing. Under
    // AddressSanitizer the live heap is what counts (its quarantine swells the resident size).
    QVERIFY(rssWarm > 0 && rssEnd > 0);
#ifdef ZANDRIX_ASAN
    QVERIFY2(heapEnd - heapWarm < 4LL * 1024 * 1024, "the heap grew during the game");
#else
    QVERIFY2(rssEnd - rssWarm < 8 * 1024, "the resident size grew during the game");
#endif
    // The rig goes with the game still running, as when the program is closed in the middle.
}

int main(int argc, char **argv)
{
    // Qt Test takes a test function that runs for five minutes for a hung one; a longer soak
    // is not.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number((qint64(SoakSeconds()) + 300) * 1000));
    QApplication application(argc, argv);
    Soak test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Soak.moc"
