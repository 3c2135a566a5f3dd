#include "components/TMarquee.h"
#include "support/ModalAnswer.h"
#include "windows/TAboutBox.h"

#include <QLabel>
#include <QTest>

class tst_TAboutBox : public QObject
{
    Q_OBJECT

private slots:
    void looksAsStored()
    {
        TAboutBox box(nullptr);
        QCOMPARE(box.windowTitle(), QStringLiteral("Info"));
        QCOMPARE(box.size(), QSize(300, 199));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        QVERIFY(box.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(box.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(box.Marquee1->geometry(), QRect(56, 152, 193, 25));
        QCOMPARE(box.Marquee1->Color(), QColor(Qt::black));
        QVERIFY(!box.Marquee1->Active());
        const QString line = box.Marquee1->MQSource().value(0);
        QCOMPARE(box.Marquee1->MQSource().size(), 1);
        QVERIFY(line.startsWith(QString(9, u' ') + QStringLiteral("<<<<") + QString(10, u' ')
                                + QStringLiteral("Zandrix II") + QString(11, u' ') + QStringLiteral("---")));
        QVERIFY(line.endsWith(QStringLiteral("---") + QString(9, u' ') + QStringLiteral(">>>>")));
    }

    // Showing the box starts the credits: white text on black, moving left.
    void activationStartsTheCredits()
    {
        TAboutBox box(nullptr);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(box.Marquee1->Active());
        QVERIFY(box.Marquee1->ScrollTimer().isActive());
        QTRY_VERIFY(box.Marquee1->StripCount() == 1 && box.Marquee1->CurOffset() >= 2);
        const QImage view = box.Marquee1->View();
        bool white = false;
        for (int x = 0; x < view.width() && !white; ++x)
            for (int y = 0; y < view.height() && !white; ++y)
                white = view.pixelColor(x, y) == QColor(Qt::white);
        QVERIFY(white);
        QCOMPARE(view.pixelColor(0, 0), QColor(Qt::black));
    }

    void enterClosesWithOk()
    {
        TAboutBox box(nullptr);
        AnswerNextModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Return); });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
    }

    // Escape and other keys are ignored, unlike in an ordinary dialog.
    void otherKeysDoNotClose()
    {
        TAboutBox box(nullptr);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::keyClick(&box, Qt::Key_Escape);
        QTest::keyClick(&box, Qt::Key_A);
        QTest::keyClick(&box, Qt::Key_Space);
        QVERIFY(box.isVisible());
        QTest::keyClick(&box, Qt::Key_Enter);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void clickOnThePictureCloses()
    {
        TAboutBox box(nullptr);
        AnswerNextModal([&box](QWidget *) { QTest::mouseClick(box.Image1, Qt::LeftButton, {}, QPoint(20, 20)); });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
    }

    // A drag on the credits flings them rightwards; the box stays open.
    void dragOnTheCreditsKeepsTheBoxOpen()
    {
        TAboutBox box(nullptr);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTRY_COMPARE(box.Marquee1->StripCount(), 1);
        QTest::mousePress(box.Marquee1, Qt::LeftButton, {}, QPoint(50, 10));
        QTest::mouseMove(box.Marquee1, QPoint(90, 10));
        QTest::mouseRelease(box.Marquee1, Qt::LeftButton, {}, QPoint(90, 10));
        QVERIFY(box.isVisible());
        QCOMPARE(box.Marquee1->Direction(), TMarquee::drBackward);
        QCOMPARE(box.Marquee1->MQSpeed(), 10);
        QVERIFY(box.Marquee1->Active());
    }
};

QTEST_MAIN(tst_TAboutBox)
#include "tst_TAboutBox.moc"
