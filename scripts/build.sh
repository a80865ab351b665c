#!/usr/bin/env bash
# Configures and builds one build tree, optimised with symbols (as the program ships):
#   scripts/build.sh DIR [cmake options...]
# TARGETS names the targets to build (everything when unset); JOBS sets the
# parallelism (all cores when unset).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1; shift
generator=()
[ -f "$dir/CMakeCache.txt" ] || generator=(-G Ninja)
cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
# shellcheck disable=SC2086  # TARGETS is a list of names
cmake --build "$dir" --parallel "${JOBS:-$(nproc)}" ${TARGETS:+--target $TARGETS}
