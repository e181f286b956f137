#!/usr/bin/env bash
# DownloadFile of the browser tools against curl -s -o: one 256 MiB file from
# a loopback server, the median of seven runs each, taking turns. Both times are of the
# transfer alone (the driver times its DownloadFile call, curl reports its
# time_total), so that the start-up of a program is left out: in the browser
# DownloadFile runs in a program that is already up. Memory growth is how
# far the call raised the driver's peak memory. The profile (and with it the
# download cache) is a scratch folder beside the downloaded file, and like
# curl's output folder it starts empty at every run.
# Usage: bench/bench-download-file.sh [build]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
"$here/../scripts/install-deps.sh" curl
cmake --build "$build" --target download-file download-bench-server >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/zarn-bench-download-file.XXXXXX")"
server_pid=""
cleanup() {
  [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export ZARNWEB_HOME="$work/out/profile"

source "$here/measure.sh"
start_server "$build"
size=$((256 * 1024 * 1024))
address="$base/big.bin?size=$size"

# once FILE CMD...: runs CMD into an empty $work/out, checks the file and
# appends the last line CMD printed ("seconds [KiB]") to FILE.
once() {
  local runs="$1"
  shift
  rm -rf "$work/out" && mkdir -p "$work/out"
  "$@" 2>"$work/stderr" | tail -1 >> "$runs" \
    || { echo "bench-download-file: $1 failed:" >&2; cat "$work/stderr" >&2; exit 1; }
  check_size "$work/out/big.bin" $size
}

# Seven rounds, the two peers taking turns, so that both meet the same load
# of a busy machine; the median of each.
: > "$work/zarn"
: > "$work/curl"
for _ in 1 2 3 4 5 6 7; do
  once "$work/zarn" "$build/bench/download-file" "$address" "$work/out/big.bin"
  once "$work/curl" curl -s -o "$work/out/big.bin" -w '%{time_total}\n' "$address"
done
read -r zarn_secs zarn_growth < <(sort -n "$work/zarn" | sed -n 4p)
read -r curl_secs < <(sort -n "$work/curl" | sed -n 4p)

awk -v z="$zarn_secs" -v c="$curl_secs" -v g="$zarn_growth" -v b="$size" 'BEGIN{
  printf "256 MiB, DownloadFile:  %.3f s, %.0f MiB/s, peak memory +%.1f MiB\n", z, b / 1048576 / z, g / 1024
  printf "256 MiB, curl -s -o:    %.3f s, %.0f MiB/s\n", c, b / 1048576 / c
  printf "throughput DownloadFile / curl (goal >= 0.9): %.2f\n", c / z
  printf "memory growth (goal < 16 MiB): %.1f MiB\n", g / 1024
}'
