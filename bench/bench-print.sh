#!/usr/bin/env bash
# Printing and saving the editor's documents: zarn-print of a 10,000-line RTF
# (about 200 pages) to PDF beside AbiWord's conversion of the same file, then
# 20,000 numbered paragraphs with 500 pictures saved and read back (the RTF's
# size beside AbiWord's save of it) and a 1920 x 1080 snapshot. Medians of
# five runs, in one run.
# Usage: bench/bench-print.sh [BUILD_DIR]
set -euo pipefail
build="${1:-build}"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
source "$here/measure.sh"

"$root/scripts/install-deps.sh" time abiword
for target in zarn-print editor-bench; do
  cmake --build "$build" --target "$target" >/dev/null
done
export QT_QPA_PLATFORM=offscreen

python3 - "$work/doc.rtf" <<'PY'
import sys
lines = ["{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Serif;}}\\f0\\fs22"]
for n in range(1, 10001):
    lines.append("Line %d: the quick brown fox jumps over the lazy dog, again and again.\\par" % n)
lines.append("}")
open(sys.argv[1], "w").write("\n".join(lines))
PY

header
measure "$build/editor/zarn-print" "$work/doc.rtf" -o "$work/out/zarn.pdf"
ours=$secs; ours_kb=$rss_kb
row "zarn-print -o (10,000 lines)" "$secs" "$rss_kb" "$(stat -c %s "$work/doc.rtf")"
measure abiword --to=pdf --to-name="$work/out/abiword.pdf" "$work/doc.rtf"
row "abiword --to=pdf" "$secs" "$rss_kb" "$(stat -c %s "$work/doc.rtf")"
awk -v a="$ours" -v b="$secs" 'BEGIN{printf "zarn-print / abiword time: %.2f (goal at most 0.5)\n", a / b}'
echo "zarn-print peak memory: $((ours_kb / 1024)) MiB (goal: growth under 150 MiB)"

: > "$work/objects"
for _ in 1 2 3 4 5; do
  "$build/bench/editor-bench" objects "$work/objects.rtf" >> "$work/objects"
done
for name in save read snapshot; do
  awk -v n="$name" '$1 == n {print $2}' "$work/objects" | sort -n | sed -n 3p \
    | awk -v n="$name" '{printf "%-34s %9.4f s\n", "objects: " n, $1}'
done
abiword --to=rtf --to-name="$work/abiword.rtf" "$work/objects.rtf" >/dev/null 2>&1
ours_size=$(stat -c %s "$work/objects.rtf"); theirs_size=$(stat -c %s "$work/abiword.rtf")
awk -v a="$ours_size" -v b="$theirs_size" \
  'BEGIN{printf "RTF size: ours %d, AbiWord %d bytes: %.2f (goal at most 1.3)\n", a, b, a / b}'
