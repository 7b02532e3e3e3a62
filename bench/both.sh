#!/usr/bin/env bash
# zorvane-bench run on classic SDL 1.2 and then on sdl12-compat, the figures side by side: the wall
# time of each benchmark, and its worst frame, frame rate or pacing where it has them.
# usage: bench/both.sh BUILD_DIR [zorvane-bench arguments, e.g. --benchmark_filter=FullPools]
# Runs in BUILD_DIR, which holds the resource link; SDL's dummy drivers unless SDL_VIDEODRIVER says.
set -euo pipefail
build="$(cd "$1" && pwd)"
shift
bench="$build/bench/zorvane-bench"
[ -x "$bench" ] || { echo "both.sh: no $bench (build the zorvane-bench target)" >&2; exit 1; }
library="$(dpkg -L libsdl1.2-compat 2>/dev/null | grep '/libSDL-1\.2\.so\.0$' | head -n 1)" || true
[ -n "$library" ] || { echo "both.sh: libsdl1.2-compat is not installed" >&2; exit 1; }
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

version() { dpkg-query -W -f '${Version}' "$1" 2>/dev/null | sed 's/[+-].*//'; }
classic="SDL $(version libsdl1.2debian)"
compat="sdl12-compat $(version libsdl1.2-compat)"
cd "$build"
echo "running on $classic ..." >&2
"$bench" --benchmark_color=false "$@" >"$out/classic" 2>/dev/null
echo "running on $compat ..." >&2
LD_LIBRARY_PATH="$(dirname "$library")${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
    "$bench" --benchmark_color=false "$@" >"$out/compat" 2>/dev/null

# Console lines: name, real time and unit, CPU time and unit, iterations, then counters as key=value.
awk -v left="$classic" -v right="$compat" '
function figures(line,   f, n, i, kv, text) {
    n = split(line, f, /[ \t]+/)
    text = f[2] " " f[3]
    for (i = 7; i <= n; ++i) {
        split(f[i], kv, "=")
        if (kv[1] ~ /^(worst_us|fps|worst_frame_us|worst_frame_cpu_us|mean_ms|p99_ms|max_ms)$/) text = text " " f[i]
    }
    return text
}
FNR == 1 { file++ }
/^BM_/ {
    name = $1
    sub(/\/manual_time$/, "", name)
    sub(/\/iterations:[0-9]+/, "", name)
    if (file == 1) { order[++count] = name; a[name] = figures($0) } else b[name] = figures($0)
}
END {
    printf "%-46s | %-40s | %s\n", "benchmark (wall time, worst frame)", left, right
    for (i = 1; i <= count; ++i) printf "%-46s | %-40s | %s\n", order[i], a[order[i]], b[order[i]]
}' "$out/classic" "$out/compat"
