#!/usr/bin/env bash
# Configures and builds everything into build/ (or $1).
#   bash scripts/build.sh [BUILD_DIR [ARG...]]
# ARGs go on to `cmake --build` (e.g. --target Dorvik builds only the program).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel "$(nproc)" "${@:2}"
