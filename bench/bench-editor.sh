#!/usr/bin/env bash
# The rich editor: the RTF reader's throughput on the highlighter's RTF of a
# 2 MB page beside unrtf --text and LibreOffice's headless import, and the
# editor colouring 200 KB, 2 MB and 21 MB pages, in one run.
# Usage: bench/bench-editor.sh [BUILD_DIR]   (corpora: $ZARN_CORPUS, default ../shared/corpus)
set -euo pipefail
build="${1:-build}"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
corpus="${ZARN_CORPUS:-$root/../shared/corpus}"

"$root/scripts/install-deps.sh" time
for target in editor-bench zarn-highlight; do
  cmake --build "$build" --target "$target" >/dev/null
done
exec env QT_QPA_PLATFORM=offscreen python3 "$here/editor-measure.py" \
  "$build/bench/editor-bench" "$build/highlight/zarn-highlight" "$corpus"
