// The title picture and the icons, drawn from flat rectangles like everything on the playfield.
#include "Assets.h"
#include "Font.h"
#include "Synth.h"
#include "maths/Maths.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int TITLE_W = 260, TITLE_H = 280;

constexpr Rgb SPACE_TOP = {8, 10, 28}, SPACE_BOTTOM = {22, 12, 38};
constexpr Rgb SHIP = {70, 120, 255}, POD = {255, 214, 40}, BOSS = {60, 196, 90};
constexpr Rgb BULLET_ORANGE = {255, 150, 40}, BULLET_RED = {240, 56, 56}, BOMB = {230, 250, 255};

void spaceBackground(Canvas& c, uint32_t seed, int stars) {
    for (int y = 0; y < c.height(); ++y)
        c.fillRect(0, y, c.width(), 1,
                   mix(SPACE_TOP, SPACE_BOTTOM, static_cast<float>(y) / c.height()));
    Noise n(seed);
    for (int i = 0; i < stars; ++i) {
        const int x = static_cast<int>(n.next() % c.width()),
                  y = static_cast<int>(n.next() % c.height());
        const float bright = 0.25f + 0.75f * static_cast<float>(n.next() % 100) / 100.0f;
        const Rgb star = mix(c.get(x, y), {200, 220, 255}, bright);
        c.set(x, y, star);
        if (bright > 0.9f) { // the few brightest get a small cross
            c.blend(x - 1, y, star, 0.4f);
            c.blend(x + 1, y, star, 0.4f);
            c.blend(x, y - 1, star, 0.4f);
            c.blend(x, y + 1, star, 0.4f);
        }
    }
}

void drawBoss(Canvas& c, int cx, int top) {
    const Rgb dark = mix(BOSS, {0, 0, 0}, 0.5f);
    c.bevelRect(cx - 46, top + 10, 16, 26, mix(BOSS, {0, 0, 0}, 0.2f)); // wings
    c.bevelRect(cx + 30, top + 10, 16, 26, mix(BOSS, {0, 0, 0}, 0.2f));
    c.bevelRect(cx - 32, top, 64, 42, BOSS);
    c.fillRect(cx - 24, top + 8, 48, 18, dark);
    c.bevelRect(cx - 8, top + 11, 16, 12, {255, 70, 60}); // the core
    c.fillRect(cx - 4, top + 14, 5, 4, {255, 200, 180});
    c.bevelRect(cx - 28, top + 42, 10, 10, dark); // cannons
    c.bevelRect(cx + 18, top + 42, 10, 10, dark);
    c.fillRect(cx - 24, top + 30, 48, 3, mix(BOSS, {255, 255, 255}, 0.3f));
    for (int k = 0; k < 5; ++k)
        c.fillRect(cx - 21 + k * 9, top + 35, 6, 3, {250, 230, 90}); // running lights
    for (int side = -1; side <= 1; side += 2) {                      // armour seams on the wings
        c.fillRect(cx + side * 38 - 1, top + 14, 2, 18, dark);
        c.fillRect(cx + side * 38 - 4, top + 22, 8, 2, dark);
    }
    // The hit-point bar, as in the fight.
    c.fillRect(cx - 40, top - 7, 80, 3, {40, 60, 40});
    c.fillRect(cx - 40, top - 7, 58, 3, {120, 255, 140});
}

void drawBulletFan(Canvas& c, int cx, int cy, int maxY) {
    for (int ring = 0; ring < 4; ++ring) {
        const float radius = 34.0f + ring * 22.0f;
        const int count = 7 + ring * 2;
        for (int k = 0; k < count; ++k) {
            const float a =
                (200.0f + 140.0f * (k + 0.5f * (ring % 2)) / (count - 1)) * maths::PI_F / 180.0f;
            const int x = cx + static_cast<int>(radius * maths::cos(a));
            const int y = cy - static_cast<int>(radius * maths::sin(a));
            if (y > maxY) continue;
            if (ring % 2 == 0)
                c.bevelRect(x - 2, y - 2, 5, 5, BULLET_ORANGE);
            else
                c.bevelRect(x - 2, y - 2, 4, 4, BULLET_RED);
        }
    }
}

void drawShip(Canvas& c, int cx, int cy) {
    // Capture boxes: faint corner marks around each pod.
    for (int side = -1; side <= 1; side += 2) {
        const int px = cx + side * 26;
        const Rgb mark = {90, 150, 255};
        const int l = px - 20, t = cy - 24, r = px + 19, b = cy + 15;
        for (int d = 0; d < 6; ++d) {
            c.blend(l + d, t, mark, 0.6f), c.blend(l, t + d, mark, 0.6f);
            c.blend(r - d, t, mark, 0.6f), c.blend(r, t + d, mark, 0.6f);
            c.blend(l + d, b, mark, 0.6f), c.blend(l, b - d, mark, 0.6f);
            c.blend(r - d, b, mark, 0.6f), c.blend(r, b - d, mark, 0.6f);
        }
        c.bevelRect(px - 5, cy - 6, 11, 11, POD);
        c.fillRect(px - 2, cy - 3, 4, 4, {255, 250, 200});
    }
    c.bevelRect(cx - 12, cy - 4, 24, 14, mix(SHIP, {0, 0, 0}, 0.25f)); // wings
    c.bevelRect(cx - 6, cy - 16, 12, 28, SHIP);
    c.fillRect(cx - 3, cy - 11, 6, 7, {190, 230, 255}); // canopy
    c.fillRect(cx - 4, cy + 12, 3, 4, {255, 190, 80});  // engine flames
    c.fillRect(cx + 1, cy + 12, 3, 4, {255, 190, 80});
    c.fillRect(cx - 3, cy + 16, 2, 3, {255, 90, 40});
    c.fillRect(cx + 1, cy + 16, 2, 3, {255, 90, 40});
}

void drawBombs(Canvas& c, int cx, int cy) {
    const int xs[] = {-34, -22, 18, 32, -28, 24};
    const int ys[] = {-38, -52, -44, -58, -70, -74};
    for (int k = 0; k < 6; ++k) {
        const int x = cx + xs[k], y = cy + ys[k];
        for (int trail = 1; trail <= 4; ++trail)
            c.fillRect(x, y + 4 + trail * 3, 5, 2,
                       mix(SPACE_BOTTOM, {110, 170, 255}, 1.0f - trail / 5.0f));
        c.bevelRect(x - 1, y - 2, 7, 8, BOMB);
    }
}

// Enemy fire closing in on the pods from both sides; the nearest shots are already in the boxes.
void drawIncoming(Canvas& c, int cx, int cy) {
    const int xs[] = {-52, -44, -8, 44, 54, 8, -70, 74};
    const int ys[] = {-26, -2, -30, -14, -32, -40, -48, -56};
    for (int k = 0; k < 8; ++k) {
        if (k % 2)
            c.bevelRect(cx + xs[k] - 2, cy + ys[k] - 2, 4, 4, BULLET_RED);
        else
            c.bevelRect(cx + xs[k] - 2, cy + ys[k] - 2, 5, 5, BULLET_ORANGE);
    }
}

Mask scaleMask(const Mask& m, int k) {
    Mask out;
    out.w = m.w * k;
    out.h = m.h * k;
    out.bits.assign(out.w * out.h, false);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x)
            out.bits[y * out.w + x] = m.at(x / k, y / k);
    return out;
}

// The name in large block letters: fire-coloured faces on a dark extruded block, like a lit sign.
void drawLogo(Canvas& c, const char* name, int top) {
    constexpr int SCALE = 3, GAP = 4, DEPTH = 5, MARGIN = 8;
    const int count = static_cast<int>(std::strlen(name));
    std::vector<Mask> letters;
    int width = -GAP;
    for (int i = 0; i < count; ++i) {
        // The text V converges early; in heavy strokes that reads as a Y, so the logo's V stays
        // open.
        static const GlyphPattern LOGO_V = {
            'V', {"#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."}};
        const GlyphPattern& g = name[i] == 'V' ? LOGO_V : *findGlyphPattern(name[i]);
        letters.push_back(scaleMask(smoothDouble(patternMask(g)), SCALE));
        width += letters.back().w + GAP;
    }
    const int height = 7 * 2 * SCALE;
    Mask face;
    face.w = c.width();
    face.h = height + 2 * MARGIN;
    face.bits.assign(face.w * face.h, false);
    int x = (c.width() - width - DEPTH) / 2; // centre the letters with their extrusion
    for (const Mask& m : letters) {
        // One pixel of extra weight all round keeps the strokes heavy at this size.
        for (int y = -1; y <= height; ++y)
            for (int i = -1; i <= m.w; ++i)
                if (m.at(i, y) || m.at(i - 1, y) || m.at(i + 1, y) || m.at(i, y - 1) ||
                    m.at(i, y + 1))
                    face.bits[(y + MARGIN) * face.w + x + i] = true;
        x += m.w + GAP;
    }
    auto solid = [&face](int px, int py) { // the face plus its extrusion
        for (int d = 0; d <= DEPTH; ++d)
            if (face.at(px - d, py - d)) return d;
        return -1;
    };
    const int y0 = top - MARGIN;
    for (int y = 0; y < face.h; ++y)
        for (int px = 0; px < face.w; ++px) {
            bool edge = false;
            for (int dy = -2; dy <= 2 && !edge; ++dy)
                for (int dx = -2; dx <= 2 && !edge; ++dx)
                    edge = solid(px + dx, y + dy) >= 0;
            if (edge) c.set(px, y0 + y, {14, 8, 26});
        }
    const Rgb faceTop = {255, 250, 180}, faceMid = {255, 176, 40}, faceLow = {236, 56, 40};
    for (int y = 0; y < face.h; ++y) {
        const float t = static_cast<float>(y - MARGIN) / height;
        const Rgb fill =
            t < 0.5f ? mix(faceTop, faceMid, t * 2.0f) : mix(faceMid, faceLow, (t - 0.5f) * 2.0f);
        for (int px = 0; px < face.w; ++px) {
            const int d = solid(px, y);
            if (d < 0) continue;
            if (d > 0) { // the extruded sides, darker with depth
                c.set(px, y0 + y, mix({150, 36, 60}, {60, 14, 50}, static_cast<float>(d) / DEPTH));
                continue;
            }
            Rgb p = fill;
            if (!face.at(px, y - 1) || !face.at(px - 1, y)) p = mix(fill, {255, 255, 255}, 0.6f);
            c.set(px, y0 + y, p);
        }
    }
}

void centredText(Canvas& c, const std::string& text, int y) {
    int width = 0;
    for (char ch : text)
        width += ch == ' ' ? 12 : renderGlyph(ch).width();
    drawText(c, text, (c.width() - width) / 2, y);
}

} // namespace

Canvas makeTitle() {
    Canvas c(TITLE_W, TITLE_H);
    spaceBackground(c, 0x5449544C, 160);
    drawBulletFan(c, TITLE_W / 2, 58, 84);
    drawBoss(c, TITLE_W / 2, 16);
    drawLogo(c, "ZORVANE", 96);
    centredText(c, "CAPTURE & STRIKE", 152);
    drawBombs(c, TITLE_W / 2, 246);
    drawIncoming(c, TITLE_W / 2, 246);
    drawShip(c, TITLE_W / 2, 246);
    c.frameRect(0, 0, TITLE_W, TITLE_H, {90, 110, 190});
    c.frameRect(2, 2, TITLE_W - 4, TITLE_H - 4, {40, 50, 100});
    return c;
}

namespace {

// A 16-cell design drawn with cells of k pixels at the top left: the ship with its pods under the
// boss and its fire.
void drawIconDesign(Canvas& c, int k) {
    // clang-format off
    static const char* ICON[16] = {
        "................",
        ".....GGGGGG.....",
        "...gGGGGGGGGg...",
        "...g.GGRRGG.g...",
        ".....GGGGGG.....",
        "................",
        ".......O........",
        "...R.......O....",
        "........R.......",
        "................",
        ".......bb.......",
        "......bBBb......",
        ".YY..BBBBBB..YY.",
        ".YY.BBBBBBBB.YY.",
        "......B..B......",
        "................",
    };
    // clang-format on
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            Rgb p;
            switch (ICON[y][x]) {
            case 'G':
                p = BOSS;
                break;
            case 'g':
                p = mix(BOSS, {0, 0, 0}, 0.35f);
                break;
            case 'R':
                p = BULLET_RED;
                break;
            case 'O':
                p = BULLET_ORANGE;
                break;
            case 'B':
                p = SHIP;
                break;
            case 'b':
                p = {170, 210, 255};
                break;
            case 'Y':
                p = POD;
                break;
            default:
                continue;
            }
            c.fillRect(x * k, y * k, k, k, p);
        }
    // Light the top edge and shade the bottom edge of every shape like the panels, deeper in larger
    // cells. A cell is at least as tall as the edge is deep, so one look that far up or down finds
    // whether the shape ends within it. One-pixel cells would be all edge and lose their colours.
    if (k < 2) return;
    auto cell = [k](int px, int py) {
        return px < 0 || py < 0 || px >= 16 * k || py >= 16 * k ? '.' : ICON[py / k][px / k];
    };
    const int depth = std::max(1, k / 4);
    const Canvas flat = c;
    for (int y = 0; y < 16 * k; ++y)
        for (int x = 0; x < 16 * k; ++x) {
            if (cell(x, y) == '.') continue;
            if (cell(x, y - depth) != cell(x, y))
                c.set(x, y, mix(flat.get(x, y), {255, 255, 255}, 0.4f));
            else if (cell(x, y + depth) != cell(x, y))
                c.set(x, y, mix(flat.get(x, y), {0, 0, 0}, 0.35f));
        }
}

} // namespace

Canvas makeWindowIcon() {
    Canvas c(32, 32);
    spaceBackground(c, 0x49434F4E, 0);
    drawIconDesign(c, 2);
    c.frameRect(0, 0, 32, 32, {90, 110, 190});
    return c;
}

Canvas makeIcon(int size) {
    // Cells must be whole pixels; a size that is no multiple of 16 is drawn at a multiple and
    // shrunk, which softens the cell edges instead of making some cells wider than others.
    int over = 1;
    while (size * over % 16 != 0)
        ++over;
    Canvas c = Canvas::clear(size * over, size * over);
    drawIconDesign(c, size * over / 16);
    return over == 1 ? c : c.shrunk(over);
}
