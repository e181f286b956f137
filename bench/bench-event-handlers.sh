#!/usr/bin/env bash
# Main-window event handlers: the time the main window spends in its handlers
# of the browser's events while a loopback page with 50 frames and 500
# pictures loads, as a share of the load (goal: under 5%), median of several
# runs. See bench/README.md ("Main-window event handlers").
# Usage: bench/bench-event-handlers.sh [build-dir] [runs]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
runs="${2:-7}"
program="$build/bench/event-handlers-measure"
[[ -x "$program" ]] || { echo "bench-event-handlers: $program is missing; build first" >&2; exit 1; }
QT_QPA_PLATFORM=offscreen "$program" "$runs" 2>/dev/null
