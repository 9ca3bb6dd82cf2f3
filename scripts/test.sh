#!/usr/bin/env bash
# Sets up, builds and runs every test: the release build (all labels), then the
# AddressSanitizer + UndefinedBehaviorSanitizer build of the unit tests, then
# the ThreadSanitizer build of the effects tests that run on worker threads.
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

# Only the effects library and its tests: every operation at several thread
# counts, the band runner itself, and the passes and warps it splits.
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DGLEAMKIT_TSAN=ON \
    -DGLEAMKIT_TESTS=ON -DGLEAMKIT_BENCH=OFF >/dev/null
cmake --build build/tsan -j "$jobs" --target gleamkit_effects_tests
TSAN_OPTIONS=halt_on_error=1 build/tsan/effects/gleamkit_effects_tests \
    --gtest_filter='ParallelBands*:ResamplingPasses*:SmoothRotate*:FishEye*:Twist*:ToneCurve*'

# The installed library: a consumer project builds against it and runs.
scripts/consumer.sh build/release

# The bitmap reader under libFuzzer for about a minute (needs clang).
if command -v clang++ >/dev/null; then
    scripts/fuzz.sh -max_total_time=60
else
    echo "fuzz: clang++ not found, the reader's fuzz run is skipped"
fi
