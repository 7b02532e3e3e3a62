# Installs into a temporary prefix and plays the installed launcher under Xvfb: the title as the
# simulator draws it, the window's class that of the menu entry, run.log in the per-user directory
# (under XDG_DATA_HOME, then $HOME/.local/share), Escape, and a SIGTERM sent to the launcher, which
# the game quits on only if it took the launcher's process.
# Arguments: the build and the source directory.
source "$(dirname "$0")/../e2e/lib.sh"
e2e_setup "$1/zorvane" "$2/resource" "$1/sim/zorvane-sim"
prefix="$E2E_SCRATCH/prefix"
cmake --install "$1" --prefix "$prefix" >"$E2E_SCRATCH/install.log" || exit 1
e2e_start_xvfb
E2E_BIN="$prefix/games/zorvane"
E2E_CWD="$E2E_SCRATCH/cwd"
mkdir "$E2E_CWD" "$E2E_SCRATCH/home"
export HOME="$E2E_SCRATCH/home"

# play USERDIR WIDTH HOW ARGS...: starts the launcher from an unrelated directory, shoots the title,
# quits by HOW (Escape, or a signal sent to the launcher's process).
play() {
    E2E_WORK="$1"
    local width="$2" how="$3" shot="$E2E_SCRATCH/title-$2.bmp"
    shift 3
    # The game's output goes there, so it is made first; making it is the launcher's, which
    # launcher_install.sh checks.
    mkdir -p "$E2E_WORK"
    e2e_start_game "$@"
    e2e_wait_window || exit 1
    e2e_expect "window class" 'WM_CLASS(STRING) = "zorvane", "zorvane"' "$(xprop -id "$E2E_WID" WM_CLASS)"
    e2e_focus
    e2e_screenshot "$shot" && e2e_expect_title "$shot" 0 "$width"
    if [ "$how" = Escape ]; then e2e_quit_with Escape; else e2e_stop_with "$how"; fi
    e2e_expect_quit "quit by $how"
    e2e_expect "resource link" "$(readlink -f "$prefix/share/games/zorvane/resource")" \
        "$(readlink -f "$E2E_WORK/resource")"
    e2e_expect "nothing written where it was started" "" "$(ls -A "$E2E_CWD")"
}

XDG_DATA_HOME="$E2E_SCRATCH/xdg" play "$E2E_SCRATCH/xdg/zorvane" 320 Escape
# Without XDG_DATA_HOME, and with an argument for the launcher to pass on: the wide window.
unset XDG_DATA_HOME
play "$HOME/.local/share/zorvane" 640 TERM wide
e2e_finish
