#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Usage: scripts/install-deps.sh [extra packages...]
# Installs with apt-get when allowed (root, or sudo without a password);
# otherwise prints the apt-get line to run and fails.
set -euo pipefail

packages=(
  cmake ninja-build g++ ccache mold pkg-config
  qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin libgl-dev
  libcurl4-openssl-dev libsqlite3-dev libjpeg-dev libssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  xvfb xauth unrtf fonts-dejavu-core poppler-utils
  libgmime-3.0-dev xdg-utils mpack
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "install-deps: installing ${missing[*]}" >&2
if [[ $(id -u) -eq 0 ]]; then
  apt=(apt-get)
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  apt=(sudo apt-get)
else
  echo "install-deps: missing packages; run:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${apt[@]}" update -q >/dev/null
"${apt[@]}" install -y -q --no-install-recommends "${missing[@]}" >/dev/null
