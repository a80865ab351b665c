#!/usr/bin/env bash
# The checks that run the real program for minutes: the soak (SOAK_SECONDS,
# default 600) and the valgrind session, each on its own Xvfb with openbox.
# Uses the program of the plain test build (scripts/test.sh builds it).
#   scripts/reliability.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests
build=${1:-build-tests}
[ -x "$build/program/ToviraWatch" ] || bash scripts/build.sh "$build"

mkdir -p "$build/reliability"
scripts/with-xvfb.sh --wm -- tests/reliability/valgrind_session.sh "$build/program" "$build/reliability/valgrind.log"
scripts/with-xvfb.sh --wm -- tests/reliability/soak.sh "$build/program"
