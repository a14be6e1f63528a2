#!/bin/sh
# A 20-page job's wall time: our recognition workers against ocrmypdf, on the
# same dense 300-dpi pages, English, both writing a searchable PDF.
# Run from the build folder: ../bench/ocr/compare.sh (needs bench/ocr_pages).
set -eu
pages=${1:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bench/ocr_pages write "$work" "$pages"
echo "pages: $pages, cores: $(nproc)"
/usr/bin/time -f "ours: %e s wall, %M kB peak" bench/ocr_pages searchable "$work" "$work/ours.pdf"
# ocrmypdf gives up on a page after 180 s by default and writes it without
# text; on a busy machine that would make it look fast.
/usr/bin/time -f "ocrmypdf: %e s wall, %M kB peak" \
  ocrmypdf -q -l eng --optimize 0 --output-type pdf --tesseract-timeout 3600 \
  "$work/image-only.pdf" "$work/theirs.pdf"
for f in image-only ours theirs; do
  printf '%s: %s bytes, %s words\n' "$f" "$(stat -c %s "$work/$f.pdf")" "$(pdftotext -q "$work/$f.pdf" - | wc -w)"
done
