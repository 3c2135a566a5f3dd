// The hand-off through Qt's event loop, alone and under a real threaded timer.

#include "components/TThreadedTimer.h"
#include "platform/Failure.h"
#include "platform/FailureReport.h"
#include "platform/TQtHandOff.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace {

bool OnGuiThread()
{
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// A worker thread that runs one call through the hand-off; `returned` tells when Run has returned.
// Going, it closes the hand-off, so that a worker still waiting is let go, and joins.
class Worker
{
public:
    Worker(THandOff &handOff, std::function<bool()> call)
        : hand(handOff)
        , thread([this, call = std::move(call)] {
            hand.Run(call);
            returned = true;
        })
    {
    }
    ~Worker()
    {
        hand.Close();
        thread.join();
    }

    std::atomic<bool> returned{false};

private:
    THandOff &hand;
    std::thread thread;
};

std::unique_ptr<TThreadedTimer> MakeTimer()
{
    return std::make_unique<TThreadedTimer>(std::make_unique<TQtHandOff>());
}

} // namespace

class tst_TQtHandOff : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetFailureReporter(nullptr); }

    void runRunsTheCallOnTheGuiThreadAndReturnsWhenItHasEnded()
    {
        TQtHandOff handOff;
        bool ranOnGui = false;
        bool returnedTooEarly = true;
        std::optional<Worker> worker;
        worker.emplace(handOff, [&] {
            ranOnGui = OnGuiThread();
            QThread::msleep(30);
            returnedTooEarly = worker->returned;
            return true;
        });
        QTRY_VERIFY(worker->returned);
        QVERIFY(ranOnGui);
        QVERIFY(!returnedTooEarly);
    }

    // How a timer's tick that arrives early waits for its time without holding up the window.
    void unfinishedCallRunsAgainAfterTheEventsThatCameMeanwhile()
    {
        TQtHandOff handOff;
        QStringList order;
        Worker worker(handOff, [&] {
            order << QStringLiteral("call");
            if (order.size() == 1) {
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(), [&] { order << QStringLiteral("posted"); }, Qt::QueuedConnection);
                return false;
            }
            return true;
        });
        QTRY_VERIFY(worker.returned);
        QCOMPARE(order, QStringList({"call", "posted", "call"}));
    }

    void closeReleasesABlockedWorkerWithoutRunningItsCall()
    {
        TQtHandOff handOff;
        std::atomic<bool> ran{false};
        Worker worker(handOff, [&] { return ran = true; });
        // The GUI thread runs no events meanwhile, so the call is queued and the worker waits.
        QThread::msleep(50);
        QVERIFY(!worker.returned);

        handOff.Close();
        // Events run while waiting: the withdrawn call must not be among them.
        QTRY_VERIFY(worker.returned);
        QTest::qWait(20);
        QVERIFY(!ran);

        // Once closed, a call is refused at once.
        Worker late(handOff, [&] { return ran = true; });
        QTRY_VERIFY(late.returned);
        QTest::qWait(20);
        QVERIFY(!ran);
    }

    void timerTicksOnTheGuiThreadInsideAnEventLoop()
    {
        QEventLoop loop;
        int ticks = 0;
        bool allOnGui = true;
        auto timer = MakeTimer();
        timer->setInterval(10);
        timer->setOnTimer([&](TThreadedTimer *) {
            allOnGui = allOnGui && OnGuiThread();
            if (++ticks == 3)
                loop.quit();
        });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        QCOMPARE(ticks, 3);
        QVERIFY(allOnGui);
    }

    void destroyingATimerWhoseTickIsQueuedNeitherWaitsNorRunsIt()
    {
        int ticks = 0;
        auto timer = MakeTimer();
        timer->setInterval(1);
        timer->setOnTimer([&](TThreadedTimer *) { ++ticks; });
        QThread::msleep(50); // the first tick is queued by now, and nothing has run it

        QElapsedTimer clock;
        clock.start();
        timer.reset();
        QVERIFY(clock.elapsed() < 1000);
        QTest::qWait(50);
        QCOMPARE(ticks, 0);
    }

    void destroyingAtAnyMomentNeverRunsATickAfterwards()
    {
        int ticks = 0;
        for (int round = 0; round < 40; ++round) {
            auto timer = MakeTimer();
            timer->setInterval(1);
            timer->setOnTimer([&](TThreadedTimer *) { ++ticks; });
            QTest::qWait(round % 4);
            timer.reset();
            const int delivered = ticks;
            QTest::qWait(2);
            QCOMPARE(ticks, delivered);
        }
    }

    // As when the program goes away while a window shown from a tick is open. Nothing may touch
    // the destroyed hand-off once the handler returns. The allocator tends to give its memory to
    // the next allocation of the same size, so a canary placed there shows stray writes even
    // where AddressSanitizer does not look (inside the C library's mutex and condition calls).
    void handlerMayDestroyItsOwnTimer()
    {
        constexpr unsigned char kUntouched = 0xA5;
        std::vector<unsigned char> canary;
        int ticks = 0;
        auto timer = MakeTimer();
        timer->setInterval(5);
        timer->setOnTimer([&](TThreadedTimer *) {
            ++ticks;
            timer.reset();
            canary.assign(sizeof(TQtHandOff), kUntouched);
        });
        QTRY_COMPARE(ticks, 1);
        QVERIFY(!timer);
        QTest::qWait(30);
        QCOMPARE(ticks, 1);
        QVERIFY(std::all_of(canary.begin(), canary.end(), [](unsigned char b) { return b == kUntouched; }));
    }

    void handlerFailureReachesTheReporterOnTheGuiThreadAndTheTimerGoesOn()
    {
        QStringList reports;
        bool reportedOnGui = true;
        SetFailureReporter([&](const std::string &message) {
            reports << QString::fromStdString(message);
            reportedOnGui = reportedOnGui && OnGuiThread();
        });
        int ticks = 0;
        auto timer = MakeTimer();
        timer->setInterval(5);
        timer->setOnTimer([&](TThreadedTimer *) {
            if (++ticks == 1)
                throw Failure("'x' ist kein gültiger Integerwert");
        });
        QTRY_VERIFY(ticks >= 3);
        QCOMPARE(reports, QStringList{QStringLiteral("'x' ist kein gültiger Integerwert")});
        QVERIFY(reportedOnGui);
    }
};

QTEST_GUILESS_MAIN(tst_TQtHandOff)
#include "tst_TQtHandOff.moc"
