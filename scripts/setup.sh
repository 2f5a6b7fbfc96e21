#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test Brumex.
# Idempotent: prints nothing when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang-format
  qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite libqt6serialport6
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool fonts-liberation fonts-dejavu-core
  gpsbabel desktop-file-utils
  clang libclang-rt-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
