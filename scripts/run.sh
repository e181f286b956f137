#!/usr/bin/env bash
# Starts ZarnWeb; without a display, under Xvfb.
set -euo pipefail
program="$1"; shift
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "run: no display found; starting ZarnWeb under Xvfb (xvfb-run)" >&2
  exec xvfb-run -a -s "-screen 0 1600x1000x24" "$program" "$@"
fi
exec "$program" "$@"
