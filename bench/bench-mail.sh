#!/usr/bin/env bash
# zarn-mail -o of a message with a 20 MiB attachment against mpack writing
# the same file as a MIME message, each the median of five runs, process
# start to exit, with its peak memory; the same with a 1 MiB attachment
# shows how memory grows with the attachment. Then the hand-over: zarn-mail
# without -o (written into the Outbox, then xdg-email) against xdg-email run
# directly, both with a mail program ($MAILER) that returns at once.
# Usage: bench/bench-mail.sh [build]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" mpack xdg-utils

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
source "$root/bench/measure.sh"
tool="$build/tools/zarn-mail"
export ZARNWEB_HOME="$work/profile" MAILER=true BROWSER=false
head -c $((20 * 1024 * 1024)) /dev/urandom > "$work/big.bin"
head -c $((1024 * 1024)) /dev/urandom > "$work/small.bin"
head -c 1024 /dev/urandom > "$work/tiny.bin"

header
for size in big small; do
  bytes=$(stat -c %s "$work/$size.bin")
  measure "$tool" --subject S --attach "$work/$size.bin" -o "$work/out/m.eml"
  row "zarn-mail -o ($size)" "$secs" "$rss_kb" "$bytes"
  eval "zarn_${size}_kb=$rss_kb"
  measure mpack -s S -o "$work/out/m.eml" "$work/$size.bin"
  row "mpack -o ($size)" "$secs" "$rss_kb" "$bytes"
done
echo "zarn-mail memory growth from 1 MiB to 20 MiB: $(( (zarn_big_kb - zarn_small_kb) / 1024 )) MiB"

# The hand-over: the whole of zarn-mail against xdg-email alone.
measure "$tool" --subject S --attach "$work/tiny.bin"
row "zarn-mail (hand-over)" "$secs" "$rss_kb" 0
measure xdg-email --utf8 --subject S --attach "$work/tiny.bin"
row "xdg-email" "$secs" "$rss_kb" 0

# A tool operation of TSextant that does not wait, against calling its tool.
QT_QPA_PLATFORM=offscreen "$build/bench/forwarder-cost" --benchmark_min_time=0.2 2>/dev/null | tail -5
