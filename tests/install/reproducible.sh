# Builds the Debian package twice, from two copies of the sources in folders of other names and
# lengths (the build folder inside the one, beside the other), with the same SOURCE_DATE_EPOCH as
# Debian's builders set, and compares every file of the two packages and then the packages
# themselves byte for byte. Argument: the source directory. Only the game is built, tests off.
source "$(dirname "$0")/lib.sh"
src=$1
export SOURCE_DATE_EPOCH=1767225600

# package NAME SOURCES BUILD: copies the sources (not the builds in them, nor what npm fetched) to
# SOURCES, builds the game in BUILD and packages it into $tmp/NAME.deb.
package() {
    local name=$1 sources=$2 build=$3 log="$tmp/$1.log"
    mkdir -p "$sources"
    tar -C "$src" --exclude=./.git --exclude='./build*' --exclude=node_modules -cf - . | tar -C "$sources" -xf -
    { cmake -S "$sources" -B "$build" -DZORVANE_TESTS=OFF &&
        cmake --build "$build" --target zorvane -j "$(nproc)" &&
        (cd "$build" && cpack -G DEB -B "$tmp/$name-out"); } >"$log" 2>&1 || { cat "$log"; fail "building the package $name"; }
    mv "$tmp/$name-out"/zorvane_*.deb "$tmp/$name.deb"
}
package one "$tmp/a/zorvane" "$tmp/a/zorvane/build"
package two "$tmp/second-place/src-of-zorvane" "$tmp/second-place/out-of-tree"

# File by file first, so that a difference is named; then the archives' own bytes, order and dates.
for name in one two; do
    dpkg-deb -R "$tmp/$name.deb" "$tmp/$name-files"
    dpkg-deb -c "$tmp/$name.deb" >"$tmp/$name-list"
done
diff -u "$tmp/one-list" "$tmp/two-list" || fail "the packages list other files, modes or dates"
differ=$(cd "$tmp" && find one-files -type f | sed 's|^one-files/||' | while read -r file; do
    cmp -s "one-files/$file" "two-files/$file" || echo "$file"
done)
[ -z "$differ" ] || fail "files differ between the two builds: $(echo $differ)"
cmp "$tmp/one.deb" "$tmp/two.deb" || fail "the two packages differ, though every file in them is the same"
echo "the same package, byte for byte: $(sha256sum <"$tmp/one.deb" | cut -c1-16)…"
