// Bitmap font: one BMP per character code from resource/font at start-up, and text drawn from it.
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>

namespace {

constexpr const char* FONT_DIR = "resource/font";
constexpr int SPACE_ADVANCE = 12;

// Case matters: 65.BMP is not a glyph.
bool hasBmpExtension(const char* name) {
    const char* dot = std::strrchr(name, '.');
    return dot && std::strcmp(dot + 1, "bmp") == 0;
}

} // namespace

void loadFont() {
    // No font directory is not an error: texts then draw nothing but their spaces.
    DIR* dir = opendir(FONT_DIR);
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        if (!hasBmpExtension(name)) continue;
        std::string path = std::string(FONT_DIR) + "/" + name;
        const char* problem = nullptr;
        SDL_Surface* glyph = loadCheckedBMP(path.c_str(), problem);
        if (problem) {
            closedir(dir);
            throw PlixError(std::string("loadFont: ") + problem + ": " + path);
        }
        if (!glyph) {
            closedir(dir);
            throw PlixError(std::string("loadFont: ") + SDL_GetError());
        }
        Plix_platformColorKey(glyph, SDL_MapRGB(glyph->format, 0, 0, 0));
        // A later file with the same code replaces the glyph; the old surface lives on unused.
        plixMedia.glyphs[std::atoi(name)] = glyph;
    }
    closedir(dir);
}

void Plix_drawText(const char* text, int x, int y, int alpha) {
    if (plixTraceOn) traceText(text, x, y, alpha);
    PlixMedia& m = plixMedia;
    int px = x;
    for (const char* p = text; *p; ++p) {
        // char is signed here; bytes of 128 and above must not turn into negative codes.
        int c = static_cast<unsigned char>(*p);
        if (c >= 128) continue;
        if (c == ' ') {
            px += SPACE_ADVANCE;
            continue;
        }
        auto found = m.glyphs.find(c);
        if (found == m.glyphs.end()) continue;
        SDL_Surface* glyph = found->second;
        // One glyph serves every caller, each with its own alpha, so it is set before every blit.
        SDL_SetAlpha(glyph, SDL_SRCALPHA, Uint8(alpha));
        SDL_Rect dst = {Sint16(px), Sint16(y), 0, 0};
        Plix_platformBlit(glyph, nullptr, m.screen, &dst);
        px += glyph->w;
    }
}
