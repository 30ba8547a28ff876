#!/bin/bash
# Configures and builds into a build folder: tools/build.sh [FOLDER [CMAKE OPTIONS...] [-- TARGETS...]]
set -euo pipefail
cd "$(dirname "$0")/.."

folder=${1:-build}
shift || true
options=()
targets=()
while [ $# -gt 0 ]; do
  if [ "$1" = "--" ]; then shift; targets=("$@"); break; fi
  options+=("$1")
  shift
done

cmake -S . -B "$folder" -G Ninja "${options[@]}"
if [ ${#targets[@]} -eq 0 ]; then
  cmake --build "$folder" -j "$(nproc)"
else
  cmake --build "$folder" -j "$(nproc)" --target "${targets[@]}"
fi
