#!/usr/bin/env bash
# Times common tools on the same Letter page at 300 dpi as bench_cleanup, for
# comparison in the same run: ImageMagick's quarter and half turns and
# zbarimg's barcode reading. Not part of CI; installs imagemagick and
# zbar-tools when they are missing.
#   bench/cleanup/compare.sh [build-folder]
set -euo pipefail
build=$(realpath "${1:-build}")
runs=5

missing=()
# Some machines carry a convert that only stands in for ImageMagick.
convert -version 2>/dev/null | grep -q ImageMagick || missing+=(imagemagick)
command -v zbarimg >/dev/null || missing+=(zbar-tools)
if ((${#missing[@]})); then
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The page of ReadBarcodesColour/1: a Code 128 turned a quarter, 5 mm from the bottom edge.
"$build/tools/ostrel-pagegen" --content sparse --noise 3 --seed 42 --barcode code128:BATCH-0017:1200:2700:90 \
  "$work/page.png"
# ImageMagick's own format and plain PPM: reading them costs little next to the work timed.
convert "$work/page.png" "$work/page.mpc"
convert "$work/page.png" "$work/page.ppm"

one_core=(taskset -c 1 env MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1)

# Median wall time in milliseconds of running the command $runs times.
median_ms() {
  local times=()
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s%N)
    "${one_core[@]}" "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    times+=($(((end - start) / 1000000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}

read_only=$(median_ms convert "$work/page.mpc" null:)
left=$(median_ms convert "$work/page.mpc" -rotate 90 null:)
half=$(median_ms convert "$work/page.mpc" -rotate 180 null:)
zbar=$(median_ms zbarimg --quiet "$work/page.ppm")
found=$(zbarimg --quiet "$work/page.ppm" 2>/dev/null || true)

echo "Letter page, 2550 x 3300, 24-bit; one core; median of $runs runs (whole commands, wall time)"
echo "convert page.mpc null: (start and read)   ${read_only} ms"
echo "convert -rotate 90                        ${left} ms, $((left - read_only)) ms of it turning"
echo "convert -rotate 180                       ${half} ms, $((half - read_only)) ms of it turning"
echo "zbarimg page.ppm (start and read included) ${zbar} ms, found: ${found:-nothing}"
echo
echo "bench_cleanup on the same page:"
taskset -c 1 "$build/bench/bench_cleanup" --benchmark_filter='RotateLeftColour|Rotate180Colour|ReadBarcodesColour/1' \
  --benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true 2>/dev/null | grep median
