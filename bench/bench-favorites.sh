#!/usr/bin/env bash
# zarn-favorites export and import of 10,000 bookmarks in 500 folders against
# keditbookmarks in batch mode, which goes through its own XML bookmarks
# file, with tar -xf of the same tree of shortcuts as the floor for creating
# the files. Each figure is the median of several alternating runs, process
# start to exit; run 0 only warms the file cache and checks the counts.
#
# keditbookmarks 22.12 takes one --import or one --export per call. Its
# --importie skips every shortcut ("a line longer than 16384") and its
# --exportns opens the editor's window instead of writing, so its export side
# is --exporthtml (every bookmark of its XML file into one HTML file) and its
# import side is --importns into a new XML file followed by --exportie.
# Usage: bench/bench-favorites.sh [build] [runs]
# The trees are made under $TMPDIR (TMPDIR=/dev/shm takes the disk out).
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
runs="${2:-5}"
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" keditbookmarks python3

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
tool="$build/favorites/zarn-favorites"

# A throw-away home for both programs; keditbookmarks runs without a display.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/runtime" ZARNWEB_HOME="$work/profile"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$ZARNWEB_HOME/Favorites"
chmod 700 "$XDG_RUNTIME_DIR"

# 50 folders with 9 sub-folders each: 500 folders, 20 shortcuts in each.
python3 - "$work/tree" <<'PY'
import os, sys
tree = sys.argv[1]
n = 0
for top in range(50):
    for sub in [None] + list(range(9)):
        folder = os.path.join(tree, f"Topic {top}") if sub is None else os.path.join(tree, f"Topic {top}", f"Part {sub}")
        os.makedirs(folder, exist_ok=True)
        for i in range(20):
            n += 1
            with open(os.path.join(folder, f"Page {n} & more.url"), "w", newline="") as f:
                f.write(f"[InternetShortcut]\r\nURL=https://site{n % 97}.example/path/{n}?q=a&r=b\r\n")
PY
(cd "$work/tree" && tar -cf "$work/tree.tar" .)
cp -r "$work/tree/." "$ZARNWEB_HOME/Favorites/"
cd "$work"
"$tool" export "$work/book.html" >/dev/null
keditbookmarks --importns "$work/book.html" "$work/store.xml" >/dev/null 2>&1

peer_export() {
  cp "$work/store.xml" "$work/export.xml"
  keditbookmarks --exporthtml "$work/peer.html" "$work/export.xml"
}
peer_import() {
  mkdir -p "$work/peer-ie"
  keditbookmarks --importns "$work/book.html" "$work/import.xml" && keditbookmarks --exportie "$work/peer-ie" "$work/import.xml"
}

# Milliseconds one command takes; fails when it did not succeed.
timed() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo "bench-favorites: failed: $*" >&2; exit 1; }
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
count_urls() { find "$1" -name '*.url' | wc -l; }

# The five commands in a rotating order, so that none always runs right
# after the previous run's trees were deleted (ext4 scans past recently freed
# inodes when it makes new files).
measure() {
  case "$1" in
    export) timed "$tool" export "$work/out.html" ;;
    peer_export) timed peer_export ;;
    import) timed "$tool" import "$work/book.html" --into Imported ;;
    peer_import) timed peer_import ;;
    floor) timed tar -xf "$work/tree.tar" -C "$work/floor" ;;
  esac
}
names=(export peer_export import peer_import floor)
declare -A times
for run in $(seq 0 "$runs"); do
  rm -rf "$work/floor" "$work/peer-ie" "$ZARNWEB_HOME/Favorites/Imported" "$work"/export.xml* "$work"/import.xml* \
    "$work/out.html" "$work/peer.html"
  mkdir -p "$work/floor"
  for i in 0 1 2 3 4; do
    name=${names[$(((i + run) % 5))]}
    ms=$(measure "$name")
    [[ $run -gt 0 ]] && times[$name]+="$ms "
  done
  if [[ $run -eq 0 ]]; then
    echo "check: zarn import $(count_urls "$ZARNWEB_HOME/Favorites/Imported"), keditbookmarks import" \
      "$(count_urls "$work/peer-ie"), tar $(count_urls "$work/floor") shortcuts;" \
      "exported addresses: zarn $(grep -c 'HREF="https://' "$work/out.html"), keditbookmarks" \
      "$(grep -c 'https://site' "$work/peer.html")"
  fi
done

median() { tr ' ' '\n' <<<"$1" | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
export_ms=$(median "${times[export]}")
peer_export_ms=$(median "${times[peer_export]}")
import_ms=$(median "${times[import]}")
peer_import_ms=$(median "${times[peer_import]}")
floor_ms=$(median "${times[floor]}")
echo "10,000 bookmarks in 500 folders under $(df --output=fstype "$work" | tail -1), median of $runs runs (ms, process start to exit):"
printf '  %-44s %6d\n' "zarn-favorites export" "$export_ms" "keditbookmarks --exporthtml" "$peer_export_ms" \
  "zarn-favorites import" "$import_ms" "keditbookmarks --importns, --exportie" "$peer_import_ms" \
  "tar -xf of the same tree (floor)" "$floor_ms"
awk -v e="$export_ms" -v pe="$peer_export_ms" -v i="$import_ms" -v pi="$peer_import_ms" -v f="$floor_ms" 'BEGIN {
  printf "  export / keditbookmarks: %.2f (goal at most 0.5)\n", e / pe
  printf "  import / keditbookmarks: %.2f (goal at most 0.5)\n", i / pi
  printf "  import / tar -xf: %.2f (goal at most 2)\n", i / (f > 0 ? f : 1)
}'
