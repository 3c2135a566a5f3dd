#include "platform/Failure.h"
#include "platform/FailureReport.h"
#include "settings/TSettings.h"
#include "support/Files.h"
#include "support/ModalAnswer.h"
#include "support/TestConfigHome.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <optional>
#include <string>
#include <vector>

namespace {

const QByteArray DefaultSection = "[Controls]\n"
                                  "leftkeya=a\nrightkeya=s\nleftkeyb=4\nrightkeyb=6\n"
                                  "fasta=w\nfastb=8\nslowa=y\nslowb=2\n"
                                  "jumpa=d\njumpb=5\n";

// The message of a settings file that cannot be written, which names its full path.
QString CannotWrite(const TestConfigHome &home)
{
    return QStringLiteral("Kann nicht nach %1 schreiben").arg(QDir::toNativeSeparators(home.settingsFile()));
}

QLineEdit *Box(QWidget *dialog, const char *name)
{
    return dialog->findChild<QLineEdit *>(QLatin1String(name));
}

QPushButton *Button(QWidget *dialog, const char *name)
{
    return dialog->findChild<QPushButton *>(QLatin1String(name));
}

// Opens a fresh dialog as the program does, lets the answer work on it once it is up, and gives
// back how it was closed. The answer must close the dialog, so it checks nothing itself: it
// records, and the test checks afterwards.
int OpenDialog(std::function<void(QWidget *)> answer)
{
    TSettings dialog(nullptr);
    AnswerNextModal(std::move(answer));
    return dialog.exec();
}

// The texts of the ten boxes as the dialog shows them when it opens.
QStringList ShownTexts()
{
    QStringList texts;
    OpenDialog([&](QWidget *dialog) {
        for (const char *name :
             {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8", "Edit9", "Edit10"})
            texts << Box(dialog, name)->text();
        Button(dialog, "Button1")->click();
    });
    return texts;
}

} // namespace

class tst_TSettings : public QObject
{
    Q_OBJECT

private slots:
    void withoutFileTheDefaultsShowAndOkWritesThemInOrder()
    {
        TestConfigHome home;
        QCOMPARE(ShownTexts(), QStringList({"a", "s", "4", "6", "w", "y", "8", "2", "d", "5"}));
        QVERIFY(!QFile::exists(home.settingsFile()));

        const int result = OpenDialog([](QWidget *dialog) { Button(dialog, "OKBtn")->click(); });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(Contents(home.settingsFile()), DefaultSection);
    }

    void cancelWritesNothing()
    {
        TestConfigHome home;
        Store(home.settingsFile(), "[Controls]\nfasta=q\n");
        const int result = OpenDialog([](QWidget *dialog) {
            Box(dialog, "Edit5")->setText("z");
            Button(dialog, "Button1")->click();
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(Contents(home.settingsFile()), QByteArray("[Controls]\nfasta=q\n"));
        QCOMPARE(ShownTexts().at(4), QStringLiteral("q"));
    }

    // An empty binding is a binding to no key; it must not turn back into the default. A blank
    // is stored as typed but reads back empty as well.
    void emptiedOrBlankBoxesReadBackEmpty()
    {
        TestConfigHome home;
        OpenDialog([](QWidget *dialog) {
            Box(dialog, "Edit9")->clear();
            Box(dialog, "Edit1")->setText(" ");
            Box(dialog, "Edit10")->setText("55");
            Button(dialog, "OKBtn")->click();
        });
        const QByteArray stored = Contents(home.settingsFile());
        QVERIFY(stored.contains("\nleftkeya= \n"));
        QVERIFY(stored.contains("\njumpa=\n"));
        QVERIFY(stored.contains("\njumpb=55\n"));

        const QStringList shown = ShownTexts();
        QCOMPARE(shown.at(0), QString());
        QCOMPARE(shown.at(8), QString());
        QCOMPARE(shown.at(9), QStringLiteral("55"));
    }

    void enterInABoxPressesOk()
    {
        TestConfigHome home;
        const int result = OpenDialog([](QWidget *dialog) {
            QLineEdit *box = Box(dialog, "Edit3");
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(Contents(home.settingsFile()), DefaultSection);
    }

    // The boxes are filled once per showing: coming back to the dialog from another window keeps
    // what the player typed.
    void reactivationKeepsWhatWasTyped()
    {
        TestConfigHome home;
        QString afterReactivation;
        OpenDialog([&](QWidget *dialog) {
            Box(dialog, "Edit5")->setText("z");
            QEvent deactivate(QEvent::WindowDeactivate);
            QCoreApplication::sendEvent(dialog, &deactivate);
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(dialog, &activate);
            afterReactivation = Box(dialog, "Edit5")->text();
            Button(dialog, "OKBtn")->click();
        });
        QCOMPARE(afterReactivation, QStringLiteral("z"));
        QVERIFY(Contents(home.settingsFile()).contains("\nfasta=z\n"));
    }

    // Tab walks the diagram, the boxes as they lie on the keyboard, then the buttons. The turn and
    // speed boxes keep one character and do not select it on entry; the jump boxes do both the
    // other way round.
    void keyboardWalksTheBoxesInTheirOrder()
    {
        TestConfigHome home;
        QStringList visited;
        QStringList selected;
        int turnBoxLength = 0;
        int jumpBoxLength = 0;
        bool active = false;
        OpenDialog([&](QWidget *dialog) {
            // On a busy machine the dialog may show before it is active, with no focus to walk.
            active = QTest::qWaitForWindowActive(dialog);
            QWidget *focus = dialog->findChild<QPlainTextEdit *>("Memo1");
            focus->setFocus();
            for (int step = 0; step < 12 && focus; ++step) {
                QTest::keyClick(focus, Qt::Key_Tab);
                focus = QApplication::focusWidget();
                visited << (focus ? focus->objectName() : QStringLiteral("(no focus)"));
                if (auto *box = qobject_cast<QLineEdit *>(focus); box && box->hasSelectedText())
                    selected << box->objectName();
            }
            turnBoxLength = Box(dialog, "Edit1")->maxLength();
            jumpBoxLength = Box(dialog, "Edit9")->maxLength();
            Button(dialog, "Button1")->click();
        });
        QVERIFY(active);
        QCOMPARE(turnBoxLength, 1);
        QVERIFY(jumpBoxLength > 1000);
        QCOMPARE(visited, QStringList({"Edit5", "Edit1", "Edit2", "Edit6", "Edit3", "Edit7", "Edit4", "Edit8", "Edit9",
                                       "Edit10", "OKBtn", "Button1"}));
        QCOMPARE(selected, QStringList({"Edit9", "Edit10"}));
    }

    // All ten bindings go in one replace: a write that fails keeps the old ones whole.
    void failedWriteLeavesTheFileUnchanged()
    {
        TestConfigHome home;
        const QByteArray before = "[Controls]\nfasta=q\n";
        Store(home.settingsFile(), before);

        TSettings dialog(nullptr);
        dialog.FormActivate(&dialog);
        Box(&dialog, "Edit10")->setText(QString(200, QLatin1Char('j')));
        {
            FileSizeLimit limit(static_cast<rlim_t>(before.size() + 50));
            QVERIFY_THROWS_EXCEPTION(Failure, dialog.ctrlchange(&dialog));
            try {
                dialog.ctrlchange(&dialog);
            } catch (const Failure &failure) {
                QCOMPARE(QString::fromStdString(failure.what()), CannotWrite(home));
            }
        }
        QCOMPARE(Contents(home.settingsFile()), before);
    }

    // OK closes the dialog even when saving fails, and the failure reaches the error display.
    void okClosesAndReportsAFailedWrite()
    {
        TestConfigHome home;
        Store(home.settingsFile(), "[Controls]\n");
        std::vector<std::string> reported;
        SetFailureReporter([&](const std::string &message) { reported.push_back(message); });

        int result = 0;
        {
            FileSizeLimit limit(20);
            result = OpenDialog([](QWidget *dialog) { Button(dialog, "OKBtn")->click(); });
        }
        SetFailureReporter(nullptr);

        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(reported, std::vector<std::string>{CannotWrite(home).toStdString()});
        QCOMPARE(Contents(home.settingsFile()), QByteArray("[Controls]\n"));
    }

    // The Computer page shows the level as the game reads it: blanks and case do not count, and
    // anything else is Normal. OK leaves a level that was not changed as the file spells it.
    void computerPageShowsTheLevelTheGamePlays_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("checked");
        QTest::newRow("no setting") << QByteArray() << "Normal";
        QTest::newRow("easy") << QByteArray("[Computer]\nlevel=easy\n") << "Easy";
        QTest::newRow("hard") << QByteArray("[Computer]\nlevel=hard\n") << "Hard";
        QTest::newRow("Hard") << QByteArray("[Computer]\nlevel=Hard\n") << "Hard";
        QTest::newRow("blanks, capitals") << QByteArray("[Computer]\nlevel= HARD \n") << "Hard";
        QTest::newRow("EASY") << QByteArray("[Computer]\nLevel=EASY\n") << "Easy";
        QTest::newRow("empty") << QByteArray("[Computer]\nlevel=\n") << "Normal";
        QTest::newRow("unknown") << QByteArray("[Computer]\nlevel=expert\n") << "Normal";
    }
    void computerPageShowsTheLevelTheGamePlays()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, checked);
        TestConfigHome home;
        const QByteArray stored = DefaultSection + file;
        Store(home.settingsFile(), stored);
        QStringList shown;
        OpenDialog([&](QWidget *dialog) {
            for (const QRadioButton *level : dialog->findChildren<QRadioButton *>())
                if (level->isChecked())
                    shown << level->text();
            Button(dialog, "OKBtn")->click();
        });
        QCOMPARE(shown, QStringList{checked});
        QCOMPARE(Contents(home.settingsFile()), stored);
    }

    void memoShowsTheKeyDiagram()
    {
        TSettings dialog(nullptr);
        QCOMPARE(dialog.findChild<QPlainTextEdit *>("Memo1")->toPlainText(),
                 QStringLiteral("             Speed Up\n"
                                "                       |\n"
                                "Turn Left  -------  Turn Right\n"
                                "                       |\n"
                                "             Slow Down--- [Jump]"));
    }
};

QTEST_MAIN(tst_TSettings)
#include "tst_TSettings.moc"
