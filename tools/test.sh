#!/usr/bin/env bash
# The whole test suite: the format check; the release build and its tests;
# the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer;
# then a clang build, warnings as errors too, whose libFuzzer programs each
# run for a short while from their saved inputs (WLX_FUZZ_SECONDS, default 10).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
tools/setup.sh
tools/check_format.sh
ctest --test-dir build -j "$jobs" --output-on-failure --timeout 300

WLX_BUILD_DIR=build-asan tools/setup.sh -DCMAKE_BUILD_TYPE=Debug -DWLX_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -j "$jobs" --output-on-failure --timeout 600

CC=clang CXX=clang++ WLX_BUILD_DIR=build-clang tools/setup.sh -DWLX_FUZZ=ON
tools/run_fuzzers.sh build-clang "${WLX_FUZZ_SECONDS:-10}"
