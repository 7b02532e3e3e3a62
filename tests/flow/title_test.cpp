// Title screen: the level keys with their wait and limits, the joystick's stand-in.
#include "flow/Input.h"
#include "flow/Title.h"
#include "objects/World.h"
#include "plix/Plix.h"
#include "support/FakeStick.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using namespace testsupport;

namespace {

// One title frame as the loop runs it: the snapshot of the frame before, then the step.
void frame(const std::vector<int>& held) {
    hold(held);
    titleStep();
}

class TitleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        initMedia();
        level = levelKeyWait = 0;
    }
};

TEST_F(TitleTest, DirectionsAddUpBeforeTheLimitsOfZeroAndFifty) {
    // Level before, keys held, level after.
    const std::tuple<int, std::vector<int>, int> cases[] = {
        {0, {PLIX_KEY_DOWN}, 0},
        {0, {PLIX_KEY_LEFT}, 0},
        {50, {PLIX_KEY_UP}, 50},
        {50, {PLIX_KEY_RIGHT}, 50},
        {48, {PLIX_KEY_RIGHT}, 50},
        {2, {PLIX_KEY_LEFT}, 0},
        {10, {PLIX_KEY_UP, PLIX_KEY_RIGHT}, 16},
        {10, {PLIX_KEY_LEFT, PLIX_KEY_DOWN}, 4},
        {10, {PLIX_KEY_UP, PLIX_KEY_DOWN}, 10},
        {0, {PLIX_KEY_DOWN, PLIX_KEY_RIGHT}, 4},
        {50, {PLIX_KEY_UP, PLIX_KEY_LEFT}, 46},
        {3, {PLIX_KEY_UP, PLIX_KEY_DOWN, PLIX_KEY_LEFT, PLIX_KEY_RIGHT}, 3},
    };
    for (const auto& [from, held, to] : cases) {
        level = from;
        levelKeyWait = 0;
        frame(held);
        EXPECT_EQ(level, to) << "from " << from << " with " << held.size() << " keys";
        EXPECT_EQ(levelKeyWait, 10) << "a refused change still starts the wait";
    }
}

TEST_F(TitleTest, ButtonsAndStickStandInForTheKeys) {
    frame({});
    FakeStick stick;
    plixMedia.joyButtonNow = {true, true};
    plixMedia.joyButtonBefore = {true, false};
    EXPECT_TRUE(inputZ() && !inputZPushed() && inputXPushed()) << "z is button 0, x button 1";
    plixMedia.joyAxisNow[0] = -32768;
    plixMedia.joyAxisNow[1] = 32767;
    level = 20;
    titleStep();
    EXPECT_EQ(level, 14) << "left and down";
    plixMedia.joyAxisNow[0] = 32767;
    plixMedia.joyAxisNow[1] = -32768;
    levelKeyWait = 0;
    titleStep();
    EXPECT_EQ(level, 20) << "right and up";
}

} // namespace
