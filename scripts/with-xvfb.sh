#!/usr/bin/env bash
# Runs a command on a private Xvfb server (and, with --wm, under openbox).
# Each call gets its own display and its own authorization cookie, so X11 tests
# can run side by side without reaching each other's server.
#   scripts/with-xvfb.sh [--wm] [--size WxH] [--screens N] -- command args...
# With --screens, N monitors of that size stand side by side on one X screen, as
# RandR and its Xinerama view tell every client (Xvfb's own Xinerama stacks its
# screens on top of each other).
set -euo pipefail

wm=0
size=1280x1024
screens=1
while [ $# -gt 0 ]; do
  case "$1" in
    --wm) wm=1; shift ;;
    --size) size=$2; shift 2 ;;
    --screens) screens=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done

work=$(mktemp -d)
cleanup() {
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export XAUTHORITY="$work/Xauthority"
: >"$XAUTHORITY"
cookie=$(mcookie)

# Choosing a display number and starting the server happen under one lock, so
# two runs never pick the same number. The lock is each user's own (a file another
# user made could not be opened); between users a number taken first makes the
# other's server fail to start, and the next number is tried.
exec 9>"/tmp/.tovira-xvfb-$(id -u).lock"
flock 9
for n in $(seq 100 399); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  xauth -q -f "$XAUTHORITY" add ":$n" . "$cookie"
  # -noreset: without it the server resets when its last client leaves, and a
  # client connecting during that reset is refused.
  Xvfb ":$n" -auth "$XAUTHORITY" -noreset -screen 0 "$((${size%x*} * screens))x${size#*x}x24" -nolisten tcp \
    -dpi 96 >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 200); do
    kill -0 "$xvfb_pid" 2>/dev/null || break
    xdpyinfo -display ":$n" >/dev/null 2>&1 && { export DISPLAY=":$n"; break 2; }
    sleep 0.05
  done
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  unset xvfb_pid
done
flock -u 9
exec 9>&-
[ -n "${DISPLAY:-}" ] && [ -n "${xvfb_pid:-}" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2 || true; exit 1; }

if ((screens > 1)); then
  width=${size%x*} height=${size#*x}
  # Physical sizes at 96 dpi, so each monitor keeps the screen's resolution.
  millimetres="$((width * 254 / 960))x$((height * 254 / 960))"
  for i in $(seq 0 $((screens - 1))); do
    xrandr --setmonitor "monitor$i" "$width/${millimetres%x*}x$height/${millimetres#*x}+$((i * width))+0" none
  done
  # Xvfb's one output would stand for a third monitor over the whole screen.
  xrandr --fb "$((width * screens))x$height" --output screen --off
fi

unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
# No session bus: Qt's accessibility and theme lookups must not try to start one.
export DBUS_SESSION_BUS_ADDRESS=disabled:

if [ "$wm" = 1 ]; then
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  for _ in $(seq 1 200); do
    wmctrl -m >/dev/null 2>&1 && break
    sleep 0.05
  done
  if ! wmctrl -m >/dev/null 2>&1; then
    echo "openbox did not start on $DISPLAY" >&2
    cat "$work/openbox.log" "$work/xvfb.log" >&2
    kill -0 "$xvfb_pid" 2>/dev/null && echo "Xvfb $xvfb_pid alive" >&2
    xdpyinfo >/dev/null && echo "xdpyinfo connects" >&2
    ls -la /tmp/.X11-unix/ /tmp/.X*-lock >&2
    exit 1
  fi
fi

"$@"
