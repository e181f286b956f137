#!/usr/bin/env bash
# Build benchmark: a clean clone of the committed main built with an empty
# compiler cache (cold), then a second clone in another folder built with the
# cache the first one filled (warm). For each: the build `make run` needs, the
# rest of the build `make test` needs, the test run, the include check, and
# the size of the build folder. See bench/README.md ("Build").
# Usage: bench/bench-build.sh [jobs]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${1:-$(nproc)}"
work="$(mktemp -d /tmp/bench-build.XXXXXX)"
trap 'rm -rf "$work"' EXIT
# A cache of the benchmark's own: the developer's cache is neither used nor emptied.
export CCACHE_DIR="$work/ccache"

seconds() { local start=$SECONDS; "$@" >"$work/log" 2>&1 || { cat "$work/log" >&2; exit 1; }; echo $((SECONDS - start)); }

measure() {
  local name=$1 dir="$work/$1"
  git clone -q --branch main "$root" "$dir"
  cd "$dir"
  local program tests run size
  program=$(seconds make build-program JOBS="$jobs")
  tests=$(seconds make build JOBS="$jobs")
  run=$(seconds make test JOBS="$jobs")
  size=$(du -sm build | cut -f1)
  printf '| %s | %s | %s | %s | %s |\n' "$name" "$program" "$tests" "$run" "$size"
  cd "$root"
}

echo "| build | make run's build s | rest of make test's build s | tests s | build folder MiB |"
echo "|---|---:|---:|---:|---:|"
measure cold
measure warm
ccache --show-stats | sed -n '/Hits/,/Misses/p' >&2
