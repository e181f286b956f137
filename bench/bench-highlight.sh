#!/usr/bin/env bash
# HTML and XML colouring to RTF: throughput and peak memory of zarn-highlight
# beside highlight, pygmentize and a plain copy, in one run on the corpora.
# Usage: bench/bench-highlight.sh [BUILD_DIR]   (corpora: $ZARN_CORPUS, default ../shared/corpus)
set -euo pipefail
build="${1:-build}"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
corpus="${ZARN_CORPUS:-$root/../shared/corpus}"

"$root/scripts/install-deps.sh" highlight python3-pygments time
[[ -x "$build/highlight/zarn-highlight" ]] || cmake --build "$build" --target zarn-highlight >/dev/null
exec python3 "$here/highlight-measure.py" "$build/highlight/zarn-highlight" "$corpus"
