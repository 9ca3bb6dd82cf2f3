#!/usr/bin/env bash
# Times Gleamkit operations next to the closest ImageMagick operations on the
# same 1920x1080 sample picture, in the same run, and prints the ratios.
# Builds nothing: it expects build/release (scripts/run.sh or scripts/test.sh
# make it). Usage: bench/compare.sh [RUNS]   (default 7 runs per figure)
#
# Gleamkit figures are gleamfx's own medians of the operation alone (--repeat
# --time: wall and thread processor time). ImageMagick has no such switch, so
# each of its figures is the median of a whole convert run minus the median of
# a plain read-and-write run (convert in.bmp out.bmp) with the same thread
# setting: what remains approximates the operation without file input and
# output. Single-threaded ImageMagick is compared by processor time, which
# stays steady when other work shares the machine; the default (threaded)
# ImageMagick by wall time, which is what its threads buy.
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
    "Convolve 0 0|-convolve -1,-1,-1,-1,8,-1,-1,-1,-1"
    "Convolve 7 1|-convolve 3,3,3,3,8,3,3,3,3"
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

# Processor milliseconds used by finished children, from a saved `times` report.
children_cpu_ms() {
    awk 'NR == 2 { total = 0
        for (i = 1; i <= 2; i++) { split($i, part, "m"); sub("s", "", part[2])
            total += part[1] * 60000 + part[2] * 1000 }
        printf "%.3f", total }' "$1"
}

# Runs a command RUNS times; prints its median wall and median processor
# milliseconds. `times` is the shell's own report on its children, so the
# processor figure is the command's alone, and steady on a busy machine.
measure() {
    local walls="" cpus="" start stop
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        times >"$work/t0"
        "$@" >/dev/null 2>&1
        times >"$work/t1"
        stop=$(date +%s%N)
        walls+="$(((stop - start) / 1000)) "
        cpus+="$(awk -v a="$(children_cpu_ms "$work/t0")" -v b="$(children_cpu_ms "$work/t1")" \
            'BEGIN { print b - a }') "
    done
    printf '%s %s\n' "$(tr ' ' '\n' <<<"$walls" | grep . | median | awk '{ printf "%.3f", $1 / 1000 }')" \
        "$(tr ' ' '\n' <<<"$cpus" | grep . | median)"
}

# Median wall and processor milliseconds of ImageMagick with the given thread
# limit ("" = its default) and options.
magick_figures() {
    local limit="$1"
    shift
    local -a threads=()
    [ -n "$limit" ] && threads=(-limit thread "$limit")
    measure "$magick" "${threads[@]}" "$input" "$@" "$work/im.bmp"
}

read -r _ base_cpu1 <<<"$(magick_figures 1)"
read -r base_wall _ <<<"$(magick_figures "")"
known=$("$fx" list | awk '{ print $1 }')

echo "1920x1080, median of $runs runs per figure, milliseconds."
echo "gleamfx: the operation alone (gleamfx --repeat --time): wall and thread processor time."
echo "ImageMagick: a convert run minus a plain read/write run, which takes"
echo "${base_cpu1} ms processor time single-threaded and ${base_wall} ms wall with default threads."
echo "cpu-ratio = ImageMagick single-threaded processor time / gleamfx processor time;"
echo "wall-ratio = ImageMagick default-threads wall time / gleamfx wall time."
echo
printf '%-20s %9s %9s %11s %12s %10s %10s  %s\n' operation fx-wall fx-cpu im-1t-cpu \
    im-def-wall cpu-ratio wall-ratio "ImageMagick options"
for row in "${mapping[@]}"; do
    op_args="${row%%|*}"
    im_options="${row#*|}"
    read -r -a op_words <<<"$op_args"
    op="${op_words[0]}"
    if ! grep -qx "$op" <<<"$known"; then
        printf '%-20s %s\n' "$op" "skipped (not in the registry yet)"
        continue
    fi
    second=()
    if "$fx" list | grep -E "^$op " | grep -q -- "--second"; then second=(--second "$input"); fi
    timing=$("$fx" apply --repeat "$runs" --time "${second[@]}" "$input" "$work/fx.bmp" \
        "${op_words[@]}" 2>&1 >/dev/null || true)
    fx_wall=$(sed -n 's/.* median \([0-9.]*\) ms.*/\1/p' <<<"$timing")
    fx_cpu=$(sed -n 's/.*(cpu \([0-9.]*\) ms).*/\1/p' <<<"$timing")
    if [ -z "$fx_wall" ] || [ -z "$fx_cpu" ]; then
        printf '%-20s %s\n' "$op" "failed: $timing"
        continue
    fi
    read -r -a im_words <<<"$im_options"
    read -r _ im_cpu1 <<<"$(magick_figures 1 "${im_words[@]}")"
    read -r im_wall _ <<<"$(magick_figures "" "${im_words[@]}")"
    awk -v op="$op" -v fw="$fx_wall" -v fc="$fx_cpu" -v c1="$im_cpu1" -v wd="$im_wall" \
        -v b1="$base_cpu1" -v bd="$base_wall" -v opts="$im_options" 'BEGIN {
        n1 = c1 - b1; if (n1 < 0.001) n1 = 0.001
        nd = wd - bd; if (nd < 0.001) nd = 0.001
        if (fc < 0.001) fc = 0.001
        if (fw < 0.001) fw = 0.001
        printf "%-20s %9.3f %9.3f %11.3f %12.3f %9.2fx %9.2fx  %s\n", op, fw, fc, n1, nd, n1 / fc, nd / fw, opts
    }'
done
echo
echo "A ratio above 1 means gleamfx is faster."
