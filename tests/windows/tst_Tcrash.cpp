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

// Something the player does to the open window.
using Input = std::function<void(Tcrash &)>;

// A key as the window system delivers it, with its text.
Input Key(Qt::Key key, const QString &text, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return [=](Tcrash &crash) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(&crash, &press);
        QApplication::sendEvent(&crash, &release);
    };
}

Input Click(QPoint where, Qt::MouseButton button = Qt::LeftButton)
{
    return [=](Tcrash &crash) { QTest::mouseClick(Picture(crash), button, {}, where); };
}

} // namespace

Q_DECLARE_METATYPE(Input)

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

    // Return, keypad Enter and a left click anywhere on the picture (it fills the window) dismiss
    // the message with OK. A player still hammering the game keys must not wave it away unseen:
    // any other input leaves it open, and only the close box ends it then, with Cancel.
    void onlyEnterOrAClickOnThePictureClosesWithOk_data()
    {
        QTest::addColumn<Input>("input");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Return") << Key(Qt::Key_Return, QStringLiteral("\r")) << true;
        QTest::newRow("keypad Enter") << Key(Qt::Key_Enter, QStringLiteral("\r"), Qt::KeypadModifier) << true;
        QTest::newRow("click, top left corner") << Click(QPoint(0, 0)) << true;
        QTest::newRow("click, middle") << Click(QPoint(160, 120)) << true;
        QTest::newRow("click, bottom right corner") << Click(QPoint(319, 240)) << true;
        QTest::newRow("Space") << Key(Qt::Key_Space, QStringLiteral(" ")) << false;
        QTest::newRow("a") << Key(Qt::Key_A, QStringLiteral("a")) << false;
        QTest::newRow("Y") << Key(Qt::Key_Y, QStringLiteral("Y")) << false;
        QTest::newRow("5") << Key(Qt::Key_5, QStringLiteral("5")) << false;
        QTest::newRow("Escape") << Key(Qt::Key_Escape, QStringLiteral("\x1b")) << false;
        QTest::newRow("right click") << Click(QPoint(160, 120), Qt::RightButton) << false;
        // Pressing on the picture and letting go elsewhere is no click.
        QTest::newRow("pressed on the picture, released outside") << Input([](Tcrash &crash) {
            QTest::mousePress(Picture(crash), Qt::LeftButton, {}, QPoint(160, 120));
            QTest::mouseRelease(Picture(crash), Qt::LeftButton, {}, QPoint(400, 300));
        }) << false;
    }
    void onlyEnterOrAClickOnThePictureClosesWithOk()
    {
        QFETCH(Input, input);
        QFETCH(bool, closes);
        bool stayedOpen = false;
        const int result = ShowCrashWindow([&](Tcrash &crash) {
            QVERIFY(Picture(crash));
            input(crash);
            QCoreApplication::processEvents();
            stayedOpen = crash.isVisible();
        });
        QCOMPARE(stayedOpen, !closes);
        QCOMPARE(result, closes ? 1 : 0);
    }
};

QTEST_MAIN(tst_Tcrash)
#include "tst_Tcrash.moc"
