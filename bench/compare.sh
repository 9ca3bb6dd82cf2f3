#!/usr/bin/env bash
# Times Gleamkit operations next to the closest ImageMagick and libvips
# operations on the same 1920x1080 sample picture, in the same run, and prints
# the ratios. Builds nothing: it expects build/release (scripts/run.sh or
# scripts/test.sh make it). Usage: bench/compare.sh [RUNS]   (default 7 runs
# per figure)
#
# Every tool is timed single-threaded and with its default threads, by
# processor time and wall time. Gleamkit figures are gleamfx's own medians of
# the operation alone (--repeat --time, with --threads 1 for one thread).
# ImageMagick and vips have no such switch, so each of their figures is the
# median of a whole run minus the median of a plain read-and-write run with
# the same thread setting: what remains approximates the operation without
# file input and output. vips reads and writes its own raw format (.v), which
# costs it least. Single-threaded figures are compared by processor time,
# which stays steady when other work shares the machine; default-threaded
# ones by wall time, which is what threads buy.
set -euo pipefail
cd "$(dirname "$0")/.."

runs="${1:-7}"
fx="${GLEAMFX:-build/release/tools/gleamfx}" # GLEAMFX names another build
magick=/usr/bin/convert-im6.q16
vips=/usr/bin/vips

# One row per compared operation:
#   gleamfx operation and arguments | ImageMagick options | vips operation [| N]
# @IN in ImageMagick's options stands for the input picture (a second input).
# The vips field is the operation and its arguments after IN and OUT; empty
# when vips has no matching operation. N (default 1) repeats ImageMagick's
# options N times in one run and divides its figures by N: for operations so
# fast that one run's noise would hide them. Rows whose operation is not in
# the registry yet are listed as skipped.
mapping=(
    "Contrast 100|-sigmoidal-contrast 3x50%||10"
    "Lightness 100|+level 39%,100%|"
    "Darkness 100|+level 0%,61%|"
    "Saturation 128|-modulate 100,50|"
    "ConvertToGrayscale|-colorspace Gray|"
    "AddColorNoise 100|+noise Uniform|"
    "AddMonoNoise 100|-channel All +noise Uniform|"
    "Spray 16|-spread 16|"
    "SplitLight 3|-gamma 0.5||10"
    "Stretch|-filter Lanczos -resize 200%|resize 2 --kernel lanczos3"
    "Stretch 960 540 B-Spline|-filter Spline -resize 50%|"
    "Convolve 0 0|-convolve -1,-1,-1,-1,8,-1,-1,-1,-1|"
    "Convolve 7 1|-convolve 3,3,3,3,8,3,3,3,3|"
    "Invert|-negate|invert|10"
    "Posterize|-posterize 20|"
    "Solarize|-solarize 40%||10"
    "GaussianBlur|-gaussian-blur 0x1|gaussblur 1"
    "SplitBlur 33|-blur 0x16|"
    "AntiAliasing|-convolve 0,0.25,0,0.25,0,0.25,0,0.25,0|"
    "SmoothResize 960 540|-interpolate bilinear -interpolative-resize 960x540!|resize 0.5 --kernel linear"
    "SmoothRotate|-interpolate bilinear -distort SRT 33|similarity --angle 33 --interpolate bilinear"
    "FlipVertical|-flip|flip vertical"
    "FlipHorizontal|-flop|flip horizontal"
    "Mosaic|-scale 25% -scale 400%|"
    "Twist|-swirl 33|"
    "FishEye|-implode -0.5|"
    "Marble1|-spread 3|"
    "Wave|-wave 16x32|"
    "Embossing|-emboss 1|"
    "Blend|@IN -compose blend -define compose:args=50 -composite|"
    "HeightMap|-shade 120x45|"
)

if [ ! -x "$fx" ]; then
    echo "compare.sh: $fx is missing; build first (scripts/build.sh build/release)" >&2
    exit 1
fi
if [ ! -x "$magick" ]; then
    echo "compare.sh: $magick is missing (apt-get install imagemagick)" >&2
    exit 1
fi

if [ ! -x "$vips" ]; then
    echo "compare.sh: $vips is missing (apt-get install libvips-tools); vips columns stay empty" >&2
    vips=""
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
input="$work/in.bmp"
"$fx" sample "$input" 1920x1080
[ -n "$vips" ] && "$vips" copy "$input" "$work/in.v"

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
    local -a threads=() options=()
    [ -n "$limit" ] && threads=(-limit thread "$limit")
    for word in "$@"; do [ "$word" = "@IN" ] && options+=("$input") || options+=("$word"); done
    measure "$magick" "${threads[@]}" "$input" "${options[@]}" "$work/im.bmp"
}

# The same for vips: its thread count ("" = its default) and operation words.
vips_figures() {
    local limit="$1" op="$2"
    shift 2
    if [ -n "$limit" ]; then
        measure env VIPS_CONCURRENCY="$limit" "$vips" "$op" "$work/in.v" "$work/vips.v" "$@"
    else
        measure "$vips" "$op" "$work/in.v" "$work/vips.v" "$@"
    fi
}

# gleamfx's median wall and processor milliseconds with the given --threads
# ("" = its default) for one operation; empty when it failed.
gleamfx_figures() {
    local threads="$1" op="$2"
    shift 2
    local -a second=() limit=()
    if "$fx" list | grep -E "^$op " | grep -q -- "--second"; then second=(--second "$input"); fi
    [ -n "$threads" ] && limit=(--threads "$threads")
    local timing
    timing=$("$fx" apply --repeat "$runs" --time "${limit[@]}" "${second[@]}" "$input" \
        "$work/fx.bmp" "$op" "$@" 2>&1 >/dev/null || true)
    local wall cpu
    wall=$(sed -n 's/.* median \([0-9.]*\) ms.*/\1/p' <<<"$timing")
    cpu=$(sed -n 's/.*(cpu \([0-9.]*\) ms).*/\1/p' <<<"$timing")
    [ -n "$wall" ] && [ -n "$cpu" ] && echo "$wall $cpu"
}

read -r _ im_base_cpu1 <<<"$(magick_figures 1)"
read -r im_base_wall _ <<<"$(magick_figures "")"
vips_base_cpu1=0 vips_base_wall=0
if [ -n "$vips" ]; then
    read -r _ vips_base_cpu1 <<<"$(vips_figures 1 copy)"
    read -r vips_base_wall _ <<<"$(vips_figures "" copy)"
fi
known=$("$fx" list | awk '{ print $1 }')

echo "1920x1080, median of $runs runs per figure, milliseconds; $(nproc) hardware threads."
echo "gleamfx: the operation alone (gleamfx --repeat --time): 1t = --threads 1, def = default."
echo "ImageMagick and vips: a run minus a plain read/write run, which takes ImageMagick"
echo "${im_base_cpu1} ms processor time single-threaded and ${im_base_wall} ms wall with default"
echo "threads, vips ${vips_base_cpu1} ms and ${vips_base_wall} ms."
echo "im1 / vips1 = the peer's single-threaded processor time / gleamfx's single-threaded"
echo "processor time; imD / vipsD = the peer's default-threads wall time / gleamfx's"
echo "default-threads wall time; par = gleamfx's 1t wall / def wall."
echo
printf '%-20s %8s %8s %8s %8s %9s %9s %9s %9s %7s %7s %7s %7s %6s\n' operation fx1-cpu fx1-wall \
    fxD-cpu fxD-wall im1-cpu imD-wall vips1-cpu vipsD-wall im1 imD vips1 vipsD par
for row in "${mapping[@]}"; do
    IFS='|' read -r op_args im_options vips_args im_repeat <<<"$row"
    im_repeat="${im_repeat:-1}"
    read -r -a op_words <<<"$op_args"
    op="${op_words[0]}"
    if ! grep -qx "$op" <<<"$known"; then
        printf '%-20s %s\n' "$op" "skipped (not in the registry yet)"
        continue
    fi
    one=$(gleamfx_figures 1 "${op_words[@]}")
    all=$(gleamfx_figures "" "${op_words[@]}")
    if [ -z "$one" ] || [ -z "$all" ]; then
        printf '%-20s %s\n' "$op" "failed"
        continue
    fi
    read -r fx1_wall fx1_cpu <<<"$one"
    read -r fxd_wall fxd_cpu <<<"$all"
    im_words=()
    for _ in $(seq "$im_repeat"); do
        read -r -a once <<<"$im_options"
        im_words+=("${once[@]}")
    done
    read -r _ im_cpu1 <<<"$(magick_figures 1 "${im_words[@]}")"
    read -r im_wall _ <<<"$(magick_figures "" "${im_words[@]}")"
    vips_cpu1="" vips_wall=""
    if [ -n "$vips" ] && [ -n "$vips_args" ]; then
        read -r -a vips_words <<<"$vips_args"
        read -r _ vips_cpu1 <<<"$(vips_figures 1 "${vips_words[@]}")"
        read -r vips_wall _ <<<"$(vips_figures "" "${vips_words[@]}")"
    fi
    awk -v op="$op" -v f1w="$fx1_wall" -v f1c="$fx1_cpu" -v fdw="$fxd_wall" -v fdc="$fxd_cpu" \
        -v c1="$im_cpu1" -v wd="$im_wall" -v b1="$im_base_cpu1" -v bd="$im_base_wall" \
        -v v1="$vips_cpu1" -v vd="$vips_wall" -v vb1="$vips_base_cpu1" -v vbd="$vips_base_wall" \
        -v n="$im_repeat" '
        function floor(x) { return x < 0.001 ? 0.001 : x }
        BEGIN {
        n1 = floor((c1 - b1) / n); nd = floor((wd - bd) / n)
        printf "%-20s %8.2f %8.2f %8.2f %8.2f %9.2f %9.2f", op, f1c, f1w, fdc, fdw, n1, nd
        if (v1 != "") {
            m1 = floor(v1 - vb1); md = floor(vd - vbd)
            printf " %9.2f %9.2f", m1, md
        } else printf " %9s %9s", "-", "-"
        printf " %6.1fx %6.1fx", n1 / floor(f1c), nd / floor(fdw)
        if (v1 != "") printf " %6.1fx %6.1fx", m1 / floor(f1c), md / floor(fdw)
        else printf " %7s %7s", "-", "-"
        printf " %5.2fx\n", floor(f1w) / floor(fdw)
    }'
done
echo
echo "A ratio above 1 means gleamfx is faster."
