#!/usr/bin/env bash
# Start-up benchmark: time and peak memory from program start to the loaded
# home page, for ZarnWeb and for Falkon opening the same local page, under one
# Xvfb display, runs interleaved. See bench/README.md ("Start-up").
# Usage: bench/bench-startup.sh [build-dir] [runs]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
build="$(cd "${1:-build}" && pwd)"
runs="${2:-5}"

"$root/scripts/install-deps.sh" falkon python3
zarnweb="$build/app/ZarnWeb"
seed="$build/bench/startup-seed"
for program in "$zarnweb" "$seed"; do
  [[ -x "$program" ]] || { echo "bench-startup: $program is missing; build first" >&2; exit 1; }
done

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
page="http://127.0.0.1:$port/page.html"

# One display for every run; -displayfd picks a free display number.
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
# The same engine settings for both browsers: no sandbox when running as root.
[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1
unset QT_QPA_PLATFORM

measure() { python3 "$here/startup-measure.py" --port "$port" --page "$here/startup-page.html" "$@"; }

run_zarnweb() {
  rm -rf "$work/zarnweb" && mkdir -p "$work/zarnweb"
  ZARNWEB_HOME="$work/zarnweb" "$seed" "$page"
  ZARNWEB_HOME="$work/zarnweb" ZARNWEB_EXIT_AFTER_LOAD=1 measure --name ZarnWeb -- "$zarnweb"
}

run_falkon() {
  rm -rf "$work/falkon" && mkdir -p "$work/falkon"
  HOME="$work/falkon" XDG_CONFIG_HOME="$work/falkon/config" XDG_DATA_HOME="$work/falkon/data" \
    XDG_CACHE_HOME="$work/falkon/cache" measure --name Falkon -- falkon "$page"
}

# Run 0 warms the file cache for both and is not counted.
for i in $(seq 0 "$runs"); do
  for browser in zarnweb falkon; do
    line="$("run_$browser")" || { echo "bench-startup: $browser did not load the page: $line" >&2; exit 1; }
    [[ $i -gt 0 ]] && echo "$line" >> "$work/results"
    echo "run $i: $line" >&2
  done
done

python3 - "$work/results" "$runs" <<'PY'
import json, statistics, sys
rows = [json.loads(line) for line in open(sys.argv[1])]
print(f"Start-up to the loaded page, {sys.argv[2]} runs each (median, min-max):")
print(f"{'browser':<10} {'time ms':>8} {'range ms':>12} {'peak RSS MiB':>13} {'range MiB':>14} {'PSS MiB':>8} {'range MiB':>14}")
for name in ("ZarnWeb", "Falkon"):
    ms = [r["ms"] for r in rows if r["name"] == name]
    mib = [r["peak_rss_mib"] for r in rows if r["name"] == name]
    pss = [r["pss_at_load_mib"] for r in rows if r["name"] == name]
    print(f"{name:<10} {statistics.median(ms):>8.0f} {min(ms):>5}-{max(ms):<6} "
          f"{statistics.median(mib):>13.1f} {min(mib):>6.1f}-{max(mib):<7.1f} "
          f"{statistics.median(pss):>8.1f} {min(pss):>6.1f}-{max(pss):<7.1f}")
PY
