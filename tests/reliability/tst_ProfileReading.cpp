// The settings file is read in one pass that keeps nothing (TProfileText::ReadFrom, one key or
// several at once), while writes go through the whole text model. All must find the same value
// for every name, whatever the bytes: otherwise a key would read one value and be rewritten as
// another.
#include "platform/TProfileText.h"
#include "support/Files.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

const QString Missing = QStringLiteral("\x01");

// Names to ask for: every run of bytes between "[" and "]" and before "=", and each of them in
// other case, with blanks around it, and cut short.
QStringList Probes(const QByteArray &text)
{
    QStringList names{QString(), QStringLiteral("Controls"), QStringLiteral("fasta")};
    for (const QByteArray &line : text.split('\n')) {
        for (const QByteArray &part : line.split('\r')) {
            const qsizetype open = part.indexOf('[');
            const qsizetype close = part.lastIndexOf(']');
            if (open >= 0 && close > open)
                names << QString::fromUtf8(part.mid(open + 1, close - open - 1));
            const qsizetype equals = part.indexOf('=');
            if (equals >= 0)
                names << QString::fromUtf8(part.left(equals));
        }
    }
    QStringList probes;
    for (const QString &name : names) {
        probes << name << name.toUpper() << name.toLower() << QStringLiteral(" \t") + name + QStringLiteral("  ")
               << name.left(name.size() / 2);
    }
    probes.removeDuplicates();
    return probes;
}

// Compares both ways of reading for every pair of probes; returns the first disagreement.
QString Disagreement(const QByteArray &text)
{
    const TProfileText model(text);
    const QStringList probes = Probes(text);
    for (const QString &section : probes) {
        for (const QString &key : probes) {
            const QString whole = model.Read(section, key, Missing);
            const QString onePass = TProfileText::ReadFrom(text, section, key, Missing);
            if (whole != onePass) {
                return QStringLiteral("[%1] %2: model \"%3\", one pass \"%4\" in %5")
                    .arg(section, key, whole, onePass, QString::fromLatin1(text.toPercentEncoding()));
            }
        }
        // All keys of the section at once, each with a default of its own.
        TProfileText::KeyValues keys;
        QStringList expected;
        for (const QString &key : probes) {
            keys.emplace_back(key, Missing + key);
            expected << model.Read(section, key, Missing + key);
        }
        const QStringList together = TProfileText::ReadFrom(text, section, keys);
        if (together != expected) {
            return QStringLiteral("[%1] all keys at once: model \"%2\", one pass \"%3\" in %4")
                .arg(section, expected.join(u'|'), together.join(u'|'), QString::fromLatin1(text.toPercentEncoding()));
        }
    }
    return {};
}

} // namespace

class ProfileReading : public QObject
{
    Q_OBJECT

private slots:
    void onePassReadsAsTheModel_data();
    void onePassReadsAsTheModel();
    void onePassReadsAsTheModelAfterRandomEdits();
};

void ProfileReading::onePassReadsAsTheModel_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("plain") << QByteArray("[Controls]\nfasta=w\nslowa=y\n[OnePlayer]\n1=5\n1n=Ann\n");
    QTest::newRow("line ends of every kind") << QByteArray("[a]\rk=1\r\n[b]\nk=2\r\rk=3\n\n[c]\r\nk=4");
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[Controls]\nfasta=q\n");
    QTest::newRow("byte order mark in a name") << QByteArray("[\xEF\xBB\xBF"
                                                             "a]\n\xEF\xBB\xBFk=\xEF\xBB\xBFv\n");
    QTest::newRow("duplicates: the first wins") << QByteArray("[s]\nk=1\nK=2\n[S]\nk=3\nx=4\n[s]\ny=5\n");
    QTest::newRow("keys before the first section") << QByteArray("k=0\n[s]\nk=1\n");
    QTest::newRow("blanks and comments") << QByteArray(" \t[ s p ] \n ; k=no\n\tk \t=\t v a l \t\n\v\f[t]\f\nk=\n");
    QTest::newRow("broken headers") << QByteArray("[s\nk=1\n[s]]\nk=2\n[]\nk=3\n[x]y]\nk=4\n[a=b]\nk=5\n");
    QTest::newRow("case beyond ASCII") << QByteArray("[\xC3\x84rger]\n\xC3\xA4k=1\n[\xE2\x84\xAA"
                                                     "ey]\nk=2\n[key]\n\xC5\xBF=3\n");
    QTest::newRow("NUL bytes") << Bytes("[s\0t]\nk\0=1\nk=\0\n[s]\n\0k=2\n");
    QTest::newRow("invalid UTF-8") << QByteArray("[\xFF\xFE]\n\xC3=\xC3\x28\n[s]\nk=\xE2\x82\n");
    QTest::newRow("no line end at all") << QByteArray("[s]");
    QTest::newRow("a long value") << "[s]\nk=" + QByteArray(5000, 'v') + "\nl=1\n";
}

void ProfileReading::onePassReadsAsTheModel()
{
    QFETCH(QByteArray, text);
    const QString disagreement = Disagreement(text);
    QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
}

void ProfileReading::onePassReadsAsTheModelAfterRandomEdits()
{
    // Bytes that mean something to the reader, and some that only look as if they did.
    static const QByteArray Alphabet = Bytes("[]=;\r\n \t\v\fsSkK\0\xC3\x84\xA4\xE2\x84\xAA\xEF\xBB\xBF");
    QRandomGenerator random(20240611);
    const QByteArray start("[s]\nk=1\n[t]\nk=2\nK=3\n");
    for (int run = 0; run < 1500; ++run) {
        QByteArray text = start;
        const int edits = random.bounded(1, 12);
        for (int i = 0; i < edits; ++i) {
            const qsizetype at = random.bounded(text.size() + 1);
            if (!text.isEmpty() && random.bounded(3) == 0)
                text.remove(std::min(at, text.size() - 1), 1);
            else
                text.insert(at, Alphabet[random.bounded(Alphabet.size())]);
        }
        const QString disagreement = Disagreement(text);
        QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
    }
}

QTEST_APPLESS_MAIN(ProfileReading)
#include "tst_ProfileReading.moc"
