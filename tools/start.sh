#!/bin/bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup-debian.sh
tools/build.sh build -- velmora velmora-render
exec build/app/velmora "$@"
