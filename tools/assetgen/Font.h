// The game's bitmap font: a pattern table of cell grids, doubled and smoothed into 2x glyphs.
#pragma once

#include "Canvas.h"

#include <string>
#include <vector>

constexpr int FONT_ROWS = 9;        // cell rows: 7 above the baseline, 2 for descenders
constexpr int FONT_FIRST_CODE = 33; // a space is never drawn, the game advances it by 12 px
constexpr int FONT_LAST_CODE = 126;

struct GlyphPattern {
    char code;
    const char* rows[FONT_ROWS]; // missing trailing rows are blank
};

const GlyphPattern* findGlyphPattern(int code);

// A cell mask: true where a pattern (or anything drawn on a grid) has ink.
struct Mask {
    int w = 0, h = 0;
    std::vector<bool> bits;
    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && bits[y * w + x]; }
};

Mask patternMask(const GlyphPattern& g);
// Doubles a mask and rounds its diagonal steps, so slanted strokes read as lines, not stairs.
Mask smoothDouble(const Mask& m);

// The glyph bitmap as the game loads it: light ink on black, width = advance, as tall as its ink.
Canvas renderGlyph(int code);
// Draws text with the glyphs onto a canvas (black glyph pixels skipped), the way the game does.
void drawText(Canvas& dst, const std::string& text, int x, int y);
