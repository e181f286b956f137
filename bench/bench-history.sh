#!/usr/bin/env bash
# URL history benchmark: completion's prefix lookup over 100,000 visited
# addresses (goal: under 2 ms) and clearing 100,000 rows (goal: under
# 200 ms), on the real store in a temporary folder; medians. See
# bench/README.md ("URL history").
# Usage: bench/bench-history.sh [build-dir] [runs]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
runs="${2:-3}"
program="$build/bench/history-measure"
[[ -x "$program" ]] || { echo "bench-history: $program is missing; build first" >&2; exit 1; }
for run in $(seq "$runs"); do
  echo "-- run $run"
  "$program" 100000 5
done
