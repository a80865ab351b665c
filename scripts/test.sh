#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the core alone,
# the Windows program under Wine, then the Linux program once plain and once with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests

jobs=$(nproc)

# The core and its tests on their own: no toolkit may appear on any include or link line.
bash scripts/build.sh build-core -DTOVIRA_CORE_ONLY=ON
if grep -qiE 'qt6|libqt|/qt/' build-core/build.ninja; then
  echo "The core's build names Qt:" >&2
  grep -oiE '[^ ]*(qt6|libqt|/qt/)[^ ]*' build-core/build.ninja | sort -u | head >&2
  exit 1
fi
(cd build-core && ctest --output-on-failure --parallel "$jobs")

bash scripts/test-windows.sh

bash scripts/build.sh build-tests
(cd build-tests && ctest --output-on-failure --parallel "$jobs")

export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
bash scripts/build.sh build-asan -DTOVIRA_SANITIZE=ON
(cd build-asan && ctest --output-on-failure --parallel "$jobs")
