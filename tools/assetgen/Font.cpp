// Turns the pattern table into glyph bitmaps.
#include "Font.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr Rgb INK_TOP = {255, 255, 255};
constexpr Rgb INK_BASE = {150, 210, 255};
constexpr Rgb SHADOW = {24, 30, 72};
constexpr int BASELINE_PX = 14; // cap height after doubling
constexpr int MIN_ADVANCE = 6;

} // namespace

Mask patternMask(const GlyphPattern& g) {
    Mask m;
    m.w = static_cast<int>(std::strlen(g.rows[0]));
    m.h = FONT_ROWS;
    m.bits.assign(m.w * m.h, false);
    for (int y = 0; y < FONT_ROWS && g.rows[y]; ++y)
        for (int x = 0; x < m.w && g.rows[y][x]; ++x)
            m.bits[y * m.w + x] = g.rows[y][x] == '#';
    return m;
}

Mask smoothDouble(const Mask& m) {
    Mask out;
    out.w = m.w * 2;
    out.h = m.h * 2;
    out.bits.assign(out.w * out.h, false);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            const bool p = m.at(x, y), a = m.at(x, y - 1), b = m.at(x + 1, y), c = m.at(x - 1, y),
                       d = m.at(x, y + 1);
            const bool e0 = (c == a && c != d && a != b) ? a : p;
            const bool e1 = (a == b && a != c && b != d) ? b : p;
            const bool e2 = (d == c && d != b && c != a) ? c : p;
            const bool e3 = (b == d && b != a && d != c) ? d : p;
            out.bits[(2 * y) * out.w + 2 * x] = e0;
            out.bits[(2 * y) * out.w + 2 * x + 1] = e1;
            out.bits[(2 * y + 1) * out.w + 2 * x] = e2;
            out.bits[(2 * y + 1) * out.w + 2 * x + 1] = e3;
        }
    return out;
}

Canvas renderGlyph(int code) {
    const GlyphPattern* g = findGlyphPattern(code);
    Mask ink = g ? smoothDouble(patternMask(*g)) : Mask{};
    const int width = ink.w + 2 < MIN_ADVANCE ? MIN_ADVANCE : ink.w + 2;
    // The bitmap ends with its shadow's last row: the game blits every pixel of a glyph, the black
    // ones too, and most glyphs have no descender; its height plays no part in the layout.
    int lastInk = 0;
    for (int y = 0; y < ink.h; ++y)
        for (int x = 0; x < ink.w; ++x)
            if (ink.at(x, y)) lastInk = y;
    Canvas c(width, std::min(lastInk + 2, FONT_ROWS * 2));
    const int left = (width - ink.w) / 2;
    // A dark drop shadow: invisible on the dark background, but it keeps text readable where it
    // crosses the bright boss or an explosion. Never black, which would make it transparent.
    for (int y = 0; y < ink.h; ++y)
        for (int x = 0; x < ink.w; ++x)
            if (ink.at(x, y)) c.set(left + x + 1, y + 1, SHADOW);
    for (int y = 0; y < ink.h; ++y) {
        const Rgb colour = mix(INK_TOP, INK_BASE, static_cast<float>(y) / BASELINE_PX);
        for (int x = 0; x < ink.w; ++x)
            if (ink.at(x, y)) c.set(left + x, y, colour);
    }
    return c;
}

void drawText(Canvas& dst, const std::string& text, int x, int y) {
    for (unsigned char ch : text) {
        if (ch == ' ') {
            x += 12;
            continue;
        }
        if (ch < FONT_FIRST_CODE || ch > FONT_LAST_CODE) continue;
        Canvas glyph = renderGlyph(ch);
        dst.paste(glyph, x, y, Rgb{});
        x += glyph.width();
    }
}
