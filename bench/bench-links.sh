#!/usr/bin/env bash
# Links checker benchmark: 1,000 addresses on a loopback server (80 % 200,
# 10 % 302, 10 % 404 or 500; 50 answer after 1 s), checked by
# `zarn-links --jobs 10` beside linkchecker (when installed), curl with 10
# parallel transfers (the floor) and wget --spider (one at a time, one run).
# Prints each tool's wall time per run and the medians. See bench/README.md
# ("Links checker").
# Usage: bench/bench-links.sh [build-dir] [runs]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
runs="${2:-5}"
links="$build/app/zarn-links"
[[ -x "$links" ]] || { echo "bench-links: $links is missing; build first" >&2; exit 1; }
work="$(mktemp -d)"
trap 'kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
python3 "$(dirname "$0")/links-server.py" "$work/list.txt" > "$work/port" &
server=$!
for _ in $(seq 100); do [[ -s "$work/port" ]] && break; sleep 0.1; done
awk '{ print "url = \"" $0 "\"\noutput = \"/dev/null\"" }' "$work/list.txt" > "$work/curl.conf"

seconds() { # command... : wall seconds, output dropped
  local start end
  start=$(date +%s.%N)
  "$@" > /dev/null 2>&1 || true
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

declare -A times
tools=(zarn-links curl)
command -v linkchecker > /dev/null && tools+=(linkchecker)
for run in $(seq "$runs"); do
  z=$(seconds "$links" --jobs 10 --timeout 10 "$work/list.txt")
  c=$(seconds curl -s -Z --parallel-max 10 -K "$work/curl.conf")
  times[zarn-links]+="$z "
  times[curl]+="$c "
  l=-
  if command -v linkchecker > /dev/null; then
    l=$(seconds sh -c "linkchecker --stdin --no-robots -r 0 -t 10 --no-status < '$work/list.txt'")
    times[linkchecker]+="$l "
  fi
  echo "-- run $run: zarn-links $z s, curl $c s, linkchecker $l s"
done
echo "wget --spider -i (one run): $(seconds wget -q --spider -i "$work/list.txt") s"
for tool in "${tools[@]}"; do
  echo "$tool median of $runs: $(tr ' ' '\n' <<< "${times[$tool]}" | grep . | median) s"
done
command -v linkchecker > /dev/null || echo "linkchecker: not installed (apt-get install linkchecker)"
"$links" --jobs 10 "$work/list.txt" 2>&1 > /dev/null | tail -1
