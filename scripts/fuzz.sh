#!/usr/bin/env bash
# Fuzzes the bitmap reader with libFuzzer (needs clang). Builds build/fuzz,
# writes the seed pictures, and runs the fuzzer on its corpus, the seeds and
# ../shared/bmpsuite when present. Options go to libFuzzer; the default is a
# bounded one-minute run:
#   scripts/fuzz.sh                                   # CI: about a minute
#   scripts/fuzz.sh -runs=10000000 -jobs=1 -workers=1 # a long local run
# A finding leaves crash-* in build/fuzz/findings/ and exits non-zero: check
# the input into fuzz/regressions/ and mend the reader.
set -euo pipefail
cd "$(dirname "$0")/.."

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGLEAMKIT_FUZZ=ON -DGLEAMKIT_TESTS=OFF -DGLEAMKIT_BENCH=OFF "${launcher[@]}" >/dev/null
# The effects library is built too, though the fuzzer does not use it: it
# keeps the whole library building with clang (the AVX2 forms of Stretch
# need the per-function target attribute clang honours).
cmake --build build/fuzz -j "$(nproc)" --target reader_fuzzer write_seeds gleamkit_effects

mkdir -p build/fuzz/corpus build/fuzz/seeds build/fuzz/findings
build/fuzz/fuzz/write_seeds build/fuzz/seeds
corpora=(build/fuzz/corpus build/fuzz/seeds fuzz/regressions)
for group in g q b; do
    if [ -d "../shared/bmpsuite/$group" ]; then corpora+=("../shared/bmpsuite/$group"); fi
done

options=("$@")
if [ ${#options[@]} -eq 0 ]; then options=(-max_total_time=60); fi
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
    build/fuzz/fuzz/reader_fuzzer -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix=build/fuzz/findings/ -print_final_stats=1 "${options[@]}" "${corpora[@]}"
