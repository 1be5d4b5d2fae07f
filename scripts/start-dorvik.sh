#!/usr/bin/env bash
# Builds Dorvik (only the program, not the tests, the benchmark or the
# package) and starts it. Without a display it starts inside a virtual X
# server (Xvfb), which keeps the program running but unseen; Ctrl+C, or Quit
# in the window, ends it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
bash "$root/scripts/build.sh" "$build" --target Dorvik
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/splitter/Dorvik"
fi
echo "No display found; starting Dorvik under Xvfb (Ctrl+C ends it)." >&2
exec xvfb-run -a -s "-noreset -screen 0 1024x768x24" "$build/splitter/Dorvik"
