#!/usr/bin/env bash
# wendral-batch against ImageMagick's convert from the command line, whole processes timed from
# their start to their exit (in microseconds: /usr/bin/time's hundredths are too coarse for a run
# of 50 ms) on a 2048 x 1536 BMP. The two commands of a pair run in turn, A B A B ..., so
# that a drift in the machine's speed touches both; each pair's ratio is wendral-batch's time
# over convert's, and the median ratio is printed with the median times.
#
#   bench/vs_imagemagick.sh [RUNS]        (default 7; WENDRAL_BATCH and CONVERT may name the programs)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
batch=${WENDRAL_BATCH:-build-bench/tools/wendral-batch}
convert=${CONVERT:-/usr/bin/convert}
if [ ! -x "$batch" ]; then
  cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DWENDRAL_APP=OFF >/dev/null
  cmake --build build-bench -j "$(nproc)" --target wendral-batch >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A picture with detail everywhere, so that no step has an easy case.
"$convert" -size 2048x1536 -seed 7 plasma:fractal -type TrueColor "BMP3:$work/in.bmp"

seconds() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null 2>&1
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

pair() {
  local name=$1 wendral=$2; shift 2
  local a b ratios="" as="" bs=""
  seconds "$batch" -e "$wendral" >/dev/null; seconds "$convert" "$@" >/dev/null  # warm the caches
  for _ in $(seq "$runs"); do
    a=$(seconds "$batch" -e "$wendral")
    b=$(seconds "$convert" "$@")
    as+="$a"$'\n'; bs+="$b"$'\n'
    ratios+=$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')$'\n'
  done
  printf '%-28s %8.3f s %8.3f s %8s\n' "$name" "$(printf %s "$as" | median)" "$(printf %s "$bs" | median)" \
    "$(printf %s "$ratios" | median)"
}

printf '%-28s %10s %10s %8s   (medians of %d pairs)\n' "" "wendral" "convert" "ratio" "$runs"
pair "open and save as BMP" "open $work/in.bmp; save $work/a.bmp" "$work/in.bmp" "BMP3:$work/b.bmp"
pair "twist, whole picture" "open $work/in.bmp; zone 0 0 2047 1535; twist-right; save $work/a.bmp" \
  "$work/in.bmp" -swirl 180 "BMP3:$work/b.bmp"
pair "blur 1 2 1 / 2 4 2 / 1 2 1" "open $work/in.bmp; blur; save $work/a.bmp" \
  "$work/in.bmp" -morphology Convolve 3x3:1,2,1,2,4,2,1,2,1 "BMP3:$work/b.bmp"
