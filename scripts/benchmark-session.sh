#!/usr/bin/env bash
# Measures ToviraWatch in a real session, from outside, each measurement on its own Xvfb
# with openbox (benchmarks/session_benchmark.py says how):
#   scripts/benchmark-session.sh [press] [hidden] [sound] [rest] [ends]   (all when none is named)
# press   the error of each record against the X server's stamp of its press, idle,
#         beside 2 and 4 CPU-bound processes, and pressed while the program is stopped;
# hidden  the running program's wake-ups per second shown, minimised, on another workspace;
# sound   the tick on a PulseAudio null sink: delay from Start, spacing, level after Stop;
# rest    wake-ups per second while stopped after a run with the tick, through ALSA and PulseAudio;
# ends    each way a session ends: exit status, time to exit, settings written.
# Prints the figures and keeps them under build-bench/session-results. Asserts
# nothing: the press measurement prints one verdict line against its goal.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests

build=build-bench
TARGETS="ToviraWatch tovira_window_probe tovira_press_injector tovira_session_manager" bash scripts/build.sh "$build" -DTOVIRA_BUILD_TESTS=ON

measurements=("$@")
((${#measurements[@]})) || measurements=(press hidden sound rest ends)
results=$build/session-results
mkdir -p "$results"
export TOVIRA_PROGRAM_DIR=$PWD/$build/program TOVIRA_E2E_PLUGINS=$PWD/$build/tests/e2e/plugins
export TOVIRA_PRESS_INJECTOR=$PWD/$build/tests/e2e/tovira_press_injector
export TOVIRA_SESSION_MANAGER=$PWD/$build/tests/e2e/tovira_session_manager
for measurement in "${measurements[@]}"; do
  echo "== $measurement"
  scripts/with-xvfb.sh --wm -- python3 benchmarks/session_benchmark.py "$measurement" | tee "$results/$measurement.txt"
done
