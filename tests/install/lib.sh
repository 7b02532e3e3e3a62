# Helpers for the launcher and package tests: checks that stop the script, and a scratch directory.
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
expect_eq() { [ "$2" = "$3" ] || fail "$1: expected [$3], got [$2]"; }
expect_file() { [ -f "$1" ] || fail "missing file $1"; }
# ImageMagick's converter: "magick" where there is one (7), "convert" otherwise (6).
im() { if command -v magick >/dev/null; then magick "$@"; else convert "$@"; fi; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# install_into BUILD PREFIX: `cmake --install` as a player would, quietly.
install_into() { cmake --install "$1" --prefix "$2" >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; fail "cmake --install"; }; }
