#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build's tests (headless:
# the window tests use Qt's offscreen platform), then dorvik-cli.exe built for
# Windows with its tests under Wine, then the round trips of sets between the
# two systems (a set split on one joins on the other). Installs what it needs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
bash "$root/scripts/build.sh" "$build"
(cd "$build" && ctest --output-on-failure --timeout 900 -j "$(nproc)")

bash "$root/scripts/build-windows.sh" --test
export DORVIK_WINDOWS_CLI="$root/build-windows/cli/dorvik-cli.exe"
export WINEPREFIX="$root/build-windows/wine" WINEDEBUG=-all
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineserver -p >/dev/null 2>&1 </dev/null || true
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
cd "$build"
ctest --output-on-failure --timeout 900 -R CrossSystem
