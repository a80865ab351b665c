#!/usr/bin/env bash
# Measures ToviraWatch in a real session, from outside, each measurement on its own Xvfb
# with openbox (benchmarks/session_benchmark.py says how):
#   scripts/benchmark-session.sh [press] [hidden] [sound]    (all three when none is named)
# press   the error of each record against the real time of its press, idle and
#         beside 2 and 4 CPU-bound processes;
# hidden  the running program's wake-ups per second shown, minimised, on another workspace;
# sound   the tick on a PulseAudio null sink: delay from Start, spacing, level after Stop.
# Prints the figures and keeps them under build-bench/session-results. Asserts
# nothing: the press measurement prints one verdict line against its goal.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests

build=build-bench
TARGETS="ToviraWatch tovira_window_probe tovira_press_injector" bash scripts/build.sh "$build" -DTOVIRA_BUILD_TESTS=ON

measurements=("$@")
((${#measurements[@]})) || measurements=(press hidden sound)
results=$build/session-results
mkdir -p "$results"
export TOVIRA_PROGRAM_DIR=$PWD/$build/program TOVIRA_E2E_PLUGINS=$PWD/$build/tests/e2e/plugins
export TOVIRA_PRESS_INJECTOR=$PWD/$build/tests/e2e/tovira_press_injector
for measurement in "${measurements[@]}"; do
  echo "== $measurement"
  scripts/with-xvfb.sh --wm -- python3 benchmarks/session_benchmark.py "$measurement" | tee "$results/$measurement.txt"
done
