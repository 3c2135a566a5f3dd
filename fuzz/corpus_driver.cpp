// Runs a fuzz target's entry point without libFuzzer, which GCC does not have: once on every file
// of the corpus the driver was built with, then on every file given on the command line (or every
// file in a directory given there). A broken invariant aborts, so the run fails on the input it
// names last. This finds no new inputs by itself; it keeps the corpus, and every crash once turned
// into a corpus file, passing in every build.
//
// With --mutate SECONDS --seed N it goes on for that long with inputs made from the corpus files
// by seeded random mutations (bit flips, bytes set, inserted, deleted and repeated, splices of two
// files, cuts), none longer than MaxInput. Without coverage to steer it this is cruder than
// libFuzzer, but it runs in any build, under the sanitizers of that build. The N-th input of a seed
// is always the same: should one fail, the driver says which, and --write-mutation N I FILE writes
// that input to a file for the corpus.

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t MaxInput = 64 * 1024;

// The files at a path: the path itself, or the files in the directory, in name order.
std::vector<fs::path> Files(const fs::path &path)
{
    std::vector<fs::path> files;
    std::error_code error;
    if (!fs::is_directory(path, error))
        return {path};
    for (const fs::directory_entry &entry : fs::directory_iterator(path, error))
        if (entry.is_regular_file(error))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

bool Load(const fs::path &file, Bytes &bytes)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool Run(const fs::path &file, std::vector<Bytes> &corpus)
{
    Bytes bytes;
    if (!Load(file, bytes))
        return false;
    std::printf("Running: %s (%zu bytes)\n", file.c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    corpus.push_back(std::move(bytes));
    return true;
}

// The mutation under way, for the message of a crash (set before each run, read by the handlers).
volatile std::sig_atomic_t mutating = 0;
std::uint64_t currentSeed = 0;
std::uint64_t currentMutation = 0;

void WriteNumber(std::uint64_t value)
{
    char digits[24];
    std::size_t at = sizeof digits;
    do {
        digits[--at] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && at > 0);
    [[maybe_unused]] const auto written = write(STDERR_FILENO, digits + at, sizeof digits - at);
}

void WriteText(const char *text)
{
    [[maybe_unused]] const auto written = write(STDERR_FILENO, text, std::strlen(text));
}

void NameMutation()
{
    if (mutating == 0)
        return;
    WriteText("\nfailed on mutation ");
    WriteNumber(currentMutation);
    WriteText(" of seed ");
    WriteNumber(currentSeed);
    WriteText(": --write-mutation ");
    WriteNumber(currentSeed);
    WriteText(" ");
    WriteNumber(currentMutation);
    WriteText(" FILE writes it\n");
}

extern "C" void OnSignal(int signal)
{
    NameMutation();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// The i-th input of a seed, made from the corpus.
Bytes Mutation(const std::vector<Bytes> &corpus, std::uint64_t seed, std::uint64_t i)
{
    std::mt19937_64 random(seed * 0x9E3779B97F4A7C15u ^ i);
    const auto below = [&](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(random() % n); };
    Bytes bytes = corpus.at(below(corpus.size()));
    const std::size_t changes = 1 + below(8);
    for (std::size_t change = 0; change < changes; ++change) {
        const std::size_t at = below(bytes.size() + 1);
        switch (below(8)) {
        case 0:
            if (at < bytes.size())
                bytes[at] = static_cast<std::uint8_t>(bytes[at] ^ (1u << below(8)));
            break;
        case 1:
            if (at < bytes.size())
                bytes[at] = static_cast<std::uint8_t>(random());
            break;
        case 2: {
            static constexpr std::uint8_t Telling[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
            if (at < bytes.size())
                bytes[at] = Telling[below(std::size(Telling))];
            break;
        }
        case 3: {
            Bytes more(1 + below(16));
            for (std::uint8_t &byte : more)
                byte = static_cast<std::uint8_t>(random());
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), more.begin(), more.end());
            break;
        }
        case 4: {
            const std::size_t length = std::min(bytes.size() - at, 1 + below(32));
            bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
            break;
        }
        case 5: {
            // A part of the input repeated elsewhere in it.
            const std::size_t from = below(bytes.size() + 1);
            const std::size_t length = std::min(bytes.size() - from, 1 + below(64));
            const Bytes part(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                             bytes.begin() + static_cast<std::ptrdiff_t>(from + length));
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), part.begin(), part.end());
            break;
        }
        case 6: {
            // The start of this input, the rest of another.
            const Bytes &other = corpus.at(below(corpus.size()));
            const std::size_t from = below(other.size() + 1);
            bytes.resize(at);
            bytes.insert(bytes.end(), other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
            break;
        }
        default: bytes.resize(at); break;
        }
        if (bytes.size() > MaxInput)
            bytes.resize(MaxInput);
    }
    return bytes;
}

std::uint64_t Number(const char *text)
{
    char *end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0')
        throw std::invalid_argument(std::string("not a number: ") + text);
    return value;
}

int Mutate(const std::vector<Bytes> &corpus, std::uint64_t seconds, std::uint64_t seed)
{
    std::signal(SIGABRT, OnSignal);
    std::signal(SIGSEGV, OnSignal);
    std::signal(SIGBUS, OnSignal);
    std::signal(SIGFPE, OnSignal);
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(NameMutation);
#endif
    currentSeed = seed;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::uint64_t i = 0;
    std::size_t largest = 0;
    mutating = 1;
    for (; std::chrono::steady_clock::now() < end; ++i) {
        const Bytes bytes = Mutation(corpus, seed, i);
        largest = std::max(largest, bytes.size());
        currentMutation = i;
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    mutating = 0;
    std::printf("Ran %llu mutations of seed %llu in %llu s (largest %zu bytes)\n", static_cast<unsigned long long>(i),
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seconds), largest);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    try {
        std::vector<fs::path> files = Files(ZANDRIX_FUZZ_CORPUS);
        std::uint64_t mutateSeconds = 0;
        std::uint64_t seed = 1;
        for (int i = 1; i < argc; ++i) {
            const std::string argument = argv[i];
            if (argument == "--mutate" && i + 1 < argc) {
                mutateSeconds = Number(argv[++i]);
            } else if (argument == "--seed" && i + 1 < argc) {
                seed = Number(argv[++i]);
            } else if (argument == "--write-mutation" && i + 3 < argc) {
                std::vector<Bytes> corpus;
                for (const fs::path &file : files)
                    if (Bytes bytes; Load(file, bytes))
                        corpus.push_back(std::move(bytes));
                const Bytes bytes = Mutation(corpus, Number(argv[i + 1]), Number(argv[i + 2]));
                std::ofstream(argv[i + 3], std::ios::binary)
                    .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
                return 0;
            } else {
                const std::vector<fs::path> more = Files(argument);
                files.insert(files.end(), more.begin(), more.end());
            }
        }
        if (files.empty()) {
            std::fprintf(stderr, "no inputs in %s\n", ZANDRIX_FUZZ_CORPUS);
            return 1;
        }
        std::vector<Bytes> corpus;
        for (const fs::path &file : files)
            Run(file, corpus);
        std::printf("Ran %zu of %zu inputs\n", corpus.size(), files.size());
        if (corpus.size() != files.size())
            return 1;
        return mutateSeconds > 0 ? Mutate(corpus, mutateSeconds, seed) : 0;
    } catch (const std::exception &failure) {
        std::fprintf(stderr, "failed: %s\n", failure.what());
        return 1;
    }
}
