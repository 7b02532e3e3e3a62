// The SDL spy: each function below takes the place of SDL's, notes the call and passes it on.
// Linked into every test program, and built as a library preloaded into the real game, where it
// writes its notes to the file ZORVANE_ORDER_LOG names and also notes when the process starts to
// exit.
#include "support/SdlSpy.h"

#include <SDL/SDL_mixer.h>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace sdlspy {
bool recording = false;
std::vector<std::string> calls;
std::function<void()> beforeFlip;
SDL_Surface* nextBmp = nullptr;
SDL_Joystick* fakeJoystick = nullptr;

std::string take() {
    std::string s;
    for (const std::string& c : calls)
        s += (s.empty() ? "" : " ") + c;
    calls.clear();
    return s;
}
} // namespace sdlspy

namespace {

// Appended whole with one write, so that no buffer is left to flush at exit.
void note(const std::string& call) {
    if (const char* path = std::getenv("ZORVANE_ORDER_LOG")) {
        const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        const std::string line = call + "\n";
        if (fd >= 0 && write(fd, line.data(), line.size()) < 0) {
            // the word is then missing, which the script reports
        }
        if (fd >= 0) close(fd);
    } else if (sdlspy::recording) {
        sdlspy::calls.push_back(call);
    }
}

// The real function of that name, past this one.
template <class F> F* real(const char* name) {
    return reinterpret_cast<F*>(dlsym(RTLD_NEXT, name));
}
// Each spied function: noted, then passed on to the real one.
#define SPY(R, F, PARAMETERS, ARGUMENTS, NOTE)                                                     \
    extern "C" R F PARAMETERS {                                                                    \
        note(NOTE);                                                                                \
        static auto* next = real<decltype(F)>(#F);                                                 \
        return next ARGUMENTS;                                                                     \
    }

} // namespace

using std::to_string;
SPY(int, SDL_Init, (Uint32 flags), (flags), "SDL_Init")
SPY(void, SDL_Quit, (), (), "SDL_Quit")
SPY(int, SDL_WM_IconifyWindow, (), (), "iconify")
SPY(void, SDL_WM_SetCaption, (const char* t, const char* i), (t, i),
    "SDL_WM_SetCaption(" + std::string(t) + ")")
SPY(void, SDL_WM_SetIcon, (SDL_Surface * i, Uint8* m), (i, m),
    "SDL_WM_SetIcon(" + to_string(i->w) + "x" + to_string(i->h) + ")")
SPY(int, Mix_OpenAudio, (int f, Uint16 s, int c, int b), (f, s, c, b), "Mix_OpenAudio")
SPY(void, Mix_CloseAudio, (), (), "Mix_CloseAudio")
SPY(int, Mix_HaltChannel, (int c), (c), "Mix_HaltChannel(" + to_string(c) + ")")
SPY(int, Mix_HaltMusic, (), (), "Mix_HaltMusic")
SPY(void, Mix_FreeMusic, (Mix_Music * m), (m), "Mix_FreeMusic")
SPY(void, Mix_FreeChunk, (Mix_Chunk * c), (c), "Mix_FreeChunk")
SPY(int, Mix_PlayMusic, (Mix_Music * m, int loops), (m, loops), "play " + to_string(loops))
SPY(int, Mix_FadeOutMusic, (int ms), (ms), "fadeOut " + to_string(ms))

// The hooks: a close of a joystick SDL never opened goes no further.
extern "C" void SDL_JoystickClose(SDL_Joystick* joystick) {
    note("SDL_JoystickClose");
    static auto* next = real<decltype(SDL_JoystickClose)>("SDL_JoystickClose");
    if (joystick != sdlspy::fakeJoystick) next(joystick);
}
extern "C" int SDL_Flip(SDL_Surface* screen) {
    static auto* next = real<decltype(SDL_Flip)>("SDL_Flip");
    if (sdlspy::beforeFlip) sdlspy::beforeFlip();
    return next(screen);
}
extern "C" SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* src, int freesrc) {
    static auto* next = real<decltype(SDL_LoadBMP_RW)>("SDL_LoadBMP_RW");
    SDL_Surface* s = std::exchange(sdlspy::nextBmp, nullptr);
    if (s && freesrc) SDL_RWclose(src);
    return s ? s : next(src, freesrc);
}

#ifdef SDLSPY_EXIT
extern "C" {
// Every exit handler and static destructor registers through __cxa_atexit, and the last registered
// runs first: each is wrapped, so whichever runs first notes the exit.
namespace {
struct Handler {
    void (*run)(void*);
    void* argument;
};
void exiting() {
    static bool noted = false;
    if (!std::exchange(noted, true)) note("exit");
}
void wrapped(void* handler) {
    exiting();
    static_cast<Handler*>(handler)->run(static_cast<Handler*>(handler)->argument);
}
// The first registration runs last: an exit with no handler of the program's own is noted too.
__attribute__((constructor)) void start() {
    std::atexit(exiting);
}
} // namespace
int __cxa_atexit(void (*run)(void*), void* argument, void* dso) {
    static auto* next = real<int(void (*)(void*), void*, void*)>("__cxa_atexit");
    auto* h = static_cast<Handler*>(std::malloc(sizeof(Handler)));
    if (!h) return next(run, argument, dso);
    *h = {run, argument};
    return next(wrapped, h, dso);
}
}
#endif
