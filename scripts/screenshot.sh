#!/usr/bin/env bash
# Takes a screenshot of the real program under a private Xvfb with a window
# manager: it starts the stopwatch, records two laps and stops, then captures the
# window with its frame. The program runs from a scratch copy of its folder, so
# the settings beside the built program stay untouched.
#   scripts/screenshot.sh [--scale N] [OUTPUT.png]    (default docs/screenshot.png)
# --scale 2 shows the program at device pixel ratio 2 (QT_SCALE_FACTOR).
set -euo pipefail
cd "$(dirname "$0")/.."

scale=1
if [ "${1:-}" = --scale ]; then
  scale=$2
  shift 2
fi
output=$(realpath -m "${1:-docs/screenshot.png}")
program=$(realpath "${TOVIRA_PROGRAM:-build/program/ToviraWatch}")
[ -x "$program" ] || { echo "No program at $program: build it first (bash scripts/run.sh or scripts/build.sh build)" >&2; exit 1; }

if [ -z "${TOVIRA_SCREENSHOT_INSIDE:-}" ]; then
  export TOVIRA_SCREENSHOT_INSIDE=1 TOVIRA_PROGRAM="$program"
  exec scripts/with-xvfb.sh --wm --size 1600x1200 -- "$0" --scale "$scale" "$output"
fi

work=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$program" "$(dirname "$program")/tick.wav" "$work/"
cat >"$work/ToviraWatch.ini" <<'INI'
[ToviraWatch]
Showbutton=1
ShowDigital=1
ShowAnalog=1
LapType=4
AnalogScale=1
AnalogColor=C80000
WindowForceFront=0
BehaviorMode=0
PlaySound=0
INI

QT_SCALE_FACTOR=$scale "$work/ToviraWatch" &
pid=$!
window=
for _ in $(seq 100); do
  window=$(xdotool search --name '^Tovira Watch' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "The program's window did not show" >&2; exit 1; }
sleep 0.5

# In the normal behaviour mode a left press on the dial starts and stops, a right press records a lap.
press() {
  xdotool mousemove --window "$window" $((130 * scale)) $((150 * scale)) click "$1"
}
press 1; sleep 1.3
press 3; sleep 1.9
press 3; sleep 0.8
press 1; sleep 0.5

mkdir -p "$(dirname "$output")"
import -silent -frame -window "$window" "$output"
echo "Screenshot: $output"
