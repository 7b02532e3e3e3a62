# Every browser test: the page held against the native game (the same title and HUD pixels, shown
# crisply), play, the framebuffer's pixels, phones, pads, hidden tabs, sound, loading, offline, the
# page's replays against the desktop simulator's, and the simulator's games against the golden lines.
# Usage: bash web_test.sh ZORVANE RESOURCE_DIR WEB_DIR LAB_DIR ZORVANE_SIM [GOLDEN_DIR]. ZORVANE is the
# native game and ZORVANE_SIM the native simulator; WEB_DIR the page and LAB_DIR the lab built by
# scripts/web.sh --tests; GOLDEN_DIR (tests/golden) adds the golden lines. The native shots come from a
# real window under Xvfb; the *_test.mjs play the page in headless Chromium. Set E2E_KEEP=1 to keep the
# pictures (their folder is printed).
# WEB_TESTS="web_test device_test", say, runs only those node tests.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../e2e/lib.sh"
e2e_setup "$1" "$2"
web_dir="$(readlink -f "$3")"
lab_dir="$(readlink -f "$4")"
sim="$(readlink -f "$5")"
for tool in node compare identify; do
    command -v "$tool" >/dev/null || { e2e_log "missing tool: $tool"; exit 1; }
done
[ -f "$web_dir/zorvane.wasm" ] || { e2e_log "no web build in $3"; exit 1; }
[ -f "$lab_dir/bench.wasm" ] || { e2e_log "no lab in $4"; exit 1; }
[ -x "$sim" ] || { e2e_log "no native simulator at $5"; exit 1; }
[ -d "$here/node_modules/puppeteer-core" ] || { e2e_log "no puppeteer-core: run npm ci in $here"; exit 1; }
out="$E2E_SCRATCH/web"
mkdir -p "$out"
[ -n "${E2E_KEEP:-}" ] && e2e_log "pictures in $out"

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

# --- the page in the browser ------------------------------------------------------------------
# browser_test NAME ARGS...: one of the node tests; its checks are counted from its "ok:" and "FAIL:" lines.
BROWSER_PASSED=0
BROWSER_FAILED=0
browser_test() {
    local name="$1" log="$out/$1.log" started=$SECONDS
    shift
    [ -n "${WEB_TESTS:-}" ] && [[ " $WEB_TESTS " != *" $name "* ]] && return
    (cd "$here" && node "$name.mjs" "$@") 2>&1 | tee "$log"
    local status=${PIPESTATUS[0]}
    BROWSER_PASSED=$((BROWSER_PASSED + $(grep -c '^ok: ' "$log")))
    BROWSER_FAILED=$((BROWSER_FAILED + $(grep -c '^FAIL: ' "$log")))
    e2e_expect "$name ($((SECONDS - started)) s)" "0" "$status"
}
browser_test web_test "$web_dir" "$out"
browser_test paint_test "$lab_dir"
browser_test device_test "$web_dir"
browser_test sound_test "$web_dir"
browser_test load_test "$web_dir"
browser_test replays_test "$web_dir" "$lab_dir" "$sim" "$E2E_RESOURCE"
[ -n "${6:-}" ] && browser_test replay_test "$lab_dir" "$(readlink -f "$6")"
e2e_log "browser: $BROWSER_PASSED passed, $BROWSER_FAILED failed"

# differ A B [GEOMETRY]: how many pixels differ, over the whole pictures or the one crop of both.
differ() {
    local crop=()
    [ -n "${3:-}" ] && crop=(-crop "$3" +repage)
    convert "$1" "${crop[@]}" -type TrueColor "$out/differ-a.png"
    convert "$2" "${crop[@]}" -type TrueColor "$out/differ-b.png"
    compare -metric AE "$out/differ-a.png" "$out/differ-b.png" null: 2>&1
}

if [ -f "$out/title.rgb" ]; then
    convert -size 320x480 -depth 8 "rgb:$out/title.rgb" "$out/web-title.png"
    e2e_expect "title drawn on the canvas as the native game draws it" "0" \
        "$(differ "$out/native-title.png" "$out/web-title.png")"
fi
if [ -f "$out/display.png" ]; then
    # As shown, each game pixel is a k x k square of its own colour: the native title enlarged by
    # repeating pixels, with no smoothing.
    scale=$(( $(identify -format '%w' "$out/display.png") / 320 ))
    convert "$out/native-title.png" -sample "$((320 * scale))x$((480 * scale))" "$out/native-title-shown.png"
    e2e_expect "title shown at scale $scale, crisp" "0" "$(differ "$out/native-title-shown.png" "$out/display.png")"
fi
if [ -f "$out/screenshot.bmp" ]; then
    e2e_expect "F12's screenshot.bmp holds the native title" "0" \
        "$(differ "$out/native-title.png" "$out/screenshot.bmp")"
fi
if [ -f "$out/game.rgb" ]; then
    # LEVEL over the boss's bar and SCORE: glyphs keyed out over a coloured bar, as on the desktop.
    convert -size 320x480 -depth 8 "rgb:$out/game.rgb" "$out/web-game.png"
    e2e_expect "HUD at a game's start as the native game draws it" "0" \
        "$(differ "$out/native-game.png" "$out/web-game.png" 120x45+0+0)"
fi
e2e_finish
