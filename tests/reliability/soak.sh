#!/usr/bin/env bash
# The real program for SOAK_SECONDS (default 600) on the X server it is given,
# running with a lap clicked every 100 ms. Fails when a failure box appears, when
# resident memory grows by more than SOAK_MAX_GROWTH_KB (default 20 MB) between
# the end of the warm-up (30 s) and the end, or when the program does not close
# cleanly. Prints the memory figures.
#   scripts/with-xvfb.sh --wm -- tests/reliability/soak.sh PROGRAM_DIR
set -euo pipefail
source "$(dirname "$0")/session_common.sh"

seconds=${SOAK_SECONDS:-600}
warmup=${SOAK_WARMUP_SECONDS:-30}
max_growth=${SOAK_MAX_GROWTH_KB:-20480}
copy=$(make_program_copy "$1")
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$copy"' EXIT

"$copy/ToviraWatch" &
pid=$!
window=$(wait_for_window "$pid" 30)
first_kb=$(resident_kb "$pid" VmRSS)

click "$window" "$start_x" "$buttons_y"
click "$window" "$lap_x" "$buttons_y"
laps=1
# One xdotool process clicks a batch of laps 100 ms apart: starting a process per
# click, or xdotool's own "click" (which waits 100 ms), would take about as long
# as the interval itself.
batch=50
script=$(for _ in $(seq "$batch"); do printf 'sleep 0.1\nmousedown 1\nmouseup 1\n'; done)
started=$SECONDS
end=$((started + seconds))
while ((SECONDS < end)); do
  xdotool - <<<"$script"
  laps=$((laps + batch))
  # Resident memory once the warm-up is over: the reference for the growth check.
  [ -z "${warm_kb:-}" ] && ((SECONDS >= started + warmup)) && warm_kb=$(resident_kb "$pid" VmRSS)
  if failure_box_shown; then
    echo "soak: a failure box appeared after $laps laps" >&2; exit 1
  fi
done
last_kb=$(resident_kb "$pid" VmRSS)
peak_kb=$(resident_kb "$pid" VmHWM)
click "$window" "$start_x" "$buttons_y"
failure_box_shown && { echo "soak: a failure box appeared at the end" >&2; exit 1; }

wmctrl -i -c "$window"
status=0
wait "$pid" || status=$?
grep -q '^\[ToviraWatch\]' "$copy/ToviraWatch.ini" || { echo "soak: settings not saved" >&2; exit 1; }

echo "soak: $laps laps in ${seconds}s; VmRSS at start ${first_kb} kB, after warm-up ${warm_kb} kB," \
     "at end ${last_kb} kB; VmHWM ${peak_kb} kB; exit status $status"
((status == 0)) || { echo "soak: the program exited with status $status" >&2; exit 1; }
if ((last_kb - warm_kb > max_growth)); then
  echo "soak: resident memory grew by $((last_kb - warm_kb)) kB after the warm-up" >&2
  exit 1
fi
