#!/usr/bin/env bash
# Builds the settings file fuzzer with clang (into build-fuzz/) and runs it for a bounded time.
# Usage: scripts/fuzz-profile.sh [seconds]   (default 60)
# Fails on any crash, sanitizer report or broken invariant; the input that did it is left in
# build-fuzz/ as crash-* (or leak-*, timeout-*), to be added to fuzz/corpus (which every test run
# goes through) or turned into a test in tests/platform.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds < 1)); then
    echo "usage: $0 [seconds]" >&2
    exit 2
fi

# Only the fuzz target: the tests' own packages are not needed for it.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANDRIX_FUZZ=ON \
    -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz --target fuzz_profile -j2

# New inputs go to the working corpus; the committed seeds are only read.
mkdir -p build-fuzz/corpus
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec build-fuzz/fuzz/fuzz_profile -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=8192 -artifact_prefix=build-fuzz/ -print_final_stats=1 build-fuzz/corpus fuzz/corpus
