#!/usr/bin/env bash
# Downloads side by side from a loopback server: one 1 GiB file by
# TIEDownload (zarn-download), curl -o and wget -O; and 1,000 small files one
# after another by one TIEDownload and by one curl process. Prints wall time,
# throughput and peak memory of each. Usage: bench/bench-download.sh [build]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
"$here/../scripts/install-deps.sh" curl wget time
cmake --build "$build" --target zarn-download download-many download-bench-server >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/zarn-bench-download.XXXXXX")"
server_pid=""
cleanup() {
  [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

source "$here/measure.sh"
start_server "$build"
big=$((1024 * 1024 * 1024))
small_count=1000

header

measure "$build/download/zarn-download" "$base/big.bin" -o "$work/out/big.bin"
check_size "$work/out/big.bin" $big
zarn_big=$secs; row "1 GiB, TIEDownload" "$secs" "$rss_kb" $big
zarn_rss=$rss_kb
measure curl -s -o "$work/out/big.bin" "$base/big.bin"
check_size "$work/out/big.bin" $big
curl_big=$secs; row "1 GiB, curl -o" "$secs" "$rss_kb" $big
measure wget -q -O "$work/out/big.bin" "$base/big.bin"
check_size "$work/out/big.bin" $big
row "1 GiB, wget -O" "$secs" "$rss_kb" $big

quarter=$((big / 8))
measure "$build/download/zarn-download" "$base/big.bin?size=$quarter" -o "$work/out/part.bin"
row "128 MiB, TIEDownload (memory check)" "$secs" "$rss_kb" $quarter
zarn_small_rss=$rss_kb

measure "$build/bench/download-many" "$base" $small_count "$work/out"
[[ $(ls "$work/out" | wc -l) -eq $small_count ]] || { echo "bench-download: files missing" >&2; exit 1; }
zarn_many=$secs; row "1,000 x 2 KiB, TIEDownload" "$secs" "$rss_kb" $((small_count * 2048))
measure curl -s "$base/small/[1-$small_count].txt" -o "$work/out/#1.txt"
curl_many=$secs; row "1,000 x 2 KiB, one curl" "$secs" "$rss_kb" $((small_count * 2048))

awk -v zb="$zarn_big" -v cb="$curl_big" -v zm="$zarn_many" -v cm="$curl_many" -v r1="$zarn_rss" -v r2="$zarn_small_rss" 'BEGIN{
  printf "throughput TIEDownload / curl (goal >= 0.9): %.2f\n", cb / zb
  printf "per-address cost TIEDownload / curl (goal <= 1.2): %.2f (%.2f ms vs %.2f ms)\n", zm / cm, zm, cm
  printf "peak memory 1 GiB / 128 MiB (flat when about 1): %.2f\n", r1 / r2
}'
