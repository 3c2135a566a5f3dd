// Fuzzes the replay reader with arbitrary file contents.
//
// The input is taken twice: as the file's bytes, and with its digest made good (the last eight
// bytes replaced by the right ones), so that the events behind the digest are reached as well.
//
// Checked, besides the absence of crashes and sanitizer reports:
// - Decode either throws a Failure or gives a replay of no more events and rounds than the input
//   has bytes (what it keeps grows only with what it has read);
// - that replay's Encode decodes to the same replay, and encodes again to the same bytes.

#include "platform/Failure.h"
#include "replay/TReplay.h"

#include <QCryptographicHash>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

void Check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

std::optional<TReplay> Decoded(QByteArrayView bytes)
{
    try {
        return TReplay::Decode(bytes);
    } catch (const Failure &) {
        return std::nullopt;
    }
}

bool Same(const TReplay &a, const TReplay &b)
{
    if (a.mode != b.mode || a.started != b.started || a.rounds.size() != b.rounds.size())
        return false;
    for (std::size_t i = 0; i < a.rounds.size(); ++i)
        if (a.rounds[i].events != b.rounds[i].events)
            return false;
    return true;
}

void Run(QByteArrayView bytes)
{
    const std::optional<TReplay> replay = Decoded(bytes);
    if (!replay)
        return;
    Check(replay->EventCount() + replay->rounds.size() <= static_cast<std::size_t>(bytes.size()),
          "a replay keeps no more than its bytes tell");
    const QByteArray encoded = replay->Encode();
    std::optional<TReplay> again;
    try {
        again = TReplay::Decode(encoded);
    } catch (const Failure &failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        Check(false, "an encoded replay decodes");
    }
    Check(Same(*replay, *again), "an encoded replay decodes to the same events");
    Check(again->Encode() == encoded, "encoding is stable");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    Run(bytes);
    constexpr qsizetype DigestSize = 8;
    if (bytes.size() > DigestSize) {
        QByteArray mended = bytes.first(bytes.size() - DigestSize).toByteArray();
        mended += QCryptographicHash::hash(mended, QCryptographicHash::Sha256).left(DigestSize);
        Run(mended);
    }
    return 0;
}
