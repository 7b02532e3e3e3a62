// Media core: start-up without optional files, the frame wait's arithmetic, quit requests, hot keys, the log.
#include "MediaFiles.h"
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace testsupport;

namespace {

constexpr int KEY_ESCAPE = 27;
constexpr int KEY_F9 = 290;
constexpr int KEY_F10 = 291;
constexpr int KEY_F12 = 293;
// Far more than any correct wait here takes, far less than the 10 s a wrong one would.
constexpr Uint32 PROMPT_MS = 5000;

std::string scratch;

class CoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (scratch.empty()) {
            // No resource/ at all: no icon and no font directory, neither of which may stop start-up.
            scratch = mediafiles::enterScratchDir(makeTempDir("core"));
            ASSERT_FALSE(scratch.empty());
            ASSERT_TRUE(mediafiles::writeText("run.log", "line of an earlier run\n"));
            Plix_init("core", 320, 480, false);
        }
        releaseAllKeys();
        snapshot();
        snapshot();
    }

    // Pushes a key for one frame and lets it go again.
    static void pushKey(int key) {
        setKey(key, true);
        snapshot();
        setKey(key, false);
        snapshot();
    }
};

TEST_F(CoreTest, StartsWithoutIconFontOrJoystickAndEmptiesTheLog) {
    EXPECT_TRUE(plixMedia.initialized);
    EXPECT_EQ(plixMedia.icon, nullptr);
    EXPECT_TRUE(plixMedia.glyphs.empty());
    EXPECT_EQ(plixMedia.joystick, nullptr);
    EXPECT_EQ(plixMedia.joyButtonCount, 0);
    EXPECT_EQ(readFile("run.log"), "");
    ASSERT_NE(plixMedia.screen, nullptr);
    EXPECT_EQ(plixMedia.screen->w, 320);
    EXPECT_EQ(plixMedia.screen->h, 480);
    EXPECT_EQ(plixMedia.videoBpp, 0);
    EXPECT_EQ(plixMedia.videoFlags & SDL_FULLSCREEN, 0u);
    EXPECT_NE(plixMedia.videoFlags & SDL_DOUBLEBUF, 0u);
    // Without glyphs every text draws nothing.
    Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
    Plix_drawText("LEVEL : 12", 0, 0, 255);
    for (int x = 0; x < 200; x += 3) EXPECT_TRUE(mediafiles::screenIs(x, 5, 32, 32, 32)) << x;
}

TEST_F(CoreTest, SecondInitChangesNothing) {
    SDL_Surface* screen = plixMedia.screen;
    SDL_Surface* backup = plixMedia.screenBackup;
    Plix_init("again", 640, 200, true);
    EXPECT_EQ(plixMedia.screen, screen);
    EXPECT_EQ(plixMedia.screenBackup, backup);
    EXPECT_EQ(plixMedia.videoWidth, 320);
    EXPECT_EQ(plixMedia.videoHeight, 480);
    EXPECT_EQ(plixMedia.videoFlags & SDL_FULLSCREEN, 0u);
}

TEST_F(CoreTest, FrameWaitCountsFromWhenTheLastWaitEnded) {
    // The first call of a run waits a full period from its own start.
    plixMedia.lastFrameTick = 0;
    Uint32 start = SDL_GetTicks();
    Plix_update(16);
    EXPECT_GE(plixMedia.lastFrameTick - start, 16u);
    EXPECT_LT(plixMedia.lastFrameTick - start, PROMPT_MS);

    // The next frame is due 16 ms after that, not any earlier.
    Uint32 previous = plixMedia.lastFrameTick;
    Plix_update(16);
    EXPECT_GE(plixMedia.lastFrameTick - previous, 16u);

    // A late frame does not wait and is measured from now, not from the missed deadline.
    SDL_Delay(40);
    previous = plixMedia.lastFrameTick;
    Uint32 before = SDL_GetTicks();
    Plix_update(16);
    EXPECT_GE(plixMedia.lastFrameTick, before);
    EXPECT_GE(plixMedia.lastFrameTick - previous, 40u);
}

TEST_F(CoreTest, FrameWaitUsesUnsignedArithmeticWithItsTenSecondWindow) {
    // A clock that stepped back 30 ms: the wait grows to the period plus 30.
    Uint32 now = SDL_GetTicks();
    plixMedia.lastFrameTick = now + 30;
    Plix_update(16);
    EXPECT_GE(plixMedia.lastFrameTick, now + 46);
    EXPECT_LT(plixMedia.lastFrameTick - now, PROMPT_MS);

    // A deadline 10 s or more ahead is no deadline: no wait at all.
    now = SDL_GetTicks();
    plixMedia.lastFrameTick = now + 20000;
    Plix_update(16);
    EXPECT_LT(SDL_GetTicks() - now, PROMPT_MS);
    EXPECT_LT(plixMedia.lastFrameTick - now, PROMPT_MS);

    now = SDL_GetTicks();
    Plix_update(10000);
    EXPECT_LT(SDL_GetTicks() - now, PROMPT_MS);
    Plix_update(0);
    EXPECT_LT(SDL_GetTicks() - now, PROMPT_MS);
    EXPECT_GE(plixMedia.lastFrameTick, now);
}

TEST_F(CoreTest, EscapeHeldQuitsInEveryFrameItIsHeld) {
    setKey(KEY_ESCAPE, true);
    for (int frame = 0; frame < 2; ++frame) {
        try {
            Plix_update(0);
            ADD_FAILURE() << "no quit in frame " << frame;
        } catch (const PlixError& e) {
            EXPECT_STREQ(e.what(), "dPlix system quit.");
        }
    }
    setKey(KEY_ESCAPE, false);
    EXPECT_NO_THROW(Plix_update(0));
}

TEST_F(CoreTest, WindowCloseQuitsEvenWithEventsAfterIt) {
    SDL_Event quit;
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 0);
    for (int i = 0; i < 3; ++i) {
        SDL_Event other;
        other.type = SDL_USEREVENT;
        other.user.code = i;
        ASSERT_EQ(SDL_PushEvent(&other), 0);
    }
    EXPECT_THROW(
        {
            try {
                Plix_update(0);
            } catch (const PlixError& e) {
                EXPECT_STREQ(e.what(), PLIX_QUIT_MESSAGE);
                throw;
            }
        },
        PlixError);
    // The request died with the call that threw it; other events never quit.
    SDL_Event other;
    other.type = SDL_USEREVENT;
    ASSERT_EQ(SDL_PushEvent(&other), 0);
    EXPECT_NO_THROW(Plix_update(0));
}

TEST_F(CoreTest, F12WritesTheScreenOncePerPushReplacingTheLastShot) {
    const Uint8 colours[2][3] = {{255, 0, 0}, {0, 0, 255}};
    for (const auto& c : colours) {
        Plix_fillRect(0, 0, 0, 0, c[0], c[1], c[2]);
        pushKey(KEY_F12);
        SDL_Surface* shot = SDL_LoadBMP("screenshot.bmp");
        ASSERT_NE(shot, nullptr);
        EXPECT_EQ(shot->w, 320);
        EXPECT_EQ(shot->h, 480);
        Uint8 r, g, b, er, eg, eb;
        SDL_LockSurface(shot);
        Uint32 raw = shot->format->BytesPerPixel == 1 ? *static_cast<Uint8*>(shot->pixels)
                                                      : *static_cast<Uint32*>(shot->pixels);
        SDL_UnlockSurface(shot);
        SDL_GetRGB(raw, shot->format, &r, &g, &b);
        SDL_GetRGB(mediafiles::screenColour(c[0], c[1], c[2]), plixMedia.screen->format, &er, &eg, &eb);
        EXPECT_EQ(r, er);
        EXPECT_EQ(g, eg);
        EXPECT_EQ(b, eb);
        SDL_FreeSurface(shot);
    }
    // Held, not pushed: no new shot.
    ASSERT_EQ(std::remove("screenshot.bmp"), 0);
    setKey(KEY_F12, true);
    snapshot();
    ASSERT_EQ(std::remove("screenshot.bmp"), 0);
    snapshot();
    snapshot();
    struct stat info;
    EXPECT_NE(stat("screenshot.bmp", &info), 0);
}

TEST_F(CoreTest, FailedScreenshotIsNotAnError) {
    ASSERT_EQ(mkdir("screenshot.bmp", 0755), 0);
    setKey(KEY_F12, true);
    EXPECT_NO_THROW(snapshot());
    struct stat info;
    ASSERT_EQ(stat("screenshot.bmp", &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    rmdir("screenshot.bmp");
}

TEST_F(CoreTest, F9TwiceReturnsToTheWindowWithThePictureKept) {
    Plix_fillRect(0, 0, 0, 0, 0, 255, 0);
    Plix_fillRect(10, 20, 30, 40, 255, 0, 255);
    pushKey(KEY_F9);
    EXPECT_NE(plixMedia.videoFlags & SDL_FULLSCREEN, 0u);
    pushKey(KEY_F9);
    EXPECT_EQ(plixMedia.videoFlags & SDL_FULLSCREEN, 0u);
    EXPECT_TRUE(mediafiles::screenIs(0, 0, 0, 255, 0));
    EXPECT_TRUE(mediafiles::screenIs(10, 20, 255, 0, 255));
    EXPECT_TRUE(mediafiles::screenIs(39, 59, 255, 0, 255));
    EXPECT_TRUE(mediafiles::screenIs(40, 60, 0, 255, 0));
}

TEST_F(CoreTest, F10TogglesTheCursorOnEachPush) {
    int first = SDL_ShowCursor(SDL_QUERY);
    pushKey(KEY_F10);
    EXPECT_NE(SDL_ShowCursor(SDL_QUERY), first);
    // Held on: still only one toggle.
    setKey(KEY_F10, true);
    snapshot();
    snapshot();
    snapshot();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), first);
}

TEST_F(CoreTest, LogWritesTheMessageAsOneLineToStdoutAndAppendsItToRunLog) {
    ASSERT_TRUE(mediafiles::writeText("run.log", ""));
    ::testing::internal::CaptureStdout();
    Plix_log(PlixError("Plix_draw: Has exist key: ghost"));
    Plix_log(PlixError(PLIX_QUIT_MESSAGE));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Plix_draw: Has exist key: ghost\ndPlix system quit.\n");
    EXPECT_EQ(readFile("run.log"), "Plix_draw: Has exist key: ghost\ndPlix system quit.\n");

    // A missing log is created.
    ASSERT_EQ(std::remove("run.log"), 0);
    ::testing::internal::CaptureStdout();
    Plix_log(std::runtime_error("other"));
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(readFile("run.log"), "other\n");
}

} // namespace
