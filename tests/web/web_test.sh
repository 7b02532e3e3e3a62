# Every browser test: the page's title and HUD against the native game's own (a real window under Xvfb),
# then the *_test.mjs in headless Chromium. E2E_KEEP=1 keeps the pictures (their folder is printed).
# Usage: bash web_test.sh ZORVANE RESOURCE_DIR WEB_DIR LAB_DIR ZORVANE_SIM GOLDEN_DIR: the native game and
# simulator, the page and the lab of scripts/web.sh --tests, and tests/golden.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../e2e/lib.sh"
e2e_setup "$1" "$2"
web_dir="$(readlink -f "$3")"
lab_dir="$(readlink -f "$4")"
sim="$(readlink -f "$5")"
golden="$(readlink -f "$6")"
for tool in node compare identify; do
    command -v "$tool" >/dev/null || { e2e_log "missing tool: $tool"; exit 1; }
done
# puppeteer-core comes with npm ci in this folder.
for need in "$web_dir/zorvane.wasm" "$lab_dir/bench.wasm" "$sim" "$golden/cycles.txt" \
            "$here/node_modules/puppeteer-core"; do
    [ -e "$need" ] || { e2e_log "missing: $need"; exit 1; }
done
out="$E2E_SCRATCH/web"
mkdir -p "$out"
[ -n "${E2E_KEEP:-}" ] && e2e_log "pictures in $out"

# The lab's pictures and the simulator's games take a core for a minute or more and time nothing: they
# run beside the native game and the tests up to load_test, whose timings a busy machine cannot break.
started=$SECONDS
(cd "$here" && exec node lab_test.mjs "$lab_dir" "$sim" "$E2E_RESOURCE" "$golden") &
lab_test=$!
trap 'kill "$lab_test" 2>/dev/null; e2e_cleanup' EXIT

# --- the native game's own title and first frame of play ---------------------------------------
e2e_start_xvfb
e2e_make_workdir native
e2e_start_game
e2e_wait_window 10 || exit 1
e2e_focus
# The title's picture is drawn from the first frame on, and a screenshot holds a whole drawn frame.
e2e_screenshot "$out/native-title.png" || exit 1
e2e_expect "native title's background" "$E2E_BG" "$(e2e_pixel "$out/native-title.png" 0 0)"
# z held until a shot shows the boss's place changed: the first frame of play.
e2e_shoot_until_change "$out/native-title.png" "$out/native-game.png" 160 70 1 1 z
e2e_expect "native game's boss" "0,255,0" "$(e2e_pixel "$out/native-game.png" 160 70)"
e2e_quit_with Escape 20
e2e_expect "native game quit" "0" "$E2E_STATUS"

# browser_test NAME ARGS...: one of the node tests, whose own "ok:" lines scripts/test.sh counts.
browser_test() {
    local name="$1" started=$SECONDS
    shift
    (cd "$here" && node "$name.mjs" "$@")
    e2e_expect "$name ($((SECONDS - started)) s)" "0" "$?"
}
browser_test web_test "$web_dir" "$out"
browser_test device_test "$web_dir"
browser_test sound_test "$web_dir"
browser_test load_test "$web_dir"
wait "$lab_test"
e2e_expect "lab_test ($((SECONDS - started)) s, beside those)" "0" "$?"
browser_test replays_test "$web_dir" "$sim" "$E2E_RESOURCE"

# same WHAT A B [GEOMETRY]: checks that two pictures, or the one crop of both, have the same pixels. The
# page's canvas comes as raw 320 x 480 RGB (rgb:FILE).
same() {
    local crop=()
    [ -n "${4:-}" ] && crop=(-crop "$4" +repage)
    rm -f "$out/same-a.png" "$out/same-b.png"
    convert -size 320x480 -depth 8 "$2" "${crop[@]}" -type TrueColor "$out/same-a.png"
    convert -size 320x480 -depth 8 "$3" "${crop[@]}" -type TrueColor "$out/same-b.png"
    e2e_expect "$1" "0" "$(compare -metric AE "$out/same-a.png" "$out/same-b.png" null: 2>&1)"
}
same "title drawn on the canvas as the native game draws it" "$out/native-title.png" "rgb:$out/title.rgb"
# As shown, each game pixel is a k x k square of its own colour: the native title enlarged by repeating
# pixels, with no smoothing.
scale=$(( $(identify -format '%w' "$out/display.png") / 320 ))
convert "$out/native-title.png" -sample "$((320 * scale))x$((480 * scale))" "$out/native-title-shown.png"
same "title shown at scale $scale, crisp" "$out/native-title-shown.png" "$out/display.png"
same "F12's screenshot.bmp holds the native title" "$out/native-title.png" "$out/screenshot.bmp"
# LEVEL over the boss's bar and SCORE: glyphs keyed out over a coloured bar, as on the desktop.
same "HUD at a game's start as the native game draws it" "$out/native-game.png" "rgb:$out/game.rgb" 120x45+0+0
e2e_finish
