#!/usr/bin/env bash
# Times Gleamkit operations next to the closest ImageMagick operations on the
# same 1920x1080 sample picture, in the same run, and prints the ratios.
# Builds nothing: it expects build/release (scripts/run.sh or scripts/test.sh
# make it). Usage: bench/compare.sh [RUNS]   (default 7 runs per figure)
#
# Gleamkit figures are gleamfx's own median of the operation alone (--repeat
# --time). ImageMagick has no such switch, so each of its figures is the
# median wall time of a whole convert run minus the median of a plain
# read-and-write run (convert in.bmp out.bmp) with the same thread setting:
# what remains approximates the operation without file input and output.
set -euo pipefail
cd "$(dirname "$0")/.."

runs="${1:-7}"
fx="${GLEAMFX:-build/release/tools/gleamfx}" # GLEAMFX names another build
magick=/usr/bin/convert-im6.q16

# One row per compared operation: gleamfx operation and arguments | the
# nearest ImageMagick options. Add rows here; rows whose operation is not in
# the registry yet are listed as skipped.
mapping=(
    "Contrast 100|-sigmoidal-contrast 3x50%"
    "Lightness 100|+level 39%,100%"
    "Darkness 100|+level 0%,61%"
    "Saturation 128|-modulate 100,50"
    "ConvertToGrayscale|-colorspace Gray"
    "AddColorNoise 100|+noise Uniform"
    "AddMonoNoise 100|-channel All +noise Uniform"
    "Spray 16|-spread 16"
    "SplitLight 3|-gamma 0.5"
    "Stretch|-filter Lanczos -resize 200%"
    "Stretch 960 540 B-Spline|-filter Spline -resize 50%"
    "Convolve|-convolve 1,1,1,1,1,1,1,1,1"
    "Invert|-negate"
    "Posterize|-posterize 20"
    "Solarize|-solarize 40%"
    "GaussianBlur|-gaussian-blur 0x1"
    "SplitBlur 33|-blur 0x16"
    "AntiAliasing|-convolve 0,0.25,0,0.25,0,0.25,0,0.25,0"
    "SmoothResize 960 540|-interpolate bilinear -interpolative-resize 960x540!"
    "SmoothRotate|-interpolate bilinear -distort SRT 33"
    "FlipVertical|-flip"
    "FlipHorizontal|-flop"
    "Mosaic|-scale 25% -scale 400%"
    "Twist|-swirl 33"
    "FishEye|-implode -0.5"
    "Marble1|-spread 3"
    "Wave|-wave 16x32"
    "Embossing|-emboss 1"
)

if [ ! -x "$fx" ]; then
    echo "compare.sh: $fx is missing; build first (scripts/build.sh build/release)" >&2
    exit 1
fi
if [ ! -x "$magick" ]; then
    echo "compare.sh: $magick is missing (apt-get install imagemagick)" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
input="$work/in.bmp"
"$fx" sample "$input" 1920x1080

# Median of the numbers on standard input.
median() {
    sort -n | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "nan"; exit }
        if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Median wall milliseconds of RUNS runs of a command.
wall_ms() {
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        stop=$(date +%s%N)
        echo $(((stop - start) / 1000))
    done | median | awk '{ printf "%.3f", $1 / 1000 }'
}

# Median ImageMagick milliseconds with the given thread limit ("" = default).
magick_ms() {
    local limit="$1"
    shift
    local -a threads=()
    [ -n "$limit" ] && threads=(-limit thread "$limit")
    wall_ms "$magick" "${threads[@]}" "$input" "$@" "$work/im.bmp"
}

base_single=$(magick_ms 1)
base_default=$(magick_ms "")
known=$("$fx" list | awk '{ print $1 }')

echo "1920x1080, median of $runs runs per figure, milliseconds."
echo "gleamfx: the operation alone. ImageMagick: convert run minus a plain"
echo "read/write run (${base_single} ms single-threaded, ${base_default} ms default threads)."
echo
printf '%-20s %10s %12s %12s %10s %10s  %s\n' operation gleamfx im-1thread im-default \
    ratio-1t ratio-def "ImageMagick options"
for row in "${mapping[@]}"; do
    op_args="${row%%|*}"
    im_options="${row#*|}"
    read -r -a op_words <<<"$op_args"
    op="${op_words[0]}"
    if ! grep -qx "$op" <<<"$known"; then
        printf '%-20s %10s\n' "$op" "skipped (not in the registry yet)"
        continue
    fi
    second=()
    if "$fx" list | grep -E "^$op " | grep -q -- "--second"; then second=(--second "$input"); fi
    fx_ms=$("$fx" apply --repeat "$runs" --time "${second[@]}" "$input" "$work/fx.bmp" \
        "${op_words[@]}" 2>&1 >/dev/null | sed -n 's/.* median \([0-9.]*\) ms.*/\1/p')
    read -r -a im_words <<<"$im_options"
    im1=$(magick_ms 1 "${im_words[@]}")
    imd=$(magick_ms "" "${im_words[@]}")
    awk -v op="$op" -v fx="$fx_ms" -v i1="$im1" -v id="$imd" -v b1="$base_single" \
        -v bd="$base_default" -v opts="$im_options" 'BEGIN {
        n1 = i1 - b1; if (n1 < 0.001) n1 = 0.001
        nd = id - bd; if (nd < 0.001) nd = 0.001
        printf "%-20s %10.3f %12.3f %12.3f %9.2fx %9.2fx  %s\n", op, fx, n1, nd, n1 / fx, nd / fx, opts
    }'
done
echo
echo "ratio = ImageMagick time / gleamfx time (above 1: gleamfx is faster)."
