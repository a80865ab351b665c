#!/usr/bin/env bash
# Measures the Windows program under Wine beside the Linux program, in one run: for
# each, the launch to a shown window and the CPU over 10 s stopped and running (the
# program with everything it makes work: Wine's processes, the X server), each
# alone on its own Xvfb with openbox, BENCHMARK_ROUNDS rounds (3 unless set)
# alternating the two, and prints the medians. Under Wine it also measures, beside
# a minimal Win32 window of the same controls in the same run, the wake-ups and the
# CPU stopped before any click, stopped after clicks and running. Meaningful on an
# idle machine only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests dbus
bash scripts/build-windows.sh >/dev/null

build=build-bench
TARGETS="ToviraWatch tovira_x11_probe" bash scripts/build.sh "$build" -DTOVIRA_BUILD_TESTS=ON

results=$build/windows-results
rm -rf "$results"
mkdir -p "$results"
wine=$(sed -n 's/^TOVIRA_WINE64:FILEPATH=//p' build-windows/CMakeCache.txt)
for round in $(seq 1 "${BENCHMARK_ROUNDS:-3}"); do
  scripts/with-xvfb.sh --wm -- dbus-run-session -- bash benchmarks/measure_program.sh \
    "$PWD/$build/benchmarks/tovira_x11_probe" ToviraWatch "$PWD/$build/program" 2>>"$results/log" |
    sed -n 's/^result //p' >>"$results/rounds.txt"
  TOVIRA_WINE=$wine TOVIRA_WINDOWS_PROGRAM_DIR=$PWD/build-windows \
    TOVIRA_WINDOW_READER=$PWD/build-windows/tests/window_reader.exe \
    scripts/with-xvfb.sh --wm -- python3 benchmarks/measure_under_wine.py 2>>"$results/log" |
    tee -a "$results/wine.txt" | sed -n 's/^result //p' >>"$results/rounds.txt"
done

# Linux lines: NAME LAUNCH STOPPED_CPU STOPPED_X STOPPED_WAKE RUNNING_CPU RUNNING_X RUNNING_WAKE RSS;
# Wine lines, the program's and the minimal window's: wine|minimal LAUNCH STOPPED_ALL
# AFTER_CLICKS_ALL RUNNING_ALL STOPPED_WAKE AFTER_CLICKS_WAKE RUNNING_WAKE.
awk '
  function median(values, n,    i, j, t) {
    for (i = 2; i <= n; i++) for (j = i; j > 1 && values[j - 1] > values[j]; j--) { t = values[j]; values[j] = values[j - 1]; values[j - 1] = t }
    return n % 2 ? values[(n + 1) / 2] : (values[n / 2] + values[n / 2 + 1]) / 2
  }
  $1 == "ToviraWatch" { n++; ll[n] = $2; ls[n] = $3 + $4; lr[n] = $6 + $7; lws[n] = $5; lwr[n] = $8 }
  $1 == "wine" { m++; wl[m] = $2; ws[m] = $3; wa[m] = $4; wr[m] = $5; wws[m] = $6; wwa[m] = $7; wwr[m] = $8 }
  $1 == "minimal" { k++; ms[k] = $3; ma[k] = $4; mr[k] = $5; mws[k] = $6; mwa[k] = $7; mwr[k] = $8 }
  END {
    print "| Metric | Linux (Qt) | Windows build under Wine | Minimal Win32 window under Wine |"
    print "|---|---|---|---|"
    printf "| Launch to a shown window (ms) | %.1f | %.1f | |\n", median(ll, n), median(wl, m)
    printf "| Stopped: CPU, program and all it makes work (%% of one core) | %.2f | %.2f | %.2f |\n", median(ls, n), median(ws, m), median(ms, k)
    printf "| Stopped after clicks: CPU, the same (%% of one core) | | %.2f | %.2f |\n", median(wa, m), median(ma, k)
    printf "| Running: CPU, program and all it makes work (%% of one core) | %.2f | %.2f | %.2f |\n", median(lr, n), median(wr, m), median(mr, k)
    printf "| Stopped: wake-ups per second | %.1f | %.1f | %.1f |\n", median(lws, n), median(wws, m), median(mws, k)
    printf "| Stopped after clicks: wake-ups per second | | %.1f | %.1f |\n", median(wwa, m), median(mwa, k)
    printf "| Running: wake-ups per second | %.1f | %.1f | %.1f |\n", median(lwr, n), median(wwr, m), median(mwr, k)
    printf "(medians of %d, %d and %d rounds; Wine figures include the wineserver and Wine'"'"'s services;\n", n, m, k
    printf "under Wine every request to its server is a wake-up of the program, so running they count work too)\n"
  }' "$results/rounds.txt" | tee "$results/summary.md"
