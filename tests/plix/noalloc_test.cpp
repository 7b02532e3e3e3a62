// The media calls made in every frame of play allocate nothing from the C++ heap.
#include "plix/Plix.h"
#include "support/CountingNew.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(NoAllocTest, FrameCallsDoNotAllocate) {
    testsupport::initMedia();
    testsupport::setKey(122, true);
    // The first blit of a glyph may set up SDL's own maps.
    Plix_drawText("SCORE : 0", 10, 20, 255);
    long before = allocations;
    for (int frame = 0; frame < 10; ++frame) {
        Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
        Plix_drawText("SCORE : 123456", 10, 20, 200);
        Plix_playWAV("destroy1", 0);
        Plix_draw("title", 30, 60, 0, 0, 0, 0);
        Plix_flip();
        Plix_update(0);
        EXPECT_TRUE(Plix_keyDown(122) && Plix_keyPushed(122) == (frame == 0));
    }
    EXPECT_EQ(allocations - before, 0);
}
