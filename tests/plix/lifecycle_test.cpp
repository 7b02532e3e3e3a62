// The layer's life: start-up names the window, once; hot keys act per push; shutdown goes in order.
#include "MediaFiles.h"
#include "plix/Plix.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

// The test is linked with these SDL functions wrapped (see CMakeLists.txt): each call is written
// down and passed on to SDL, except a close of the stand-in joystick, which SDL never opened.
namespace {
std::vector<std::string> calls;
bool recording = false;
void note(const std::string& call) {
    if (recording) calls.push_back(call);
}
} // namespace

extern "C" {
int __real_SDL_Init(Uint32 flags);
int __real_SDL_WM_IconifyWindow();
void __real_SDL_JoystickClose(SDL_Joystick* joystick);
int __real_Mix_HaltChannel(int channel);
int __real_Mix_HaltMusic();
void __real_Mix_FreeMusic(Mix_Music* music);
void __real_Mix_FreeChunk(Mix_Chunk* chunk);
void __real_Mix_CloseAudio();
void __real_SDL_Quit();
void __real_SDL_WM_SetCaption(const char* title, const char* icon);
void __real_SDL_WM_SetIcon(SDL_Surface* icon, Uint8* mask);

int __wrap_SDL_Init(Uint32 flags) {
    note("SDL_Init");
    return __real_SDL_Init(flags);
}
int __wrap_SDL_WM_IconifyWindow() {
    note("iconify");
    return __real_SDL_WM_IconifyWindow();
}
void __wrap_SDL_JoystickClose(SDL_Joystick* joystick) {
    note("SDL_JoystickClose");
    if (!mediafiles::FakeStick::current) __real_SDL_JoystickClose(joystick);
}
int __wrap_Mix_HaltChannel(int channel) {
    note("Mix_HaltChannel(" + std::to_string(channel) + ")");
    return __real_Mix_HaltChannel(channel);
}
int __wrap_Mix_HaltMusic() {
    note("Mix_HaltMusic");
    return __real_Mix_HaltMusic();
}
void __wrap_Mix_FreeMusic(Mix_Music* music) {
    note("Mix_FreeMusic");
    __real_Mix_FreeMusic(music);
}
void __wrap_Mix_FreeChunk(Mix_Chunk* chunk) {
    note("Mix_FreeChunk");
    __real_Mix_FreeChunk(chunk);
}
void __wrap_Mix_CloseAudio() {
    note("Mix_CloseAudio");
    __real_Mix_CloseAudio();
}
void __wrap_SDL_Quit() {
    note("SDL_Quit");
    __real_SDL_Quit();
}
void __wrap_SDL_WM_SetCaption(const char* title, const char* icon) {
    note(std::string("SDL_WM_SetCaption(") + title + ")");
    __real_SDL_WM_SetCaption(title, icon);
}
void __wrap_SDL_WM_SetIcon(SDL_Surface* icon, Uint8* mask) {
    note("SDL_WM_SetIcon(" + std::to_string(icon->w) + "x" + std::to_string(icon->h) + ")");
    __real_SDL_WM_SetIcon(icon, mask);
}
}

namespace {

using testsupport::setKey;
using testsupport::snapshot;

std::string joined() {
    std::string s;
    for (const std::string& c : calls)
        s += (s.empty() ? "" : " ") + c;
    calls.clear();
    return s;
}

// Started in the build directory, with the game's sounds and title picture registered.
class LifecycleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        recording = true;
        testsupport::initMedia();
        testsupport::releaseAllKeys();
        snapshot();
        snapshot();
    }
    void TearDown() override { recording = false; }
};

TEST_F(LifecycleTest, StartUpNamesTheWindowAndGivesItsIconAndASecondChangesNothing) {
    EXPECT_EQ(joined(), std::string("SDL_Init SDL_WM_SetCaption(") + testsupport::TEST_TITLE +
                            ") SDL_WM_SetIcon(32x32)");
    SDL_Surface* screen = plixMedia.screen;
    std::ofstream("run.log") << "kept\n";
    Plix_init("again", 640, 200, true);
    EXPECT_EQ(joined(), "");
    EXPECT_EQ(plixMedia.screen, screen);
    EXPECT_EQ(plixMedia.videoWidth, 320);
    EXPECT_EQ(plixMedia.videoHeight, 480);
    EXPECT_EQ(plixMedia.videoFlags & SDL_FULLSCREEN, 0u);
    EXPECT_EQ(testsupport::readFile("run.log"), "kept\n") << "the log is emptied once";
}

TEST_F(LifecycleTest, HotKeysActInTheFrameOfAPushOnly) {
    // What each key does, read after every frame, as a count of its actions so far.
    int iconified = 0, shots = 0;
    const int cursorAtStart = SDL_ShowCursor(SDL_QUERY);
    const Uint32 flagsAtStart = plixMedia.videoFlags;
    const std::tuple<int, const char*, std::function<int()>> keys[] = {
        {PLIX_KEY_F5, "F5",
         [&] { return iconified += int(std::count(calls.begin(), calls.end(), "iconify")); }},
        {PLIX_KEY_F9, "F9",
         [&] { return int((plixMedia.videoFlags ^ flagsAtStart) == SDL_FULLSCREEN); }},
        {PLIX_KEY_F10, "F10", [&] { return int(SDL_ShowCursor(SDL_QUERY) != cursorAtStart); }},
        // Each screenshot is taken away at once, so a second one shows as a new file.
        {PLIX_KEY_F12, "F12", [&] { return shots += unlink("screenshot.bmp") == 0; }},
    };
    unlink("screenshot.bmp");
    for (const auto& [key, name, actions] : keys) {
        SCOPED_TRACE(name);
        std::string seen;
        // Pushed, held for two more frames, let go, pushed again.
        for (bool down : {true, true, true, false, true, false}) {
            setKey(key, down);
            calls.clear();
            snapshot();
            seen += std::to_string(actions());
        }
        // A toggle flips back on the second push; a count goes up once per push.
        EXPECT_EQ(seen, key == PLIX_KEY_F9 || key == PLIX_KEY_F10 ? "111100" : "111122");
    }
}

TEST_F(LifecycleTest, FullScreenAndBackKeepsThePicture) {
    Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
    Plix_fillRect(100, 200, 40, 30, 255, 0, 0);
    Plix_drawText("LEVEL : 7", 40, 384, 255);
    SDL_Surface* s = plixMedia.screen;
    auto picture = [s] {
        SDL_LockSurface(s);
        std::string p(static_cast<const char*>(s->pixels), size_t(s->pitch) * s->h);
        SDL_UnlockSurface(s);
        return p;
    };
    const std::string before = picture();
    for (bool down : {true, false, true}) {
        setKey(PLIX_KEY_F9, down);
        snapshot();
        EXPECT_TRUE(picture() == before) << "the picture is kept across the mode change";
    }
}

TEST_F(LifecycleTest, ShutdownReleasesTheStickSoundsMusicAudioAndSdlInThatOrderOnce) {
    Plix_playBgm("resource/sound/bgm.ogg", 0, 0);
    Plix_playWAV("kin", 0);
    mediafiles::FakeStick stick;
    calls.clear();
    Plix_quit();
    EXPECT_EQ(joined(),
              "SDL_JoystickClose Mix_HaltChannel(-1) Mix_HaltMusic Mix_FreeMusic Mix_FreeChunk "
              "Mix_FreeChunk Mix_FreeChunk Mix_FreeChunk Mix_CloseAudio SDL_Quit");
    EXPECT_EQ(plixMedia.joystick, nullptr);
    calls.clear();
    Plix_quit();
    EXPECT_EQ(joined(), "") << "a second shutdown has nothing left to release";
}

} // namespace
