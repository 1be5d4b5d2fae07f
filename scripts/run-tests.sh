#!/usr/bin/env bash
# Builds everything and runs every test (headless: the window tests use Qt's
# offscreen platform).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
bash "$root/scripts/build.sh" "$build"
cd "$build"
ctest --output-on-failure --timeout 900 -j "$(nproc)"
