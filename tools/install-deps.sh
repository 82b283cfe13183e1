#!/usr/bin/env bash
# Installs what building, running and testing need, on Debian 12 or Ubuntu.
# Only missing packages are installed; uses sudo when not run as root.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  clang-14 libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev librtmidi-dev fonts-liberation2
  libfluidsynth-dev fluidsynth timgm6mb-soundfont sox
  jackd2 python3 python3-mido midicsv
  xvfb xauth imagemagick x11-utils xdotool libx11-dev libjack-jackd2-dev
  g++-mingw-w64-x86-64-posix wine64
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
# jackd2 asks about real-time priority; the default answer is fine.
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
