#!/usr/bin/env bash
# Runs the committed HEAD in a minimal Debian 13 (trixie) root made from Debian's archive: the whole test
# command by default, as a new user of the current Debian stable would run it.
#
#   bash scripts/debian13.sh                 # CI=true bash scripts/test.sh, every stage
#   bash scripts/debian13.sh --unit-golden   # set-up, build, then only the unit and golden suites
#   bash scripts/debian13.sh -- CMD ARGS...  # any command, in the clone
#   --fresh (before the others)              # throw the cached root away and bootstrap a new one
#
# The root is cached in $ZORVANE_DEBIAN13_CACHE (default ~/.cache/zorvane/trixie), outside the repository;
# packages the test command installs there stay for the next run. Each run clones HEAD afresh into it,
# so uncommitted changes are not seen. Needs root (chroot and mounts), as apt-get does; the host's
# certificate authorities (/usr/local/share/ca-certificates) are copied in, for the npm registry.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cache="${ZORVANE_DEBIAN13_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zorvane/trixie}"
target="$cache/root"
mirror="http://deb.debian.org/debian"
# A marker written last, so a bootstrap that was cut short is never taken for a root.
ready="$target/.zorvane-root-ready"

say() { echo "debian13: $*" >&2; }

fresh=""
[ "${1:-}" != --fresh ] || { fresh=1 && shift; }
case "${1:-}" in
"") command=(env CI=true bash scripts/test.sh) ;;
--unit-golden)
    # Debian 13 compiles the same sources with g++ 14 and glibc 2.41: the suites that hold the game's
    # rules and its replays, without the slower end-to-end and browser stages.
    command=(bash -c 'bash scripts/setup.sh && cmake --preset tests >/dev/null &&
        cmake --build --preset tests -j "$(nproc)" &&
        cd build/tests && ctest --output-on-failure -j "$(nproc)" -L "unit|golden"')
    ;;
--) shift && [ $# -gt 0 ] && command=("$@") || { say "no command after --" && exit 2; } ;;
*) say "usage: $0 [--fresh] [--unit-golden | -- COMMAND...]" && exit 2 ;;
esac

[ "$(id -u)" -eq 0 ] || { say "needs root, for the chroot and its mounts (sudo $0 $*)"; exit 1; }

# Nothing is ever deleted under the root while something is mounted there: a bind of /dev would take
# the host's device nodes with it.
mounted_under() {
    awk -v t="$1" '$5 == t || index($5, t "/") == 1 {found = 1} END {exit !found}' /proc/self/mountinfo
}

if [ -n "$fresh" ] || [ ! -e "$ready" ]; then
    bash "$repo/scripts/setup.sh" --bootstrap
    ! mounted_under "$target" || { say "something is still mounted under $target; not removing it" && exit 1; }
    rm -rf --one-file-system "$target"
    mkdir -p "$cache"
    say "bootstrapping Debian 13 into $target"
    # apt, and certificates for https; run as root, the test command needs no sudo.
    # mmdebstrap runs in a mount namespace of its own, so nothing it mounts can outlive it.
    unshare --mount --propagation private \
        mmdebstrap --variant=apt --include=ca-certificates trixie "$target" "$mirror"
    touch "$ready"
fi

cp /etc/resolv.conf "$target/etc/resolv.conf"
mkdir -p "$target/usr/local/share/ca-certificates"
! compgen -G "/usr/local/share/ca-certificates/*.crt" >/dev/null ||
    cp /usr/local/share/ca-certificates/*.crt "$target/usr/local/share/ca-certificates/"

clone="$target/root/zorvane"
head="$(git -C "$repo" rev-parse HEAD)"
! mounted_under "$clone" || { say "something is still mounted under $clone" && exit 1; }
rm -rf --one-file-system "$clone"
git clone --quiet --no-checkout "$repo" "$clone"
git -C "$clone" checkout --quiet --detach "$head"
say "HEAD $(git -C "$clone" log -1 --format='%h %s')"

# The run gets a mount namespace and a PID namespace of its own: /proc, /sys, /dev, a fresh /tmp and
# /dev/shm are mounted for it alone, and vanish with it; every process it leaves is killed with it.
inside() {
    set -euo pipefail
    local root="$1"
    shift
    mount --make-rprivate /
    mount -t proc proc "$root/proc"
    mount -t sysfs sysfs "$root/sys"
    mount --rbind /dev "$root/dev"
    mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
    mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
    chroot "$root" /usr/bin/env -i HOME=/root USER=root LOGNAME=root LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt \
        bash -c 'update-ca-certificates >/dev/null 2>&1; cd /root/zorvane && exec "$@"' run "$@"
}

start=$(date +%s)
status=0
unshare --mount --pid --fork --kill-child bash -c "$(declare -f inside); inside \"\$@\"" inside \
    "$target" "${command[@]}" </dev/null || status=$?
elapsed=$(($(date +%s) - start))
say "${command[*]} took $((elapsed / 60)) min $((elapsed % 60)) s in the Debian 13 root, status $status"
exit "$status"
