// Fuzzes the settings file reader and writer with arbitrary file contents.
//
// An input is: a section name, up to three keys with their values, a probe section and key, each
// ended by a backslash and one more byte (FuzzedDataProvider's strings), then the file's bytes.
// The section and key names are kept to letters, digits and blanks, as the program's own names
// are; values, probe names and the file are arbitrary bytes. The last byte of the input gives the
// number of keys.
//
// Checked, besides the absence of crashes and sanitizer reports:
// - a file is given back byte for byte when nothing is written;
// - after a batch every written key reads back its last value (line breaks as blanks, the blanks
//   around it dropped, cut to 1023 characters);
// - any other key reads as it did before the write;
// - the written text parses to itself again, and writing the same batch twice changes nothing;
// - the file layer on a real file gives the same results as the text in memory.

#include "platform/TProfileFile.h"
#include "platform/TProfileText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// Letters, digits and blanks stay; any other byte becomes one of them.
QString Name(const std::string &bytes)
{
    static constexpr char Alphabet[] = "abcABC019 xyzXYZ";
    QString name;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const bool kept =
            (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') || byte == ' ';
        name += QLatin1Char(kept ? c : Alphabet[byte % (sizeof Alphabet - 1)]);
    }
    return name;
}

QByteArray Bytes(const std::string &text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\v') || c == QLatin1Char('\f');
}

// A name as the file layer compares it: line breaks as blanks, the blanks around it dropped.
QString Clean(QString name)
{
    name.replace(QLatin1Char('\r'), QLatin1Char(' '));
    name.replace(QLatin1Char('\n'), QLatin1Char(' '));
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && IsBlank(name[begin]))
        ++begin;
    while (end > begin && IsBlank(name[end - 1]))
        --end;
    return name.sliced(begin, end - begin);
}

bool SameName(const QString &a, const QString &b)
{
    return QString::compare(Clean(a), Clean(b), Qt::CaseInsensitive) == 0;
}

// What a written value reads back as, worked out without the parser.
QString Expected(QString value)
{
    value = Clean(std::move(value));
    if (value.size() > TProfileText::MaxValueLength) {
        value.truncate(TProfileText::MaxValueLength);
        if (value.back().isHighSurrogate())
            value.chop(1);
    }
    return value;
}

QByteArray Contents(const QString &path)
{
    QFile file(path);
    Check(file.open(QIODevice::ReadOnly), "the written file can be read");
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Every write ends in an fsync; on a RAM file system that costs nothing, elsewhere it would
    // slow the run down tenfold.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/zandrix2-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/zandrix2-fuzz-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("zandrix2.ini"));

    FuzzedDataProvider input(data, size);
    const QString section = Name(input.ConsumeRandomLengthString(40));
    TProfileText::KeyValues batch;
    const int keys = input.ConsumeIntegralInRange(1, 3);
    for (int i = 0; i < keys; ++i) {
        const QString key = Name(input.ConsumeRandomLengthString(40));
        batch.emplace_back(key, QString::fromUtf8(Bytes(input.ConsumeRandomLengthString(3000))));
    }
    const QString probeSection = QString::fromUtf8(Bytes(input.ConsumeRandomLengthString(40)));
    const QString probeKey = QString::fromUtf8(Bytes(input.ConsumeRandomLengthString(40)));
    const QByteArray file = Bytes(input.ConsumeRemainingBytesAsString());

    const TProfileText original(file);
    Check(original.Bytes() == file, "an untouched text comes back byte for byte");
    const QString probeBefore = original.Read(probeSection, probeKey, QStringLiteral("\x01"));
    Check(probeBefore.size() <= TProfileText::MaxValueLength, "a value is at most 1023 characters");

    TProfileText written(file);
    written.Write(section, batch);
    const QByteArray out = written.Bytes();

    for (const auto &[key, value] : batch) {
        QString last = value;
        for (const auto &[otherKey, otherValue] : batch) {
            if (SameName(otherKey, key))
                last = otherValue;
        }
        Check(written.Read(section, key, QStringLiteral("\x01")) == Expected(last), "a written key reads back");
    }

    bool probeWritten = false;
    for (const auto &[key, value] : batch)
        probeWritten = probeWritten || (SameName(probeSection, section) && SameName(probeKey, key));
    if (!probeWritten)
        Check(written.Read(probeSection, probeKey, QStringLiteral("\x01")) == probeBefore, "other keys stay");

    const TProfileText reread(out);
    Check(reread.Bytes() == out, "a written text parses to itself");
    TProfileText again(out);
    again.Write(section, batch);
    Check(again.Bytes() == out, "writing the same batch twice changes nothing");

    // The same through a real file.
    {
        QFile raw(path);
        Check(raw.open(QIODevice::WriteOnly | QIODevice::Truncate), "the file can be prepared");
        Check(raw.write(file) == file.size(), "the file can be prepared");
    }
    TProfileFile profile(path);
    Check(profile.ReadString(probeSection, probeKey, QStringLiteral("\x01")) == probeBefore,
          "the file reads as the text");
    profile.WriteStrings(section, batch);
    Check(Contents(path) == out, "the file is written as the text");
    return 0;
}
