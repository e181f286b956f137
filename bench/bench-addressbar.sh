#!/usr/bin/env bash
# The address box: keystroke to completion list with 10,000 history entries
# (goal under 16 ms) and the start of a box with a full typed list (goal
# under 5 ms), and the history store's prefix lookup over 100,000 visits;
# medians of five repetitions.
set -euo pipefail
build="${1:-build}"
cmake --build "$build" --target address-box-bench >/dev/null
"$build/bench/address-box-bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_filter='.*' 2>/dev/null | grep -E 'median|Benchmark|---'
