#!/usr/bin/env bash
# Builds Brumex (release) and starts it. Without a display it starts under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
program=build/release/brumex
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$program" "$@"
fi
echo "No display found: starting Brumex under Xvfb (screen :99)."
exec xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" "$program" "$@"
