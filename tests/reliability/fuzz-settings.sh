#!/usr/bin/env bash
# Runs the settings file fuzzer for a bounded time through scripts/fuzz-profile.sh, which builds
# it with clang into build-fuzz/. Exits with 77 (skipped) when clang cannot build a libFuzzer
# target here.
# Usage: fuzz-settings.sh [seconds]   (default 60)
set -uo pipefail
root=$(realpath "$(dirname "$0")/../..")

if ! command -v clang >/dev/null || ! command -v clang++ >/dev/null; then
    echo "SKIP: clang is not installed; the settings file fuzzer needs it (scripts/install-deps.sh test)"
    exit 77
fi
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }' >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" 2>"$probe/errors"; then
    echo "SKIP: clang cannot build a libFuzzer target (libclang-rt-*-dev missing?): $(head -1 "$probe/errors")"
    exit 77
fi

"$root/scripts/fuzz-profile.sh" "${1:-60}"
