#!/usr/bin/env bash
# Starts the demo from a build folder. With no display, runs it under Xvfb.
set -euo pipefail
BUILD_DIR="$1"; shift
DEMO="$BUILD_DIR/app/tavro-demo"
if [ ! -x "$DEMO" ]; then
  echo "tavro-demo is not built yet" >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  out="${TAVRO_SCREENSHOTS:-$PWD/screenshots}"
  mkdir -p "$out"
  echo "No display: running tavro-demo under Xvfb, screenshots go to $out"
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$DEMO" --screenshots "$out" "$@"
fi
exec "$DEMO" "$@"
