// The desktop side of PlixPlatform: each call is SDL 1.2 or SDL_mixer itself.
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"
#include "plix/desktop/PlixCrash.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {
constexpr Uint32 COLOR_KEY_FLAGS = SDL_SRCCOLORKEY | SDL_RLEACCEL;

// Drivers of classic SDL 1.2 and of SDL2 under sdl12-compat that put the picture on a screen. SDL2
// spells some in capitals (KMSDRM), so names are compared without case.
constexpr const char* PICTURE_DRIVERS[] = {"x11", "wayland", "kmsdrm", "fbcon", "directfb",
                                           "dga", "svgalib", "ggi",    "nanox", "wscons",
                                           "vgl", "rpi",     "vivante"};

// Whether name is one of the comma-separated entries of list.
bool listed(const char* name, const char* list) {
    const size_t length = std::strlen(name);
    for (const char* p = list; *p;) {
        const char* end = std::strchr(p, ',');
        const size_t n = end ? size_t(end - p) : std::strlen(p);
        if (n == length && strncasecmp(p, name, n) == 0) return true;
        if (!end) break;
        p = end + 1;
    }
    return false;
}
} // namespace

bool Plix_driverShowsPicture(const char* driver, const char* named) {
    if (named && listed(driver, named)) return true;
    for (const char* shows : PICTURE_DRIVERS)
        if (strcasecmp(driver, shows) == 0) return true;
    return false;
}

bool Plix_platformDriverShowsPicture() {
    char name[32] = "";
    if (!SDL_VideoDriverName(name, sizeof name)) return false;
    return Plix_driverShowsPicture(name, std::getenv("SDL_VIDEODRIVER"));
}

const Uint8* Plix_platformKeys(int* count) {
    return SDL_GetKeyState(count);
}

void Plix_platformSetKey(int key, bool held) {
    int count = 0;
    Uint8* state = SDL_GetKeyState(&count);
    if (key < count) state[key] = held;
}

void Plix_platformColorKey(SDL_Surface* surface, Uint32 key) {
    SDL_SetColorKey(surface, COLOR_KEY_FLAGS, key);
}

unsigned Plix_platformFormatVersion(const SDL_Surface* surface) {
    return surface->format_version;
}

void Plix_platformFillRect(SDL_Surface* surface, SDL_Rect* rect, Uint32 colour) {
    SDL_FillRect(surface, rect, colour);
}

void Plix_platformBlit(SDL_Surface* image, SDL_Rect* src, SDL_Surface* screen, SDL_Rect* dst) {
    SDL_BlitSurface(image, src, screen, dst);
}

void Plix_platformFlip(SDL_Surface* screen) {
    SDL_Flip(screen);
}

// A yield, not a sleep: a sleep overshoots by the scheduler's granularity. Through the devices, so
// that a test can stand in a clock of its own.
void Plix_platformYield(Uint32) {
    plixMedia.devices.delay(0);
}

int Plix_platformJoysticks() {
    return SDL_NumJoysticks();
}

int Plix_platformFadeInMusic(Mix_Music* music, int loops, int fadeMs) {
    return Mix_FadeInMusic(music, loops, fadeMs);
}

SDL_Surface* Plix_platformSetVideoMode(int width, int height, int bpp, Uint32 flags) {
    return SDL_SetVideoMode(width, height, bpp, flags);
}

void Plix_platformIconify() {
    SDL_WM_IconifyWindow();
}

// From the bytes that were checked, not from the file again.
Mix_Chunk* Plix_platformLoadWAV(const char*, const Uint8* bytes, size_t size) {
    return Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes, int(size)), 1);
}

SDL_Surface* Plix_platformLoadBMP(const char*, const Uint8* bytes, size_t size) {
    return SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes, int(size)), 1);
}

// SDL 1.2 keeps the file's pixel format.
int Plix_platformPictureBytes(int fileBytes) {
    return fileBytes;
}

// A screenshot that cannot be written is not worth stopping the game for.
void Plix_platformScreenshot(SDL_Surface* screen, const char* fileName) {
    std::FILE* file = openOutput(fileName, false);
    if (file) SDL_SaveBMP_RW(screen, SDL_RWFromFP(file, 1), 1);
}

void Plix_platformWatchCrashes() {
    Plix_watchCrashes();
}

// The desktop's run.log and standard output are all there is.
void Plix_platformLogLine(const char*) {}
