#!/usr/bin/env bash
# Sets up, builds and runs every test: the release build (all labels), then the
# AddressSanitizer + UndefinedBehaviorSanitizer build of the unit tests.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

jobs=$(nproc)

scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release -DGLEAMKIT_TESTS=ON -DGLEAMKIT_BENCH=ON
ctest --test-dir build/release --output-on-failure -j "$jobs"

scripts/build.sh build/sanitize -DCMAKE_BUILD_TYPE=Debug -DGLEAMKIT_SANITIZE=ON \
    -DGLEAMKIT_TESTS=ON -DGLEAMKIT_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/sanitize --output-on-failure -j "$jobs" -LE 'slow|gui'

# The GUI tests under the sanitizers too (each starts its own X server); leaks
# inside the desktop's libraries are listed in the suppressions file.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS="suppressions=$PWD/platform/backend/gtk/tests/lsan.supp" \
    ctest --test-dir build/sanitize --output-on-failure -L gui
