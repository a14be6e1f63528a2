#!/usr/bin/env bash
# Runs the writer benchmarks and the reference tools on the same pages, one core
# each, in one session, and prints CPU time per page and the ratios. Not part of
# CI. Installs the reference tools when missing (Debian 12).
set -euo pipefail
cd "$(dirname "$0")/../.."

missing=()
command -v cjpeg >/dev/null || missing+=(libjpeg-turbo-progs)
command -v img2pdf >/dev/null || missing+=(img2pdf)
command -v tiffcp >/dev/null || missing+=(libtiff-tools)
command -v python3 >/dev/null || missing+=(python3)
if ((${#missing[@]})); then
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

build=${BUILD_DIR:-build}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target bench_writers writers_sample_pages

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/writers_sample_pages" "$work"
tiffcp -c none "$work/text.tif" "$work/text-raw.tif"
for i in $(seq -w 1 100); do
  ln -s text-raw.tif "$work/raw-$i.tif"
  ln -s text.tif "$work/g4-$i.tif"
done

# Mean CPU milliseconds (user + system) of COUNT runs of a command on core 1.
cpu_ms() {
  local count=$1
  shift
  local TIMEFORMAT='%3U %3S' times
  times=$({ time (for ((i = 0; i < count; i++)); do taskset -c 1 "$@" >/dev/null 2>&1; done); } 2>&1)
  awk -v n="$count" '{ printf "%.1f", ($1 + $2) * 1000 / n }' <<<"$times"
}

# Starting a process costs the tools, not their encoders: measured and subtracted.
start=$(cpu_ms 20 true)
echo "Reference tools (CPU ms per run, core 1, less $start ms process start):"
cjpeg75=$(cpu_ms 10 cjpeg -quality 75 -outfile "$work/cjpeg75.jpg" "$work/colour.ppm")
cjpeg99=$(cpu_ms 10 cjpeg -quality 99 -outfile "$work/cjpeg99.jpg" "$work/colour.ppm")
tiffcp=$(cpu_ms 20 tiffcp -c g4 "$work/text-raw.tif" "$work/tiffcp.tif")
img2pdf_raw=$(cd "$work" && cpu_ms 1 img2pdf raw-*.tif -o "$work/img2pdf-raw.pdf")
img2pdf_g4=$(cd "$work" && cpu_ms 1 img2pdf g4-*.tif -o "$work/img2pdf-g4.pdf")
echo "  cjpeg q75 $cjpeg75  cjpeg q99 $cjpeg99  tiffcp -c g4 $tiffcp"
echo "  img2pdf 100 uncompressed 1-bit pages $img2pdf_raw  img2pdf 100 G4 TIFF pages (copied, not encoded) $img2pdf_g4"

echo "Ostrel writers:"
taskset -c 1 "$build/bench/bench_writers" --benchmark_format=json \
  --benchmark_filter='JpegFile|G4Tiff|PdfPageSize|PdfG4' >"$work/bench.json"
# Each memory case in its own process, so that its peak is its own.
for kind in 0 1; do
  for pages in 10 1000; do
    taskset -c 1 "$build/bench/bench_writers" --benchmark_format=json \
      --benchmark_filter="BM_MemoryByPageCount/$kind/$pages/" >"$work/memory-$kind-$pages.json"
  done
done

python3 - "$work" "$start" "$cjpeg75" "$cjpeg99" "$tiffcp" "$img2pdf_raw" "$img2pdf_g4" \
  "$(stat -c %s "$work/cjpeg75.jpg")" <<'PY'
import glob, json, sys
work = sys.argv[1]
runs = {}
for path in [work + "/bench.json"] + sorted(glob.glob(work + "/memory-*.json")):
    runs.update({b["name"]: b for b in json.load(open(path))["benchmarks"]})
start = float(sys.argv[2])
cjpeg75, cjpeg99, tiffcp = (float(v) - start for v in sys.argv[3:6])
img_raw, img_g4 = map(float, sys.argv[6:8])
cjpeg_size = int(sys.argv[8]) / 1024
def cpu(name):
    return runs[name]["cpu_time"]
def row(what, ours, theirs, tool):
    print(f"  {what:<34} {ours:8.1f} ms   {tool} {theirs:8.1f} ms   ratio {ours / theirs:.2f}")
row("JPEG file, colour page, q75", cpu("BM_JpegFileColourPage/75"), cjpeg75, "cjpeg")
print(f"  {'':<34} {runs['BM_JpegFileColourPage/75']['file_KB']:8.0f} KB   cjpeg {cjpeg_size:8.0f} KB")
row("JPEG file, colour page, q99", cpu("BM_JpegFileColourPage/99"), cjpeg99, "cjpeg")
row("G4 TIFF file, dense text page", cpu("BM_G4TiffFileTextPage"), tiffcp, "tiffcp")
pdf100 = cpu("BM_PdfG4Pages/100/iterations:3")
row("PDF of 100 G4 pages", pdf100, img_raw, "img2pdf (raw)")
row("", pdf100, img_g4, "img2pdf (G4) ")
for name, b in runs.items():
    if name.startswith("BM_PdfPageSize"):
        print(f"  PDF page, {b['label']}: {b['page_KB']:.1f} KB, container {b['overhead_bytes_per_page']:.0f} bytes/page")
for name, b in runs.items():
    if name.startswith("BM_MemoryByPageCount"):
        pages = name.split("/")[2]
        print(f"  {b['label']:<16} {pages:>5} pages: peak RSS {b['peak_rss_MB']:.1f} MB, rise {b['rss_rise_MB']:.1f} MB")
PY
