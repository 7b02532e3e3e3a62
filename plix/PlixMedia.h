// PlixMedia: the layer's one process-wide context, shared by plix/*.cpp, readable by tests.
#pragma once

#include "plix/PlixKeys.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The raw devices the layer reads, as plain functions: a test can stand in a clock it steers, or a
// joystick, which SDL 1.2 has no way to fake.
struct PlixDevices {
    Uint32 (*ticks)() = SDL_GetTicks;
    void (*delay)(Uint32 ms) = SDL_Delay;
    Uint8 (*joyButton)(SDL_Joystick* joystick, int button) = SDL_JoystickGetButton;
    Sint16 (*joyAxis)(SDL_Joystick* joystick, int axis) = SDL_JoystickGetAxis;
};

struct PlixMedia {
    PlixDevices devices;
    bool initialized = false;
    bool released = false;
    int videoWidth = 0;
    int videoHeight = 0;
    int videoBpp = 0;
    Uint32 videoFlags = 0;
    SDL_Surface* screen = nullptr;
    SDL_Surface* screenBackup = nullptr;
    SDL_Surface* icon = nullptr; // none when resource/plix.bmp is missing
    bool quitRequested = false;
    Uint32 lastFrameTick = 0;

    // std::less<> lets a const char* key be looked up without building a std::string mid-frame.
    std::map<std::string, SDL_Surface*, std::less<>> images;
    std::map<int, SDL_Surface*> glyphs;
    std::map<std::string, Mix_Chunk*, std::less<>> sounds;
    Mix_Music* music = nullptr;

    bool keyNow[PLIX_KEY_COUNT] = {};
    bool keyBefore[PLIX_KEY_COUNT] = {};
    SDL_Joystick* joystick = nullptr;
    int joyButtonCount = 0;
    std::vector<bool> joyButtonNow;
    std::vector<bool> joyButtonBefore;
    Sint16 joyAxisNow[2] = {0, 0};
    Sint16 joyAxisBefore[2] = {0, 0};
};

// Never destroyed: the surfaces it holds live until process end, so the context must outlive every
// static destructor as well.
extern PlixMedia& plixMedia;

// Internal steps of the layer, called only from Plix_init and Plix_update.
void loadFont();
void Plix_takeSnapshot();
void Plix_toggleFullScreen(SDL_Surface* screen, SDL_Surface* backup);
void Plix_toggleCursor();

// Files. A resource that exists but is not a regular file (a directory, a FIFO, a device) is
// refused with this reason, before SDL could block on it or read nonsense.
constexpr const char* PLIX_NOT_A_FILE = "not a regular file";
// Why the resource at path cannot be loaded, or nullptr when it can be tried; a path that does not
// open at all is left to SDL, whose own words then name the problem.
const char* resourceProblem(const char* path);
// Reads the resource at path whole into bytes, through one descriptor that is never made to wait.
// nullptr when it was read, or when it does not open at all (opened false: SDL names that); else
// why it cannot be used: not a regular file, larger than maxSize, or a read that failed.
const char* readResource(const char* path, std::vector<Uint8>& bytes, size_t maxSize, bool& opened);
// run.log and screenshot.bmp: opened for writing, emptied unless appending, only when the name is a
// regular file of its own or new; never through a link, never waiting. nullptr otherwise.
std::FILE* openOutput(const char* path, bool append);
// The sample rates and channel counts the mixer is handed, WAV effects and Ogg music alike: SDL
// crashes on some rates outside them.
constexpr long PLIX_MIN_RATE = 4000;
constexpr long PLIX_MAX_RATE = 192000;
constexpr long PLIX_MAX_CHANNELS = 2;
// What the checked fmt and data chunks say: the sound SDL must load of the file.
struct PlixWavShape {
    long rate = 0;
    int channels = 0;
    int bits = 0;
    size_t dataAt = 0; // the first byte of the samples
    size_t dataLength = 0;
};
// What is wrong with a WAV file's bytes for the mixer, or nullptr (shape then filled in, when
// given): RIFF WAVE, PCM, 1 or 2 channels, 8 or 16 bits, 4000 to 192000 Hz, and a data chunk
// inside the file, with chunks laid out so that SDL 1.2 and SDL 2 read the same fmt and data.
const char* wavProblem(const Uint8* data, size_t size, PlixWavShape* shape = nullptr);

// Pictures. Nothing larger than four 640 x 480 windows each way is drawn by the game, and SDL's
// rectangles hold 16-bit sizes; a bigger header is a damaged or hostile one.
constexpr long PLIX_BMP_MAX_WIDTH = 4 * 640;
constexpr long PLIX_BMP_MAX_HEIGHT = 4 * 480;
// What the header promises: the surface SDL must make of the file.
struct PlixBmpShape {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0; // 1 for 1, 4 and 8 bits, which SDL widens to 8
};
// What is wrong with a BMP file's bytes for SDL's loader, or nullptr (shape then filled in).
const char* bmpProblem(const Uint8* data, size_t size, PlixBmpShape& shape);
// Reads, checks and loads a BMP from the checked bytes. The surface, or nullptr with problem set to
// the layer's own reason, or nullptr with problem nullptr when SDL refused it (SDL_GetError).
SDL_Surface* loadCheckedBMP(const char* fileName, const char*& problem);

// Whether SDL's video driver shows the player a picture: a driver that draws on a screen, or any
// that the player named in SDL_VIDEODRIVER (named: a comma-separated list, or null). Offscreen,
// dummy and the terminal's text drivers show nothing to play.
bool Plix_driverShowsPicture(const char* driver, const char* named);

// The trace: when on, each traced call records itself before it does its work.
extern bool plixTraceOn;
void traceFill(int x, int y, int w, int h, int red, int green, int blue);
void traceDraw(const char* key, int x, int y, int srcX, int srcY, int srcW, int srcH);
void traceText(const char* text, int x, int y, int alpha);
void traceWAV(const char* key, int loops);
void traceBgm(const char* fileName, int loops, int fadeMs);
void traceStopBgm(int fadeMs);
void traceFlip();
