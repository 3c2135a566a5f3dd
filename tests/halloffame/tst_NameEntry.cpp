// Typing a name into the name entry window, and taking it through highenter.
#include "FameTestSupport.h"

#include "halloffame/TForm3.h"
#include "halloffame/Tnewhigh.h"
#include "platform/ModalResult.h"
#include "support/ModalAnswer.h"

#include <QLabel>
#include <QtTest>

namespace {

QLabel *NameLabel(QWidget *entry)
{
    return entry->findChild<QLabel *>(QStringLiteral("Label1"));
}

// Keys as a script: '\b' is the Backspace key, '\r' the Enter key, every other character is typed
// as it is.
void Type(QWidget *entry, const QString &keys)
{
    for (const QChar c : keys) {
        if (c == u'\b')
            QTest::keyClick(entry, Qt::Key_Backspace);
        else if (c == u'\r')
            QTest::keyClick(entry, Qt::Key_Return);
        else
            QTest::keyClicks(entry, QString(c));
    }
}

// Runs one name entry through highenter on a hall of fame that is not shown, answering the window
// with the given keys. Returns the name; the window's modal result goes to result.
QString EnterName(const QString &keys, int *result = nullptr, bool closeAfterwards = false)
{
    TForm3 hall(nullptr);
    AnswerNextModal([keys, result, closeAfterwards](QWidget *entry) {
        if (result)
            QObject::connect(static_cast<QDialog *>(entry), &QDialog::finished, entry,
                             [result](int r) { *result = r; });
        Type(entry, keys);
        if (closeAfterwards)
            entry->close();
    });
    QString name = QStringLiteral("stale");
    hall.highenter(&hall, QStringLiteral("Enter your Name!"), name);
    return name;
}

} // namespace

class NameEntry : public QObject
{
    Q_OBJECT

private slots:
    void init() { newname.clear(); }

    void labelFollowsTheTypedName();
    void editsTheName_data();
    void editsTheName();
    void closeBoxKeepsTheTypedName();
    void everyEntryStartsEmpty();
    void holdsBackControlCharacters();
    void nameIsCappedAtWhatTheFileKeeps();
    void longNameKeepsTheCursorInSight();
};

void NameEntry::labelFollowsTheTypedName()
{
    TestConfigHome home;
    QStringList seen;
    QString caption;
    int result = -1;
    TForm3 hall(nullptr);
    AnswerNextModal([&](QWidget *entry) {
        caption = entry->windowTitle();
        QObject::connect(static_cast<QDialog *>(entry), &QDialog::finished, entry, [&result](int r) { result = r; });
        seen << NameLabel(entry)->text();
        for (const char *key : {"B", "o", "b"}) {
            QTest::keyClicks(entry, QString::fromLatin1(key));
            seen << NameLabel(entry)->text();
        }
        QTest::keyClick(entry, Qt::Key_Return);
    });
    QString name;

    hall.highenter(&hall, QStringLiteral("Enter your name,Player 2"), name);

    QCOMPARE(name, QStringLiteral("Bob"));
    QCOMPARE(seen, (QStringList{"_", "B_", "Bo_", "Bob_"}));
    QCOMPARE(caption, QStringLiteral("Enter your name,Player 2"));
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(newname.isEmpty());
}

void NameEntry::editsTheName_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("label");
    QTest::newRow("backspace in the middle") << "Bo\bb"
                                             << "Bb"
                                             << "Bb_";
    QTest::newRow("backspace at the start") << "\b"
                                            << ""
                                            << "_";
    QTest::newRow("more backspaces than letters") << "ab\b\b\bc"
                                                  << "c"
                                                  << "c_";
    QTest::newRow("blanks and markup are kept as typed") << " <b>A</b> "
                                                         << " <b>A</b> "
                                                         << " <b>A</b> _";
    QTest::newRow("nothing typed") << ""
                                   << ""
                                   << "_";
}

void NameEntry::editsTheName()
{
    QFETCH(QString, keys);
    QFETCH(QString, name);
    QFETCH(QString, label);
    Tnewhigh entry(nullptr);
    entry.show();

    Type(&entry, keys);

    QCOMPARE(newname, name);
    QCOMPARE(NameLabel(&entry)->text(), label);
    // Enter ends the entry and changes nothing.
    QTest::keyClick(&entry, Qt::Key_Return);
    QCOMPARE(entry.result(), int(QDialog::Accepted));
    QVERIFY(!entry.isVisible());
    QCOMPARE(newname, name);
}

void NameEntry::closeBoxKeepsTheTypedName()
{
    int result = -1;
    QCOMPARE(EnterName(QStringLiteral("Al"), &result, true), QStringLiteral("Al"));
    QCOMPARE(result, ModalResult::Cancel);
    QCOMPARE(EnterName(QStringLiteral("\r"), &result), QString());
    QCOMPARE(result, int(QDialog::Accepted));
}

void NameEntry::everyEntryStartsEmpty()
{
    QString firstLabel, secondLabel;
    TForm3 hall(nullptr);
    QString first, second;
    AnswerNextModal([&firstLabel](QWidget *entry) {
        firstLabel = NameLabel(entry)->text();
        Type(entry, QStringLiteral("Ann\r"));
    });
    hall.highenter(&hall, QStringLiteral("Enter your name,Player 1"), first);
    AnswerNextModal([&secondLabel](QWidget *entry) {
        secondLabel = NameLabel(entry)->text();
        Type(entry, QStringLiteral("Bo\r"));
    });
    hall.highenter(&hall, QStringLiteral("Enter your name,Player 2"), second);

    QCOMPARE(first, QStringLiteral("Ann"));
    QCOMPARE(second, QStringLiteral("Bo"));
    QCOMPARE(firstLabel, QStringLiteral("_"));
    QCOMPARE(secondLabel, QStringLiteral("_"));
    QVERIFY(newname.isEmpty());
}

void NameEntry::holdsBackControlCharacters()
{
    Tnewhigh entry(nullptr);
    entry.show();
    QTest::keyClicks(&entry, QStringLiteral("A"));
    for (const char16_t c :
         {u'\n', u'\t', u'\0', char16_t(27), char16_t(127), char16_t(0x85), char16_t(0x2028), char16_t(0x2029)})
        entry.FormKeyPress(&entry, QChar(c));
    QTest::keyClick(&entry, Qt::Key_Tab);
    QTest::keyClick(&entry, Qt::Key_Escape);
    // Ctrl+J arrives as a line feed on X11.
    QKeyEvent ctrlJ(QEvent::KeyPress, Qt::Key_J, Qt::ControlModifier, QStringLiteral("\n"));
    QApplication::sendEvent(&entry, &ctrlJ);
    QTest::keyClicks(&entry, QStringLiteral("l"));

    QCOMPARE(newname, QStringLiteral("Al"));
    QCOMPARE(NameLabel(&entry)->text(), QStringLiteral("Al_"));
    QVERIFY2(entry.isVisible(), "Escape must not end the entry");
}

void NameEntry::nameIsCappedAtWhatTheFileKeeps()
{
    Tnewhigh entry(nullptr);
    newname = QString(Tnewhigh::MaxNameLength - 1, u'x');
    entry.FormKeyPress(&entry, QChar(u'y'));
    entry.FormKeyPress(&entry, QChar(u'z'));
    QCOMPARE(newname.size(), Tnewhigh::MaxNameLength);
    QVERIFY(newname.endsWith(u'y'));

    // A character outside the basic plane comes in two halves; it is taken whole or not at all,
    // and Backspace takes it back whole.
    newname = QString(Tnewhigh::MaxNameLength - 1, u'x');
    const QString smiley = QString::fromUtf8("\xF0\x9F\x98\x80");
    for (const QChar half : smiley)
        entry.FormKeyPress(&entry, half);
    QCOMPARE(newname, QString(Tnewhigh::MaxNameLength - 1, u'x'));
    newname = QStringLiteral("A");
    for (const QChar half : smiley)
        entry.FormKeyPress(&entry, half);
    QCOMPARE(newname, QStringLiteral("A") + smiley);
    entry.FormKeyPress(&entry, QChar(8));
    QCOMPARE(newname, QStringLiteral("A"));
}

void NameEntry::longNameKeepsTheCursorInSight()
{
    Tnewhigh entry(nullptr);
    entry.show();
    QTest::keyClicks(&entry, QString(60, u'W'));
    const QLabel *label = NameLabel(&entry);
    QCOMPARE(label->text(), QString(60, u'W') + u'_');
    QVERIFY(label->geometry().right() < entry.width());
    QVERIFY(label->alignment().testFlag(Qt::AlignRight));
    // Once short again, the name starts at the left again.
    for (int i = 0; i < 58; ++i)
        QTest::keyClick(&entry, Qt::Key_Backspace);
    QVERIFY(label->alignment().testFlag(Qt::AlignLeft));
    QCOMPARE(label->pos(), QPoint(24, 104));
}

QTEST_MAIN(NameEntry)
#include "tst_NameEntry.moc"
