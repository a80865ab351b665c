#!/usr/bin/env bash
# Installs what is missing, builds ToviraWatch and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build -DTOVIRA_BUILD_TESTS=OFF
exec build/program/ToviraWatch
