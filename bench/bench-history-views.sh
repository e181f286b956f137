#!/usr/bin/env bash
# History views benchmark: a generated history of 100,000 addresses over 20
# days and 3,000 hosts; `zarn-history list --by site` and `--by day` beside
# the sqlite3 shell running the same grouping on the same file, both from
# process start, medians of the runs (goal: within 2 x sqlite3); then the
# in-process times of the menu and the list (CreateMenu, a day's sites
# filled and painted, a 2,000-page site browsed into, recording a visit).
# See bench/README.md ("History views").
# Usage: bench/bench-history-views.sh [build-dir] [runs]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
runs="${2:-5}"
measure="$build/bench/history-views-measure"
tool="$build/favorites/zarn-history"
for program in "$measure" "$tool"; do
  [[ -x "$program" ]] || { echo "bench-history-views: $program is missing; build first" >&2; exit 1; }
done
command -v sqlite3 >/dev/null || { echo "bench-history-views: sqlite3 is missing (apt-get install sqlite3)" >&2; exit 1; }
profile="$(mktemp -d)"
trap 'rm -rf "$profile"' EXIT
export QT_QPA_PLATFORM=offscreen ZARNWEB_HOME="$profile"
"$measure" generate "$profile" 2>/dev/null
store="$profile/History/history.sqlite"

# The same lines in the same order: by site (hosts in name order, the pages
# newest first), by day (days newest first, then as by site).
by_site_sql="
SELECT strftime('%Y-%m-%d %H:%M:%S', last_visit / 1000, 'unixepoch', 'localtime'), visit_count, title, url
FROM visits ORDER BY host, last_visit DESC;"
by_day_sql="
SELECT strftime('%Y-%m-%d %H:%M:%S', last_visit / 1000, 'unixepoch', 'localtime'), visit_count, title, url
FROM visits ORDER BY date(last_visit / 1000, 'unixepoch', 'localtime') DESC, host, last_visit DESC;"

# Milliseconds of one run of the command, from process start to its end.
time_ms() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

for grouping in site day; do
  sql_var="by_${grouping}_sql"
  ours=$(for _ in $(seq "$runs"); do time_ms "$tool" list --by "$grouping"; done | median)
  peer=$(for _ in $(seq "$runs"); do time_ms sqlite3 -tabs "$store" "${!sql_var}"; done | median)
  lines=$("$tool" list --by "$grouping" | wc -l)
  echo "list --by $grouping ($lines lines): zarn-history ${ours} ms, sqlite3 ${peer} ms (median of $runs)"
done
"$measure" measure "$profile" "$runs" 2>/dev/null
