// Runs a fuzz target's entry point without libFuzzer, which GCC does not have: once on every file
// of the corpus the driver was built with, then on every file given on the command line (or every
// file in a directory given there). A broken invariant aborts, so the run fails on the input it
// names last. This finds no new inputs; it keeps the corpus, and every crash once turned into a
// corpus file, passing in every build.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

namespace fs = std::filesystem;

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

bool Run(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::printf("Running: %s (%zu bytes)\n", file.c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    try {
        std::vector<fs::path> files = Files(ZANDRIX_FUZZ_CORPUS);
        for (int i = 1; i < argc; ++i) {
            const std::vector<fs::path> more = Files(argv[i]);
            files.insert(files.end(), more.begin(), more.end());
        }
        if (files.empty()) {
            std::fprintf(stderr, "no inputs in %s\n", ZANDRIX_FUZZ_CORPUS);
            return 1;
        }
        std::size_t ran = 0;
        for (const fs::path &file : files)
            ran += Run(file) ? 1 : 0;
        std::printf("Ran %zu of %zu inputs\n", ran, files.size());
        return ran == files.size() ? 0 : 1;
    } catch (const std::exception &failure) {
        std::fprintf(stderr, "failed: %s\n", failure.what());
        return 1;
    }
}
