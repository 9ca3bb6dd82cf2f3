#!/usr/bin/env bash
# Sets up, builds and runs the main job: draws the sample picture and a few
# effect results with gleamfx into ./out/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release -DGLEAMKIT_TESTS=OFF -DGLEAMKIT_BENCH=OFF

fx=build/release/tools/gleamfx
mkdir -p out
"$fx" sample out/sample.bmp 640x480
for op in Contrast Saturation ConvertToGrayscale AddColorNoise SplitLight; do
    "$fx" apply out/sample.bmp "out/$op.bmp" "$op"
done
echo "Wrote the sample picture and effect results to $(pwd)/out/"
ls out
