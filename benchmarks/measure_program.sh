#!/usr/bin/env bash
# Measures one stopwatch program on the current X display, which must have a
# window manager (scripts/with-xvfb.sh --wm gives each run its own Xvfb and
# openbox), inside a session bus (dbus-run-session):
#   benchmarks/measure_program.sh PROBE NAME [PROGRAM_DIR]
# PROBE is the built tovira_x11_probe; NAME is ToviraWatch or baseline (another
# build of it; PROGRAM_DIR is then its program folder), kronometer or gnome-clocks.
#
# The program is launched once to warm the caches, then again for the
# measurement: the time from the fork to its window being viewable; then, over
# 10 s each, the program stopped and idle, and running (its stopwatch started by
# a click on its start button and seen to run): the CPU time of the program and of
# the X server, and the program's wake-ups (the context switches of all its
# threads); last the program's peak resident set. Prints one line (the session
# bus's helpers may print too, so the line is marked):
#   result NAME LAUNCH_MS STOPPED_CPU% STOPPED_XSERVER_CPU% STOPPED_WAKEUPS/S
#          RUNNING_CPU% RUNNING_XSERVER_CPU% RUNNING_WAKEUPS/S PEAK_RSS_KB
set -euo pipefail

probe=$1
name=$2
program_dir=${3:-}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
sample_seconds=10

scratch=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

# Each program starts from a fresh home: no state left by an earlier run.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config XDG_DATA_HOME=$scratch/home/.local/share
export XDG_CACHE_HOME=$scratch/home/.cache XDG_RUNTIME_DIR=$scratch/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

xserver_pid=$(tr -d ' \n' <"/tmp/.X${DISPLAY#:}-lock")
xserver_pid=${xserver_pid%%[!0-9]*}

# utime + stime of a process, in clock ticks.
cpu_ticks() {
  local stat
  read -r stat <"/proc/$1/stat"
  stat=${stat##*) }
  # shellcheck disable=SC2086
  set -- $stat
  echo $((${12} + ${13}))
}

# Context switches, voluntary and not, summed over the threads the process has now.
context_switches() {
  cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^(non)?voluntary_ctxt_switches:/ { s += $2 } END { print s + 0 }'
}

# Samples one phase: prints "PROGRAM_CPU% XSERVER_CPU% WAKEUPS/S".
sample() {
  local start_time program_start xserver_start switches_start end_time
  start_time=$EPOCHREALTIME
  program_start=$(cpu_ticks "$pid")
  xserver_start=$(cpu_ticks "$xserver_pid")
  switches_start=$(context_switches "$pid")
  sleep "$sample_seconds"
  awk -v p0="$program_start" -v p1="$(cpu_ticks "$pid")" -v x0="$xserver_start" -v x1="$(cpu_ticks "$xserver_pid")" \
    -v s0="$switches_start" -v s1="$(context_switches "$pid")" -v t0="$start_time" -v t1="$EPOCHREALTIME" \
    -v hz="$(getconf CLK_TCK)" 'BEGIN {
      seconds = t1 - t0
      printf "%.2f %.2f %.1f\n", 100 * (p1 - p0) / hz / seconds, 100 * (x1 - x0) / hz / seconds, (s1 - s0) / seconds
    }'
}

case $name in
  ToviraWatch | baseline)
    cp -r "$program_dir" "$scratch/program"
    cp "$source_dir/resources/settings/ToviraWatch.ini" "$scratch/program/ToviraWatch.ini"
    command=("$scratch/program/ToviraWatch")
    ;;
  kronometer)
    command=(kronometer)
    ;;
  gnome-clocks)
    # Open on the Stopwatch page, as the page last shown is remembered; draw with
    # cairo, as a GL renderer on a virtual screen would measure Mesa's software rasteriser.
    export GSETTINGS_BACKEND=keyfile GSK_RENDERER=cairo LIBGL_ALWAYS_SOFTWARE=1
    mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
    printf '[org/gnome/clocks/state/window]\npanel-id=%s\n' "'stopwatch'" >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile"
    command=(gnome-clocks)
    ;;
  *)
    echo "unknown program: $name" >&2
    exit 2
    ;;
esac

# Where to click to start the stopwatch, in the window's own pixels.
start_button() {
  local window=$1 x y count
  case $name in
    # The yellow Start button of ToviraWatch; the blue suggested-action Start button of gnome-clocks.
    ToviraWatch | baseline) read -r x y count < <("$probe" find-colour "$window" ffff80 12) ;;
    gnome-clocks) read -r x y count < <("$probe" find-colour "$window" 3584e4 12) ;;
    # Kronometer's Start is the first button of its tool bar, at the top left.
    kronometer) x=26 y=23 ;;
  esac
  echo "$x $y"
}

launch() {
  local out
  out=$("$probe" launch "$scratch/$name.log" -- "${command[@]}") || {
    pid=${out%% *}
    cat "$scratch/$name.log" >&2
    exit 1
  }
  read -r pid window launch_ms <<<"$out"
}

stop_program() {
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -9 "$pid" 2>/dev/null || true
  pid=
}

launch
sleep 1
stop_program
sleep 0.5

launch
# Let start-up work that follows the first map finish before measuring.
sleep 1.5
stopped=$(sample)
read -r x y < <(start_button "$window") || {
  echo "$name: no start button found" >&2
  exit 1
}
xdotool mousemove --window "$window" "$x" "$y" click 1
sleep 0.5
before=$("$probe" digest "$window")
sleep 0.5
after=$("$probe" digest "$window")
if [ "$before" = "$after" ]; then
  echo "$name: the stopwatch does not run after the click at ($x, $y)" >&2
  exit 1
fi
running=$(sample)
peak_rss=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status")
echo "result $name $launch_ms $stopped $running $peak_rss"
stop_program
