# Builds the Debian package with cpack into a temporary directory and checks its name, control fields
# and file list against Debian's layout for games. Arguments: the build and the source directory.
source "$(dirname "$0")/lib.sh"
build=$1 src=$2
(cd "$build" && cpack -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; fail "cpack"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$tmp/out/zorvane_${version}_$(dpkg --print-architecture).deb"
expect_file "$deb"

field() { dpkg-deb -f "$deb" "$1"; }
expect_eq "Package" "$(field Package)" zorvane
expect_eq "Version" "$(field Version)" "$version"
expect_eq "Section" "$(field Section)" games
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "no maintainer or description"
# The dependencies come from the game binary, so they name the runtime libraries, not the -dev ones.
depends=$(field Depends | tr -d ' ' | tr ',' '\n' | sed 's/(.*//' | sort)
for lib in libc6 libsdl1.2debian libsdl-mixer1.2 libstdc++6; do
    grep -qx "$lib" <<<"$depends" || fail "Depends lacks $lib: $(field Depends)"
done
if grep -q -- '-dev$' <<<"$depends"; then fail "Depends names a -dev package: $(field Depends)"; fi

# Every file and its mode: the launcher in /usr/games, the game in /usr/lib/games/zorvane, the data under
# /usr/share/games/zorvane.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort >"$tmp/files"
{
    echo "-rwxr-xr-x root/root ./usr/games/zorvane"
    echo "-rwxr-xr-x root/root ./usr/lib/games/zorvane/zorvane"
    echo "-rw-r--r-- root/root ./usr/share/applications/zorvane.desktop"
    for size in 16 24 32 48 64 128 256; do
        echo "-rw-r--r-- root/root ./usr/share/icons/hicolor/${size}x$size/apps/zorvane.png"
    done
    (cd "$src/resource" && find . -type f | sed 's|^\.|-rw-r--r-- root/root ./usr/share/games/zorvane/resource|')
} | sort >"$tmp/expected"
diff -u "$tmp/expected" "$tmp/files" || fail "file list differs (expected, got)"

# Unpacked, the menu entry runs the launcher by its full path and the game is a stripped program.
dpkg-deb -x "$deb" "$tmp/root"
expect_eq "menu command" "$(grep -m1 '^Exec=' "$tmp/root/usr/share/applications/zorvane.desktop")" \
    "Exec=/usr/games/zorvane"
kind=$(file -b "$tmp/root/usr/lib/games/zorvane/zorvane")
[[ $kind == ELF* && $kind != *"not stripped"* ]] || fail "the packaged game is not a stripped program: $kind"
echo "package checks passed"
