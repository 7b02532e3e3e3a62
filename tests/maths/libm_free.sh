#!/usr/bin/env bash
# No symbol of the C library's maths (libm) in the game, the simulator or the asset generator: what
# they compute must not change with the library.
#
#   libm_free.sh PROBE BINARY...     (PROBE: any program linked with libm, to find it by)
set -uo pipefail
probe="$1"
shift
libm="$(ldd "$probe" | awk '$1 ~ /^libm\.so/ { print $3 }')"
[ -r "$libm" ] || { echo "FAIL libm_free: cannot find libm through $probe"; exit 1; }
status=0
for binary in "$@"; do
    used="$(comm -12 <(nm -D --defined-only "$libm" | awk '{ sub(/@.*/, "", $3); print $3 }' | sort -u) \
        <(nm -D --undefined-only "$binary" | awk '{ sub(/@.*/, "", $2); print $2 }' | sort -u))"
    if [ -n "$used" ]; then
        echo "FAIL libm_free: $(basename "$binary") calls the C library's maths: $(echo $used)"
        status=1
    else
        echo "ok   libm_free: $(basename "$binary")"
    fi
done
exit "$status"
