#!/usr/bin/env bash
# Measures ToviraWatch in one run and checks its performance targets:
#   1. micro-benchmarks of the window's hot paths (the periodic event, the dial,
#      the line formats, laps and mode choices with up to 100,000 records);
#   2. the real-clock accuracy of a scripted session;
#   3. the whole program against the stopwatches users would pick instead,
#      kronometer and gnome-clocks, each alone on its own Xvfb with openbox:
#      launch to mapped window; CPU of the program and of the X server and the
#      program's wake-ups over 10 s stopped and 10 s running; peak resident set;
#      the median of BENCHMARK_ROUNDS rounds (3 unless set). With BENCHMARK_BASELINE
#      set to a git revision, that revision's program is built and measured in the
#      same rounds, and a second table compares the two.
# Prints the figures, the ratios against kronometer and a verdict per target, and
# keeps them under build-bench/benchmark-results. Exits non-zero when a target
# fails. CPU figures mean something only on an otherwise idle machine.
set -euo pipefail
cd "$(dirname "$0")/.."
# The peers are needed here only, so they are installed here, not by the test command.
bash scripts/setup.sh --tests kronometer gnome-clocks dbus

build=build-bench
TARGETS="ToviraWatch tovira_benchmarks tovira_clock_accuracy tovira_x11_probe" \
  bash scripts/build.sh "$build" -DTOVIRA_BUILD_TESTS=ON

# An earlier revision, built from a clean copy of its tree beside this one.
baseline_dir=
if [ -n "${BENCHMARK_BASELINE:-}" ]; then
  baseline_source=$build/baseline-source
  rm -rf "$baseline_source"
  mkdir -p "$baseline_source"
  git archive "$BENCHMARK_BASELINE" | tar -x -C "$baseline_source"
  cmake -S "$baseline_source" -B "$build/baseline" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTOVIRA_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build/baseline" --parallel "$(nproc)" >/dev/null
  baseline_dir=$PWD/$build/baseline/program
fi

results=$build/benchmark-results
rm -rf "$results"
mkdir -p "$results"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "Load average before: $load_before"

echo "== Micro-benchmarks"
micro_status=0
QT_QPA_PLATFORM=offscreen "$build/benchmarks/tovira_benchmarks" \
  --benchmark_out="$results/micro.json" --benchmark_out_format=json | tee "$results/micro.txt" || micro_status=$?

echo "== Real-clock accuracy"
accuracy_status=0
QT_QPA_PLATFORM=offscreen "$build/benchmarks/tovira_clock_accuracy" | tee "$results/accuracy.txt" || accuracy_status=$?

echo "== Whole programs"
# Rounds alternate the programs, so that a change in the machine's load touches all
# three alike; the table shows the median of the rounds.
rounds=${BENCHMARK_ROUNDS:-3}
programs=(ToviraWatch kronometer gnome-clocks)
[ -n "$baseline_dir" ] && programs+=(baseline)
programs_status=0
for round in $(seq 1 "$rounds"); do
  for name in "${programs[@]}"; do
    program_dir=$PWD/$build/program
    [ "$name" = baseline ] && program_dir=$baseline_dir
    scripts/with-xvfb.sh --wm -- dbus-run-session -- bash benchmarks/measure_program.sh \
      "$PWD/$build/benchmarks/tovira_x11_probe" "$name" "$program_dir" \
      >"$results/$name.out" 2>>"$results/programs.log" || {
      programs_status=1
      echo "$name could not be measured in round $round; see $results/programs.log" >&2
    }
    sed -n 's/^result //p' "$results/$name.out" | tee -a "$results/rounds.txt"
  done
done
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for name in "${programs[@]}"; do
  grep -q "^$name " "$results/rounds.txt" 2>/dev/null || continue
  line=$name
  for field in 2 3 4 5 6 7 8 9; do
    line+=" $(awk -v n="$name" -v f="$field" '$1 == n { print $f }' "$results/rounds.txt" | median)"
  done
  echo "$line" >>"$results/programs.txt"
done
touch "$results/programs.txt"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# One table of every target, in the figures of this run.
summary_status=0
# The refresh rate Qt reads for Xvfb's screen, which paces the program's refresh.
refresh=60
awk -F'\t' -v load_before="$load_before" -v load_after="$load_after" -v refresh="$refresh" \
  -v micro="$results/micro.txt" -v accuracy="$results/accuracy.txt" -v programs="$results/programs.txt" '
  function row(metric, t, k, g, ratio, target, ok) {
    printf "| %s | %s | %s | %s | %s | %s | %s |\n", metric, t, k, g, ratio, target, ok ? "pass" : "FAIL"
    if (!ok) failed = 1
  }
  function info(metric, t, k, g, ratio) { printf "| %s | %s | %s | %s | %s | | |\n", metric, t, k, g, ratio }
  function compare(metric, now, before,    ratio) {
    ratio = before > 0 ? sprintf("%.2f", now / before) : "-"
    printf "| %s | %.2f | %.2f | %s |\n", metric, now, before, ratio
  }
  BEGIN {
    while ((getline line < programs) > 0) {
      split(line, f, " ")
      launch[f[1]] = f[2]; idle_cpu[f[1]] = f[3]; idle_xcpu[f[1]] = f[4]; idle_wake[f[1]] = f[5]
      cpu[f[1]] = f[6]; xcpu[f[1]] = f[7]; wake[f[1]] = f[8]; rss[f[1]] = f[9]
    }
    lap = -1; mode = -1
    while ((getline line < micro) > 0) {
      if (split(line, f, "\t") != 5 || f[1] != "target") continue
      if (f[2] ~ /^BM_Lap\//) { if (f[3] > lap) lap = f[3]; lap_ok = lap_ok + (f[5] == "pass"); laps++ }
      if (f[2] ~ /^BM_ChooseMode\//) { if (f[3] > mode) mode = f[3]; mode_ok = mode_ok + (f[5] == "pass"); modes++ }
    }
    worst = -1
    while ((getline line < accuracy) > 0) {
      if (split(line, f, "\t") != 6 || f[1] !~ /^[0-9]+$/) continue
      d = f[4] < 0 ? -f[4] : f[4]
      if (d > worst) worst = d
      records++; records_ok = records_ok + (f[6] == "pass")
    }

    print "| Metric | ToviraWatch | kronometer | gnome-clocks | Ratio to kronometer | Target | Verdict |"
    print "|---|---|---|---|---|---|---|"
    t = "ToviraWatch"; k = "kronometer"; g = "gnome-clocks"
    if ((t in launch) && (k in launch) && (g in launch)) {
      row("Launch to window mapped (ms)", launch[t], launch[k], launch[g], sprintf("%.2f", launch[t] / launch[k]),
          "at most 1/2", launch[t] <= launch[k] / 2)
      info("Stopped: CPU of the program (% of one core)", idle_cpu[t], idle_cpu[k], idle_cpu[g], "")
      info("Stopped: CPU of the X server (% of one core)", idle_xcpu[t], idle_xcpu[k], idle_xcpu[g], "")
      row("Stopped: CPU of program + X server (% of one core)", sprintf("%.1f", idle_cpu[t] + idle_xcpu[t]),
          sprintf("%.1f", idle_cpu[k] + idle_xcpu[k]), sprintf("%.1f", idle_cpu[g] + idle_xcpu[g]), "",
          "0.0", idle_cpu[t] + idle_xcpu[t] < 0.05)
      row("Stopped: wake-ups per second", idle_wake[t], idle_wake[k], idle_wake[g], "", "0", idle_wake[t] < 0.05)
      info("Running: CPU of the program (% of one core)", cpu[t], cpu[k], cpu[g], sprintf("%.2f", cpu[t] / cpu[k]))
      info("Running: CPU of the X server (% of one core)", xcpu[t], xcpu[k], xcpu[g],
           xcpu[k] > 0 ? sprintf("%.2f", xcpu[t] / xcpu[k]) : "-")
      tsum = cpu[t] + xcpu[t]; ksum = cpu[k] + xcpu[k]; gsum = cpu[g] + xcpu[g]
      row("Running: CPU of program + X server (% of one core)", sprintf("%.2f", tsum), sprintf("%.2f", ksum),
          sprintf("%.2f", gsum), sprintf("%.2f", tsum / ksum), "at most 1/4, and below gnome-clocks",
          tsum <= ksum / 4 && tsum < gsum)
      row("Running: wake-ups per second", wake[t], wake[k], wake[g], sprintf("%.2f", wake[t] / wake[k]),
          sprintf("at most %d (twice the screen'"'"'s %d Hz)", 2 * refresh, refresh), wake[t] <= 2 * refresh)
      row("Peak RSS (MB)", sprintf("%.1f", rss[t] / 1024), sprintf("%.1f", rss[k] / 1024),
          sprintf("%.1f", rss[g] / 1024), sprintf("%.2f", rss[t] / rss[k]), "at most 1/2", rss[t] <= rss[k] / 2)
    } else {
      row("Whole-program measurements", "missing", "", "", "", "all three measured", 0)
    }
    row("Lap with 100,000 records, slowest mode (ms)", lap >= 0 ? sprintf("%.3f", lap) : "missing", "", "", "",
        "under 1", laps == 4 && lap_ok == 4)
    row("Choosing a mode with 100,000 records, slowest mode (ms)", mode >= 0 ? sprintf("%.1f", mode) : "missing",
        "", "", "", "under 100", modes == 4 && mode_ok == 4)
    row("Recorded time against real time, worst record (ms)", worst >= 0 ? sprintf("%.3f", worst) : "missing",
        "", "", "", "within 1 per run", records > 0 && records_ok == records)
    b = "baseline"
    if ((t in launch) && (b in launch)) {
      print "\n| Metric | ToviraWatch | baseline | Ratio |"
      print "|---|---|---|---|"
      compare("Launch to window mapped (ms)", launch[t], launch[b])
      compare("Stopped: CPU of program + X server (% of one core)", idle_cpu[t] + idle_xcpu[t], idle_cpu[b] + idle_xcpu[b])
      compare("Stopped: wake-ups per second", idle_wake[t], idle_wake[b])
      compare("Running: CPU of program + X server (% of one core)", cpu[t] + xcpu[t], cpu[b] + xcpu[b])
      compare("Running: wake-ups per second", wake[t], wake[b])
      compare("Peak RSS (MB)", rss[t] / 1024, rss[b] / 1024)
    }
    printf "\nLoad average before: %s; after: %s\n", load_before, load_after
    exit failed
  }' | tee "$results/summary.md" || summary_status=$?

if ((micro_status || accuracy_status || programs_status || summary_status)); then
  echo "A target failed." >&2
  exit 1
fi
echo "Every target holds."
