#!/bin/bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

# Tests that open windows draw off screen; no display is needed.
export QT_QPA_PLATFORM=offscreen

tools/setup-debian.sh
tools/build.sh build
ctest --test-dir build --output-on-failure -j "$(nproc)"
