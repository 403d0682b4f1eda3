#!/usr/bin/env bash
# The whole test suite: the release build and its tests, then the same tests
# built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
tools/setup.sh
ctest --test-dir build -j "$jobs" --output-on-failure --timeout 300

WLX_BUILD_DIR=build-asan tools/setup.sh -DCMAKE_BUILD_TYPE=Debug -DWLX_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -j "$jobs" --output-on-failure --timeout 600
