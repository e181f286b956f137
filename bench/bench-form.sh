#!/usr/bin/env bash
# zarn-form fill against a Selenium script driving Chromium (chromedriver,
# headless) on the same loopback form: 17 fields, 3 file fields and 1,000
# other elements, from process start to the last file attached, in one run:
# the median of several alternating runs each (run 0 of each only warms the
# caches). Both check their work: zarn-form exits 0 only when every field and
# file went in, the peer reads every value back.
# The peer runs on the system's Python, where the Debian package installs Selenium.
# Usage: bench/bench-form.sh [build] [runs]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
runs="${2:-5}"
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" chromium chromium-driver python3-selenium

work="$(mktemp -d)"
server_pid=""
cleanup() {
  [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fields=(region dpt_code zipcode company_ad_id category name SIREN email phone subject custom_ref regdate mileage
  fuel gearbox body price)
mkdir -p "$work/site" "$work/pictures"
{
  echo '<html><head><meta charset="utf-8"><title>Form</title></head><body><form method="post">'
  for f in "${fields[@]}"; do echo "<input name=\"$f\">"; done
  for i in 1 2 3; do echo "<input type=\"file\" name=\"image$i\">"; done
  for i in $(seq 1 1000); do echo "<input type=\"checkbox\" name=\"other$i\">"; done
  echo '</form></body></html>'
} >"$work/site/index.html"
for i in 1 2 3; do cp "$root/tools/pictures/V0048210-0$i.jpg" "$work/pictures/"; done
python3 -c 'import json, sys; print(json.dumps([[f, "value of " + f] for f in sys.argv[1:]]))' "${fields[@]}" \
  >"$work/record.json"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/site" >/dev/null 2>&1 &
server_pid=$!
url="http://127.0.0.1:$port/index.html"
until curl -sf "$url" >/dev/null; do sleep 0.1; done

cat >"$work/peer.py" <<'EOF'
import json, os, sys
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
url, record, pictures = sys.argv[1], sys.argv[2], sys.argv[3]
options = webdriver.ChromeOptions()
for flag in ("--headless", "--disable-gpu", "--window-size=1024,768"):
    options.add_argument(flag)
if os.geteuid() == 0:
    options.add_argument("--no-sandbox")
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
try:
    driver.get(url)
    fields = json.load(open(record))
    for name, value in fields:
        driver.find_element(By.NAME, name).send_keys(value)
    for i in (1, 2, 3):
        driver.find_element(By.NAME, "image%d" % i).send_keys(os.path.join(pictures, "V0048210-0%d.jpg" % i))
    values = dict(fields)
    ok = all(driver.find_element(By.NAME, n).get_attribute("value").endswith(values[n]) for n in values)
    ok = ok and all(driver.find_element(By.NAME, "image%d" % i).get_attribute("value") for i in (1, 2, 3))
finally:
    driver.quit()
sys.exit(0 if ok else 1)
EOF

export ZARNWEB_HOME="$work/profile" HOME="$work/home"
mkdir -p "$HOME"
zarn=("$build/tools/zarn-form" fill "$url" "$work/record.json")
for i in 1 2 3; do zarn+=(--attach "image$i=$work/pictures/V0048210-0$i.jpg"); done

# Milliseconds that one command takes; it must succeed.
timed() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo "bench-form: failed: $*" >&2; exit 1; }
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

declare -A times
for run in $(seq 0 "$runs"); do
  z=$(timed "${zarn[@]}")
  p=$(timed /usr/bin/python3 "$work/peer.py" "$url" "$work/record.json" "$work/pictures")
  if [[ $run -gt 0 ]]; then
    times[zarn]+="$z "
    times[peer]+="$p "
  fi
done

median() { tr ' ' '\n' <<<"$1" | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
z=$(median "${times[zarn]}")
p=$(median "${times[peer]}")
echo "form fill, 17 fields + 3 files + 1,000 other elements, median of $runs (ms, from process start):"
echo "  zarn-form fill         $z"
echo "  selenium + chromedriver $p"
echo "  ratio zarn/peer        $(python3 -c "print(round($z / $p, 2))")  (goal: at most 0.5)"
