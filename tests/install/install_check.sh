#!/usr/bin/env bash
# Installs this build tree the way a user would and checks the result:
#   install_check.sh tree    BUILD_DIR   the installed tree, desktop entry, metainfo, icons
#   install_check.sh launch  BUILD_DIR   starts the installed program from its desktop entry (needs X and a WM)
#   install_check.sh archive BUILD_DIR   packs the portable archive, unpacks it elsewhere and starts it
# Every path holds a blank, so quoting mistakes show.
set -euo pipefail

mode=$1
build=$2
cmake=${TOVIRA_CMAKE:-cmake}
cpack=${TOVIRA_CPACK:-cpack}
source_dir=${TOVIRA_SOURCE_DIR:?}
app_id=io.github.tovirawatch.ToviraWatch
caption='Tovira Watch[秒]'  # the default settings choose the seconds display

work=$(mktemp -d "${TMPDIR:-/tmp}/tovira install.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

install_to() {
  "$cmake" --install "$build" --prefix "$1" >"$work/install.log" || { cat "$work/install.log" >&2; fail "install into $1"; }
}

# The program named by the desktop entry's Exec key: the string escapes first,
# then the quoting of one argument, then %% (the order the entry format sets).
desktop_exec() {
  local value
  value=$(sed -n 's/^Exec=//p' "$1")
  value=${value//\\\\/\\}
  [[ $value == \"*\" ]] || fail "Exec is not one quoted argument: $value"
  value=${value:1:${#value}-2}
  value=$(printf '%s' "$value" | sed -E 's/\\(.)/\1/g')
  printf '%s' "${value//%%/%}"
}

window_shown() { wmctrl -l | grep -qF "$caption"; }

# Starts a program, waits for its window, closes it as the window manager would
# and waits for the program to end.
run_and_close() {
  local pid
  (cd "$work" && exec "$@") &
  pid=$!
  for _ in $(seq 600); do
    window_shown && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before its window showed"
    sleep 0.1
  done
  window_shown || fail "no window \"$caption\""
  wmctrl -c "$caption"
  for _ in $(seq 600); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "the program did not end when its window was closed"; }
  wait "$pid" || fail "the program ended with status $?"
}

# Hand-written blanks around a value are read as the number and written back
# without them, so the file shows whether the program saved its settings there.
pad_a_setting() {
  sed -i 's/^LapType=1$/LapType=  1  /' "$1"
  grep -qx 'LapType=  1  ' "$1" || fail "the default settings in $1 hold no LapType=1"
}
expect_saved() {
  grep -qx 'LapType=1' "$1" || fail "settings not saved in $1"
  [ "$(grep -c '=' "$1")" -eq 9 ] || fail "settings in $1 do not hold the nine keys"
  [ ! -e "$work/ToviraWatch.ini" ] || fail "settings written into the working directory"
}

check_tree() {
  local prefix="$work/prefix dir" folder exe
  install_to "$prefix"
  folder="$prefix/lib/ToviraWatch"
  exe="$folder/ToviraWatch"
  [ -x "$exe" ] && [ -f "$exe" ] || fail "no program at $exe"
  cmp -s "$folder/tick.wav" "$source_dir/resources/sounds/tick.wav" || fail "tick.wav"
  cmp -s "$folder/ToviraWatch.ini" "$source_dir/resources/settings/ToviraWatch.ini" || fail "default settings"
  [ "$(readlink "$prefix/bin/tovirawatch")" = ../lib/ToviraWatch/ToviraWatch ] || fail "launcher link"
  [ "$(readlink -f "$prefix/bin/tovirawatch")" = "$(readlink -f "$exe")" ] || fail "launcher target"

  local desktop="$prefix/share/applications/$app_id.desktop"
  desktop-file-validate "$desktop" || fail "desktop entry"
  [ "$(desktop_exec "$desktop")" = "$prefix/bin/tovirawatch" ] || fail "Exec names $(desktop_exec "$desktop")"
  grep -qx "Icon=$app_id" "$desktop" || fail "Icon key"
  appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" || fail "metainfo"
  for size in 16 32 48 128 256; do
    local icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    [ "$(identify -format '%m %wx%h' "$icon")" = "PNG ${size}x${size}" ] || fail "icon $icon"
  done

  # Installing again keeps what the user has saved.
  printf '[ToviraWatch]\nLapType=3\n' >"$folder/ToviraWatch.ini"
  install_to "$prefix"
  [ "$(cat "$folder/ToviraWatch.ini")" = $'[ToviraWatch]\nLapType=3' ] || fail "a second install replaced the settings"

  # Characters with a meaning in a desktop entry still name the launcher.
  local odd="$work/odd \$HOME \"q\" back\\slash 100% \`x\` 'a'/bin/tovirawatch" entry="$work/odd.desktop"
  "$cmake" -DTEMPLATE="$source_dir/packaging/$app_id.desktop.in" -DLAUNCHER="$odd" -DDESTINATION="$entry" \
    -P "$source_dir/packaging/write_desktop_entry.cmake" >/dev/null
  desktop-file-validate "$entry" || fail "desktop entry for $odd"
  [ "$(desktop_exec "$entry")" = "$odd" ] || fail "Exec for $odd reads $(desktop_exec "$entry")"
}

check_launch() {
  local prefix="$work/prefix dir"
  install_to "$prefix"
  pad_a_setting "$prefix/lib/ToviraWatch/ToviraWatch.ini"
  run_and_close "$(desktop_exec "$prefix/share/applications/$app_id.desktop")"
  expect_saved "$prefix/lib/ToviraWatch/ToviraWatch.ini"
}

check_archive() {
  local package="$work/package" unpacked="$work/unpacked anywhere" archive
  (cd "$work" && "$cpack" -G TGZ --config "$build/CPackConfig.cmake" -B "$package" >"$work/cpack.log") ||
    { cat "$work/cpack.log" >&2; fail "cpack"; }
  archive=$(find "$package" -maxdepth 1 -name 'ToviraWatch-*.tar.gz')
  [ -n "$archive" ] || fail "no archive"
  mkdir "$unpacked"
  tar -xzf "$archive" -C "$unpacked"
  [ "$(cd "$unpacked" && find . | sort | tr '\n' ' ')" = \
    ". ./ToviraWatch ./ToviraWatch/ToviraWatch ./ToviraWatch/ToviraWatch.ini ./ToviraWatch/tick.wav " ] ||
    fail "archive holds $(cd "$unpacked" && find . | sort | tr '\n' ' ')"
  pad_a_setting "$unpacked/ToviraWatch/ToviraWatch.ini"
  run_and_close "$unpacked/ToviraWatch/ToviraWatch"
  expect_saved "$unpacked/ToviraWatch/ToviraWatch.ini"
}

case "$mode" in
  tree) check_tree ;;
  launch) check_launch ;;
  archive) check_archive ;;
  *) fail "unknown mode $mode" ;;
esac
echo "install check '$mode' passed"
