#!/usr/bin/env bash
# The rooms the build keeps: only plix/ sees SDL. No file outside plix/ and the tests includes an SDL
# header, and no translation unit outside them is compiled with SDL's include path or defines.
#   rooms.sh SOURCE_DIR COMPILE_COMMANDS
set -euo pipefail
src="$1" commands="$2"
E2E_TAG=rooms
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib/checks.sh"
check() { e2e_expect "$1" "" "$2" || true; } # what, offenders

cd "$src"
check "files outside plix/ that include an SDL header" \
    "$(git ls-files -- '*.cpp' '*.h' '*.c' ':!plix/' ':!tests/' | xargs -r grep -lE '^\s*#\s*include\s*[<"]SDL[/_.]' || true)"

# SDL's own compile flags, from pkg-config: its include path and the defines it asks for.
flags="$(pkg-config --cflags sdl SDL_mixer)"
[ -n "$flags" ] || { echo "rooms: FAILED: pkg-config gives no flags for SDL"; exit 1; }
# A unit's arguments hold a flag as given, or an include path as -isystem and the path.
has_flag='sub has { my ($u, $flag) = @_;
    my @a = $u->{arguments} ? @{$u->{arguments}} : split(" ", $u->{command});
    (my $dir = $flag) =~ s/^-I//;
    return grep { $_ eq $flag || ($flag =~ /^-I/ && ($_ eq $dir || $_ eq "-isystem$dir")) } @a; }'
offenders=""
for flag in $flags; do
    offenders+="$(FLAG="$flag" SRC="$src" BUILD="$(dirname "$(readlink -f "$commands")")" perl -MJSON::PP -e "$has_flag"'
        my $units = decode_json(do { local $/; <STDIN> });
        for my $u (@$units) {
            my $file = $u->{file}; $file =~ s{^\Q$ENV{SRC}\E/}{};
            # Units compiled into a test program (the entry test builds the game'"'"'s main) are tests.
            my $dir = $u->{directory}; $dir =~ s{^\Q$ENV{BUILD}\E/?}{};
            next if $file =~ m{^(plix|tests)/} || $dir =~ m{^tests(/|$)};
            print "$file ($ENV{FLAG})\n" if has($u, $ENV{FLAG});
        }' <"$commands")"
done
check "units outside plix/ and the tests compiled with SDL's flags" "$offenders"

# A test that includes SDL must say so in the build, by linking SDL: its unit then has SDL's flags.
first="${flags%% *}"
untold=""
for f in $(git ls-files -- 'tests/*.cpp' | xargs -r grep -lE '^\s*#\s*include\s*[<"]SDL[/_.]' || true); do
    FILE="$src/$f" FLAG="$first" perl -MJSON::PP -e "$has_flag"'
        my $units = decode_json(do { local $/; <STDIN> });
        for my $u (@$units) { exit 0 if $u->{file} eq $ENV{FILE} && has($u, $ENV{FLAG}); }
        exit 1' <"$commands" || untold+="$f"$'\n'
done
check "tests that include SDL without linking it" "${untold%$'\n'}"

e2e_finish
