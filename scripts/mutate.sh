#!/usr/bin/env bash
# Mutation testing: small faults put into a scratch copy of the game one at a time; prints the share the tests catch.
#
#   scripts/mutate.sh [--count N] [--seed S] [--rev REV] [--list FILE] [--save FILE] [--e2e] [--keep] [DIR...]
#
#   DIR...       the source folders to mutate (default: plix objects flow sim tools maths); only files
#                the desktop build compiles, and headers, are mutated
#   --count N    how many faults to try (default 160), drawn evenly over the kinds of fault
#   --seed S     the draw's seed (default 1); the same source and seed give the same faults
#   --rev REV    mutate this git revision instead of the working tree (its own tests judge it)
#   --list FILE  try the faults of an earlier --save instead of drawing new ones; a fault whose line
#                has left its file is followed into the one file that holds it now (indentation
#                aside), and a fault whose line is no longer in the source is reported as gone
#   --save FILE  writes the faults tried, so another revision can be judged on the same ones
#   --e2e        also runs the end-to-end tests in Xvfb (slow); by default the unit and golden tests
#   --keep       keeps the scratch copy
#   --show       prints the faults it would try, and stops
#
# The tests run fastest first, in rising tiers, and stop at the first failure, so a caught fault costs
# little more than its build. A fault that does not compile is not counted. A developer tool: CI does
# not run it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

count=160 seed=1 rev="" list="" save="" e2e=0 keep=0 show=0 dirs=()
while [ $# -gt 0 ]; do
    case "$1" in
    --count) count="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    --rev) rev="$2"; shift 2 ;;
    --list) list="$(readlink -f "$2")"; shift 2 ;;
    --save) save="$(readlink -f "$2")"; shift 2 ;;
    --e2e) e2e=1; shift ;;
    --keep) keep=1; shift ;;
    --show) show=1; shift ;;
    -h | --help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "mutate: unknown option $1" >&2; exit 2 ;;
    *) dirs+=("$1"); shift ;;
    esac
done
[ ${#dirs[@]} -gt 0 ] || dirs=(plix objects flow sim tools maths)

scratch="$(mktemp -d /tmp/zorvane-mutate-XXXXXX)"
[ "$keep" -eq 1 ] || trap 'rm -rf "$scratch"' EXIT
src="$scratch/src" build="$scratch/build"
mkdir -p "$src"
if [ -n "$rev" ]; then
    git -C "$root" archive "$rev" | tar -x -C "$src"
else
    (cd "$root" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$src")
fi

# The files a fault may go into: the headers of the folders, and their sources that the desktop build
# compiles (a browser-only file would count as missed, whatever the tests).
mutable_files() {
    local dir
    for dir in "${dirs[@]}"; do
        [ -d "$src/$dir" ] || continue
        (cd "$src" && find "$dir" -name '*.h')
        (cd "$src" && find "$dir" -name '*.cpp') | while read -r f; do
            grep -qF "\"file\": \"$src/$f\"" "$build/compile_commands.json" && echo "$f"
        done
    done | sort
}

# The candidate faults, one per line: file, which copy of that line it is (lines repeat), kind of fault,
# the line as it stands and the line with the fault. Comments, preprocessor lines and strings are left alone.
enumerate() {
    mutable_files | SRC="$src" perl -e '
        use strict; use warnings;
        my @files = map { chomp; $_ } <STDIN>;
        sub emit { my ($f, $n, $k, $old, $new) = @_; print join("\t", $f, $n, $k, $old, $new), "\n" if $new ne $old; }
        for my $f (@files) {
            open(my $fh, "<", "$ENV{SRC}/$f") or die;
            my %seen; my $prev = "";
            while (my $line = <$fh>) {
                chomp $line;
                my $n = $seen{$line}++;
                my $code = $line; $code =~ s{\s*//.*$}{};
                my $tail = substr($line, length $code);
                my $p = $prev; $prev = $code;
                next if $code =~ m{^\s*(#|//|\*|/\*)} || $code =~ /^\s*$/ || $code =~ /"/ || $code =~ /static_assert|template/;
                my $at = sub { my ($k, $re, $to) = @_;
                    while ($code =~ /$re/g) {
                        my ($s, $e) = ($-[1], $+[1]);
                        my $rep = ref $to ? $to->(substr($code, $s, $e - $s)) : $to;
                        next unless defined $rep;
                        emit($f, $n, $k, $line, substr($code, 0, $s) . $rep . substr($code, $e) . $tail);
                    } };
                my %flip = ("<" => "<=", "<=" => "<", ">" => ">=", ">=" => ">", "==" => "!=", "!=" => "==");
                $at->("comparison", qr/ (<=|>=|==|!=|<|>) /, sub { $flip{$_[0]} });
                $at->("logic", qr/ (&&|\|\|) /, sub { $_[0] eq "&&" ? "||" : "&&" });
                $at->("boolean", qr/\b(true|false)\b/, sub { $_[0] eq "true" ? "false" : "true" });
                $at->("arithmetic", qr/ ([-+*\/]) /, sub { {"+" => "-", "-" => "+", "*" => "/", "/" => "*"}->{$_[0]} });
                $at->("constant", qr/(?<![\w.])(\d+)(?![\w.])/, sub { $_[0] == 0 ? 1 : $_[0] + (($_[0] % 2) ? 1 : -1) });
                $at->("float", qr/(?<![\w.])(\d+\.\d*f?)(?![\w.])/, sub {
                    my ($v, $f) = $_[0] =~ /^([\d.]+)(f?)$/; my $w = $v * 1.5 + 1; $w .= ".0" unless $w =~ /\./; $w . $f });
                # An angle in degrees turned by a quarter: the right angles and the common fan steps.
                $at->("angle", qr/(?<![\w.])(45|90|180|270|360)(?:\.0*f?)?(?![\w.])/, sub { $_[0] == 90 ? 270 : $_[0] + 90 });
                # The arguments of a one-line call or brace list, two neighbours swapped (colours included).
                while ($code =~ /[({]([^(){}]*)[)}]/g) {
                    my ($s, $inner) = ($-[1], $1);
                    my @a = split /,/, $inner, -1;
                    next if @a < 2;
                    for my $i (0 .. $#a - 1) {
                        my ($x, $y) = ($a[$i], $a[$i + 1]);
                        (my $tx = $x) =~ s/^\s+|\s+$//g; (my $ty = $y) =~ s/^\s+|\s+$//g;
                        next if $tx eq $ty || $tx eq "" || $ty eq "";
                        # Parameter lists are names, not arguments: swapping them in a declaration changes nothing.
                        next if grep { /^\s*(const\s+)?[\w:<>]+[*&]?\s+[*&]?\w+\s*$/ } @a;
                        my @b = @a; ($b[$i], $b[$i + 1]) = ($x =~ s/\Q$tx\E/$ty/r, $y =~ s/\Q$ty\E/$tx/r);
                        my $kind = (@a >= 3 && $inner =~ /^\s*\d+\s*,\s*\d+\s*,\s*\d+\s*$|red|green|blue/ ? "colour" : "arguments");
                        emit($f, $n, $kind, $line, substr($code, 0, $s) . join(",", @b) . substr($code, $s + length $inner) . $tail);
                    }
                }
                # A whole statement removed: one-line statements only, not declarations or the end of a block.
                if ($f =~ /\.cpp$/ && $code =~ /;\s*$/ && $code !~ /^\s*(return|case|default|using|typedef|namespace|class|struct|enum|constexpr|const |static |extern |[A-Za-z_:<>]+[*&]? +[A-Za-z_]\w*( =|;|\[|\{))/
                    && $code !~ /^\s*[}\])]/ && $p !~ /[,(=&|+-]\s*$/) {
                    emit($f, $n, "statement", $line, ($code =~ /^(\s*)/)[0] . ";" . $tail);
                }
            }
        }'
}

# An even draw: the kinds of fault take turns, each one's candidates shuffled with the seed.
draw() {
    SEED="$seed" COUNT="$count" perl -e '
        use strict; use warnings;
        srand($ENV{SEED});
        my %by; push @{$by{(split /\t/)[2]}}, $_ for <STDIN>;
        for my $k (keys %by) { my $l = $by{$k}; for (my $i = $#$l; $i > 0; --$i) { my $j = int rand($i + 1); @$l[$i, $j] = @$l[$j, $i]; } }
        my @kinds = sort keys %by; my @out;
        while (@out < $ENV{COUNT} && grep { @{$by{$_}} } @kinds) {
            for my $k (@kinds) { push @out, shift @{$by{$k}} if @{$by{$k}} && @out < $ENV{COUNT}; }
        }
        print for @out;'
}

labels='unit|golden'
[ "$e2e" -eq 0 ] || labels='unit|golden|e2e'
compile() { cmake --build "$build" -j "$(nproc)" >"$scratch/build.log" 2>&1; }

# Without debug information, and with lld where there is one, relinking every test program per fault
# is several times faster; the golden lines are the same from every build.
linker=()
command -v ld.lld >/dev/null && linker=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZORVANE_TESTS=ON "${linker[@]}" >"$scratch/configure.log"

if [ -n "$list" ]; then
    cp "$list" "$scratch/faults.tsv"
else
    enumerate | draw >"$scratch/faults.tsv"
fi
[ -z "$save" ] || cp "$scratch/faults.tsv" "$save"
total="$(wc -l <"$scratch/faults.tsv")"
echo "mutate: $total faults over ${dirs[*]} in ${rev:-the working tree}; scratch $scratch"
if [ "$show" -eq 1 ]; then
    awk -F'\t' '{ sub(/^ +/, "", $4); sub(/^ +/, "", $5); printf "%-10s %s: %s  ->  %s\n", $3, $1, $4, $5 }' "$scratch/faults.tsv"
    exit 0
fi

compile || { echo "mutate: the unmutated source does not build; see $scratch/build.log" >&2; exit 1; }
# The unmutated run, whole, gives each test's time; the tiers below are cut from it.
(cd "$build" && timeout 1800 ctest -j "$(nproc)" -L "$labels" -LE 'damaged|install|valgrind' >"$scratch/ctest.log" 2>&1) ||
    { echo "mutate: the unmutated source fails its own tests; see $scratch/ctest.log" >&2; exit 1; }
# Each test's number, in rising order of its time, one tier a line: under a second, under ten, the rest.
(cd "$build" && ctest --show-only=json-v1 -L "$labels" -LE 'damaged|install|valgrind') >"$scratch/tests.json"
(cd "$build" && ctest --show-only=json-v1) >"$scratch/all.json"
COSTS="$build/Testing/Temporary/CTestCostData.txt" perl -MJSON::PP -e '
    my $all = decode_json(do { local $/; open my $f, "<", $ARGV[0] or die; <$f> });
    my $chosen = decode_json(do { local $/; open my $f, "<", $ARGV[1] or die; <$f> });
    my %number; my $i = 0; $number{$_->{name}} = ++$i for @{$all->{tests}};
    my %cost; open my $c, "<", $ENV{COSTS} or die;
    while (<$c>) { last if /^---/; my @w = split; $cost{$w[0]} = $w[2] if @w == 3; }
    my @t = sort { ($cost{$a} // 1e9) <=> ($cost{$b} // 1e9) } map { $_->{name} } @{$chosen->{tests}};
    my @tiers = ([], [], []);
    push @{$tiers[($cost{$_} // 1e9) < 1 ? 0 : ($cost{$_} // 1e9) < 10 ? 1 : 2]}, $number{$_} for @t;
    print join(",", @$_), "\n" for grep { @$_ } @tiers;' "$scratch/all.json" "$scratch/tests.json" >"$scratch/tiers"
tests() {
    local tier
    : >"$scratch/ctest.log"
    while read -r tier; do
        # A caught fault needs no hunt for the first differing call in the golden traces.
        (cd "$build" && ZORVANE_GOLDEN_QUICK=1 timeout 1200 ctest -j "$(nproc)" -I "0,0,0,$tier" \
            --stop-on-failure --timeout 120 >>"$scratch/ctest.log" 2>&1) || return 1
    done <"$scratch/tiers"
}

# The nth copy of a line in a file, its indentation aside: its number, or nothing.
line_of() { # file nth line
    OLD="$3" NTH="$2" perl -ne 'BEGIN { ($o = $ENV{OLD}) =~ s/^\s+// } chomp; s/^\s+//;
        if ($_ eq $o && $n++ == $ENV{NTH}) { print $.; exit }' "$src/$1" 2>/dev/null || true
}

caught=0 missed=0 broken=0 gone=0 i=0
while IFS=$'\t' read -r file nth kind old new; do
    i=$((i + 1))
    lineno="$(line_of "$file" "$nth" "$old")"
    # A line moved since the faults were drawn: the one file of the folders that holds it.
    if [ -z "$lineno" ]; then
        moved="$(mutable_files | while read -r f; do [ -z "$(line_of "$f" "$nth" "$old")" ] || echo "$f"; done)"
        if [ -n "$moved" ] && [ "$(echo "$moved" | wc -l)" -eq 1 ]; then
            file="$moved"
            lineno="$(line_of "$file" "$nth" "$old")"
        fi
    fi
    if [ -z "$lineno" ]; then
        gone=$((gone + 1))
        printf '%3d gone     %-10s %s\n' "$i" "$kind" "$file"
        continue
    fi
    cp "$src/$file" "$scratch/original"
    NEW="$new" LINE="$lineno" perl -i -pe '$_ = "$ENV{NEW}\n" if $. == $ENV{LINE}' "$src/$file"
    if ! compile; then
        result=broken; broken=$((broken + 1))
    elif tests; then
        result=MISSED; missed=$((missed + 1))
        printf '%s\t%s\t%s\t%s\t%s\n' "$file" "$nth" "$kind" "$old" "$new" >>"$scratch/missed.tsv"
    else
        result=caught; caught=$((caught + 1))
    fi
    cp -p "$scratch/original" "$src/$file"
    touch "$src/$file"
    printf '%3d %-8s %-10s %s:%s: %s\n' "$i" "$result" "$kind" "$file" "$lineno" "$(echo "$new" | sed 's/^ *//')"
done <"$scratch/faults.tsv"

viable=$((caught + missed))
echo "mutate: $caught of $viable faults caught ($((viable ? 100 * caught / viable : 0))%); $broken did not compile, $gone gone"
[ "$missed" -eq 0 ] || { echo "missed:"; cut -f1,3,5 "$scratch/missed.tsv" | sed 's/^/  /'; }
