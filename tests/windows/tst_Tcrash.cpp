#include "windows/Tcrash.h"

#include "support/ModalAnswer.h"

#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QWindow>

namespace {

const QString CrashMessage = QStringLiteral("Player 1 crashed! 2 Cycles left...");

// Shows a fresh crash window the way the game does (owned by the main window, captioned with the
// message, modal) and hands it to `answer` once it is on screen. Whatever the answer does, the
// window is closed through its close box afterwards if it is still open, so a window that ignores
// the answer fails the test instead of hanging it.
int ShowCrashWindow(const std::function<void(Tcrash &)> &answer)
{
    QWidget owner;
    owner.setGeometry(0, 0, 200, 150);
    owner.show();
    Tcrash crash(&owner);
    crash.setWindowTitle(CrashMessage);
    AnswerNextModal([&crash, &answer](QWidget *modal) {
        if (modal == &crash)
            answer(crash);
        if (modal->isVisible())
            modal->close();
    });
    return crash.exec();
}

QLabel *Picture(Tcrash &crash)
{
    return crash.findChild<QLabel *>(QStringLiteral("Image1"));
}

} // namespace

class tst_Tcrash : public QObject
{
    Q_OBJECT

private slots:
    // The message reaches the window system as the caption, unshortened, and the window stands in
    // the middle of the screen even though its owner sits in a corner (a dialog would go over its
    // owner).
    void showsTheMessageAsCaptionCentredOnScreen()
    {
        QString shownTitle;
        QRect frame;
        QRect screenArea;
        ShowCrashWindow([&](Tcrash &crash) {
            shownTitle = crash.windowHandle()->title();
            frame = crash.geometry();
            screenArea = crash.screen()->geometry();
        });
        QCOMPARE(shownTitle, CrashMessage);
        QCOMPARE(frame.size(), QSize(320, 241));
        // The window frame may shift the client area by a few pixels.
        QVERIFY(qAbs(frame.center().x() - screenArea.center().x()) <= 16);
        QVERIFY(qAbs(frame.center().y() - screenArea.center().y()) <= 16);
    }

    // The picture fills the window, so a click anywhere on it dismisses the message.
    void clickOnThePictureClosesWithOk_data()
    {
        QTest::addColumn<QPoint>("where");
        QTest::newRow("top left corner") << QPoint(0, 0);
        QTest::newRow("middle") << QPoint(160, 120);
        QTest::newRow("bottom right corner") << QPoint(319, 240);
    }
    void clickOnThePictureClosesWithOk()
    {
        QFETCH(QPoint, where);
        const int result = ShowCrashWindow([&](Tcrash &crash) {
            QLabel *picture = Picture(crash);
            QVERIFY(picture);
            QTest::mouseClick(picture, Qt::LeftButton, {}, where);
        });
        QCOMPARE(result, 1);
    }

    void enterClosesWithOk_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
    }
    void enterClosesWithOk()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        const int result = ShowCrashWindow([&](Tcrash &crash) { QTest::keyClick(&crash, Qt::Key(key), modifiers); });
        QCOMPARE(result, 1);
    }

    // A player still hammering the game keys must not wave the message away unseen; only the
    // close box ends it then, with Cancel.
    void otherInputLeavesItOpen_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("Space") << int(Qt::Key_Space) << QStringLiteral(" ");
        QTest::newRow("a") << int(Qt::Key_A) << QStringLiteral("a");
        QTest::newRow("Y") << int(Qt::Key_Y) << QStringLiteral("Y");
        QTest::newRow("5") << int(Qt::Key_5) << QStringLiteral("5");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << QStringLiteral("\x1b");
        QTest::newRow("right click") << -1 << QString();
    }
    void otherInputLeavesItOpen()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        bool stayedOpen = false;
        const int result = ShowCrashWindow([&](Tcrash &crash) {
            if (key < 0) {
                QTest::mouseClick(Picture(crash), Qt::RightButton, {}, QPoint(160, 120));
            } else {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
                QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
                QApplication::sendEvent(&crash, &press);
                QApplication::sendEvent(&crash, &release);
            }
            QCoreApplication::processEvents();
            stayedOpen = crash.isVisible();
        });
        QVERIFY(stayedOpen);
        QCOMPARE(result, 0);
    }

    // Pressing on the picture and letting go elsewhere is no click.
    void pressOnThePictureReleasedOutsideIsNoClick()
    {
        bool stayedOpen = false;
        ShowCrashWindow([&](Tcrash &crash) {
            QLabel *picture = Picture(crash);
            QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(160, 120));
            QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(400, 300));
            stayedOpen = crash.isVisible();
        });
        QVERIFY(stayedOpen);
    }
};

QTEST_MAIN(tst_Tcrash)
#include "tst_Tcrash.moc"
