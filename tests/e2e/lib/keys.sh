# e2e helpers: the game's window, and keys held until the game has seen them.
# shellcheck shell=bash

E2E_WID=""
E2E_CAPTION="/+++ ZORVANE +++/"

# e2e_find_window: sets E2E_WID once a window with the game's caption is mapped (input focus can only
# go to a mapped window).
e2e_find_window() {
    local wid
    wid="$(xwininfo -root -tree 2>/dev/null | grep -F "\"$E2E_CAPTION\"" | awk 'NR == 1 {print $1}')"
    [ -n "$wid" ] && xwininfo -id "$wid" 2>/dev/null | grep -q 'Map State: IsViewable' || return 1
    E2E_WID="$wid"
}

# e2e_wait_window [SECONDS]: waits until the game's window is on screen and sets E2E_WID; a failed
# check when it never comes or the game ends first.
e2e_wait_window() {
    E2E_WID=""
    e2e_poll "${1:-30}" e2e_window_or_end
    [ -z "$E2E_WID" ] || return 0
    if e2e_game_gone; then e2e_fail "the game ended before its window appeared"
    else e2e_fail "no window captioned $E2E_CAPTION within ${1:-30} s"; fi
}

e2e_window_or_end() { e2e_find_window || e2e_game_gone; }

# e2e_window_size: prints "WIDTHxHEIGHT" of the game's window.
e2e_window_size() { xwininfo -id "$E2E_WID" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }

# e2e_focus: keyboard focus to the game's window. Without a window manager focus follows the pointer,
# so the pointer is parked inside the window as well.
e2e_focus() {
    xdotool mousemove --window "$E2E_WID" 5 5 >/dev/null 2>&1
    xdotool windowfocus --sync "$E2E_WID"
}

# e2e_build NAME LIBS...: compiles tests/e2e/NAME.c into the scratch area once.
e2e_build() {
    local name="$1"
    shift
    [ -x "$E2E_SCRATCH/$name" ] ||
        cc -O1 -o "$E2E_SCRATCH/$name" "$E2E_DIR/$name.c" "$@" || { e2e_log "cannot build $name"; return 1; }
}

# e2e_close_window: sends WM_DELETE_WINDOW, what a window manager's close button sends.
e2e_close_window() { e2e_build closewin -lX11 && "$E2E_SCRATCH/closewin" "$E2E_WID"; }

# e2e_xkeys ARGS...: runs tests/e2e/xkeys.c (which says what ARGS mean) against the game's process;
# its complaint, when it has one, is in $E2E_SCRATCH/xkeys.err.
e2e_xkeys() {
    # XTEST's library without its development package, which holds only the header xkeys does without.
    e2e_build xkeys -lX11 -l:libXtst.so.6 || return 2
    "$E2E_SCRATCH/xkeys" ${E2E_GAME_PID:+-p "$E2E_GAME_PID"} "$@" 2>"$E2E_SCRATCH/xkeys.err"
}

# e2e_xkeys_said: what xkeys last complained of.
e2e_xkeys_said() { sed 's/^xkeys: //' "$E2E_SCRATCH/xkeys.err"; }

# e2e_quit_with KEY [SECONDS]: holds KEY until the game has ended, then waits for its status.
e2e_quit_with() {
    e2e_xkeys -t $((${2:-30} * 1000)) "$1" >/dev/null || e2e_fail "$1 held: $(e2e_xkeys_said)"
    e2e_wait_exit "${2:-30}"
}
