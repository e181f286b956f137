#!/usr/bin/env bash
# Wait-loop benchmark: the processor time that a 5-second TSextant::Wait costs
# (goal: under 0.3% of one core) and the delay from a loopback page's load
# event to Go's Wait returning (goal: within 2 ms), in three runs. See
# bench/README.md ("Wait loop").
# Usage: bench/bench-wait.sh [build-dir] [time-out-ms] [runs]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
timeout_ms="${2:-5000}"
runs="${3:-3}"
program="$build/bench/wait-cost"
[[ -x "$program" ]] || { echo "bench-wait: $program is missing; build first" >&2; exit 1; }
for run in $(seq "$runs"); do
  echo "-- run $run"
  QT_QPA_PLATFORM=offscreen "$program" "$timeout_ms" 2>/dev/null
done
