#!/usr/bin/env bash
# Installs this build tree the way a user would and checks the result:
#   install_check.sh tree    BUILD_DIR   the installed tree, desktop entry, metainfo, icons, uninstalling
#   install_check.sh launch  BUILD_DIR   starts the installed program from its desktop entry (needs X and a WM)
#   install_check.sh archive BUILD_DIR   packs the portable archive, unpacks it elsewhere and starts it
#   install_check.sh package BUILD_DIR   builds the Debian package, installs it and runs it as two
#                                        users (as root with dpkg only, and removes it again)
# Installing names the component, so the record of the user's own install
# (BUILD_DIR/install_manifest.txt) stays as it was.
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

manifest=$build/install_manifest_program.txt

install_to() {
  "$cmake" --install "$build" --prefix "$1" --component program >"$work/install.log" ||
    { cat "$work/install.log" >&2; fail "install into $1"; }
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
window_id() { wmctrl -l | grep -F "$caption" | cut -d' ' -f1; }

# The same class however the program was started, the one the desktop entry names.
expect_wm_class() {
  local class
  class=$(xprop -id "$(window_id)" WM_CLASS)
  [ "$class" = 'WM_CLASS(STRING) = "tovirawatch", "ToviraWatch"' ] || fail "started as $1: $class"
  grep -qx 'StartupWMClass=ToviraWatch' "$source_dir/packaging/$app_id.desktop.in" || fail "StartupWMClass"
}

# Starts a program, waits for its window captioned $caption, checks its class,
# types $keys (when set) and waits for the caption $chosen, closes the window as
# the window manager would and waits for the program to end.
run_and_close() {
  local pid window
  (cd "$work" && "$@") &
  pid=$!
  for _ in $(seq 600); do
    window_shown && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before its window showed"
    sleep 0.1
  done
  window_shown || fail "no window \"$caption\""
  expect_wm_class "$1"
  window=$(window_id)
  if [ -n "${keys:-}" ]; then
    # shellcheck disable=SC2086  # one key a word
    xdotool windowactivate --sync "$window" key --delay 80 $keys
    for _ in $(seq 100); do
      caption=$chosen window_shown && break
      sleep 0.1
    done
    caption=$chosen window_shown || fail "typing $keys did not change the caption to $chosen"
  fi
  wmctrl -i -c "$window"
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
  cmp -s "$folder/LICENSE" "$source_dir/LICENSE" || fail "licence in the program folder"

  local desktop="$prefix/share/applications/$app_id.desktop"
  desktop-file-validate "$desktop" || fail "desktop entry"
  [ "$(desktop_exec "$desktop")" = "$prefix/bin/tovirawatch" ] || fail "Exec names $(desktop_exec "$desktop")"
  grep -qx "Icon=$app_id" "$desktop" || fail "Icon key"
  appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" || fail "metainfo"
  check_metainfo "$prefix/share/metainfo/$app_id.metainfo.xml"
  for size in 16 32 48 64 128 256; do
    local icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    [ "$(identify -format '%m %wx%h' "$icon")" = "PNG ${size}x${size}" ] || fail "icon $icon"
  done
  # The scalable icon draws the same picture as the pixel ones.
  local svg="$prefix/share/icons/hicolor/scalable/apps/$app_id.svg" difference
  rsvg-convert -w 256 -h 256 "$svg" -o "$work/scalable.png" || fail "scalable icon $svg"
  difference=$(compare -metric RMSE "$work/scalable.png" "$source_dir/resources/images/icon_256.png" null: 2>&1 || true)
  awk -v d="$difference" 'BEGIN { split(d, f, /[()]/); exit !(f[2] < 0.02) }' ||
    fail "the scalable icon differs from the 256 px one: RMSE $difference"

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

  check_uninstall "$prefix"
}

# What software centres show: licences, developer, links, a screenshot the
# repository holds, the rating, and a release of this version.
check_metainfo() {
  python3 - "$1" "$source_dir" "${TOVIRA_VERSION:?}" <<'PY' || fail "metainfo fields"
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

root = ET.parse(sys.argv[1]).getroot()
repository = "https://github.com/tovirawatch/ToviraWatch"
raw = "https://raw.githubusercontent.com/tovirawatch/ToviraWatch/main/"
expected = [  # (element path, attribute or None for the text, value)
    ("metadata_license", None, "CC0-1.0"),
    ("project_license", None, "MIT"),
    ("developer", "id", "io.github.tovirawatch"),
    ("developer/name", None, "The ToviraWatch developers"),
    ("developer_name", None, "The ToviraWatch developers"),
    ("url[@type='homepage']", None, repository),
    ("url[@type='bugtracker']", None, repository + "/issues"),
    ("screenshots/screenshot[@type='default']/image", None, raw + "docs/screenshot.png"),
    ("content_rating", "type", "oars-1.1"),
    ("releases/release[1]", "version", sys.argv[3]),
]
wrong = []
for path, attribute, value in expected:
    element = root.find(path)
    found = None if element is None else (element.get(attribute) if attribute else (element.text or "").strip())
    if found != value:
        wrong.append(f"{path} {attribute or 'text'}: {found!r}, not {value!r}")
if not (Path(sys.argv[2]) / "docs/screenshot.png").is_file():
    wrong.append("the screenshot is not in the repository")
for line in wrong:
    print(line, file=sys.stderr)
sys.exit(1 if wrong else 0)
PY
}

# Uninstalling removes what was installed and the folders it emptied; the
# settings stay unless purged, and so does whatever else the prefix held.
check_uninstall() {
  local prefix=$1 settings=$'[ToviraWatch]\nLapType=4'
  printf '%s' "$settings" >"$prefix/lib/ToviraWatch/ToviraWatch.ini"
  mkdir "$prefix/share/empty before"
  : >"$prefix/share/applications/other.desktop"
  bash "$source_dir/scripts/uninstall.sh" "$manifest" >"$work/uninstall.log" || fail "uninstall"
  [ "$(cat "$prefix/lib/ToviraWatch/ToviraWatch.ini")" = "$settings" ] || fail "uninstalling changed the settings"
  local left
  left=$(cd "$prefix" && find . -mindepth 1 | sort | tr '\n' ' ')
  [ "$left" = "./lib ./lib/ToviraWatch ./lib/ToviraWatch/ToviraWatch.ini ./share ./share/applications \
./share/applications/other.desktop ./share/empty before " ] || fail "uninstalling left $left"
  bash "$source_dir/scripts/uninstall.sh" --purge "$manifest" >"$work/uninstall.log" || fail "uninstall --purge"
  left=$(cd "$prefix" && find . -mindepth 1 | sort | tr '\n' ' ')
  [ "$left" = "./share ./share/applications ./share/applications/other.desktop ./share/empty before " ] ||
    fail "uninstalling with --purge left $left"
}

check_launch() {
  local prefix="$work/prefix dir"
  install_to "$prefix"
  pad_a_setting "$prefix/lib/ToviraWatch/ToviraWatch.ini"
  # A Wayland session's choice of Qt platform does not keep the program from starting.
  QT_QPA_PLATFORM=wayland run_and_close "$(desktop_exec "$prefix/share/applications/$app_id.desktop")"
  expect_saved "$prefix/lib/ToviraWatch/ToviraWatch.ini"

  # Without an X display: one plain line and a failure status.
  local display status
  for display in "" ":$((RANDOM + 40000))"; do
    status=0
    env DISPLAY="$display" "$prefix/bin/tovirawatch" >"$work/out.log" 2>"$work/err.log" || status=$?
    [ "$status" = 1 ] && [ ! -s "$work/out.log" ] && [ "$(wc -l <"$work/err.log")" = 1 ] &&
      grep -q "^ToviraWatch: .*X display" "$work/err.log" ||
      fail "with DISPLAY=\"$display\": status $status, said $(cat "$work/out.log" "$work/err.log")"
  done
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
    ". ./ToviraWatch ./ToviraWatch/LICENSE ./ToviraWatch/ToviraWatch ./ToviraWatch/ToviraWatch.ini ./ToviraWatch/tick.wav " ] ||
    fail "archive holds $(cd "$unpacked" && find . | sort | tr '\n' ' ')"
  pad_a_setting "$unpacked/ToviraWatch/ToviraWatch.ini"
  run_and_close "$unpacked/ToviraWatch/ToviraWatch"
  expect_saved "$unpacked/ToviraWatch/ToviraWatch.ini"
}

skip() {
  echo "SKIP: $*"
  exit 77
}

# Runs a command as a test user in a plain environment on this test's X server.
as_user() {
  local user=$1
  shift
  runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="/home/$user" USER="$user" LANG=C.UTF-8 \
    DISPLAY="$DISPLAY" XAUTHORITY="$shared/Xauthority" DBUS_SESSION_BUS_ADDRESS=disabled: "$@"
}

# Starts the installed program as the user, expecting the caption, with keys and chosen as run_and_close takes them.
run_as_user() {
  local user=$1
  caption=$2 run_and_close as_user "$user" "${@:3}" /usr/bin/tovirawatch
  echo "$user saw: $2${chosen:+, then chose $chosen}"
}

# A test user and everything of theirs: processes still running (a program the
# test was waiting for) would keep userdel from removing the account.
remove_test_user() {
  id "$1" >/dev/null 2>&1 || return 0
  pkill -KILL -u "$1" 2>/dev/null || true
  userdel -r -f "$1" >/dev/null 2>&1 || true
  ! id "$1" >/dev/null 2>&1 || echo "could not remove the test user $1" >&2
}

# The package as a user of the machine gets it: installed for everyone, each
# user's choices kept in their own copy, the shipped defaults untouched, every
# user's settings left behind when the package goes.
check_package() {
  [ "$(id -u)" = 0 ] || skip "the package test installs with dpkg and needs root"
  command -v dpkg >/dev/null && command -v lintian >/dev/null || skip "dpkg or lintian is not available"
  exec 8>/tmp/.tovira-package.lock
  flock 8
  ! dpkg-query -W -f='${Status}' tovirawatch 2>/dev/null | grep -q 'ok installed' ||
    skip "tovirawatch is installed on this machine; the test would replace it"

  shared=$(mktemp -d "${TMPDIR:-/tmp}/tovira-package.XXXXXX")
  chmod 755 "$shared"
  local users=(tovira-test-a tovira-test-b) user
  # The users go however the test ends: on failure, on a signal (a timeout), and
  # those a run that was killed outright left behind go before this one starts.
  trap 'dpkg -r tovirawatch >/dev/null 2>&1 || true; for u in "${users[@]}"; do remove_test_user "$u"; done
        rm -rf "$work" "$shared"' EXIT
  trap 'exit 1' INT TERM HUP
  for user in "${users[@]}"; do
    remove_test_user "$user"
    useradd -m -s /bin/sh "$user" || fail "useradd $user"
  done

  (cd "$work" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$shared" >"$work/cpack.log") ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB"; }
  local deb
  deb=$(find "$shared" -maxdepth 1 -name 'tovirawatch_*.deb')
  [ -n "$deb" ] || fail "no package"
  chmod 644 "$deb"
  echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"
  echo "depends: $(dpkg-deb -f "$deb" Depends)"
  as_user "${users[0]}" lintian -I --pedantic "$deb" >"$work/lintian.log" 2>&1 || true
  echo "lintian:"
  sed 's/^/  /' "$work/lintian.log"
  ! grep -q '^E:' "$work/lintian.log" || fail "lintian reports errors"

  dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -i"; }
  local shipped=/usr/lib/tovirawatch/ToviraWatch.ini
  cmp -s "$shipped" "$source_dir/resources/settings/ToviraWatch.ini" || fail "the package's default settings"
  cmp -s /usr/lib/tovirawatch/LICENSE "$source_dir/LICENSE" || fail "the package's licence"
  [ "$(readlink /usr/bin/tovirawatch)" = ../lib/tovirawatch/ToviraWatch ] || fail "the launcher"
  desktop-file-validate "/usr/share/applications/$app_id.desktop" || fail "desktop entry"
  [ "$(desktop_exec "/usr/share/applications/$app_id.desktop")" = /usr/bin/tovirawatch ] || fail "Exec"

  cp "$XAUTHORITY" "$shared/Xauthority"
  chmod 644 "$shared/Xauthority"
  # The first user keeps the default configuration folder, the second names one.
  local copy_a="/home/${users[0]}/.config/ToviraWatch/ToviraWatch.ini"
  local copy_b="/home/${users[1]}/config/ToviraWatch/ToviraWatch.ini"
  # Conf, Marcadores, HMS from the keyboard.
  keys="alt Right Down Down Down Down Right Down Return" chosen="Tovira Watch[時分秒]" \
    run_as_user "${users[0]}" "Tovira Watch[秒]"
  grep -qx 'LapType=2' "$copy_a" || fail "${users[0]}'s choice is not in $copy_a"
  [ "$(stat -c '%U %a' "$(dirname "$copy_a")")" = "${users[0]} 700" ] || fail "the folder of $copy_a"
  run_as_user "${users[0]}" "Tovira Watch[時分秒]"
  run_as_user "${users[1]}" "Tovira Watch[秒]" "XDG_CONFIG_HOME=/home/${users[1]}/config"
  cmp -s "$copy_b" "$source_dir/resources/settings/ToviraWatch.ini" || fail "${users[1]}'s copy is not the defaults"
  cmp -s "$shipped" "$source_dir/resources/settings/ToviraWatch.ini" || fail "a user changed the shared settings"

  dpkg -r tovirawatch >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -r"; }
  [ ! -e /usr/lib/tovirawatch ] && [ ! -e /usr/bin/tovirawatch ] || fail "dpkg -r left the program"
  grep -qx 'LapType=2' "$copy_a" && [ -f "$copy_b" ] || fail "removing the package lost a user's settings"
  echo "after dpkg -r: $copy_a and $copy_b kept"
}

case "$mode" in
  tree) check_tree ;;
  launch) check_launch ;;
  archive) check_archive ;;
  package) check_package ;;
  *) fail "unknown mode $mode" ;;
esac
echo "install check '$mode' passed"
