#!/usr/bin/env bash
# Rebuilds generate_artwork and redraws the committed pictures and the tick sound.
# Run by hand after changing the generator; commit the files it rewrites.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-artwork}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DTOVIRA_BUILD_TESTS=OFF
fi
cmake --build "$build" --target generate_artwork -j 2
"$build/resources/generator/generate_artwork" "$root/resources"
