#!/usr/bin/env bash
# Installs every Debian package that building, running and testing the program need.
# Idempotent: packages already present are left alone. Runs as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev
  libgl-dev
  libxlsxwriter-dev libzip-dev zipcmp zipmerge ziptool
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-format
  xvfb xauth xdotool imagemagick x11-apps
  fonts-dejavu-core
  poppler-utils
  python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
