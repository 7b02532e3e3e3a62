# Installs into a prefix with a space and a dollar in its name and checks the layout, the menu entry, the
# manual page and the AppStream metadata, and how the launcher answers for itself and picks, refuses or
# prepares the per-user directory. The game is swapped for a stand-in that records where and how it was
# started, so no window is needed (run_install.sh plays the real one). Arguments: the build and source
# directory.
source "$(dirname "$0")/lib.sh"
build=$1 src=$2
prefix="$tmp/pre fix\$1"
install_into "$build" "$prefix"
launcher="$prefix/games/zorvane"
data="$prefix/share/games/zorvane/resource"
bin="$prefix/lib/games/zorvane/zorvane"
[ -x "$launcher" ] && [ -x "$bin" ] || fail "launcher or game not installed executable"
expect_eq "programs in games/" "$(ls "$prefix/games")" zorvane
expect_eq "installed data" "$(cd "$data" && find . -type f | sort)" "$(cd "$src/resource" && find . -type f | sort)"
# Each icon size the theme looks for: a PNG with an alpha channel, clear in the corner, solid on the ship.
expect_eq "icon sizes" "$(ls "$prefix/share/icons/hicolor" | sort -n | paste -sd ' ')" \
    "16x16 24x24 32x32 48x48 64x64 128x128 256x256"
# ImageMagick 7 follows the channels with their count ("srgba 4.0"), 6 does not: the first word is read.
for size in 16 24 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x$size/apps/zorvane.png"
    read -r kind dims channels _ < <(im "$icon" -format '%m %wx%h %[channels]\n' info:)
    expect_eq "icon $size" "$kind $dims $channels" "PNG ${size}x$size srgba"
    expect_eq "icon $size opacity" "$(im "$icon" -format '%[fx:p{0,0}.a] %[fx:p{w/2,h*13/16}.a]' info:)" "0 1"
done
entry="$prefix/share/applications/zorvane.desktop"
expect_eq "menu category" "$(grep '^Categories=' "$entry")" "Categories=Game;ArcadeGame;"
expect_eq "window class" "$(grep '^StartupWMClass=' "$entry")" "StartupWMClass=zorvane"
# Quoted for the menu, with the dollar escaped once for the argument and once for the value.
quoted="Exec=\"$tmp/pre fix\\\\\$1/games/zorvane\""
expect_eq "menu command" "$(grep '^Exec=' "$entry")" "$quoted
$quoted wide"

# The manual page renders without a warning from man or groff, covers what a player looks it up for,
# and names this version.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
page="$prefix/share/man/man6/zorvane.6.gz"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>"$tmp/man.err" | col -bx >"$tmp/man.txt"
zcat "$page" | groff -man -ww -z 2>>"$tmp/man.err"
expect_eq "manual page warnings" "$(cat "$tmp/man.err")" ""
for text in "^SYNOPSIS" "^DESCRIPTION" "^CONTROLS" "F12" "^FILES" "run.log" "screenshot.bmp" \
    "^ *resource$" "^ENVIRONMENT" "XDG_DATA_HOME" "SDL_VIDEODRIVER" "SDL_AUDIODRIVER" \
    "^EXIT STATUS" "^zorvane $version "; do
    grep -q -- "$text" "$tmp/man.txt" || fail "the manual page lacks $text"
done
# The menu entry, quoted for this odd prefix, and the AppStream metadata pass their validators
# (--no-net: the homepage and screenshot are not reachable from here). The newest release listed is this
# version, and the metadata names the entry that exists.
desktop-file-validate "$entry" || fail "desktop-file-validate"
appstreamcli validate-tree --pedantic --no-net "$prefix" >"$tmp/appstream.log" 2>&1 ||
    { cat "$tmp/appstream.log"; fail "appstreamcli validate-tree"; }
metainfo=$(echo "$prefix"/share/metainfo/*.metainfo.xml)
expect_eq "newest release" "$(grep -m1 -o '<release version="[^"]*"' "$metainfo")" "<release version=\"$version\""
expect_file "$prefix/share/applications/$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")"

# The stand-in prints its working directory, the window class it was given and each argument on a line
# of its own, and ends with the status it is told (3 unless told).
mv "$bin" "$tmp/real-bin"
printf '#!/bin/sh\npwd -P\necho "$SDL_VIDEO_X11_WMCLASS"\nfor a in "$@"; do echo "[$a]"; done\nexit ${STAND_IN_STATUS:-3}\n' >"$bin"
chmod +x "$bin"
mkdir "$tmp/cwd" "$tmp/home"
export HOME="$tmp/home"
# launch ENV_ARGS...: env(1) with those from $tmp/cwd; sets status, out and err.
launch() { (cd "$tmp/cwd" && env "$@" >"$tmp/out" 2>"$tmp/err") && status=0 || status=$?; }
# refused WHY [ENV...]: the launcher, so started, fails before the game and says WHY.
refused() {
    launch "${@:2}" "$launcher"
    [ "$status" = 1 ] && [ ! -s "$tmp/out" ] && grep -q "$1" "$tmp/err" ||
        fail "not refused ($1): $status $(cat "$tmp/err")"
}

# XDG_DATA_HOME wins; arguments pass through untouched; the game's exit status, whatever it is, is the
# launcher's.
for code in 0 1 3; do
    launch XDG_DATA_HOME="$tmp/xdg" STAND_IN_STATUS=$code "$launcher" wide "two words" ""
    expect_eq "status" "$status" $code
done
expect_eq "run" "$(cat "$tmp/out")" "$tmp/xdg/zorvane
zorvane
[wide]
[two words]
[]"
expect_eq "link" "$(readlink -f "$tmp/xdg/zorvane/resource")" "$(readlink -f "$data")"

# The launcher answers --help and --version itself, needing no per-user directory (nor HOME); every
# other first word, and these anywhere else, go to the game.
launch -u HOME -u XDG_DATA_HOME "$launcher" --version
expect_eq "--version" "$status:$(cat "$tmp/out")" "0:zorvane $version"
launch -u HOME -u XDG_DATA_HOME "$launcher" --help
[ "$status" = 0 ] && [[ $(head -1 "$tmp/out") == "Usage: zorvane "* ]] && grep -q "zorvane(6)" "$tmp/out" ||
    fail "--help: $status $(cat "$tmp/out")"
for args in "-h" "--Version" "wide --help" "-- --version"; do
    launch XDG_DATA_HOME="$tmp/xdg" "$launcher" $args
    expect_eq "passed on: $args" "$status:$(tail -n +3 "$tmp/out" | tr -d '[]' | paste -sd ' ')" "3:$args"
done

# Unset, empty and relative XDG_DATA_HOME all mean ~/.local/share.
for xdg in "-u XDG_DATA_HOME" "XDG_DATA_HOME=" "XDG_DATA_HOME=rel/data"; do
    launch $xdg "$launcher"
    expect_eq "dir with $xdg" "$(head -1 "$tmp/out")" "$tmp/home/.local/share/zorvane"
done
[ ! -e "$tmp/cwd/rel" ] || fail "relative XDG_DATA_HOME used"
refused "neither XDG_DATA_HOME nor HOME" -u XDG_DATA_HOME -u HOME

# Every path the launcher takes, with spaces in it and through links: its own (a link, a relative
# link, a link to a link, the whole prefix behind a link, its name on PATH), XDG_DATA_HOME and HOME
# (each itself or a link to a directory), and the directory it is started from. Each run must find the
# install, play in the per-user directory, link the data and pass the words on untouched.
sp="$tmp/with space"
mkdir -p "$sp/bin" "$sp/home" "$sp/xdg" "$sp/cwd"
ln -s "$prefix" "$sp/prefix link"
ln -s "$launcher" "$sp/bin/a link"
ln -s "../../pre fix\$1/games/zorvane" "$sp/bin/a relative link"
ln -s "a relative link" "$sp/bin/a link to a link"
ln -s "$sp/xdg" "$sp/xdg link"
ln -s "$sp/home" "$sp/home link"
while IFS='|' read -r what started xdg home dir; do
    rm -rf "$sp/xdg/zorvane" "$sp/home/.local"
    base=(-u XDG_DATA_HOME)
    [ -z "$xdg" ] || base=(XDG_DATA_HOME="$xdg")
    (cd "$sp/cwd" && env "${base[@]}" HOME="$home" PATH="$sp/bin:$PATH" "$started" "two  words" "" \
        >"$tmp/out" 2>"$tmp/err") && status=0 || status=$?
    expect_eq "$what: status and run" "$status:$(cat "$tmp/out")" "3:$dir
zorvane
[two  words]
[]"
    expect_eq "$what: data link" "$(readlink -f "$dir/resource")" "$(readlink -f "$data")"
    expect_eq "$what: nothing written where it was started" "$(ls -A "$sp/cwd")" ""
done <<EOF
the prefix behind a link|$sp/prefix link/games/zorvane|$sp/xdg|$tmp/home|$sp/xdg/zorvane
a link to the launcher, XDG_DATA_HOME a link|$sp/bin/a link|$sp/xdg link|$tmp/home|$sp/xdg/zorvane
a relative link, HOME with a space|$sp/bin/a relative link||$sp/home|$sp/home/.local/share/zorvane
a link to a link, HOME a link|$sp/bin/a link to a link||$sp/home link|$sp/home/.local/share/zorvane
its name on PATH|a link to a link|$sp/xdg|$tmp/home|$sp/xdg/zorvane
EOF

# The per-user directory must be the player's own directory: a link (even to the player's own directory),
# a file, or another user's directory stops the launch with the reason, and nothing is made there.
mkdir -p "$tmp/xdg-bad" "$tmp/elsewhere"
bad="$tmp/xdg-bad/zorvane"
refused_dir() { # WHY, with bad made what refuses it
    refused "$1" XDG_DATA_HOME="$tmp/xdg-bad"
    expect_eq "nothing made elsewhere" "$(ls -A "$tmp/elsewhere")" ""
    rm -rf "$bad"
}
ln -s "$tmp/elsewhere" "$bad" && refused_dir "is a symbolic link"
ln -s "$tmp/nowhere" "$bad" && refused_dir "is a symbolic link"
echo keep >"$bad" && refused_dir "is not a directory"
# Root writes anywhere: as root, the directories of another user, and of a player who may not write
# in their own, are those of "nobody", who runs the launch.
as_player=()
if [ "$(id -u)" = 0 ]; then
    mkdir "$bad" && chown nobody "$bad" && refused_dir "belongs to another user"
    as_player=(setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups)
    chmod 755 "$tmp"
fi
echo keep >"$tmp/xdg-file"
refused "cannot make the directory" XDG_DATA_HOME="$tmp/xdg-file"
mkdir -p "$tmp/xdg-ro/zorvane"
[ ${#as_player[@]} -eq 0 ] || chown nobody "$tmp/xdg-ro/zorvane"
chmod 555 "$tmp/xdg-ro/zorvane"
refused "cannot make the link" XDG_DATA_HOME="$tmp/xdg-ro" "${as_player[@]}"

# A stale link, or one into another install, is pointed at this install.
user="$tmp/home/.local/share/zorvane"
mkdir -p "$tmp/other/share/games/zorvane/resource"
for old in "$tmp/gone" "$tmp/other/share/games/zorvane/resource"; do
    ln -sfn "$old" "$user/resource"
    launch -u XDG_DATA_HOME "$launcher"
    expect_eq "relink from $old" "$status:$(readlink -f "$user/resource")" "3:$(readlink -f "$data")"
done
# The player's own data, a directory there or a link to one elsewhere, is kept and used.
mkdir "$tmp/my data"
for own in dir link; do
    rm -r "$user/resource"
    if [ $own = dir ]; then mkdir "$user/resource"; else ln -s "$tmp/my data" "$user/resource"; fi
    touch "$user/resource/mine"
    launch -u XDG_DATA_HOME "$launcher"
    [ "$status" = 3 ] && [ -f "$user/resource/mine" ] && grep -q "using your own data" "$tmp/err" ||
        fail "own data $own not kept, or no notice: $status $(cat "$tmp/err")"
done
# A plain file there stops the launch and is left untouched.
rm "$user/resource" && echo keep >"$user/resource"
refused "is in the way of the game data link" -u XDG_DATA_HOME
expect_eq "file in the way" "$(cat "$user/resource")" keep

# Data or game gone from the install: a message, not a game that fails to load.
mv "$bin" "$tmp/bin-aside"
refused "game program is missing" -u XDG_DATA_HOME
mv "$tmp/bin-aside" "$bin"
mv "$data" "$tmp/data-aside"
refused "data is missing" -u XDG_DATA_HOME
echo "launcher checks passed"
