// Media core: start-up, the frame wait with its snapshot and hot keys, logging and shutdown.
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

PlixMedia& plixMedia = *new PlixMedia();

namespace {

constexpr Uint32 SDL_SUBSYSTEMS = SDL_INIT_VIDEO | SDL_INIT_AUDIO | SDL_INIT_JOYSTICK;
constexpr int AUDIO_RATE = 22050;
constexpr int AUDIO_CHANNELS = 2;
constexpr int AUDIO_CHUNK = 1024;
// A remaining wait above this means the deadline has passed (the unsigned subtraction wrapped)
// or lies absurdly far ahead; either way the frame goes on at once.
constexpr Uint32 MAX_WAIT_MS = 9999;

constexpr const char* ICON_FILE = "resource/plix.bmp";
constexpr const char* LOG_FILE = "run.log";
constexpr const char* SCREENSHOT_FILE = "screenshot.bmp";
constexpr const char* SILENT_AUDIO_DRIVER = "dummy";

void waitFrame(int periodMs) {
    PlixMedia& m = plixMedia;
    if (m.lastFrameTick == 0) m.lastFrameTick = m.devices.ticks();
    Uint32 now;
    for (;;) {
        now = m.devices.ticks();
        Uint32 remaining = m.lastFrameTick + static_cast<Uint32>(periodMs) - now;
        if (remaining < 1 || remaining > MAX_WAIT_MS) break;
        Plix_platformYield(remaining);
    }
    // Measured from when the wait really ended, so a late frame is never made up.
    m.lastFrameTick = now;
}

// SIGTERM, SIGINT and a closed terminal's SIGHUP ask the game to quit. SDL would turn the first two
// into SDL_QUIT itself, but only where no handler is set before its own: a text-mode driver's
// terminal library sets one that ends the process at once, with status 1 and no line in run.log.
// Set first, ours is the one that stays.
volatile std::sig_atomic_t quitSignal = 0;
extern "C" void onQuitSignal(int) {
    quitSignal = 1;
}

void installSignals() {
    // A standard output that is a closed pipe must not kill the run before run.log gets its line.
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGHUP, SIGTERM, SIGINT})
        sigaction(sig, &action, nullptr);
    Plix_platformWatchCrashes();
}

void pumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) plixMedia.quitRequested = true;
    }
    if (quitSignal) plixMedia.quitRequested = true;
}

// Without a sound device the game plays on in silence, on SDL's dummy driver; only when even that
// cannot open is it a failure.
void openAudio() {
    if (Mix_OpenAudio(AUDIO_RATE, AUDIO_S16LSB, AUDIO_CHANNELS, AUDIO_CHUNK) >= 0) return;
    const char* chosen = std::getenv("SDL_AUDIODRIVER");
    if (chosen && std::strcmp(chosen, SILENT_AUDIO_DRIVER) == 0)
        throw PlixError(std::string("Plix_init: ") + SDL_GetError());
    const std::string reason = *SDL_GetError() ? SDL_GetError() : "unknown";
    // SDL's dummy driver offers itself only when the environment names it.
    setenv("SDL_AUDIODRIVER", SILENT_AUDIO_DRIVER, 1);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0 ||
        Mix_OpenAudio(AUDIO_RATE, AUDIO_S16LSB, AUDIO_CHANNELS, AUDIO_CHUNK) < 0)
        throw PlixError(std::string("Plix_init: ") + SDL_GetError());
    std::fprintf(stderr, "zorvane: no sound device (%s); playing without sound\n", reason.c_str());
}

// The window simply goes without an icon when the file is missing or cannot be used; a damaged one
// is worth a word to whoever looks at standard error, but not a stop.
void loadIcon() {
    const char* problem = nullptr;
    plixMedia.icon = loadCheckedBMP(ICON_FILE, problem);
    if (plixMedia.icon) {
        SDL_WM_SetIcon(plixMedia.icon, nullptr);
    } else if (problem) {
        std::fprintf(stderr, "zorvane: %s: %s; the window has no icon\n", ICON_FILE, problem);
    }
}

void handleHotKeys() {
    PlixMedia& m = plixMedia;
    if (Plix_keyPushed(PLIX_KEY_F5)) Plix_platformIconify();
    if (Plix_keyPushed(PLIX_KEY_F9)) Plix_toggleFullScreen(m.screen, m.screenBackup);
    if (Plix_keyPushed(PLIX_KEY_F10)) Plix_toggleCursor();
    if (Plix_keyPushed(PLIX_KEY_F12)) Plix_saveScreen(SCREENSHOT_FILE);
    if (Plix_keyDown(PLIX_KEY_ESCAPE)) m.quitRequested = true;
}

} // namespace

void Plix_init(const std::string& title, int width, int height, bool fullScreen) {
    PlixMedia& m = plixMedia;
    if (m.initialized) return;
    installSignals();
    m.videoWidth = width;
    m.videoHeight = height;
    m.videoBpp = 0;
    m.videoFlags = SDL_DOUBLEBUF;
    if (fullScreen) m.videoFlags |= SDL_FULLSCREEN;

    if (SDL_Init(SDL_SUBSYSTEMS) < 0) throw PlixError("Plix_init: Couldn't initialize SDL");
    // Without a display SDL falls back to a driver nobody sees (offscreen, dummy, text in the
    // terminal), and the game would play on invisibly; the player has to name such a driver.
    if (!Plix_platformDriverShowsPicture()) throw PlixError("Plix_init: Couldn't set video mode");
    m.screen = SDL_SetVideoMode(m.videoWidth, m.videoHeight, m.videoBpp, m.videoFlags);
    if (!m.screen) throw PlixError("Plix_init: Couldn't set video mode");
    SDL_WM_SetCaption(title.c_str(), nullptr);
    loadIcon();
    m.screenBackup = SDL_ConvertSurface(m.screen, m.screen->format, m.videoFlags);
    if (!m.screenBackup) throw PlixError("Plix_init: Couldn't set video mode");
    openAudio();

    // Emptied only now, so an earlier failure lands at the end of the previous run's log.
    if (std::FILE* log = openOutput(LOG_FILE, false)) std::fclose(log);

    if (Plix_platformJoysticks() > 0) {
        m.joystick = SDL_JoystickOpen(0);
        if (!m.joystick) throw PlixError(SDL_GetError());
        m.joyButtonCount = SDL_JoystickNumButtons(m.joystick);
        if (m.joyButtonCount < 0) m.joyButtonCount = 0;
        m.joyButtonNow.assign(m.joyButtonCount, false);
        m.joyButtonBefore.assign(m.joyButtonCount, false);
    }
    loadFont();
    m.initialized = true;
}

void Plix_flip() {
    if (plixTraceOn) traceFlip();
    Plix_platformFlip(plixMedia.screen);
}

namespace {
void (*snapshotWatch)(void*) = nullptr;
void* snapshotContext = nullptr;
} // namespace

void Plix_saveScreen(const char* fileName) {
    Plix_platformScreenshot(plixMedia.screen, fileName);
}

void Plix_watchSnapshots(void (*watch)(void* context), void* context) {
    snapshotWatch = watch;
    snapshotContext = context;
}

void Plix_update(int periodMs) {
    waitFrame(periodMs);
    Plix_takeSnapshot();
    if (snapshotWatch) snapshotWatch(snapshotContext);
    pumpEvents();
    handleHotKeys();
    if (plixMedia.quitRequested) {
        // The request ends with this call; only the throw carries it on.
        plixMedia.quitRequested = false;
        quitSignal = 0;
        throw PlixQuit(PLIX_QUIT_MESSAGE);
    }
}

void Plix_toggleFullScreen(SDL_Surface* screen, SDL_Surface* backup) {
    PlixMedia& m = plixMedia;
    SDL_BlitSurface(screen, nullptr, backup, nullptr);
    m.videoFlags ^= SDL_FULLSCREEN;
    // SDL 1.2 keeps the same video surface object across mode changes, so `screen` stays valid.
    SDL_Surface* changed =
        Plix_platformSetVideoMode(m.videoWidth, m.videoHeight, m.videoBpp, m.videoFlags);
    if (changed) SDL_BlitSurface(backup, nullptr, changed, nullptr);
}

void Plix_toggleCursor() {
    if (SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE) {
        SDL_ShowCursor(SDL_DISABLE);
    } else {
        SDL_ShowCursor(SDL_ENABLE);
    }
}

void Plix_quit() {
    PlixMedia& m = plixMedia;
    // SDL_mixer crashes when its channels are halted after the audio is closed.
    if (m.released) return;
    m.released = true;
    if (m.joystick) {
        SDL_JoystickClose(m.joystick);
        m.joystick = nullptr;
    }
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    if (m.music) {
        Mix_FreeMusic(m.music);
        m.music = nullptr;
    }
    for (auto& entry : m.sounds)
        Mix_FreeChunk(entry.second);
    m.sounds.clear();
    Mix_CloseAudio();
    SDL_Quit();
}

void Plix_log(const std::exception& error) {
    const char* message = error.what();
    std::fputs(message, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    if (std::FILE* log = openOutput(LOG_FILE, true)) {
        std::fputs(message, log);
        std::fputc('\n', log);
        std::fclose(log);
    }
    Plix_platformLogLine(message);
}
