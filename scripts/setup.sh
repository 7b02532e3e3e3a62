#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing ZORVANE need; skips apt when all are present.
set -euo pipefail
PACKAGES=(
  build-essential cmake pkg-config git
  libsdl1.2-dev libsdl-mixer1.2-dev libvorbis-dev libpng-dev
  libgtest-dev libbenchmark-dev
  libx11-dev xvfb xdotool x11-utils imagemagick valgrind
  dpkg-dev file lintian appstream desktop-file-utils man-db groff-base bsdextrautils
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
