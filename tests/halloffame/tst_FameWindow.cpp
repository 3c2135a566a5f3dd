// The hall of fame window: what its twenty lines show, and how it closes.
#include "FameTestSupport.h"

#include "halloffame/TForm3.h"
#include "platform/ModalResult.h"
#include "support/ModalAnswer.h"

#include <QLabel>
#include <QtTest>

namespace {

QLabel *Line(const QWidget &hall, int k)
{
    return hall.findChild<QLabel *>(k == 1 ? QStringLiteral("label1") : QStringLiteral("Label%1").arg(k));
}

// Opens the window modally, lets the check look at it, and closes it as close() says.
int ShowModal(TForm3 &hall, const std::function<void(TForm3 &)> &check, const std::function<void(TForm3 &)> &close)
{
    AnswerNextModal([&](QWidget *) {
        check(hall);
        close(hall);
    });
    return hall.exec();
}

} // namespace

class FameWindow : public QObject
{
    Q_OBJECT

private slots:
    void withoutFileShowsTheDefaults();
    void showsTheFileAsItIsWhenOpened();
    void longOrOddTextStaysInItsColumn();
    void layoutKeepsItsNamesAndPlaces();
    void closesWithOkOnEnterOrClick();
    void otherKeysDoNotClose();
};

void FameWindow::withoutFileShowsTheDefaults()
{
    TestConfigHome home;
    TForm3 hall(nullptr);
    QStringList lines;
    const int result = ShowModal(
        hall,
        [&lines](TForm3 &shown) {
            for (int k = 1; k <= 20; ++k)
                lines << Line(shown, k)->text();
        },
        [](TForm3 &shown) { QTest::keyClick(&shown, Qt::Key_Return); });

    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(lines.mid(0, 10), QStringList(10, QStringLiteral("1     0")));
    QCOMPARE(lines.mid(10), QStringList(10, QStringLiteral("2     0")));
    QVERIFY2(!QFile::exists(home.settingsFile()), "showing must not create the file");
}

void FameWindow::showsTheFileAsItIsWhenOpened()
{
    TestConfigHome home;
    Store(home.settingsFile(), TenRanks("TwoPlayers") + "[OnePlayer]\n1=012\n1n=\n");
    TForm3 hall(nullptr);
    hall.show();
    QCOMPARE(Line(hall, 1)->text(), QStringLiteral("     012"));
    QCOMPARE(Line(hall, 2)->text(), QStringLiteral("1     0"));
    QCOMPARE(Line(hall, 11)->text(), QStringLiteral("A     1000"));
    QCOMPARE(Line(hall, 20)->text(), QStringLiteral("J     100"));
    hall.hide();

    // Opened again, it picks up what changed in between.
    Store(home.settingsFile(), "[OnePlayer]\n1=5\n1n=Eve\n");
    hall.show();
    QCOMPARE(Line(hall, 1)->text(), QStringLiteral("Eve     5"));
    QCOMPARE(Line(hall, 11)->text(), QStringLiteral("2     0"));
}

void FameWindow::longOrOddTextStaysInItsColumn()
{
    TestConfigHome home;
    const QByteArray longName(1023, 'W');
    Store(home.settingsFile(), "[OnePlayer]\n1=4711\n1n=" + longName
                                   + "\n2n=Tab\there\n"
                                     "3n=<b>Bold</b>\n4="
                                   + QByteArray(1023, '9')
                                   + "\n"
                                     "[TwoPlayers]\n1=700\n1n="
                                   + longName + "\n");
    TForm3 hall(nullptr);
    hall.show();

    const QFrame *bevel1 = hall.findChild<QFrame *>(QStringLiteral("Bevel1"));
    const QFrame *bevel2 = hall.findChild<QFrame *>(QStringLiteral("Bevel2"));
    for (const auto &[k, bevel] : {std::pair{1, bevel1}, std::pair{4, bevel1}, std::pair{11, bevel2}}) {
        const QLabel *line = Line(hall, k);
        QVERIFY(line->geometry().right() <= bevel->geometry().right());
        QVERIFY(line->fontMetrics().horizontalAdvance(line->text()) <= line->width());
    }
    // A long name gives way so that the score stays readable.
    QVERIFY(Line(hall, 1)->text().endsWith(QStringLiteral("     4711")));
    QVERIFY(Line(hall, 11)->text().endsWith(QStringLiteral("     700")));
    QCOMPARE(Line(hall, 1)->toolTip(), QString::fromLatin1(longName) + QStringLiteral("     4711"));
    QCOMPARE(Line(hall, 2)->text(), QStringLiteral("Tab here     0"));
    QCOMPARE(Line(hall, 3)->textFormat(), Qt::PlainText);
}

void FameWindow::layoutKeepsItsNamesAndPlaces()
{
    TestConfigHome home;
    TForm3 hall(nullptr);
    QCOMPARE(hall.windowTitle(), QStringLiteral("Hall Of Fame"));
    QCOMPARE(hall.size(), QSize(792, 571));
    QVERIFY(hall.windowFlags().testFlag(Qt::Tool));
    for (int r = 1; r <= 10; ++r) {
        QCOMPARE(Line(hall, r)->pos(), QPoint(170, 304 + 24 * (r - 1)));
        QCOMPARE(Line(hall, 10 + r)->pos(), QPoint(418, 304 + 24 * (r - 1)));
        QVERIFY(Line(hall, r)->font().italic());
    }
    QCOMPARE(hall.findChild<QLabel *>(QStringLiteral("Label21"))->text(), QStringLiteral("One Player"));
    QCOMPARE(hall.findChild<QLabel *>(QStringLiteral("Label22"))->text(), QStringLiteral("Two Players"));
    QCOMPARE(hall.findChild<QLabel *>(QStringLiteral("Image1"))->geometry(), QRect(0, 0, 792, 571));
}

void FameWindow::closesWithOkOnEnterOrClick()
{
    TestConfigHome home;
    TForm3 hall(nullptr);
    const auto nothing = [](TForm3 &) {};
    QCOMPARE(ShowModal(hall, nothing,
                       [](TForm3 &shown) {
                           QTest::mouseClick(shown.findChild<QLabel *>(QStringLiteral("Image1")), Qt::LeftButton, {},
                                             QPoint(30, 30));
                       }),
             int(QDialog::Accepted));
    QCOMPARE(ShowModal(hall, nothing, [](TForm3 &shown) { QTest::keyClick(&shown, Qt::Key_Enter); }),
             int(QDialog::Accepted));
    QCOMPARE(ShowModal(hall, nothing, [](TForm3 &shown) { shown.close(); }), ModalResult::Cancel);
}

void FameWindow::otherKeysDoNotClose()
{
    TestConfigHome home;
    TForm3 hall(nullptr);
    hall.show();
    QTest::keyClick(&hall, Qt::Key_Escape);
    QTest::keyClicks(&hall, QStringLiteral("x "));
    QTest::mouseClick(hall.findChild<QLabel *>(QStringLiteral("Image1")), Qt::RightButton);
    QVERIFY(hall.isVisible());
}

QTEST_MAIN(FameWindow)
#include "tst_FameWindow.moc"
