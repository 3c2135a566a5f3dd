// Writes big batches into a settings file, generation after generation, for a script that kills
// it at random moments (kill-during-write.sh), and checks what such a kill left behind.
//
//   profile_writer init FILE             the file at generation 0, with text around the batch
//   profile_writer generation FILE       prints the file's generation ("none" without a file)
//   profile_writer write FILE            writes generation after generation until killed,
//                                        printing "committed N" once generation N is down
//   profile_writer check FILE BASE LAST  checks that the file is exactly generation LAST or
//                                        LAST + 1 written over BASE ("full" or "empty"); with
//                                        BASE "empty" and LAST 0 a missing file passes too
//
// Every generation rewrites all keys of the batch section in one WriteStrings call; a file that
// mixes two generations, lost a line or lost the text around the batch fails the check.
//
// It also stands in for another copy of the game, for the tests of the file's lock:
//
//   profile_writer hold FILE             takes the file's lock, prints "held", and keeps it
//                                        until its input ends
//   profile_writer fame FILE NAME ROUNDS for each line of input, up to ROUNDS: records the
//                                        round's number as a one-player score by NAME-<round>
//                                        as the game does, and prints "recorded <round>"
#include "halloffame/TFameTable.h"
#include "platform/TProfileFile.h"
#include "platform/TProfileText.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>

#include <unistd.h>

namespace {

constexpr int Keys = 1000;
const QString Batch = QStringLiteral("Batch");
const QString Generation = QStringLiteral("generation");

// The text around the batch section, which no write may touch.
const QByteArray Surroundings = "; settings of the kill test\r\n"
                                "[Controls]\r\nfasta=w\r\nslowa=y\r\n"
                                "[Batch]\r\n"
                                "[After]\r\nuntouched=yes\r\n";

// All keys of one generation. Each value names its generation and key, so a line from another
// generation stands out, and is long enough to make the file about a megabyte.
TProfileFile::KeyValues Values(long long generation)
{
    TProfileFile::KeyValues values;
    values.reserve(Keys + 1);
    values.emplace_back(Generation, QString::number(generation));
    for (int i = 0; i < Keys; ++i) {
        const QString head = QStringLiteral("g%1-k%2-").arg(generation).arg(i);
        values.emplace_back(QStringLiteral("k%1").arg(i), head + QString(900 - head.size(), QLatin1Char('x')));
    }
    return values;
}

// The whole file at a generation, written over the given starting text.
QByteArray Expected(const QByteArray &base, long long generation)
{
    TProfileText text(base);
    text.Write(Batch, Values(generation));
    return text.Bytes();
}

void Say(const QByteArray &line)
{
    // Straight to the descriptor: the script reads it after a kill, with no buffer in between.
    const QByteArray text = line + '\n';
    if (::write(STDOUT_FILENO, text.constData(), static_cast<std::size_t>(text.size())) != text.size())
        std::exit(3);
}

std::optional<long long> FileGeneration(const QString &path)
{
    if (!QFileInfo::exists(path))
        return std::nullopt;
    bool ok = false;
    const long long generation = TProfileFile(path).ReadString(Batch, Generation, QString()).toLongLong(&ok);
    return ok ? std::optional(generation) : std::optional<long long>(-1);
}

int Check(const QString &path, const QByteArray &base, long long last, bool missingAllowed)
{
    if (!QFileInfo::exists(path)) {
        if (missingAllowed)
            return 0;
        std::fprintf(stderr, "the file is gone\n");
        return 1;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "the file cannot be read\n");
        return 1;
    }
    const QByteArray bytes = file.readAll();
    const std::optional<long long> generation = FileGeneration(path);
    if (!generation || (*generation != last && *generation != last + 1)) {
        std::fprintf(stderr, "generation %lld, expected %lld or %lld\n", generation.value_or(-1), last, last + 1);
        return 1;
    }
    const QByteArray expected = Expected(base, *generation);
    if (bytes != expected) {
        qsizetype at = 0;
        while (at < bytes.size() && at < expected.size() && bytes[at] == expected[at])
            ++at;
        std::fprintf(stderr, "generation %lld is not whole: %lld bytes instead of %lld, first difference at %lld\n",
                     *generation, static_cast<long long>(bytes.size()), static_cast<long long>(expected.size()),
                     static_cast<long long>(at));
        return 1;
    }
    return 0;
}

// Waits for the next line of input; false once the input has ended.
bool NextLine()
{
    for (;;) {
        const int c = std::getchar();
        if (c == EOF)
            return false;
        if (c == '\n')
            return true;
    }
}

// As the game records a score: whether it places, and the name, first; then the locked step.
int RecordFame(const QString &path, const QString &name, int rounds)
{
    TProfileFile file(path);
    TFameTable table;
    for (int round = 1; round <= rounds && NextLine(); ++round) {
        table.Load(file);
        std::optional<TFameScore> entry;
        if (table.Place(TFameList::OnePlayer, round))
            entry = TFameScore{round, name + u'-' + QString::number(round)};
        table.Record(file, TFameList::OnePlayer, entry);
        Say("recorded " + QByteArray::number(round));
    }
    return 0;
}

int Run(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const QByteArray command = argv[1];
    const QString path = QFile::decodeName(argv[2]);

    if (command == "init") {
        QFile file(path);
        const QByteArray bytes = Expected(Surroundings, 0);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() ? 0 : 1;
    }
    if (command == "generation") {
        const std::optional<long long> generation = FileGeneration(path);
        Say(generation ? QByteArray::number(*generation) : QByteArray("none"));
        return 0;
    }
    if (command == "write") {
        TProfileFile file(path);
        for (long long generation = FileGeneration(path).value_or(0) + 1;; ++generation) {
            file.WriteStrings(Batch, Values(generation));
            Say("committed " + QByteArray::number(generation));
        }
    }
    if (command == "hold") {
        const TProfileLock lock(path);
        Say("held");
        while (NextLine()) {
        }
        return 0;
    }
    if (command == "fame" && argc == 5)
        return RecordFame(path, QString::fromLocal8Bit(argv[3]), QByteArray(argv[4]).toInt());
    if (command == "check" && argc == 5) {
        const QByteArray baseName = argv[3];
        const long long last = QByteArray(argv[4]).toLongLong();
        if (baseName == "full")
            return Check(path, Surroundings, last, false);
        if (baseName == "empty")
            return Check(path, QByteArray(), last, last == 0);
    }
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
