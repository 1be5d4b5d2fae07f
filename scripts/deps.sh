#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need,
# when any of them is missing. Needs root (or sudo) only when it installs.
#   bash scripts/deps.sh [PACKAGE...]
# With package names, installs those (when missing) instead of the list below.
set -euo pipefail

if (($#)); then
  packages=("$@")
else
  packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools
    qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    libgtest-dev libgmock-dev libbenchmark-dev
    fontconfig fonts-dejavu-core fonts-liberation
    xvfb xauth
    dpkg-dev file groff-base desktop-file-utils appstream librsvg2-bin
    fusefat dosfstools
    lintian devscripts
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing missing packages: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
