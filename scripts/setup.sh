#!/usr/bin/env bash
# Installs the Debian packages ToviraWatch needs:
#   scripts/setup.sh                   what building and running need
#   scripts/setup.sh --tests [PKG...]  that, the test tool chain, and the packages named
#                                      (the benchmark's peers)
#   scripts/setup.sh --windows         only what the Windows build and its Wine bench need
# Idempotent: when everything is present it returns at once without touching apt.
set -euo pipefail

packages=(
  cmake g++ make pkg-config ninja-build
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  libsdl2-dev libxcb1-dev libxcb-shape0-dev
  fonts-ipafont-gothic
)

test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool openbox wmctrl x11-utils x11-xserver-utils imagemagick librsvg2-bin
  python3
  desktop-file-utils appstream lintian dpkg-dev file
  clang-14 libclang-rt-14-dev valgrind
  # The settings file's reading and writing checked against the platform's own
  # profile calls: a Windows program cross-built with MinGW, run by Wine.
  wine64 gcc-mingw-w64-x86-64
  # What a screen reader hears: the accessibility bus and its Python bindings.
  at-spi2-core python3-pyatspi dbus
  # Real sessions: a sound server with a null sink to record the ticks from,
  # synthetic input sent with XTest at a known moment, its stamps read back with
  # XInput2, and a session manager of the tests' own.
  pulseaudio pulseaudio-utils libxcb-xtest0-dev libxcb-xinput-dev libsm-dev libice-dev
)

# The Windows program cross-built with MinGW (GoogleTest built from Debian's
# sources, as no MinGW build of it is packaged), its artwork converted with
# ImageMagick, its installer package made by wixl (msitools reads the package's
# tables back), and the bench that runs it under Wine on a private Xvfb with openbox.
windows_packages=(
  cmake ninja-build g++-mingw-w64-x86-64 googletest imagemagick wixl msitools
  wine64 fonts-ipafont-gothic
  xvfb xauth openbox xdotool wmctrl x11-utils python3
)

if [ "${1:-}" = --tests ]; then
  shift
  packages+=("${test_packages[@]}" "$@")
elif [ "${1:-}" = --windows ] && [ $# -eq 1 ]; then
  packages=("${windows_packages[@]}")
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--tests [PACKAGE...] | --windows]" >&2
  exit 2
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
