// The media calls made in every frame of play allocate nothing from the C++ heap, traced or not.
#include "flow/Resources.h"
#include "plix/Plix.h"
#include "sim/SimAllocations.h"
#include "support/TestSupport.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {

uint64_t allocationsOverTenFrames() {
    uint64_t before = simNewCalls();
    for (int frame = 0; frame < 10; ++frame) {
        Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
        Plix_drawText("SCORE : 123456", 10, 20, 200);
        Plix_playWAV(SOUND_DESTROY, 0);
        Plix_draw(TITLE_PICTURE, 30, 60, 0, 0, 0, 0);
        Plix_traceMark("scene", 1);
        Plix_flip();
        Plix_update(0);
        // A key going down and up keeps the snapshot busy.
        testsupport::setKey(PLIX_KEY_Z, frame % 2 == 0);
    }
    return simNewCalls() - before;
}

TEST(NoAllocTest, FrameCallsDoNotAllocateWithTheTraceOffOnOrWritingText) {
    testsupport::initMedia();
    // The first blit of a glyph may set up SDL's own maps.
    Plix_drawText("SCORE : 0", 10, 20, 255);
    EXPECT_EQ(allocationsOverTenFrames(), 0u) << "no trace";
    Plix_traceStart(nullptr);
    EXPECT_EQ(allocationsOverTenFrames(), 0u) << "hash only";
    std::FILE* text = std::tmpfile();
    ASSERT_NE(text, nullptr);
    Plix_traceStart(text);
    EXPECT_EQ(allocationsOverTenFrames(), 0u) << "hash and text";
    Plix_traceStop();
    std::fclose(text);
}

} // namespace
