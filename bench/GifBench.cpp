#include "bench/GifBench.h"

#include "bench/Clocks.h"
#include "bench/QuietGame.h"
#include "bench/ResultTable.h"
#include "components/TGifWriter.h"
#include "computer/TComputerPlayer.h"
#include "game/TDrivenTicks.h"
#include "game/TGame.h"
#include "game/TGameHost.h"
#include "platform/ErrorDisplay.h"
#include "platform/Failure.h"
#include "platform/TMediaCommands.h"
#include "replay/TReplayRecorder.h"
#include "replay/TRoundGif.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using QuietGame::Silence;

// The round to export, and which of its game's rounds it is.
struct KeptRound
{
    std::shared_ptr<const TReplay> replay;
    int round = -1;
};

// Two Hard pilots play seeded games until a round lasts `lengthMs`; that round is ended there (red
// runs off the field, as the computer tournament ends a round at its cap), and the game is ended
// from the menu, so that the recorder keeps it.
KeptRound PlayRound(std::int64_t lengthMs, const QString &folder)
{
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        TDrivenTicks *clock = nullptr;
        TGameParts parts;
        parts.host = std::make_unique<QuietGame::Host>(clock, TComputerLevel::Hard);
        parts.media = std::make_unique<Silence>();
        auto ticks = std::make_unique<TDrivenTicks>();
        clock = ticks.get();
        parts.ticks = std::move(ticks);
        parts.seed = seed;
        TGame game(std::move(parts));
        TReplayRecorder recorder(game, folder);
        game.setPilot(TPlayer::Red, std::make_unique<TComputerPlayer>(TComputerLevel::Hard, seed * 7919u));
        game.setPilot(TPlayer::Blue, std::make_unique<TComputerPlayer>(TComputerLevel::Hard, seed * 104729u));
        game.Start(TGameMode::TwoPlayers);
        for (int round = 0; game.State() != TRoundState::GameOver; ++round) {
            const std::int64_t start = clock->Now();
            const auto red = game.redlives;
            const auto blue = game.bluelives;
            bool crashed = false;
            while (!crashed && clock->RunNext(start + lengthMs))
                crashed = game.redlives != red || game.bluelives != blue;
            if (crashed)
                continue;
            game.setPilot(TPlayer::Red, nullptr);
            game.redx = 30000;
            game.Tick(TClock::Red);
            game.End();
            // The recorder keeps a game ended from the menu once the end has been told in full.
            QCoreApplication::processEvents();
            if (!recorder.LastGame())
                throw Failure("The recorder kept no game");
            return {recorder.LastGame(), round};
        }
    }
    throw Failure("No round lasted long enough");
}

struct GifRow
{
    int scale = 1;
    int frames = 0;
    qint64 bytes = 0;
    double renderMs = 0.0; // the frames drawn and compared
    double encodeMs = 0.0; // the file encoded and put in place
    double cpuMs = 0.0;    // the processor time of both, which leaves out the time given to others
};

GifRow Export(const KeptRound &kept, int scale, const QString &path)
{
    GifRow row;
    row.scale = scale;
    TRoundGif gif(kept.replay, kept.round, {scale, 1.0, false}, [](QRgb colour, bool) { return colour; });
    const std::int64_t cpuStart = ProcessCpuNs();
    const std::int64_t start = MonotonicNs();
    TGifWriter writer(path, gif.Size());
    gif.Render(writer);
    const std::int64_t rendered = MonotonicNs();
    writer.Finish();
    const std::int64_t finished = MonotonicNs();
    row.cpuMs = static_cast<double>(ProcessCpuNs() - cpuStart) / 1e6;
    row.frames = writer.FrameCount();
    row.bytes = QFileInfo(path).size();
    row.renderMs = static_cast<double>(rendered - start) / 1e6;
    row.encodeMs = static_cast<double>(finished - rendered) / 1e6;
    return row;
}

} // namespace

int RunGifBench(int argc, char **argv, bool quick)
{
    const std::int64_t started = MonotonicNs();
    const std::string loadBefore = LoadAverages();
    TApplication application(argc, argv);
    TApplication::setApplicationName(QStringLiteral("Zandrix II"));
    QTemporaryDir folder;
    const std::int64_t lengthMs = quick ? 10'000 : 60'000;
    int runs = quick ? 1 : 3;
    std::vector<GifRow> rows;
    try {
        const KeptRound kept = PlayRound(lengthMs, folder.path());
        std::printf("Exporting a round as GIF: a round of %.0f s, two Hard computer pilots (seeded), speed 1,\n"
                    "a frame each 40 ms (%d frames before merging); median of %d runs\n\n",
                    static_cast<double>(lengthMs) / 1000.0, TRoundGif(kept.replay, kept.round, {}, {}).FrameCount(),
                    runs);
        for (int scale : {1, 2}) {
            std::vector<GifRow> tries;
            for (int run = 0; run < runs; ++run)
                tries.push_back(Export(kept, scale, folder.filePath(QStringLiteral("round-%1.gif").arg(scale))));
            std::sort(tries.begin(), tries.end(), [](const GifRow &a, const GifRow &b) {
                return a.renderMs + a.encodeMs < b.renderMs + b.encodeMs;
            });
            rows.push_back(tries[tries.size() / 2]);
        }
    } catch (const Failure &failure) {
        std::fprintf(stderr, "zandrix2-bench: %s\n", failure.what());
        return 1;
    }
    std::printf("%-10s %8s %10s %10s %10s %10s %12s %10s\n", "size", "frames", "file KiB", "draw ms", "encode ms",
                "total ms", "ms / frame", "cpu ms");
    for (const GifRow &row : rows) {
        const double total = row.renderMs + row.encodeMs;
        std::printf("GIF at %dx %8d %10.1f %10.1f %10.1f %10.1f %12.3f %10.1f\n", row.scale, row.frames,
                    static_cast<double>(row.bytes) / 1024.0, row.renderMs, row.encodeMs, total,
                    total / std::max(row.frames, 1), row.cpuMs);
    }
    std::printf("\npeak memory: %.1f MiB\nload before: %s, after: %s\nbench took %lld s\n",
                static_cast<double>(PeakResidentKiB()) / 1024.0, loadBefore.c_str(), LoadAverages().c_str(),
                static_cast<long long>((MonotonicNs() - started) / 1'000'000'000));
    return 0;
}
