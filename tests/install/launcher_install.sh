# Installs into a prefix with a space and a dollar in its name and checks the layout, the menu entry and
# how the launcher picks and prepares the per-user directory. The game is swapped for a stand-in that
# records where and how it was started, so no window is needed. Arguments: the build and source directory.
source "$(dirname "$0")/lib.sh"
build=$1 src=$2
prefix="$tmp/pre fix\$1"
install_into "$build" "$prefix"

data="$prefix/share/games/zorvane/resource"
[ -x "$prefix/games/zorvane" ] || fail "launcher not installed executable"
[ -x "$prefix/games/zorvane-bin" ] || fail "game not installed executable"
expect_eq "installed data" "$(cd "$data" && find . -type f | sort)" "$(cd "$src/resource" && find . -type f | sort)"
for size in 32 48; do
    icon="$prefix/share/icons/hicolor/${size}x$size/apps/zorvane.png"
    expect_eq "icon $size" "$(identify -format '%m %wx%h' "$icon")" "PNG ${size}x$size"
done
entry="$prefix/share/applications/zorvane.desktop"
expect_eq "menu category" "$(grep '^Categories=' "$entry")" "Categories=Game;ArcadeGame;"
# Quoted for the menu, with the dollar escaped once for the argument and once for the value.
quoted="Exec=\"$tmp/pre fix\\\\\$1/games/zorvane\""
expect_eq "menu command" "$(grep '^Exec=' "$entry")" "$quoted
$quoted wide"

# The stand-in prints its working directory and each argument on a line of its own.
mv "$prefix/games/zorvane-bin" "$tmp/real-bin"
printf '#!/bin/sh\npwd -P\nfor a in "$@"; do echo "[$a]"; done\nexit 3\n' >"$prefix/games/zorvane-bin"
chmod +x "$prefix/games/zorvane-bin"
launch() { (cd "$tmp/cwd" && "$@" >"$tmp/out" 2>"$tmp/err") && status=0 || status=$?; }
mkdir "$tmp/cwd" "$tmp/home"
export HOME="$tmp/home"

# XDG_DATA_HOME wins; arguments pass through untouched; the game's exit status is the launcher's.
launch env XDG_DATA_HOME="$tmp/xdg" "$prefix/games/zorvane" wide "two words" ""
expect_eq "status" "$status" 3
expect_eq "run" "$(cat "$tmp/out")" "$tmp/xdg/zorvane
[wide]
[two words]
[]"
expect_eq "link" "$(readlink -f "$tmp/xdg/zorvane/resource")" "$(readlink -f "$data")"

# Unset, empty and relative XDG_DATA_HOME all mean ~/.local/share.
for xdg in "-u XDG_DATA_HOME" "XDG_DATA_HOME=" "XDG_DATA_HOME=rel/data"; do
    launch env $xdg "$prefix/games/zorvane"
    expect_eq "dir with $xdg" "$(head -1 "$tmp/out")" "$tmp/home/.local/share/zorvane"
done
[ ! -e "$tmp/cwd/rel" ] || fail "relative XDG_DATA_HOME used"
launch env -u XDG_DATA_HOME -u HOME "$prefix/games/zorvane"
[ "$status" -ne 0 ] && [ ! -s "$tmp/out" ] || fail "started without HOME or XDG_DATA_HOME"

# Started through a link elsewhere, and by name on PATH, it still finds its prefix.
user="$tmp/home/.local/share/zorvane"
mkdir "$tmp/bin" && ln -s "$prefix/games/zorvane" "$tmp/bin/zv"
launch env -u XDG_DATA_HOME "$tmp/bin/zv"
expect_eq "via link" "$status:$(readlink -f "$user/resource")" "3:$(readlink -f "$data")"
launch env -u XDG_DATA_HOME PATH="$prefix/games:$PATH" zorvane
expect_eq "via PATH" "$status" 3

# A stale link, or one into another install, is pointed at this install.
mkdir -p "$tmp/other/share/games/zorvane/resource"
for old in "$tmp/gone" "$tmp/other/share/games/zorvane/resource"; do
    ln -sfn "$old" "$user/resource"
    launch env -u XDG_DATA_HOME "$prefix/games/zorvane"
    expect_eq "relink from $old" "$status:$(readlink -f "$user/resource")" "3:$(readlink -f "$data")"
done

# The player's own data, a directory there or a link to one elsewhere, is kept and used.
mkdir "$tmp/mine"
for own in dir link; do
    rm -r "$user/resource"
    if [ $own = dir ]; then mkdir "$user/resource"; else ln -s "$tmp/mine" "$user/resource"; fi
    touch "$user/resource/mine"
    launch env -u XDG_DATA_HOME "$prefix/games/zorvane"
    [ "$status" = 3 ] && [ -f "$user/resource/mine" ] || fail "own data $own not kept"
    grep -q "using your own data" "$tmp/err" || fail "no notice about own data $own"
done
# A plain file there stops the launch and is left untouched.
rm "$user/resource" && echo keep >"$user/resource"
launch env -u XDG_DATA_HOME "$prefix/games/zorvane"
[ "$status" -ne 0 ] && [ ! -s "$tmp/out" ] || fail "started with a file in the way"
expect_eq "file in the way" "$(cat "$user/resource")" keep

# Data gone from the install: a message, not a game that fails to load.
mv "$data" "$tmp/data-aside"
launch env -u XDG_DATA_HOME "$prefix/games/zorvane"
[ "$status" -ne 0 ] && grep -q "data is missing" "$tmp/err" || fail "missing data not reported"
echo "launcher checks passed"
