# e2e helpers: the game's F12 screenshots, and the pictures it should show, drawn from its font.
# Pixels are compared as raw RGB bytes, which ImageMagick 6 and 7 write alike.
# shellcheck shell=bash

E2E_BG="32,32,32" # the whole-screen clear of the title and of a game

# e2e_im ARGS...: ImageMagick's converter, "magick" where there is one (7), "convert" otherwise (6).
e2e_im() {
    if command -v magick >/dev/null; then magick "$@"; else convert "$@"; fi
}

# e2e_size IMAGE: "WIDTH HEIGHT".
e2e_size() { e2e_im "$1" -format '%w %h' info:; }

# e2e_rgb IMAGE OUT [X Y W H]: the pixels (of the rectangle, clipped to the picture) as raw 8-bit RGB;
# with E2E_RGB_SIZE set, the size of what was written goes there as "WIDTHxHEIGHT".
e2e_rgb() {
    local crop=() size=()
    if [ $# -ge 6 ]; then
        local x="$3" y="$4" w="$5" h="$6"
        [ "$x" -lt 0 ] && w=$((w + x)) && x=0
        [ "$y" -lt 0 ] && h=$((h + y)) && y=0
        crop=(-crop "${w}x${h}+${x}+${y}" +repage)
    fi
    [ -n "${E2E_RGB_SIZE:-}" ] && size=(-format '%wx%h' -write "info:$E2E_RGB_SIZE")
    e2e_im "$1" "${crop[@]}" -alpha off -depth 8 "${size[@]}" "rgb:$2"
}

# e2e_keep_shot OUT: converts the finished screenshot.bmp to OUT (a PNG) and keeps the BMP beside it
# (OUT with .bmp), which a later shot can be compared with.
e2e_keep_shot() {
    cp "$E2E_WORK/screenshot.bmp" "${1%.*}.bmp" && e2e_im "${1%.*}.bmp" "PNG24:$1"
}

# e2e_screenshot [-t SECONDS] OUT.png [KEY...]: F12, with the keys held down together with it; OUT is
# the game's screenshot.bmp as a PNG. The shot proves the keys were seen; what they do shows from the
# next shot on. A failed check when no shot comes in time (30 s unless given).
e2e_screenshot() {
    local seconds=30
    if [ "$1" = -t ]; then
        seconds="$2"
        shift 2
    fi
    local out="$1"
    shift
    if e2e_xkeys -t $((seconds * 1000)) -s "$E2E_WORK/screenshot.bmp" "$@" >/dev/null &&
        e2e_keep_shot "$out"; then
        return 0
    fi
    e2e_fail "screenshot${1:+ with $*}: $(e2e_xkeys_said)"
    return 1
}

# e2e_press_and_look OUT.png KEY...: a push of the keys, down until the game has seen them, and OUT, a
# screenshot of a frame after every frame that could still see them: it shows all that they did.
e2e_press_and_look() {
    local out="$1"
    shift
    if e2e_xkeys -s "$E2E_WORK/screenshot.bmp" -a 2 "$@" >/dev/null && e2e_keep_shot "$out"; then
        return 0
    fi
    e2e_fail "$* pushed: $(e2e_xkeys_said)"
    return 1
}

# e2e_shoot_until_change [-t SECONDS] BEFORE.png OUT.png X Y W H [KEY...]: holds the keys down and
# takes screenshots until the rectangle differs from the one in BEFORE (a shot of e2e_screenshot's),
# then lets go; OUT is that shot. A failed check when the deadline (30 s unless given) passes or the
# game ends first.
e2e_shoot_until_change() {
    local seconds=30
    if [ "$1" = -t ]; then
        seconds="$2"
        shift 2
    fi
    local before="$1" out="$2" x="$3" y="$4" w="$5" h="$6"
    shift 6
    if e2e_xkeys -t $((seconds * 1000)) -s "$E2E_WORK/screenshot.bmp" -d "${before%.*}.bmp" \
        "$x" "$y" "$w" "$h" "$@" >/dev/null && e2e_keep_shot "$out"; then
        return 0
    fi
    e2e_fail "${*:-no key} held for a change at ($x, $y) ${w}x$h: $(e2e_xkeys_said)"
    return 1
}

# e2e_pixel IMAGE X Y: prints the pixel's colour as "R,G,B" with 0-255 components.
e2e_pixel() {
    e2e_rgb "$1" - "$2" "$3" 1 1 | od -An -v -tu1 | awk '{ printf "%d,%d,%d\n", $1, $2, $3 }'
}

# e2e_differ SHOT WANT [X Y W H]: prints how many pixels of the two pictures differ, in the rectangle
# (clipped to the pictures) or everywhere; pictures of other sizes differ everywhere.
e2e_differ() {
    local a="$E2E_SCRATCH/differ-a" b="$E2E_SCRATCH/differ-b"
    E2E_RGB_SIZE="$a.size" e2e_rgb "$1" "$a.rgb" "${@:3}" &&
        E2E_RGB_SIZE="$b.size" e2e_rgb "$2" "$b.rgb" "${@:3}" || { echo "unreadable"; return; }
    if ! cmp -s "$a.size" "$b.size"; then
        echo "all (sizes $(cat "$a.size") and $(cat "$b.size"))"
        return
    fi
    cmp -l "$a.rgb" "$b.rgb" | awk '!seen[int(($1 - 1) / 3)]++ { n++ } END { print n + 0 }'
}

# e2e_rgb_list IMAGE: one line "X Y R,G,B" per pixel.
e2e_rgb_list() {
    local w
    w="$(e2e_size "$1")"
    w="${w% *}"
    e2e_rgb "$1" - | od -An -v -tu1 -w3 |
        awk -v w="$w" '{ i = NR - 1; print i % w, int(i / w), $1 "," $2 "," $3 }'
}

# e2e_first_differences SHOT WANT X Y W H: the first eight pixels of the rectangle where the two differ.
e2e_first_differences() {
    paste -d ' ' <(e2e_rgb_list "$1") <(e2e_rgb_list "$2" | awk '{ print $3 }') |
        awk -v x0="$3" -v y0="$4" -v w="$5" -v h="$6" '
            $1 >= x0 && $1 < x0 + w && $2 >= y0 && $2 < y0 + h && $3 != $4 {
                print "  at " $1 "," $2 ": shot " $3 ", expected " $4; if (++n == 8) exit }'
}

# --- Pictures of what the game should draw, compared with its screenshots pixel for pixel ------------

declare -A E2E_GLYPH_FILE=() E2E_GLYPH_WIDTH=() E2E_GLYPH_HEIGHT=()
E2E_OPS=()          # ImageMagick operations that draw onto the image before them
E2E_TEXT_END=0      # pen position after the last text laid out
E2E_TEXT_HEIGHT=0   # the tallest glyph of that text

# e2e_load_font: the glyph files of the game's font, their widths (each glyph's advance) and heights,
# by character code.
e2e_load_font() {
    local dir="$E2E_RESOURCE/font" name w h
    E2E_GLYPH_FILE=() E2E_GLYPH_WIDTH=() E2E_GLYPH_HEIGHT=()
    [ -d "$dir" ] || return 0
    while read -r name w h; do
        [[ "$name" =~ ^([0-9]+)\.bmp$ ]] || continue
        local code=$((10#${BASH_REMATCH[1]}))
        E2E_GLYPH_FILE[$code]="$dir/$name"
        E2E_GLYPH_WIDTH[$code]="$w"
        E2E_GLYPH_HEIGHT[$code]="$h"
    done < <(cd "$dir" && e2e_im *.bmp -format '%f %w %h\n' info:)
}

# e2e_text_ops X Y TEXT: appends to E2E_OPS the glyph blits of TEXT with its first glyph's top left at
# (X, Y), black transparent; a space advances 12 and is never drawn, a byte without a glyph takes no
# room. Sets E2E_TEXT_END and E2E_TEXT_HEIGHT.
e2e_text_ops() {
    local y="$2" text="$3" i code LC_ALL=C
    E2E_TEXT_END="$1"
    E2E_TEXT_HEIGHT=0
    for ((i = 0; i < ${#text}; i++)); do
        printf -v code '%d' "'${text:i:1}"
        if [ "$code" -eq 32 ]; then
            E2E_TEXT_END=$((E2E_TEXT_END + 12))
            continue
        fi
        [ "$code" -ge 0 ] && [ "$code" -lt 128 ] && [ -n "${E2E_GLYPH_FILE[$code]:-}" ] || continue
        E2E_OPS+=("(" "${E2E_GLYPH_FILE[$code]}" -transparent black ")"
            -geometry "$(printf '%+d%+d' "$E2E_TEXT_END" "$y")" -composite)
        E2E_TEXT_END=$((E2E_TEXT_END + E2E_GLYPH_WIDTH[$code]))
        [ "${E2E_GLYPH_HEIGHT[$code]}" -gt "$E2E_TEXT_HEIGHT" ] && E2E_TEXT_HEIGHT="${E2E_GLYPH_HEIGHT[$code]}"
    done
    return 0
}

# e2e_text_width TEXT: how far TEXT moves the pen.
e2e_text_width() {
    local saved=("${E2E_OPS[@]}")
    e2e_text_ops 0 0 "$1"
    E2E_OPS=("${saved[@]}")
    echo "$E2E_TEXT_END"
}

# e2e_picture OUT WIDTH HEIGHT ITEM...: the picture the game should show, drawn in the order given over
# the background. Items: "fill X Y W H R,G,B", "image FILE X Y" (opaque), "text X Y TEXT".
e2e_picture() {
    local out="$1" width="$2" height="$3" item kind rest x y w h colour file
    shift 3
    E2E_OPS=()
    for item in "$@"; do
        kind="${item%% *}"
        rest="${item#* }"
        case "$kind" in
        fill)
            read -r x y w h colour <<<"$rest"
            [ "$w" -gt 0 ] && [ "$h" -gt 0 ] &&
                E2E_OPS+=(-fill "rgb($colour)" -draw "rectangle $x,$y $((x + w - 1)),$((y + h - 1))")
            ;;
        image)
            read -r file x y <<<"$rest"
            E2E_OPS+=("(" "$file" ")" -geometry "$(printf '%+d%+d' "$x" "$y")" -composite)
            ;;
        text)
            x="${rest%% *}"
            rest="${rest#* }"
            y="${rest%% *}"
            e2e_text_ops "$x" "$y" "${rest#* }"
            ;;
        *)
            e2e_log "unknown picture item: $item"
            return 1
            ;;
        esac
    done
    e2e_im -size "${width}x${height}" "xc:rgb($E2E_BG)" -colorspace sRGB +antialias -stroke none \
        "${E2E_OPS[@]}" -alpha off "PNG24:$out"
}

# e2e_glyphs_over SHOT OUT X Y TEXT: OUT is SHOT with TEXT's glyphs drawn over it once more, which
# changes no pixel when every glyph pixel is already there; what shows through the glyphs' black is
# taken from SHOT.
e2e_glyphs_over() {
    E2E_OPS=()
    e2e_text_ops "$3" "$4" "$5"
    e2e_im "$1" -colorspace sRGB "${E2E_OPS[@]}" -alpha off "PNG24:$2"
}

# e2e_read_number SHOT X Y: the decimal number drawn with the font at (X, Y) over the background, read
# glyph by glyph against the font's digits; prints nothing when no digit is there.
e2e_read_number() {
    local digits="$E2E_SCRATCH/digits.txt" d height="${E2E_GLYPH_HEIGHT[48]:-18}"
    if [ ! -s "$digits" ]; then
        for d in 0 1 2 3 4 5 6 7 8 9; do
            local code=$((48 + d))
            [ -n "${E2E_GLYPH_FILE[$code]:-}" ] || continue
            echo "glyph $d ${E2E_GLYPH_WIDTH[$code]} ${E2E_GLYPH_HEIGHT[$code]}"
            e2e_rgb "${E2E_GLYPH_FILE[$code]}" - | od -An -v -tu1 -w3
        done >"$digits"
    fi
    { cat "$digits"; echo "shot - 120 $height"; e2e_rgb "$1" - "$2" "$3" 120 "$height" | od -An -v -tu1 -w3; } |
        awk -v bg="${E2E_BG//,/ }" '
        $1 == "glyph" || $1 == "shot" { n++; D[n] = $2; W[n] = $3; H[n] = $4; i = 0; next }
        { P[n, i % W[n], int(i / W[n])] = $1 " " $2 " " $3; i++ }
        END {
            pen = 0; out = ""
            for (;;) {
                found = 0
                for (g = 1; g < n && !found; g++) {
                    ok = 1
                    for (yy = 0; yy < H[g] && ok; yy++)
                        for (xx = 0; xx < W[g] && ok; xx++) {
                            want = P[g, xx, yy]; if (want == "0 0 0") want = bg
                            if (P[n, pen + xx, yy] != want) ok = 0
                        }
                    if (ok) found = g
                }
                if (!found) break
                out = out D[found]; pen += W[found]
            }
            print out }'
}
