#!/usr/bin/env bash
# Builds the Windows program (scripts/build-windows.sh) and runs its tests with ctest:
# the cross-built unit tests under Wine, and the walks that drive the program under
# Wine on a private Xvfb with openbox. Separate from scripts/test.sh, which needs no
# Wine prefix and stays quick.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-windows.sh
(cd build-windows && ctest --output-on-failure)
