// Media core and input: the frame wait, quit requests, a failed screenshot, the input snapshot.
#include "MediaFiles.h"
#include "plix/Plix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace testsupport;
using mediafiles::messageOf;
using mediafiles::row;

namespace {

constexpr int KEY_Z = 122;
constexpr int KEY_ESCAPE = 27;
constexpr int KEY_F12 = 293;
constexpr const char* QUIT = "dPlix system quit.";
constexpr const char* NOTHING = "(nothing thrown)";

class CoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!plixMedia.initialized) {
            // No resource/ here: without icon and font directory, start-up must still succeed.
            ASSERT_EQ(chdir(mediafiles::scratchDir("core").c_str()), 0);
            Plix_init("core", 320, 480, false);
        }
        releaseAllKeys();
        snapshot();
        snapshot();
    }
};

TEST_F(CoreTest, FrameWaitUsesUnsignedArithmeticAndEndsAtTheNowThatStoppedIt) {
    // Case, whether it is the run's first call, lastFrameTick relative to now, period, least wait.
    const std::tuple<const char*, bool, Sint32, int, Uint32> cases[] = {
        {"the first call waits a full period", true, 0, 16, 16},
        {"a clock 30 ms back lengthens the wait", false, 30, 16, 46},
        {"a late frame does not wait", false, -40, 16, 0},
        {"a deadline 10 s or more ahead is none", false, 20000, 16, 0},
        // 100 ms ahead keeps the remaining time at 10000 or more while the clock ticks.
        {"a period of 10000 never waits", false, 100, 10000, 0},
        {"a period of 0 never waits", false, 0, 0, 0},
    };
    for (const auto& [name, first, lastFromNow, period, leastWait] : cases) {
        SCOPED_TRACE(name);
        Uint32 start = SDL_GetTicks();
        plixMedia.lastFrameTick = first ? 0 : start + lastFromNow;
        Plix_update(period);
        Uint32 end = SDL_GetTicks();
        EXPECT_GE(plixMedia.lastFrameTick - start, leastWait);
        EXPECT_LE(plixMedia.lastFrameTick - start, end - start);
        // Far more than any right wait here takes, far less than the 10 s of a wrong one.
        EXPECT_LT(end - start, 5000u);
    }
}

TEST_F(CoreTest, EscapeQuitsInEveryFrameItIsHeldAndACloseDespiteLaterEvents) {
    setKey(KEY_ESCAPE, true);
    EXPECT_EQ(messageOf(snapshot), QUIT);
    EXPECT_EQ(messageOf(snapshot), QUIT) << "held, not only pushed";
    setKey(KEY_ESCAPE, false);
    EXPECT_EQ(messageOf(snapshot), NOTHING);
    SDL_Event event{};
    event.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
    event.type = SDL_USEREVENT;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
    EXPECT_EQ(messageOf(snapshot), QUIT);
    // The request died with the call that threw it, and other events never quit.
    ASSERT_EQ(SDL_PushEvent(&event), 0);
    EXPECT_EQ(messageOf(snapshot), NOTHING);
}

// A working F12 is what every end-to-end check of the screen relies on.
TEST_F(CoreTest, FailedScreenshotIsNoError) {
    ASSERT_EQ(mkdir("screenshot.bmp", 0755), 0);
    setKey(KEY_F12, true);
    EXPECT_EQ(messageOf(snapshot), NOTHING);
    rmdir("screenshot.bmp");
}

TEST_F(CoreTest, KeysArePushedInTheFirstSnapshotOnlyAndReadFromTheSnapshot) {
    setKey(KEY_Z, true);
    EXPECT_FALSE(Plix_keyDown(KEY_Z)) << "seen before a snapshot took it";
    std::string pushedAndDown;
    for (int frame = 0; frame < 10; ++frame) {
        snapshot();
        pushedAndDown += Plix_keyPushed(KEY_Z) ? 'P' : Plix_keyDown(KEY_Z) ? 'D' : '-';
    }
    EXPECT_EQ(pushedAndDown, "PDDDDDDDDD");
    setKey(KEY_Z, false);
    EXPECT_TRUE(Plix_keyDown(KEY_Z)) << "the live keyboard is not read";
    snapshot();
    EXPECT_FALSE(Plix_keyDown(KEY_Z));

    setKey(0, true);
    setKey(PLIX_KEY_COUNT - 1, true);
    snapshot();
    EXPECT_TRUE(Plix_keyDown(0) && Plix_keyPushed(PLIX_KEY_COUNT - 1));
    snapshot(); // held twice, so a read past either end of the tables would find true neighbours
    for (int key : {-1, PLIX_KEY_COUNT, -100000})
        EXPECT_FALSE(Plix_keyDown(key) || Plix_keyPushed(key)) << key;
}

TEST_F(CoreTest, JoystickQuestionsNeedAnOpenStickBeyondTheStrictThreshold) {
    ASSERT_EQ(plixMedia.joystick, nullptr) << "the test machine has no joystick";
    EXPECT_EQ(plixMedia.joyButtonCount, 0);
    // Even a stick position left in the snapshot means nothing without an open joystick.
    plixMedia.joyAxisNow[0] = plixMedia.joyAxisNow[1] = -32768;
    for (int i = -1; i <= 4; ++i)
        EXPECT_FALSE(Plix_joyDown(i) || Plix_joyPushed(i) || Plix_joyButtonDown(i) ||
                     Plix_joyButtonPushed(i))
            << i;

    mediafiles::FakeStick stick;
    const int t = JOY_AXIS_THRESHOLD;
    // Horizontal and vertical axis, and the directions held in the order up, down, right, left.
    const std::tuple<int, int, const char*> cases[] = {
        {0, -t, "----"},    {0, -t - 1, "U---"}, {0, t, "----"},
        {0, t + 1, "-D--"}, {t, 0, "----"},      {t + 1, 0, "--R-"},
        {-t, 0, "----"},    {-t - 1, 0, "---L"}, {-32768, 32767, "-D-L"},
    };
    for (const auto& [x, y, expected] : cases) {
        plixMedia.joyAxisNow[0] = Sint16(x);
        plixMedia.joyAxisNow[1] = Sint16(y);
        std::string held = "----";
        for (int dir = JOY_UP; dir <= JOY_LEFT; ++dir)
            if (Plix_joyDown(dir)) held[dir] = "UDRL"[dir];
        EXPECT_EQ(held, expected) << x << ", " << y;
    }
    EXPECT_FALSE(Plix_joyDown(4) || Plix_joyPushed(-1) || Plix_joyPushed(4));

    plixMedia.joyButtonNow = {true, true};
    plixMedia.joyButtonBefore = {false, true};
    EXPECT_TRUE(Plix_joyButtonPushed(0) && Plix_joyButtonDown(1) && !Plix_joyButtonPushed(1));
    EXPECT_FALSE(Plix_joyButtonDown(2) || Plix_joyButtonDown(-1) || Plix_joyButtonPushed(2));
}

} // namespace
