# Shared by the soak and the valgrind session (sourced; runs under with-xvfb.sh --wm):
# a private copy of the program folder with the shipped settings, finding the
# window, clicking its controls, and watching for a failure box.

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Client-area pixels (15 twips per pixel) of the button centres with every element shown.
start_x=62; lap_x=194; buttons_y=313
client_height=420

# make_program_copy PROGRAM_DIR: prints the new folder. The program reads its
# settings and tick.wav from its own folder, so the copy keeps the build's alone.
make_program_copy() {
  local copy
  copy=$(mktemp -d)
  cp "$1/ToviraWatch" "$1/tick.wav" "$copy/"
  cp "$source_dir/resources/settings/ToviraWatch.ini" "$copy/"
  echo "$copy"
}

# wait_for_window PID SECONDS: prints the id of the program's main window.
wait_for_window() {
  local pid=$1 deadline=$((SECONDS + $2)) id
  while ((SECONDS < deadline)); do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended before showing its window" >&2; return 1; }
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
      if xdotool getwindowname "$id" 2>/dev/null | grep -q '^Tovira Watch'; then echo "$id"; return 0; fi
    done
    sleep 0.5
  done
  echo "the window did not appear within $2 s" >&2
  return 1
}

# click WINDOW X Y: a left click at client-area pixel (X, Y); the menu bar sits above the client area.
# The menu bar's height is measured once: one xdotool call per click keeps pace with the soak.
click() {
  if [ -z "${menu_height:-}" ]; then
    menu_height=$(($(xdotool getwindowgeometry --shell "$1" | sed -n 's/^HEIGHT=//p') - client_height))
  fi
  xdotool mousemove --window "$1" "$2" $(($3 + menu_height)) click 1
}

# A failure is shown in a box titled "ToviraWatch" (the main window's caption differs).
failure_box_shown() {
  xdotool search --onlyvisible --name '^ToviraWatch$' >/dev/null 2>&1
}

resident_kb() { sed -n "s/^$2:[[:space:]]*\([0-9]*\) kB/\1/p" "/proc/$1/status"; }
