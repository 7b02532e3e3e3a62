# Builds the Debian package with cpack into a temporary directory and checks its name, control fields,
# file list against Debian's layout for games, its documents, and that lintian finds nothing to warn
# about. Arguments: the build and the source directory.
source "$(dirname "$0")/lib.sh"
build=$1 src=$2
(cd "$build" && cpack -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; fail "cpack"; }
# The package version is the project's with the revision of the changelog's top entry, which must
# itself name that upstream version.
upstream=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
version=$(sed -n '2s/^zorvane (\([^)]*\)).*/\1/p' "$src/packaging/changelog.Debian")
[[ $version == "$upstream"-* ]] || fail "the changelog's top entry $version is not for version $upstream"
deb="$tmp/out/zorvane_${version}_$(dpkg --print-architecture).deb"
expect_file "$deb"

field() { dpkg-deb -f "$deb" "$1"; }
expect_eq "Package" "$(field Package)" zorvane
expect_eq "Version" "$(field Version)" "$version"
expect_eq "Section" "$(field Section)" games
# A packager's own maintainer address replaces the default.
expect_eq "Maintainer" "$(field Maintainer)" "$(sed -n 's/^ZORVANE_MAINTAINER:STRING=//p' "$build/CMakeCache.txt")"
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
    printf -- '-rwxr-xr-x root/root ./usr/%s\n' games/zorvane lib/games/zorvane/zorvane
    printf -- '-rw-r--r-- root/root ./usr/share/%s\n' applications/zorvane.desktop doc/zorvane/changelog.Debian.gz \
        doc/zorvane/copyright lintian/overrides/zorvane man/man6/zorvane.6.gz \
        metainfo/org.example.zorvane.metainfo.xml \
        $(for n in 16 24 32 48 64 128 256; do echo "icons/hicolor/${n}x$n/apps/zorvane.png"; done)
    (cd "$src/resource" && find . -type f | sed 's|^\.|-rw-r--r-- root/root ./usr/share/games/zorvane/resource|')
} | sort >"$tmp/expected"
diff -u "$tmp/expected" "$tmp/files" || fail "file list differs (expected, got)"

# Unpacked, the menu entry runs the launcher by its full path and the game is a stripped program.
dpkg-deb -x "$deb" "$tmp/root"
expect_eq "menu command" "$(grep -m1 '^Exec=' "$tmp/root/usr/share/applications/zorvane.desktop")" \
    "Exec=/usr/games/zorvane"
kind=$(file -b "$tmp/root/usr/lib/games/zorvane/zorvane")
[[ $kind == ELF* && $kind != *"not stripped"* ]] || fail "the packaged game is not a stripped program: $kind"
# The copyright file is machine-readable and carries the licence of LICENSE word for word.
copyright="$tmp/root/usr/share/doc/zorvane/copyright"
expect_eq "copyright format" "$(head -1 "$copyright")" \
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
expect_eq "licence terms" "$(tac "$copyright" | sed '/^License: Expat$/q' | tac | tail -n +2 | sed 's/^ \.\?//')" \
    "$(sed '1,/^Copyright /d' "$src/LICENSE" | sed '1{/^$/d}')"

# lintian, run as a distribution would on the package: no error and no warning, the overrides aside.
lintian --fail-on error,warning "$deb" >"$tmp/lintian.log" 2>&1 || { cat "$tmp/lintian.log"; fail "lintian"; }
if grep -E '^[EW]: ' "$tmp/lintian.log"; then fail "lintian reports the above"; fi
echo "package checks passed"
