#!/bin/sh
# Rebuilds every picture, cursor, icon and sound under resources/ from the generator's source.
# The results are committed; run this after changing anything under resources/generator/.
#   resources/generate.sh [BUILD_DIR]     (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja
fi
cmake --build "$build" --target zandrix2-artgen
cd "$root"
QT_QPA_PLATFORM=offscreen "$build/resources/zandrix2-artgen" "$root/resources"
