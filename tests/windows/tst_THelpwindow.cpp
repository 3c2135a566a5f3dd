#include "windows/THelpwindow.h"

#include "settings/ControlsSection.h"
#include "support/ModalAnswer.h"

#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

namespace {

QPlainTextEdit *Memo(QWidget &window)
{
    return window.findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
}

QPushButton *OkButton(QWidget &window)
{
    return window.findChild<QPushButton *>(QStringLiteral("BitBtn1"));
}

QStringList Lines(QWidget &window)
{
    QStringList lines;
    for (QTextBlock block = Memo(window)->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

// Shows the window modally, as the "Help" menu item does, and hands it to `answer`; closes it
// through the close box afterwards if the answer left it open, so nothing hangs.
int ShowHelp(THelpwindow &help, const std::function<void(THelpwindow &)> &answer)
{
    AnswerNextModal([&help, &answer](QWidget *modal) {
        if (modal == &help)
            answer(help);
        if (modal->isVisible())
            modal->close();
    });
    return help.exec();
}

// Something the reader does to the open window.
using Input = std::function<void(THelpwindow &)>;

} // namespace

Q_DECLARE_METATYPE(Input)

class tst_THelpwindow : public QObject
{
    Q_OBJECT

private slots:
    // The text is laid out by hand for the box: 85 lines of at most 85 characters, ending in four
    // empty lines, in four sections that each open with a heading line and an empty line.
    void textHasItsLayout()
    {
        QWidget owner;
        THelpwindow help(&owner);
        const QStringList lines = Lines(help);

        QCOMPARE(lines.size(), 85);
        for (qsizetype i = 0; i < lines.size(); ++i)
            QVERIFY2(lines[i].size() <= 85, qPrintable(QStringLiteral("line %1").arg(i + 1)));
        for (qsizetype i = 81; i < 85; ++i)
            QVERIFY(lines[i].isEmpty());
        QVERIFY(!lines[80].isEmpty());

        // A heading is a line ending in a colon between an empty line (or the start) and an
        // empty line.
        QStringList headings;
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            const bool afterGap = i == 0 || lines[i - 1].isEmpty();
            if (afterGap && lines[i].endsWith(QLatin1Char(':')) && lines[i + 1].isEmpty())
                headings << lines[i];
        }
        QCOMPARE(headings.size(), 4);
        QCOMPARE(lines.first(), QStringLiteral("Introduction:"));
        QCOMPARE(headings.mid(0, 3), (QStringList{QStringLiteral("Introduction:"), QStringLiteral("How to play:"),
                                                  QStringLiteral("Known Bugs (as far as we know):")}));
        QVERIFY(lines.join(QLatin1Char('\n')).contains(QStringLiteral("Zandrix")));
    }

    // The keys the help names for each player are the ones a fresh settings file starts with.
    void keysSectionNamesTheDefaultBindings()
    {
        QWidget owner;
        THelpwindow help(&owner);
        const QString text = Memo(help)->toPlainText();
        const qsizetype player1 = text.indexOf(QStringLiteral("Player 1 (red):"));
        const qsizetype player2 = text.indexOf(QStringLiteral("Player 2 (blue):"));
        QVERIFY(player1 >= 0 && player2 > player1);
        const QString keysOf[2] = {text.mid(player1, player2 - player1),
                                   text.mid(player2, text.indexOf(QLatin1String("\n\n"), player2) - player2)};

        const std::pair<const char *, const char *> actions[] = {{"leftkey", "turn left"},
                                                                 {"rightkey", "turn right"},
                                                                 {"fast", "faster"},
                                                                 {"slow", "slower"},
                                                                 {"jump", "jump"}};
        for (const ControlsSection::Binding &binding : ControlsSection::Bindings) {
            const QString key = QString::fromLatin1(binding.key);
            const int player = key.endsWith(QLatin1Char('a')) ? 0 : 1;
            for (const auto &[prefix, action] : actions) {
                if (key.chopped(1) != QLatin1String(prefix))
                    continue;
                const QString expected = QStringLiteral("%1 = %2").arg(QString::fromLatin1(binding.defaultValue),
                                                                       QString::fromLatin1(action));
                QVERIFY2(keysOf[player].contains(expected), qPrintable(expected));
            }
        }
    }

    // The box scrolls and selects with the keyboard, but nothing typed, pasted or cut changes it.
    void textTakesTheKeyboardButRefusesChanges()
    {
        QWidget owner;
        THelpwindow help(&owner);
        QPlainTextEdit *memo = Memo(help);
        const QString before = memo->toPlainText();
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));

        QTest::keyClicks(memo, QStringLiteral("typed"));
        QTest::keyClick(memo, Qt::Key_Delete);
        QTest::keyClick(memo, Qt::Key_Backspace);
        QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(memo, Qt::Key_Down, Qt::ShiftModifier);
        QVERIFY(memo->textCursor().hasSelection());
        QTest::keyClick(memo, Qt::Key_X, Qt::ControlModifier);

        QCOMPARE(memo->toPlainText(), before);
        QVERIFY(memo->isReadOnly());
    }

    // The OK button closes the window, clicked or reached with Tab and pressed with Enter; Enter in
    // the text box stays there, so the reader has to reach the button to leave by keyboard.
    void onlyTheOkButtonCloses_data()
    {
        QTest::addColumn<Input>("input");
        QTest::addColumn<bool>("closes");
        QTest::newRow("click") << Input([](THelpwindow &shown) { QTest::mouseClick(OkButton(shown), Qt::LeftButton); })
                               << true;
        QTest::newRow("Tab to the button, then Enter") << Input([](THelpwindow &shown) {
            QTest::keyClick(Memo(shown), Qt::Key_Tab);
            QCOMPARE(shown.focusWidget(), OkButton(shown));
            QTest::keyClick(OkButton(shown), Qt::Key_Return);
        }) << true;
        QTest::newRow("Return and keypad Enter in the text") << Input([](THelpwindow &shown) {
            QTest::keyClick(Memo(shown), Qt::Key_Return);
            QTest::keyClick(Memo(shown), Qt::Key_Enter, Qt::KeypadModifier);
        }) << false;
    }
    void onlyTheOkButtonCloses()
    {
        QFETCH(Input, input);
        QFETCH(bool, closes);
        QWidget owner;
        THelpwindow help(&owner);
        bool stayedOpen = false;
        const int result = ShowHelp(help, [&](THelpwindow &shown) {
            input(shown);
            stayedOpen = shown.isVisible();
        });
        QCOMPARE(stayedOpen, !closes);
        QCOMPARE(result, int(closes ? QDialog::Accepted : QDialog::Rejected));
    }

    // Each showing starts with the text box in focus at the beginning of the text, not where the
    // last reading stopped.
    void everyShowingStartsAtTheTopOfTheText()
    {
        QWidget owner;
        THelpwindow help(&owner);
        for (int showing = 1; showing <= 2; ++showing) {
            QWidget *focused = nullptr;
            int shownAt = -1;
            int cursorAt = -1;
            int scrolledTo = 0;
            ShowHelp(help, [&](THelpwindow &shown) {
                focused = shown.focusWidget();
                shownAt = Memo(shown)->verticalScrollBar()->value();
                cursorAt = Memo(shown)->textCursor().position();
                QTest::keyClick(Memo(shown), Qt::Key_End, Qt::ControlModifier);
                scrolledTo = Memo(shown)->verticalScrollBar()->value();
            });
            QCOMPARE(focused, Memo(help));
            QCOMPARE(shownAt, 0);
            QCOMPARE(cursorAt, 0);
            QVERIFY(scrolledTo > 0);
        }
    }
};

QTEST_MAIN(tst_THelpwindow)
#include "tst_THelpwindow.moc"
