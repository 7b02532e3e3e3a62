// A glyph file that cannot be loaded stops start-up with "loadFont: " and SDL's reason, after the log was emptied.
#include "MediaFiles.h"
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(FontErrorTest, DamagedGlyphFailsStartUpIntoAFreshLog) {
    ASSERT_FALSE(mediafiles::enterScratchDir(testsupport::makeTempDir("fonterror")).empty());
    ASSERT_TRUE(mediafiles::makeDirs("resource", {"font"}));
    ASSERT_TRUE(mediafiles::writeBmp("resource/font/66.bmp", 4, 4, mediafiles::Rgb{9, 9, 9}));
    ASSERT_TRUE(mediafiles::writeText("resource/font/65.bmp", "BM damaged"));
    ASSERT_TRUE(mediafiles::writeText("run.log", "line of an earlier run\n"));
    std::string message = "(nothing thrown)";
    try {
        Plix_init("fonterror", 320, 480, false);
    } catch (const PlixError& e) {
        message = e.what();
    }
    EXPECT_EQ(message, std::string("loadFont: ") + SDL_GetError());
    EXPECT_GT(message.size(), std::string("loadFont: ").size());
    EXPECT_FALSE(plixMedia.initialized);
    EXPECT_EQ(testsupport::readFile("run.log"), "");
    Plix_quit();
}

} // namespace
