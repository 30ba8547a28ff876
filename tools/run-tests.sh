#!/bin/bash
# Installs what is missing, builds everything and runs every test: first the
# normal build in build/ (the window, print and command suites also in a German
# locale), then the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-sanitize/, and last the core with clang
# in build-clang/ for the tests that pin exact pictures.
set -euo pipefail
cd "$(dirname "$0")/.."

# Tests that open windows draw off screen; no display is needed.
export QT_QPA_PLATFORM=offscreen
# A sanitizer finding fails its test, with a stack trace.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

tools/setup-debian.sh

tools/build.sh build
ctest --test-dir build --output-on-failure -j "$(nproc)"
# The window, print and command suites once more in a comma-decimal locale,
# which Qt hands to the C library at start-up: every result must be the same.
LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 ctest --test-dir build --output-on-failure -j "$(nproc)" -L '^(window|print|command)$'

tools/build.sh build-sanitize -DVELMORA_SANITIZE=ON -DVELMORA_BENCH=OFF
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)"

# Pictures must be exact with either compiler: only the core and its tests.
CXX=clang++ tools/build.sh build-clang -DVELMORA_BENCH=OFF -- core_tests exactness_digest exactness_digest_reference
ctest --test-dir build-clang --output-on-failure -j "$(nproc)" \
  -R '^(KnownPictures|Exactness|SimdKernels|Engine|Kernels|CountEngine)\.'
