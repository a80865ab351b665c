#!/usr/bin/env bash
# Runs a command on a private Xvfb server (and, with --wm, under openbox).
# Each call gets its own display, so X11 tests can run side by side.
#   scripts/with-xvfb.sh [--wm] [--size WxH] -- command args...
set -euo pipefail

wm=0
size=1280x1024
while [ $# -gt 0 ]; do
  case "$1" in
    --wm) wm=1; shift ;;
    --size) size=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done

fifo_dir=$(mktemp -d)
trap 'kill ${wm_pid:-} ${xvfb_pid:-} 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$fifo_dir"' EXIT
mkfifo "$fifo_dir/displayfd"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -dpi 96 3>"$fifo_dir/displayfd" >"$fifo_dir/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 20 display_number <"$fifo_dir/displayfd" || { echo "Xvfb did not start" >&2; cat "$fifo_dir/xvfb.log" >&2; exit 1; }
export DISPLAY=":$display_number"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

if [ "$wm" = 1 ]; then
  openbox --sm-disable >"$fifo_dir/openbox.log" 2>&1 &
  wm_pid=$!
  for _ in $(seq 1 100); do
    wmctrl -m >/dev/null 2>&1 && break
    sleep 0.05
  done
  wmctrl -m >/dev/null 2>&1 || { echo "openbox did not start" >&2; cat "$fifo_dir/openbox.log" >&2; exit 1; }
fi

"$@"
