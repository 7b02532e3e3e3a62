// Scene machine: a z push leaves the title for a game in the frame that sees it; held z does not.
#include "flow/GameMain.h"
#include "flow/Scene.h"
#include "objects/World.h"
#include "plix/PlixKeys.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// One frame as the loop runs it: the snapshot of the frame before, then the scene step.
void frame(std::initializer_list<int> held) {
    releaseAllKeys();
    for (int key : held)
        setKey(key, true);
    snapshot();
    sceneStep();
}

TEST(SceneTest, ZPushLeavesTheTitleInTheFrameThatSeesItAndHeldZDoesNot) {
    initMedia();
    frame({});
    EXPECT_EQ(scene, SCENE_TITLE);
    // The title's own step still runs in the leaving frame: up held with z changes the level too.
    frame({PLIX_KEY_Z, PLIX_KEY_UP});
    EXPECT_EQ(scene, SCENE_GAME);
    EXPECT_EQ(level, 1);
    ASSERT_NE(gameMain, nullptr);
    EXPECT_EQ(gameMain->state, GM_START) << "the game's first frame is the next";
    frame({PLIX_KEY_Z});
    EXPECT_EQ(gameMain->state, GM_PLAY);

    // Back on the title with z still held from the game: no push, so no new game.
    scene = SCENE_TITLE;
    for (int f = 0; f < 5; ++f)
        frame({PLIX_KEY_Z});
    EXPECT_EQ(scene, SCENE_TITLE);
}

} // namespace
