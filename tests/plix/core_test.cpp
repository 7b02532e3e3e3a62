// Media core and input: the frame wait, quit requests, a failed screenshot, the input snapshot.
#include "plix/Plix.h"
#include "support/FakeStick.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

using namespace testsupport;

namespace {

constexpr const char* QUIT = "dPlix system quit.";
constexpr const char* NOTHING = "(nothing thrown)";

class CoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!plixMedia.initialized) {
            // No resource/ here: without icon and font directory, start-up must still succeed.
            ASSERT_EQ(chdir(scratchDir("core").c_str()), 0);
            Plix_init("core", 320, 480, false);
        }
        releaseAllKeys();
        snapshot();
        snapshot();
    }
};

// A clock the test steers: every delay is recorded and moves time on by the step.
struct FakeClock {
    static inline Uint32 now = 0;
    static inline Uint32 step = 1;
    static inline std::vector<Uint32> delays;
    FakeClock(Uint32 start, Uint32 stepMs) {
        now = start;
        step = stepMs;
        delays.clear();
        plixMedia.devices.ticks = [] { return now; };
        plixMedia.devices.delay = [](Uint32 ms) {
            delays.push_back(ms);
            now += step;
        };
    }
    ~FakeClock() { plixMedia.devices = PlixDevices(); }
};

TEST_F(CoreTest, FrameWaitYieldsUntilThePeriodHasPassedAndEndsAtTheNowThatStoppedIt) {
    // Case, lastFrameTick relative to a clock at 50000 (FIRST: 0, as before the run's first call),
    // the period, the clock's step per yield, how many yields, and the lastFrameTick left behind.
    constexpr int FIRST = -50000;
    const std::tuple<const char*, int, int, Uint32, size_t, Uint32> cases[] = {
        {"the first call waits a full period from its start", FIRST, 16, 1, 16, 50016},
        {"the wait ends at the now that stopped it, not the deadline", 0, 16, 7, 3, 50021},
        {"a frame half gone waits out the rest", -10, 16, 1, 6, 50006},
        {"a late frame does not wait at all", -40, 16, 1, 0, 50000},
        {"a frame exactly on time does not wait", -16, 16, 1, 0, 50000},
        {"a clock 30 ms back lengthens the wait to 46", 30, 16, 1, 46, 50046},
        {"9999 ms left is still waited out", 9983, 16, 100, 100, 60000},
        {"10000 ms left is no wait at all", 9984, 16, 1, 0, 50000},
        {"a period of 10000 never waits", 0, 10000, 1, 0, 50000},
        {"a period of 0 never waits", 0, 0, 1, 0, 50000},
    };
    for (const auto& [name, lastFromNow, period, step, yields, after] : cases) {
        SCOPED_TRACE(name);
        FakeClock clock(50000, step);
        plixMedia.lastFrameTick = Uint32(50000 + lastFromNow);
        Plix_update(period);
        EXPECT_EQ(FakeClock::delays.size(), yields);
        EXPECT_EQ(plixMedia.lastFrameTick, after);
        // A yield, never a sleep for the time that is left.
        for (Uint32 ms : FakeClock::delays)
            ASSERT_EQ(ms, 0u);
    }
}

TEST_F(CoreTest, EscapeQuitsInEveryFrameItIsHeldAndACloseDespiteLaterEvents) {
    setKey(PLIX_KEY_ESCAPE, true);
    EXPECT_EQ(messageOf(snapshot), QUIT);
    EXPECT_EQ(messageOf(snapshot), QUIT) << "held, not only pushed";
    setKey(PLIX_KEY_ESCAPE, false);
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
    setKey(PLIX_KEY_F12, true);
    EXPECT_EQ(messageOf(snapshot), NOTHING);
    rmdir("screenshot.bmp");
}

TEST_F(CoreTest, KeysArePushedInTheFirstSnapshotOnlyAndReadFromTheSnapshot) {
    setKey(PLIX_KEY_Z, true);
    EXPECT_FALSE(Plix_keyDown(PLIX_KEY_Z)) << "seen before a snapshot took it";
    std::string pushedAndDown;
    for (int frame = 0; frame < 10; ++frame) {
        snapshot();
        pushedAndDown += Plix_keyPushed(PLIX_KEY_Z) ? 'P' : Plix_keyDown(PLIX_KEY_Z) ? 'D' : '-';
    }
    EXPECT_EQ(pushedAndDown, "PDDDDDDDDD");
    setKey(PLIX_KEY_Z, false);
    EXPECT_TRUE(Plix_keyDown(PLIX_KEY_Z)) << "the live keyboard is not read";
    snapshot();
    EXPECT_FALSE(Plix_keyDown(PLIX_KEY_Z));

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

    FakeStick stick;
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

TEST_F(CoreTest, SnapshotCopiesNowIntoBeforeForEveryButtonAndBothAxes) {
    FakeStick stick(3);
    const int far = 32767;
    // Per frame: buttons 0-2 held, the stick (x, y); then what the questions answer: buttons as
    // P pushed / D down / - up, and the directions up, down, right, left the same way.
    const std::tuple<const char*, int, int, const char*, const char*> frames[] = {
        {"--x", 0, 0, "--P", "----"},        {"x-x", -far, 0, "P-D", "---P"},
        {"xxx", -far, 0, "DPD", "---D"},     {"-x-", far, 0, "-D-", "--P-"},
        {"---", far, -far, "---", "P-D-"},   {"x--", 0, far, "P--", "-P--"},
        {"x--", 0, -far - 1, "D--", "P---"}, {"---", 0, 0, "---", "----"},
    };
    int n = 0;
    for (const auto& [held, x, y, buttons, directions] : frames) {
        SCOPED_TRACE("frame " + std::to_string(++n));
        for (int i = 0; i < 3; ++i)
            stick.buttons[i] = held[i] == 'x';
        stick.axes[0] = Sint16(x);
        stick.axes[1] = Sint16(y);
        snapshot();
        std::string b = "---", d = "----";
        for (int i = 0; i < 3; ++i)
            b[i] = Plix_joyButtonPushed(i) ? 'P' : Plix_joyButtonDown(i) ? 'D' : '-';
        for (int dir = JOY_UP; dir <= JOY_LEFT; ++dir)
            d[dir] = Plix_joyPushed(dir) ? 'P' : Plix_joyDown(dir) ? 'D' : '-';
        EXPECT_EQ(b, buttons);
        EXPECT_EQ(d, directions);
    }
    EXPECT_EQ(stick.highestButtonRead, 2) << "every button of the stick, and no more, is read";
}

// Classic SDL's names and SDL2's (through sdl12-compat) alike: only a driver that shows a picture
// runs the game unasked, and any driver runs it when the player names it.
TEST(VideoDriver, OnlyAPictureOrThePlayersOwnChoiceIsPlayable) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"x11", nullptr, true},
        {"wayland", nullptr, true},
        {"KMSDRM", nullptr, true}, // SDL2's spelling
        {"kmsdrm", nullptr, true},
        {"fbcon", nullptr, true},
        {"offscreen", nullptr, false}, // SDL2's choice when no display answers
        {"dummy", nullptr, false},
        {"evdev", nullptr, false}, // SDL2's dummy with keyboard input
        {"caca", nullptr, false},  // classic SDL's choice when no display answers
        {"aalib", nullptr, false},
        {"x11x", nullptr, false},
        {"", nullptr, false},
        {"offscreen", "", false},
        {"offscreen", "offscreen", true},
        {"dummy", "DUMMY", true},
        {"caca", "x11,caca", true},
        {"caca", "cac", false},
        {"caca", "cacaX,x11", false},
        {"x11", "dummy", true},
    };
    for (const auto& [driver, named, playable] : cases) {
        SCOPED_TRACE(std::string(driver) + " with SDL_VIDEODRIVER " + (named ? named : "unset"));
        EXPECT_EQ(Plix_driverShowsPicture(driver, named), playable);
    }
}

} // namespace
