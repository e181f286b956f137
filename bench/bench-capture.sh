#!/usr/bin/env bash
# zarn-capture against Chromium's headless screenshot on the same loopback
# page at the same size, from process start to the file written, in one run:
# the median of several alternating runs each (run 0 of each only warms the
# file cache).
# Usage: bench/bench-capture.sh [build] [runs]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
runs="${2:-5}"
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" chromium python3

work="$(mktemp -d)"
server_pid=""
cleanup() {
  [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/site"
{
  echo '<html><head><title>Capture</title></head><body style="font-family:sans-serif">'
  for i in $(seq 1 200); do
    echo "<h2>Section $i</h2><p>Words of section $i, long enough to wrap across the page several times" \
      "so that the engine lays out real text. <a href=\"#s$i\">link $i</a></p>"
    echo "<div style=\"width:300px;height:40px;background:hsl($((i * 7 % 360)),70%,50%)\"></div>"
  done
  echo '</body></html>'
} >"$work/site/index.html"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/site" >/dev/null 2>&1 &
server_pid=$!
url="http://127.0.0.1:$port/index.html"
until curl -sf "$url" >/dev/null; do sleep 0.1; done

export ZARNWEB_HOME="$work/profile" HOME="$work/home"
mkdir -p "$HOME"
chromium_flags=(--headless --disable-gpu --hide-scrollbars --window-size=1280,800 "--user-data-dir=$work/chromium")
[[ $(id -u) -eq 0 ]] && chromium_flags+=(--no-sandbox)

# Milliseconds that one command takes, checking that it wrote its file.
timed() {
  local file="$1"
  shift
  rm -f "$file"
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  [[ -s "$file" ]] || { echo "bench-capture: $file was not written by: $*" >&2; exit 1; }
  echo $(((end - start) / 1000000))
}

declare -A times
for run in $(seq 0 "$runs"); do
  png=$(timed "$work/z.png" "$build/tools/zarn-capture" "$url" -o "$work/z.png" --size 1280x800)
  jpg=$(timed "$work/z.jpg" "$build/tools/zarn-capture" "$url" -o "$work/z.jpg" --size 1280x800)
  chr=$(timed "$work/c.png" chromium "${chromium_flags[@]}" "--screenshot=$work/c.png" "$url")
  if [[ $run -gt 0 ]]; then
    times[png]+="$png "
    times[jpg]+="$jpg "
    times[chromium]+="$chr "
  fi
done

median() { tr ' ' '\n' <<<"$1" | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
png=$(median "${times[png]}")
jpg=$(median "${times[jpg]}")
chr=$(median "${times[chromium]}")
echo "capture of a loopback page at 1280x800, median of $runs runs (ms, process start to file written):"
printf '  %-32s %6d\n' "zarn-capture, PNG" "$png" "zarn-capture, JPEG" "$jpg" "chromium --headless --screenshot" "$chr"
awk -v p="$png" -v j="$jpg" -v c="$chr" 'BEGIN { printf "  ratio to Chromium: PNG %.2f, JPEG %.2f (goal at most 1)\n", p / c, j / c }'
