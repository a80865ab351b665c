#!/usr/bin/env bash
# A short scripted session of the real program under valgrind's memcheck, tick
# sound on: start,
# laps, stop, the four display modes chosen from the keyboard menu, reset, close.
# Fails on any invalid access or use of uninitialised memory, and on memory
# definitely lost, outside what tests/sanitizers/valgrind.supp excuses. Prints
# the leak summary.
#   scripts/with-xvfb.sh --wm -- tests/reliability/valgrind_session.sh PROGRAM_DIR [LOG]
set -euo pipefail
source "$(dirname "$0")/session_common.sh"

copy=$(make_program_copy "$1")
# With the tick sound on, SDL's audio (on its dummy driver: Xvfb has no sound) runs too.
sed -i 's/^PlaySound=.*/PlaySound=1/' "$copy/ToviraWatch.ini"
export SDL_AUDIODRIVER=dummy
log=${2:-$copy/valgrind.log}
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$copy"' EXIT

valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
  --show-leak-kinds=definite --num-callers=40 --gen-suppressions=all \
  --suppressions="$source_dir/tests/sanitizers/valgrind.supp" --log-file="$log" \
  "$copy/ToviraWatch" &
pid=$!
window=$(wait_for_window "$pid" 300)

# Under valgrind the program is some fifty times slower: keys are spaced out, and
# a menu walk that a slow popup swallowed is cancelled and tried again.
key_delay_ms=${KEY_DELAY_MS:-4000}
title() { xdotool getwindowname "$window"; }
# Waits up to $2 seconds for the caption to differ from $1 (each mode carries its own suffix).
title_changes_from() {
  local deadline=$((SECONDS + $2))
  while [ "$(title)" = "$1" ]; do
    ((SECONDS < deadline)) || return 1
    sleep 0.5
  done
}
# Chooses display mode N (1 to 4) from Conf > Marcadores with the keyboard.
choose_mode() {
  local before downs=()
  before=$(title)
  for ((i = 1; i < $1; i++)); do downs+=(Down); done
  for _attempt in 1 2 3; do
    xdotool windowactivate --sync "$window" 2>/dev/null || true
    xdotool key --delay "$key_delay_ms" alt Right Down Down Down Down Right "${downs[@]}" Return
    title_changes_from "$before" 30 && return 0
    xdotool key --delay "$key_delay_ms" Escape Escape Escape
  done
  return 1
}

click "$window" "$start_x" "$buttons_y"; sleep 3
for _ in 1 2 3; do click "$window" "$lap_x" "$buttons_y"; sleep 2; done
click "$window" "$start_x" "$buttons_y"; sleep 2
# The first showing of each popup is the slowest: open the submenu once and leave it.
xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool key --delay "$key_delay_ms" alt Right Down Down Down Down Right Escape Escape Escape
# Known gap: under valgrind the keyboard walk through the menus often overshoots
# (the popups open too slowly); the session then goes on without the mode changes
# rather than lose the memory check of everything else.
for mode in 2 3 4 1; do
  choose_mode "$mode" || { echo "valgrind session: WARNING: display mode $mode could not be chosen" >&2; break; }
done
click "$window" "$lap_x" "$buttons_y"; sleep 2
failure_box_shown && { echo "valgrind session: a failure box appeared" >&2; exit 1; }

wmctrl -i -c "$window"
status=0
wait "$pid" || status=$?
sed -n '/LEAK SUMMARY/,/suppressed:/p; /ERROR SUMMARY/p' "$log"
if ((status != 0)); then
  echo "valgrind session: exit status $status (99: memcheck found errors), see $log" >&2
  exit 1
fi
