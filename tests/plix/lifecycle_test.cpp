// The layer's life: start-up names the window, once; hot keys act per push; shutdown goes in order.
#include "plix/Plix.h"
#include "support/FakeStick.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

using sdlspy::calls;
using sdlspy::take;
using testsupport::setKey;
using testsupport::snapshot;

// Started in the build directory, with the game's sounds and title picture registered.
class LifecycleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sdlspy::recording = true;
        testsupport::initMedia();
        testsupport::releaseAllKeys();
        snapshot();
        snapshot();
    }
    void TearDown() override { sdlspy::recording = false; }
};

TEST_F(LifecycleTest, StartUpNamesTheWindowAndGivesItsIconAndASecondChangesNothing) {
    EXPECT_EQ(take(), std::string("SDL_Init SDL_WM_SetCaption(") + testsupport::TEST_TITLE +
                          ") SDL_WM_SetIcon(32x32) Mix_OpenAudio");
    SDL_Surface* screen = plixMedia.screen;
    std::ofstream("run.log") << "kept\n";
    Plix_init("again", 640, 200, true);
    EXPECT_EQ(take(), "");
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
    const std::string before = testsupport::picture();
    for (bool down : {true, false, true}) {
        setKey(PLIX_KEY_F9, down);
        snapshot();
        EXPECT_TRUE(testsupport::picture() == before)
            << "the picture is kept across the mode change";
    }
}

TEST_F(LifecycleTest, ShutdownReleasesTheStickSoundsMusicAudioAndSdlInThatOrderOnce) {
    Plix_playBgm("resource/sound/bgm.ogg", 0, 0);
    Plix_playWAV("kin", 0);
    FakeStick stick;
    calls.clear();
    Plix_quit();
    EXPECT_EQ(take(),
              "SDL_JoystickClose Mix_HaltChannel(-1) Mix_HaltMusic Mix_FreeMusic Mix_FreeChunk "
              "Mix_FreeChunk Mix_FreeChunk Mix_FreeChunk Mix_CloseAudio SDL_Quit");
    EXPECT_EQ(plixMedia.joystick, nullptr);
    calls.clear();
    Plix_quit();
    EXPECT_EQ(take(), "") << "a second shutdown has nothing left to release";
}

} // namespace
