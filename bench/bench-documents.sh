#!/usr/bin/env bash
# The document tools' own figures: GetPageLinks on a page of 10,000 links,
# and JPEG encoding of a 1920 x 10,000 picture against cjpeg (libjpeg-turbo)
# at the same quality on the same pixels, medians of five runs each.
# Usage: bench/bench-documents.sh [build]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" libjpeg-turbo-progs

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work"

"$build/bench/links-measure" 2>/dev/null

read -r ours bytes < <("$build/bench/jpeg-measure" "$work/page.ppm" 75 2>/dev/null)
cjpeg_times=()
for run in 1 2 3 4 5; do
  start=$(date +%s%N)
  cjpeg -quality 75 -outfile "$work/page.jpg" "$work/page.ppm"
  end=$(date +%s%N)
  cjpeg_times+=($(((end - start) / 1000000)))
done
cjpeg=$(printf '%s\n' "${cjpeg_times[@]}" | sort -n | sed -n 3p)
echo "JPEG of 1920x10000 at quality 75: ours ${ours} ms ($bytes bytes, in process)," \
  "cjpeg ${cjpeg} ms ($(stat -c %s "$work/page.jpg") bytes, process with PPM reading)"
awk -v o="$ours" -v c="$cjpeg" 'BEGIN { printf "  ratio to cjpeg: %.2f (goal at most 1.5)\n", o / c }'
