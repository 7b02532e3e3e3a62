#!/usr/bin/env bash
# Builds ZORVANE for the browser: the page a player deploys in build/web/web (our page, zorvane.js,
# .wasm and the preloaded .data, the replay watcher watch.html on zorvane-sim.js, .wasm and .data), and
# on request the lab's programs and pages in build/web/lab.
# Usage: bash scripts/web.sh [--bench] [--replay] [--tests] [--serve [PORT]]
#   --bench   also builds the lab's frame benchmark and runs it in headless Chromium
#   --replay  also builds the lab's pages and holds the browser's simulator to the desktop's (the tests
#             preset's, built already): the bot's games of every level, and games of the golden lines
#   --tests   builds what the browser tests need (the page and both lab pages) and runs none of
#             them: tests/web/web_test.sh does
#   --serve   then serves the page on http://127.0.0.1:PORT/ (8080 unless given) until Ctrl-C
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/web"
targets=(zorvane-web-page)
bench="" replay="" serve="" port=8080
while [ $# -gt 0 ]; do
  case "$1" in
    --bench) bench=1; targets+=(zorvane-web-bench) ;;
    --replay) replay=1; targets+=(zorvane-web-bench zorvane-web-replay) ;;
    --tests) targets+=(zorvane-web-bench zorvane-web-replay) ;;
    --serve)
      serve=1
      if [[ "${2:-}" =~ ^[0-9]+$ ]]; then port="$2"; shift; fi ;;
    # The usage is the comment at the top.
    *) awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0" >&2; exit 2 ;;
  esac
  shift
done

bash "$root/scripts/setup.sh" --web
# The preset also gives emcc the NODE_PATH that Debian's build of it needs.
(cd "$root" && cmake --preset web >/dev/null && cmake --build --preset web --target "${targets[@]}" -j "$(nproc)")
# The browser's game is compiled with the same arithmetic as the desktop's.
bash "$root/tests/maths/float_flags.sh" "$build/compile_commands.json" "$root"

# What a visitor downloads before the title shows, compressed as a web server would send it, what the
# watcher adds to it, and the music that follows while the title shows.
# gzipped NAME FILE...: each file's size, then their sum under NAME.
gzipped() {
  local name="$1" total=0 size f
  shift
  for f in "$@"; do
    size=$(gzip -9c "$build/web/$f" | wc -c)
    total=$((total + size))
    printf '%-22s %8d bytes gzipped\n' "$f" "$size"
  done
  printf '%-22s %8d bytes gzipped\n' "$name" "$total"
}
gzipped "before the title" index.html shared.js replays.js page.js page.css zorvane.js zorvane.wasm zorvane.data
gzipped "the watcher's own" watch.html watch.js zorvane-sim.js zorvane-sim.wasm zorvane-sim.data
for f in $(cd "$build/web" && find resource -name '*.ogg'); do
  printf '%-22s %8d bytes, fetched while the title shows\n' "$f" "$(stat -c %s "$build/web/$f")"
done

[ -z "$bench" ] || (cd "$root/tests/web" && node bench.mjs "$build/web" "$build/lab")
[ -z "$replay" ] || (cd "$root/tests/web" && node lab_test.mjs "$build/lab" "$root/build/tests/sim/zorvane-sim" \
    "$root/resource" "$root/tests/golden")
[ -z "$serve" ] || exec node "$root/web/serve.mjs" "$build/web" "$port"
