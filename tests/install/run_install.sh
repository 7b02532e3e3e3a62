# Installs into a temporary prefix and plays the installed launcher under Xvfb: the title shows exactly
# (F12 shot), the window's class matches the menu entry, Escape quits with status 0, and run.log and the shot
# land in the per-user directory, first under XDG_DATA_HOME and then under $HOME/.local/share.
# Arguments: the build and the source directory.
source "$(dirname "$0")/../e2e/lib.sh"
e2e_setup "$1/zorvane" "$2/resource"
prefix="$E2E_SCRATCH/prefix"
cmake --install "$1" --prefix "$prefix" >"$E2E_SCRATCH/install.log" || exit 1
e2e_start_xvfb
mkdir "$E2E_SCRATCH/cwd" "$E2E_SCRATCH/home"
export HOME="$E2E_SCRATCH/home"

# play USERDIR WIDTH ARGS...: starts the launcher from an unrelated directory, shoots the title, quits.
play() {
    E2E_WORK=$1
    local width=$2 shot="$E2E_SCRATCH/title-$2.png"
    shift 2
    (cd "$E2E_SCRATCH/cwd" && exec env SDL_AUDIODRIVER=dummy "$prefix/games/zorvane" "$@" \
        >"$E2E_SCRATCH/stdout.txt" 2>"$E2E_SCRATCH/stderr.txt") &
    E2E_GAME_PID=$!
    e2e_wait_window || exit 1
    e2e_expect "window class" 'WM_CLASS(STRING) = "zorvane", "zorvane"' "$(xprop -id "$E2E_WID" WM_CLASS)"
    e2e_focus
    e2e_screenshot "$shot" || exit 1
    e2e_quit_with Escape
    e2e_expect "exit status" 0 "$E2E_STATUS"
    e2e_expect "run.log" "dPlix system quit." "$(cat "$E2E_WORK/run.log")"
    e2e_expect "standard output" "dPlix system quit." "$(cat "$E2E_SCRATCH/stdout.txt")"
    e2e_expect "resource link" "$(readlink -f "$prefix/share/games/zorvane/resource")" \
        "$(readlink -f "$E2E_WORK/resource")"
    e2e_expect "nothing written where it was started" "" "$(ls -A "$E2E_SCRATCH/cwd")"
    # The installed data's title, exact to the pixel, in the window's whole width.
    e2e_expect "shot size" "$width 480" "$(e2e_size "$shot")"
    e2e_expect_title "$shot" 0
}

XDG_DATA_HOME="$E2E_SCRATCH/xdg" play "$E2E_SCRATCH/xdg/zorvane" 320
# Without XDG_DATA_HOME, and with an argument for the launcher to pass on: the wide window.
unset XDG_DATA_HOME
play "$HOME/.local/share/zorvane" 640 wide
e2e_finish
