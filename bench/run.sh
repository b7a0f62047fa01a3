#!/usr/bin/env bash
# The work-file benchmark: generates a file of at least 100 MB (once), then
# reports reader and writer throughput, the reader's peak memory, the times of
# the pass after reading, of reconstructing all pages, of the text export and of the text PDF,
# and the time of `xmllint --noout --stream`
# on the same file for comparison.
#   bench/run.sh [BUILD_DIR] [SIZE_MB]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
size=${2:-110}
file="$build/bench-data/generated-${size}mb.xml"
mkdir -p "$build/bench-data"
[ -f "$file" ] || "$build/lexova-workgen" --seed 1 --size "$size" "$file" >/dev/null
echo "== $file ($(du -m "$file" | cut -f1) MB)"
"$build/lexova-io-bench" "$file" --repeat 3
"$build/lexova-io-bench" "$file" --memory
echo "== reconstruction (the pass after reading, all pages with merging) and text export"
"$build/lexova-reconstruct-bench" "$file" --repeat 3
echo "== text PDF of every page"
"$build/lexova-pdf-bench" "$file"
if command -v xmllint >/dev/null; then
  # iconv's Shift_JIS lacks the vendor rows of code page 932 (the NEC special row,
  # the IBM extensions): xmllint gets a copy declared as CP932, otherwise identical.
  copy="$build/bench-data/generated-${size}mb-cp932.xml"
  [ -f "$copy" ] || sed '1s/encoding="Shift_JIS"/encoding="CP932"/' "$file" >"$copy"
  best=""
  for _ in 1 2 3; do
    s=$(date +%s.%N)
    xmllint --noout --stream "$copy"
    e=$(date +%s.%N)
    t=$(echo "$e - $s" | bc)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
  done
  echo "xmllint_stream_s $best"
fi
echo "== a page change on 400 dpi A4 one-bit scans, with the page list of the same file"
"$build/lexova-page-change-bench" "$file" --changes 20
echo "== hOCR, ALTO and PAGE XML of 1,000 pages read into the model, against the work file"
"$build/lexova-interchange-bench" "$file"
