// Shared test helpers over the media layer: its start-up, key state, pictures and small files.
#include "support/TestSupport.h"

#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/MediaFiles.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testsupport {

void initMedia() {
    static bool done = false;
    if (done) return;
    Plix_init(TEST_TITLE, 320, 480, false);
    // Samples from the game's own files, under the keys the tests draw and play them by.
    for (const char* key : {"kreel", "damage", "destroy1", "kin"})
        Plix_loadWAV(key, std::string("resource/sound/") + key + ".wav");
    Plix_loadBMP("title", "resource/image/zorvane.bmp", -2, 0, 0);
    done = true;
}

void setKey(int key, bool down) {
    Plix_setKey(key, down);
}

void releaseAllKeys() {
    for (int key = 0; key < PLIX_KEY_COUNT; ++key)
        Plix_setKey(key, false);
}

void snapshot() {
    Plix_update(0);
}

void hold(const std::vector<int>& keys) {
    releaseAllKeys();
    for (int key : keys)
        setKey(key, true);
    snapshot();
}

std::string makeTempDir(const std::string& tag) {
    std::string pattern = "/tmp/zorvane-" + tag + "-XXXXXX";
    char* made = mkdtemp(pattern.data());
    return made ? std::string(made) : std::string();
}

std::string scratchDir(const std::string& tag) {
    static std::string dir;
    dir = makeTempDir(tag);
    std::atexit([] { std::filesystem::remove_all(dir); });
    return dir;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "";
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string messageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

std::string picture() {
    SDL_Surface* s = plixMedia.screen;
    SDL_LockSurface(s);
    std::string p(static_cast<const char*>(s->pixels), size_t(s->pitch) * s->h);
    SDL_UnlockSurface(s);
    return p;
}

std::string letters(int x, int y, int w, int h) {
    SDL_Surface* s = plixMedia.screen;
    const int bytes = s->format->BytesPerPixel;
    std::string out;
    SDL_LockSurface(s);
    for (int row = y; row < y + h; ++row) {
        if (row > y) out += '|';
        for (int col = x; col < x + w; ++col) {
            Uint32 pixel = 0;
            std::memcpy(&pixel, static_cast<Uint8*>(s->pixels) + row * s->pitch + col * bytes,
                        bytes);
            char found = '?';
            for (const auto& [letter, rgb] : mediafiles::LETTERS)
                if (pixel == SDL_MapRGB(s->format, rgb.r, rgb.g, rgb.b)) found = letter;
            out += found;
        }
    }
    SDL_UnlockSurface(s);
    return out;
}

} // namespace testsupport
