#!/usr/bin/env bash
# Runs every side-by-side benchmark script in bench/ against the build in $1.
set -euo pipefail
build="${1:-build}"
here="$(cd "$(dirname "$0")" && pwd)"
for script in "$here"/bench-*.sh; do
  [[ -e "$script" ]] || continue
  echo "== $(basename "$script")"
  "$script" "$build"
done
