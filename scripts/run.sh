#!/usr/bin/env bash
# Sets up and builds, writes a few sample pictures into ./out/, then starts
# the desktop program "Test Gleamkit" when a display is reachable. Without a
# display it says so and runs the headless job instead: a few of the
# program's menu commands applied with `gleamfx command` into ./out/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release -DGLEAMKIT_TESTS=OFF -DGLEAMKIT_BENCH=OFF

fx=build/release/tools/gleamfx
program=build/release/app/test_gleamkit
mkdir -p out
"$fx" sample out/sample-640x480.bmp 640x480
"$fx" sample out/sample-1920x1080.bmp 1920x1080
"$fx" sample out/sample-333x77.bmp 333x77
"$fx" sample out/sample-8bit-800x600.bmp 800x600 8
"$fx" sample out/sample-4bit-320x240.bmp 320x240 4
"$fx" sample out/sample-16bit-500x400.bmp 500x400 16
"$fx" sample out/second-400x300.bmp 400x300

# A display is reachable when an X client can talk to it (xdotool comes with
# the GUI tests' packages).
display_reachable() {
    [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1
}

if display_reachable; then
    echo "Sample pictures are in $(pwd)/out/ - open one with File > Open bitmap... (Ctrl+O)."
    exec "$program"
fi

echo "No display reachable (DISPLAY is '${DISPLAY:-}'): running the headless job instead."
# Menu commands by item index, as `gleamfx list` shows them.
commands=(15 37 41 49 83 91 98 99)
for index in "${commands[@]}"; do
    "$fx" command out/sample-640x480.bmp "out/command-$index.bmp" "$index"
done
# "Blend" takes the second picture the program would ask for.
"$fx" command --second out/second-400x300.bmp out/sample-640x480.bmp out/command-9.bmp 9
echo "Wrote the sample pictures and the results of menu commands ${commands[*]} 9 to $(pwd)/out/"
ls out
