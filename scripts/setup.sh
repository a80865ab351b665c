#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing ToviraWatch need.
# Idempotent: when everything is present it returns at once without touching apt.
# Packages given as arguments are installed too (the benchmark's peers).
set -euo pipefail

packages=(
  cmake g++ make pkg-config ninja-build
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  libsdl2-dev libxcb1-dev libxcb-shape0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic
  xvfb xauth xdotool openbox wmctrl x11-utils imagemagick
  python3
  desktop-file-utils appstream
  clang-14 libclang-rt-14-dev valgrind
)

# Testing only: the INI test against the platform's own profile calls (a Windows
# program cross-built with MinGW, run by Wine).
packages+=(wine64 gcc-mingw-w64-x86-64)

packages+=("$@")

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
