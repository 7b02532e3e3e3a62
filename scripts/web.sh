#!/usr/bin/env bash
# Builds ZORVANE for the browser into build/web/web: our page, zorvane.js, .wasm and the preloaded .data.
# Usage: bash scripts/web.sh [--bench] [--replay | --replay-all] [--tests] [--serve [PORT]]
#   --bench   also builds the frame benchmark and runs it in headless Chromium
#   --replay  also builds the simulator and holds nine of its games in headless Chromium against the golden lines
#   --replay-all  the same with every one of the 109 golden lines
#   --tests   builds what the browser tests need (the page, the benchmark's pictures, the simulator)
#             and runs none of them: tests/web/web_test.sh does
#   --serve   then serves the page on http://127.0.0.1:PORT/ (8080 unless given) until Ctrl-C
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/web"
bench=""
replay=""
tests=""
serve=""
port=8080
while [ $# -gt 0 ]; do
  case "$1" in
    --bench) bench=1 ;;
    --replay) replay=1 ;;
    --replay-all) replay=--all ;;
    --tests) tests=1 ;;
    --serve)
      serve=1
      if [[ "${2:-}" =~ ^[0-9]+$ ]]; then port="$2"; shift; fi ;;
    *) echo "usage: bash scripts/web.sh [--bench] [--replay | --replay-all] [--tests] [--serve [PORT]]" >&2; exit 2 ;;
  esac
  shift
done

bash "$root/scripts/setup.sh" --web
# Debian's emcc finds its JavaScript parser (acorn) only here.
export NODE_PATH=/usr/share/nodejs
(cd "$root" && cmake --preset web >/dev/null)
targets=(zorvane-web-page)
[ -n "$bench" ] && targets+=(zorvane-web-bench)
[ -n "$replay" ] && targets+=(zorvane-web-replay)
[ -n "$tests" ] && targets+=(zorvane-web-bench zorvane-web-replay)
cmake --build "$build" --target "${targets[@]}" -j "$(nproc)"
# The browser's game is compiled with the same arithmetic as the desktop's.
bash "$root/tests/maths/float_flags.sh" "$build/compile_commands.json" "$root"

# What a visitor downloads before the title shows, compressed as a web server would send it, and the
# music that follows while it shows.
total=0
for f in index.html page.js page.css zorvane.js zorvane.wasm zorvane.data; do
  size=$(gzip -9c "$build/web/$f" | wc -c)
  total=$((total + size))
  printf '%-22s %8d bytes gzipped\n' "$f" "$size"
done
printf '%-22s %8d bytes gzipped\n' "before the title" "$total"
for f in $(cd "$build/web" && find resource -name '*.ogg'); do
  printf '%-22s %8d bytes, fetched while the title shows\n' "$f" "$(stat -c %s "$build/web/$f")"
done

if [ -n "$bench" ]; then
  (cd "$root/tests/web" && node bench.mjs "$build/web")
fi
if [ -n "$replay" ]; then
  if [ "$replay" = --all ]; then
    (cd "$root/tests/web" && node replay_test.mjs "$build/web" "$root/tests/golden" --all)
  else
    (cd "$root/tests/web" && node replay_test.mjs "$build/web" "$root/tests/golden")
  fi
fi
if [ -n "$serve" ]; then
  exec node "$root/web/serve.mjs" "$build/web" "$port"
fi
