#!/usr/bin/env bash
# The favorites list view filling a folder of 2,000 shortcuts and drawing
# the rows in sight (goal under 30 ms); medians of five repetitions.
set -euo pipefail
build="${1:-build}"
cmake --build "$build" --target favorites-list-bench >/dev/null
"$build/bench/favorites-list-bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  2>/dev/null | grep -E 'median|Benchmark|---'
