#!/usr/bin/env bash
# Cross-builds the Windows program with MinGW-w64 and packs it, installing what is
# missing first (scripts/setup.sh --windows). It leaves in build-windows/:
#   ToviraWatch.exe, tick.wav and ToviraWatch.ini   the program folder, runnable under Wine
#   ToviraWatch-<version>-windows-x64.zip           the folder to hand out, stripped
#   ToviraWatch-<version>-windows-x64.msi           the installer package of the same files, made by wixl
# Extra arguments go to CMake; JOBS sets the build's parallelism (all cores by default).
#
# RelWithDebInfo, as the Linux build: the optimised code that ships, with symbols that
# give source lines in Wine's backtraces when the bench finds a crash; the archive
# holds the same code stripped of them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --windows

dir=build-windows
bash scripts/build.sh "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake "$@"
(cd "$dir" && cpack >/dev/null)
ls "$dir"/ToviraWatch-*-windows-x64.zip "$dir"/ToviraWatch-*-windows-x64.msi
