#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing ZORVANE need; skips apt when all are
# present. The one installer: every other script asks it for what it needs.
#
#   bash scripts/setup.sh [--web] [--aarch64] [--bootstrap]
#
#   (none)       building, playing and testing on the desktop
#   --web        the browser build's tools: Emscripten, Chromium, Node.js with npm, and the browser
#                test's npm packages (tests/web); scripts/test.sh and scripts/web.sh pass it
#   --aarch64    the 64-bit ARM cross compiler, qemu's user-mode emulator and mmdebstrap
#   --bootstrap  mmdebstrap alone, for scripts/debian13.sh's root
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
web=""
# libsdl1.2-compat is sdl12-compat's runtime library alone, beside classic SDL 1.2: the test command
# runs the game on both. Its -dev and shim packages, which would make it the default, stay out.
PACKAGES=(
  build-essential cmake pkg-config git clang-format clang libclang-rt-dev
  libsdl1.2-dev libsdl-mixer1.2-dev libogg-dev libvorbis-dev libpng-dev
  libsdl1.2-compat
  libgtest-dev libbenchmark-dev
  libx11-dev xvfb xdotool x11-utils imagemagick valgrind
  dpkg-dev file lintian appstream desktop-file-utils man-db groff-base bsdextrautils
)
for option in "$@"; do
  case "$option" in
  --web)
    web=1
    PACKAGES+=(emscripten chromium)
    # A Node.js from elsewhere brings its own npm and conflicts with Debian's npm package.
    command -v npm >/dev/null || PACKAGES+=(nodejs npm)
    ;;
  --aarch64) PACKAGES+=(g++-aarch64-linux-gnu qemu-user-static mmdebstrap) ;;
  --bootstrap) PACKAGES=(mmdebstrap) ;;
  *) echo "usage: bash scripts/setup.sh [--web] [--aarch64] [--bootstrap]" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  # Wait for another apt run to finish rather than fail on its lock.
  $SUDO apt-get -o DPkg::Lock::Timeout=600 update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}"
fi
if [ -n "$web" ]; then
  tests="$root/tests/web"
  # The browser test drives Debian's Chromium; puppeteer must not fetch a browser of its own.
  if [ ! -f "$tests/node_modules/.package-lock.json" ] || [ "$tests/package-lock.json" -nt "$tests/node_modules/.package-lock.json" ]; then
    (cd "$tests" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund)
  fi
fi
