#!/usr/bin/env bash
# Builds the replay file fuzzer with clang (into build-fuzz/) and runs it for a bounded time.
# Usage: scripts/fuzz-replay.sh [seconds]   (default 60; ZANDRIX_FUZZ_BUILD names another build directory)
# Fails on any crash, sanitizer report or broken invariant; the input that did it is left in
# build-fuzz/ as crash-* (or leak-*, timeout-*, oom-*), to be added to fuzz/corpus-replay (which
# every test run goes through) and the reader mended.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZANDRIX_FUZZ_BUILD:-build-fuzz}

seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds < 1)); then
    echo "usage: $0 [seconds]" >&2
    exit 2
fi

# Only the fuzz target: the tests' own packages are not needed for it.
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANDRIX_FUZZ=ON \
    -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target fuzz_replay -j2

# New inputs go to the working corpus; the committed seeds are only read. A replay of a whole
# game is larger than libFuzzer's default input, and the reader must stay within a bound of memory.
mkdir -p "$build/corpus-replay"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec "$build/fuzz/fuzz_replay" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=256 \
    -max_len=65536 -artifact_prefix="$build/" -print_final_stats=1 "$build/corpus-replay" fuzz/corpus-replay
