// fuzz_wav: the WAV check on any bytes; what it takes SDL must read as the very sound the check
// read, and the mixer must load and convert it.
#include "FuzzSupport.h"
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::startMedia();
    PlixWavShape shape;
    if (wavProblem(data, size, &shape)) return 0;
    SDL_AudioSpec sound;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(data, int(size)), 1, &sound, &samples, &length))
        fuzz::fail("SDL refused a WAV the check took: %s", SDL_GetError());
    // SDL keeps whole sample frames only.
    const size_t frame = size_t(shape.channels * shape.bits / 8);
    const bool same = sound.freq == shape.rate && sound.channels == shape.channels &&
                      sound.format == (shape.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB) &&
                      length == shape.dataLength / frame * frame &&
                      std::memcmp(samples, data + shape.dataAt, length) == 0;
    SDL_FreeWAV(samples);
    if (!same)
        fuzz::fail("SDL read %d Hz, %d channels, format %#x, %u bytes; the check %ld Hz, %d "
                   "channels, %d bits, %zu bytes",
                   sound.freq, sound.channels, sound.format, length, shape.rate, shape.channels,
                   shape.bits, shape.dataLength);
    Mix_Chunk* chunk = Plix_platformLoadWAV("fuzz.wav", data, size);
    if (!chunk) fuzz::fail("the mixer refused a WAV the check took: %s", SDL_GetError());
    Mix_FreeChunk(chunk);
    return 0;
}
