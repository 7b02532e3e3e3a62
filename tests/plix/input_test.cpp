// Input snapshot: held versus pushed, one answer per frame, argument ranges, and the stick's dead zone.
#include "MediaFiles.h"
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

constexpr int KEY_Z = 122;
constexpr int KEY_X = 120;
constexpr int KEY_LAST = 322;

class InputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static bool started = false;
        if (!started) {
            ASSERT_FALSE(mediafiles::enterScratchDir(makeTempDir("input")).empty());
            Plix_init("input", 320, 480, false);
            started = true;
        }
        releaseAllKeys();
        snapshot();
        snapshot();
    }
};

using mediafiles::FakeStick;

TEST_F(InputTest, HeldKeyIsPushedInItsFirstFrameOnlyAndDownInEvery) {
    setKey(KEY_Z, true);
    int pushed = 0, down = 0;
    for (int frame = 1; frame <= 10; ++frame) {
        snapshot();
        if (Plix_keyPushed(KEY_Z)) {
            ++pushed;
            EXPECT_EQ(frame, 1);
        }
        if (Plix_keyDown(KEY_Z)) ++down;
    }
    EXPECT_EQ(pushed, 1);
    EXPECT_EQ(down, 10);

    setKey(KEY_Z, false);
    snapshot();
    EXPECT_FALSE(Plix_keyDown(KEY_Z));
    EXPECT_FALSE(Plix_keyPushed(KEY_Z));
    // A new press after a release is a new push.
    setKey(KEY_Z, true);
    snapshot();
    EXPECT_TRUE(Plix_keyPushed(KEY_Z));
}

TEST_F(InputTest, AnswersComeFromTheSnapshotNotTheLiveKeyboard) {
    setKey(KEY_X, true);
    EXPECT_FALSE(Plix_keyDown(KEY_X)) << "seen before any snapshot took it";
    snapshot();
    setKey(KEY_X, false);
    EXPECT_TRUE(Plix_keyDown(KEY_X));
    EXPECT_TRUE(Plix_keyPushed(KEY_X));
    snapshot();
    EXPECT_FALSE(Plix_keyDown(KEY_X));

    // Pressed and released between two snapshots: never seen.
    setKey(KEY_Z, true);
    setKey(KEY_Z, false);
    snapshot();
    EXPECT_FALSE(Plix_keyDown(KEY_Z));
    EXPECT_FALSE(Plix_keyPushed(KEY_Z));
}

TEST_F(InputTest, KeyCodesOutsideTheTableAreNeverHeld) {
    setKey(0, true);
    setKey(KEY_LAST, true);
    snapshot();
    EXPECT_TRUE(Plix_keyDown(0));
    EXPECT_TRUE(Plix_keyDown(KEY_LAST));
    EXPECT_TRUE(Plix_keyPushed(KEY_LAST));
    for (int key : {-1, KEY_LAST + 1, 1000, -100000}) {
        EXPECT_FALSE(Plix_keyDown(key)) << key;
        EXPECT_FALSE(Plix_keyPushed(key)) << key;
    }
}

TEST_F(InputTest, WithoutAJoystickEveryJoystickQuestionIsFalse) {
    ASSERT_EQ(plixMedia.joystick, nullptr) << "the test machine has no joystick";
    EXPECT_EQ(plixMedia.joyButtonCount, 0);
    snapshot();
    EXPECT_EQ(plixMedia.joyAxisNow[0], 0);
    EXPECT_EQ(plixMedia.joyAxisNow[1], 0);
    for (int i = -1; i <= 4; ++i) {
        EXPECT_FALSE(Plix_joyDown(i));
        EXPECT_FALSE(Plix_joyPushed(i));
        EXPECT_FALSE(Plix_joyButtonDown(i));
        EXPECT_FALSE(Plix_joyButtonPushed(i));
    }
    // Even a stick position left in the snapshot means nothing without an open joystick.
    FakeStick::axes(0, 0, -32768, -32768);
    EXPECT_FALSE(Plix_joyDown(JOY_LEFT));
    EXPECT_FALSE(Plix_joyPushed(JOY_UP));
    FakeStick::axes(0, 0, 0, 0);
}

TEST_F(InputTest, StickThresholdIsStrictInAllFourDirections) {
    FakeStick stick;
    FakeStick::axes(0, 0, 0, -JOY_AXIS_THRESHOLD);
    EXPECT_FALSE(Plix_joyDown(JOY_UP));
    FakeStick::axes(0, 0, 0, -JOY_AXIS_THRESHOLD - 1);
    EXPECT_TRUE(Plix_joyDown(JOY_UP));
    EXPECT_FALSE(Plix_joyDown(JOY_DOWN));
    FakeStick::axes(0, 0, 0, JOY_AXIS_THRESHOLD);
    EXPECT_FALSE(Plix_joyDown(JOY_DOWN));
    FakeStick::axes(0, 0, 0, JOY_AXIS_THRESHOLD + 1);
    EXPECT_TRUE(Plix_joyDown(JOY_DOWN));
    FakeStick::axes(0, 0, JOY_AXIS_THRESHOLD, 0);
    EXPECT_FALSE(Plix_joyDown(JOY_RIGHT));
    FakeStick::axes(0, 0, JOY_AXIS_THRESHOLD + 1, 0);
    EXPECT_TRUE(Plix_joyDown(JOY_RIGHT));
    EXPECT_FALSE(Plix_joyDown(JOY_LEFT));
    FakeStick::axes(0, 0, -JOY_AXIS_THRESHOLD - 1, 0);
    EXPECT_TRUE(Plix_joyDown(JOY_LEFT));
    // A diagonal holds one horizontal and one vertical direction.
    FakeStick::axes(0, 0, -32768, 32767);
    EXPECT_TRUE(Plix_joyDown(JOY_LEFT));
    EXPECT_TRUE(Plix_joyDown(JOY_DOWN));
    EXPECT_FALSE(Plix_joyDown(JOY_RIGHT));
    EXPECT_FALSE(Plix_joyDown(JOY_UP));
    EXPECT_FALSE(Plix_joyDown(4));
    EXPECT_FALSE(Plix_joyDown(-1));
    EXPECT_FALSE(Plix_joyPushed(-1));
    EXPECT_FALSE(Plix_joyPushed(4));
}

TEST_F(InputTest, StickPushComparesTheSameAxisInTheLastTwoSnapshots) {
    FakeStick stick;
    FakeStick::axes(0, 0, -32768, 0);
    EXPECT_TRUE(Plix_joyPushed(JOY_LEFT));
    // From far left to far right in one frame: right is pushed, left is no longer held.
    FakeStick::axes(-32768, 0, 32767, 0);
    EXPECT_TRUE(Plix_joyPushed(JOY_RIGHT));
    EXPECT_FALSE(Plix_joyDown(JOY_LEFT));
    EXPECT_FALSE(Plix_joyPushed(JOY_LEFT));
    // Still held: not pushed again. The vertical axis moving does not make a horizontal push.
    FakeStick::axes(32767, 0, 32767, -32768);
    EXPECT_FALSE(Plix_joyPushed(JOY_RIGHT));
    EXPECT_TRUE(Plix_joyPushed(JOY_UP));
}

TEST_F(InputTest, ButtonIndexMustBeBelowTheButtonCount) {
    FakeStick stick;
    plixMedia.joyButtonNow = {true, true};
    plixMedia.joyButtonBefore = {false, true};
    EXPECT_TRUE(Plix_joyButtonDown(0));
    EXPECT_TRUE(Plix_joyButtonPushed(0));
    EXPECT_TRUE(Plix_joyButtonDown(1));
    EXPECT_FALSE(Plix_joyButtonPushed(1));
    EXPECT_FALSE(Plix_joyButtonDown(2));
    EXPECT_FALSE(Plix_joyButtonPushed(2));
    EXPECT_FALSE(Plix_joyButtonDown(-1));
    EXPECT_FALSE(Plix_joyButtonPushed(-1));
}

} // namespace
