#!/usr/bin/env bash
# The real mixer, recorded: a busy stretch of play with its music and effects at the game's pace,
# through SDL's disk audio driver; the mix must never clip, and its RMS must lie between -24 and
# -14 dBFS: the music alone is about -21.5, busy play adds some 3 dB.
# Usage: bash mixer.sh ZORVANE_SIM   (run in a directory that holds resource/)
set -u
sim="$(readlink -f "$1")"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
scratch="$(mktemp -d /tmp/zorvane-mixer-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT

# The disk driver writes a buffer of 1024 frames (46 ms at 22050 Hz) and then waits this long, so
# the sound keeps pace with the game's 16 ms frames as it would on a sound card.
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/mix.raw" SDL_DISKAUDIODELAY=46 SDL_VIDEODRIVER=dummy \
    "$sim" --input "$here/busy.in" --pace 16 --max-frames 600 >"$scratch/line.txt" 2>"$scratch/err.txt" ||
    { echo "FAIL: the simulator ended with status $?"; cat "$scratch/err.txt"; exit 1; }

# Signed 16-bit little-endian stereo: every sample, both channels.
od -An -v -t d2 -w2 --endian=little "$scratch/mix.raw" | awk -v lo="${MIXER_RMS_LOW:--24}" -v hi="${MIXER_RMS_HIGH:--14}" '
    { n++; s = $1; sum += s * s; if (s >= 32767 || s <= -32768) clipped++ }
    END {
        if (n < 22050 * 2 * 5) { printf "FAIL: only %.1f s of sound recorded\n", n / 44100; exit 1 }
        rms = 20 * log(sqrt(sum / n) / 32768) / log(10)
        printf "mixer: %.1f s of sound, %d clipped samples, RMS %.1f dBFS (band %d to %d)\n", n / 44100, clipped, rms, lo, hi
        bad = 0
        if (clipped > 0) { print "FAIL: the mix clips"; bad = 1 }
        if (rms < lo || rms > hi) { print "FAIL: the mix is outside its loudness band"; bad = 1 }
        exit bad
    }'
