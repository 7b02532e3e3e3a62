// fuzz_bmp: the BMP header check on any bytes; what it takes must load as the header promised and
// be drawn, colour key and all, onto screens of 32 and 8 bits.
#include "FuzzSupport.h"
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"

#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The loader reads a file by name: one in memory, rewritten for each input, keeps the disk out.
const std::string& memoryFile(const uint8_t* data, size_t size) {
    static const int fd = memfd_create("fuzz_bmp", 0);
    static const std::string name = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        fuzz::fail("cannot write the picture to memory");
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::startMedia();
    static SDL_Surface* const screens[] = {
        SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 32, 0xff0000, 0xff00, 0xff, 0),
        SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 8, 0, 0, 0, 0)};
    PlixBmpShape shape;
    if (bmpProblem(data, size, shape)) return 0;
    const char* problem = nullptr;
    SDL_Surface* picture = loadCheckedBMP(memoryFile(data, size).c_str(), problem);
    if (!picture)
        fuzz::fail("a BMP the check took did not load: %s", problem ? problem : SDL_GetError());
    // As the game keys its pictures: run-length encoded on the first blit.
    Plix_platformColorKey(picture, 0);
    for (SDL_Surface* screen : screens) {
        SDL_Rect at = {-3, 5, 0, 0};
        Plix_platformBlit(picture, nullptr, screen, &at);
    }
    SDL_FreeSurface(picture);
    return 0;
}
