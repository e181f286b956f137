#!/usr/bin/env bash
# The layering CONTRIBUTING.md describes, checked on the sources (takes
# seconds, needs no build):
#   - a folder includes only from itself and the folders below it;
#   - the highlighters (highlight/, their tool in highlight/cli/ aside)
#     include nothing but the standard library;
#   - a folder's CMakeLists.txt adds sources only to its own targets.
# Prints every breach and fails when there is one.
set -uo pipefail
cd "$(dirname "$0")/.."

# The folders each folder may include from, besides itself.
declare -A below=(
  [platform]=""
  [highlight]=""
  [download]="platform"
  [browserhost]="platform"
  [tools]="browserhost platform highlight"
  [editor]="tools browserhost platform highlight"
  [favorites]="tools browserhost platform"
  [addressbar]="tools browserhost platform"
  [app]="favorites addressbar editor tools browserhost platform highlight download"
)
breaches=0
breach() {
  echo "layers: $*"
  breaches=$((breaches + 1))
}

for folder in "${!below[@]}"; do
  [[ -d $folder ]] || continue
  allowed=" $folder ${below[$folder]} "
  while IFS=: read -r file line text; do
    included=${text#*\"}
    included=${included%%\"*}
    top=${included%%/*}
    [[ $included == */* ]] || continue
    # A tool's main may use what every tool uses.
    if [[ $folder == highlight && $file == highlight/cli/* && $top == platform ]]; then
      continue
    fi
    [[ $allowed == *" $top "* ]] || breach "$file:$line includes \"$included\", above or beside $folder/"
  done < <(grep -rnE '^\s*#\s*include\s+"' --include='*.h' --include='*.cpp' "$folder")
done

# The highlighters: the standard library (and the compiler's SSE2 intrinsics)
# only. Standard headers carry no extension and no folder.
while IFS=: read -r file line text; do
  header=${text#*<}
  header=${header%%>*}
  [[ $header =~ ^[a-z_]+$ || $header == emmintrin.h ]] || breach "$file:$line includes <$header>, not the standard library"
done < <(grep -rnE '^\s*#\s*include\s+<' --include='*.h' --include='*.cpp' highlight | grep -v '^highlight/cli/')

# A target's sources come from its own folder's CMakeLists.txt: target_sources
# names only targets made in the same file, and no source path leaves the
# folder.
while IFS= read -r cmake; do
  dir=$(dirname "$cmake")
  own=$(grep -oE '^\s*add_(library|executable)\(\s*[A-Za-z0-9_.-]+' "$cmake" | sed -E 's/.*\(\s*//')
  while read -r target; do
    [[ -z $target ]] && continue
    grep -qxF "$target" <<<"$own" || breach "$cmake adds sources to $target, a target of another folder"
  done < <(grep -oE '^\s*target_sources\(\s*[A-Za-z0-9_.-]+' "$cmake" | sed -E 's/.*\(\s*//')
  if grep -nE '^\s*(add_library|add_executable|target_sources)\(' -A6 "$cmake" | grep -E '\.\./|PROJECT_SOURCE_DIR|CMAKE_SOURCE_DIR' \
      | grep -qE '\.(cpp|h)\b'; then
    breach "$cmake builds sources from outside $dir/"
  fi
done < <(git ls-files '*CMakeLists.txt' | grep -vE '^(CMakeLists.txt|tests/|bench/)')

if ((breaches)); then
  echo "layers: $breaches breach(es); see CONTRIBUTING.md, \"Layout and layering\""
  exit 1
fi
echo "layers: every folder includes downwards only"
