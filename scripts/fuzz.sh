#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, default 60) from its committed seeds, after replaying every
# input that once broke it (fuzz/regressions/<target>/). Fails on any crash,
# leak, timeout or broken property, leaving the input in build-fuzz/artifacts/.
#   FUZZ_SECONDS=300 scripts/fuzz.sh [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests

seconds=${FUZZ_SECONDS:-60}
build=build-fuzz
all_targets=(fuzz_ini_read fuzz_ini_roundtrip fuzz_setting_integer fuzz_hand_color fuzz_tick_sound)
if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all_targets[@]}"); fi

declare -A max_len=(
  [fuzz_ini_read]=4096 [fuzz_ini_roundtrip]=4096 [fuzz_setting_integer]=128
  [fuzz_hand_color]=64 [fuzz_tick_sound]=16384
)

generator=()
[ -f "$build/CMakeCache.txt" ] || generator=(-G Ninja)
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOVIRA_FUZZ=ON -DTOVIRA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0
# The targets replace files with fsync on every input; memory makes that cheap.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
mkdir -p "$build/artifacts" "$build/logs"

failed=()
summary=()
for target in "${targets[@]}"; do
  binary=$build/fuzz/$target
  log=$build/logs/$target.log
  regressions=fuzz/regressions/$target
  if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
    if ! "$binary" "$regressions"/* >"$log" 2>&1; then
      echo "$target: a regression input fails again" >&2; tail -n 40 "$log" >&2
      failed+=("$target"); continue
    fi
  fi
  # New inputs go to the working corpus; the committed seeds stay as they are.
  work=$build/corpus/$target
  mkdir -p "$work"
  if "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="${max_len[$target]}" \
      -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 \
      "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    summary+=("$(printf '%-22s %12s executions in %ss' "$target" "${runs:-?}" "$seconds")")
  else
    echo "$target FAILED:" >&2; tail -n 60 "$log" >&2
    failed+=("$target")
  fi
done

printf '%s\n' "${summary[@]}"
if ((${#failed[@]})); then
  echo "fuzzing failed: ${failed[*]} (inputs in $build/artifacts/)" >&2
  exit 1
fi
