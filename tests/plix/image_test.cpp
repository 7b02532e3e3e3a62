// Image registry and drawing: keys, missing and damaged files, colour-key rules, source rectangles, fills.
#include "MediaFiles.h"
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using mediafiles::Rgb;
using mediafiles::screenIs;

namespace {

using mediafiles::messageOf;

constexpr Rgb MAGENTA{255, 0, 255};
constexpr Rgb GREEN{0, 255, 0};
constexpr Rgb RED{255, 0, 0};
constexpr Rgb BLUE{0, 0, 255};
constexpr Rgb BLACK{0, 0, 0};

class ImageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static bool started = false;
        if (!started) {
            ASSERT_FALSE(mediafiles::enterScratchDir(testsupport::makeTempDir("image")).empty());
            Plix_init("image", 320, 480, false);
            // Magenta in the top-left corner and the left half, green on the right.
            ASSERT_TRUE(mediafiles::writeBmp("magenta.bmp", 6, 4, [](int x, int) { return x < 3 ? MAGENTA : GREEN; }));
            // All black but the last pixel.
            ASSERT_TRUE(mediafiles::writeBmp("black.bmp", 4, 4, [](int x, int y) { return x == 3 && y == 3 ? RED : BLACK; }));
            // Red left half, blue right half, 16 x 8.
            ASSERT_TRUE(mediafiles::writeBmp("halves.bmp", 16, 8, [](int x, int) { return x < 8 ? RED : BLUE; }));
            ASSERT_TRUE(mediafiles::writeBmp("wide.bmp", 30, 2, GREEN));
            ASSERT_TRUE(mediafiles::writeText("garbage.bmp", "BM this is not a bitmap at all"));
            started = true;
        }
        Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
    }
};

TEST_F(ImageTest, SecondLoadOfAKeyFailsAndKeepsTheFirstImage) {
    Plix_loadBMP("dup", "halves.bmp", -2, 0, 0);
    EXPECT_EQ(messageOf([] { Plix_loadBMP("dup", "wide.bmp", -2, 0, 0); }), "Plix_loadBMP: Has exist key: dup");
    ASSERT_EQ(plixMedia.images.count("dup"), 1u);
    EXPECT_EQ(plixMedia.images.find("dup")->second->w, 16);
    // Keys are exact: case makes a different key.
    EXPECT_NO_THROW(Plix_loadBMP("Dup", "wide.bmp", -2, 0, 0));
}

TEST_F(ImageTest, MissingOrDamagedFileFailsWithSdlsReasonAndRegistersNothing) {
    std::string missing = messageOf([] { Plix_loadBMP("missing", "no-such-file.bmp", -2, 0, 0); });
    EXPECT_EQ(missing, std::string("Plix_loadBMP: ") + SDL_GetError());
    EXPECT_NE(missing.find("no-such-file.bmp"), std::string::npos) << missing;
    EXPECT_EQ(plixMedia.images.count("missing"), 0u);

    std::string damaged = messageOf([] { Plix_loadBMP("damaged", "garbage.bmp", -1, 0, 0); });
    EXPECT_EQ(damaged, std::string("Plix_loadBMP: ") + SDL_GetError());
    EXPECT_GT(damaged.size(), std::string("Plix_loadBMP: ").size());
    EXPECT_EQ(plixMedia.images.count("damaged"), 0u);
}

TEST_F(ImageTest, DrawOfAnUnregisteredKeyFails) {
    EXPECT_EQ(messageOf([] { Plix_draw("nobody", 0, 0, 0, 0, 0, 0); }), "Plix_draw: Has exist key: nobody");
}

TEST_F(ImageTest, ColourKeyRules) {
    // -1: the top-left pixel's colour is transparent.
    Plix_loadBMP("corner", "magenta.bmp", -1, 0, 0);
    Plix_draw("corner", 10, 10, 0, 0, 0, 0);
    EXPECT_TRUE(screenIs(10, 10, 32, 32, 32));
    EXPECT_TRUE(screenIs(12, 13, 32, 32, 32));
    EXPECT_TRUE(screenIs(13, 10, 0, 255, 0));

    // A given colour: that one is transparent, with green and blue taken into account.
    Plix_loadBMP("blueKey", "halves.bmp", 0, 0, 255);
    Plix_loadBMP("notQuiteBlue", "halves.bmp", 0, 0, 254);
    Plix_draw("blueKey", 20, 20, 0, 0, 0, 0);
    Plix_draw("notQuiteBlue", 20, 40, 0, 0, 0, 0);
    EXPECT_TRUE(screenIs(20, 20, 255, 0, 0));
    EXPECT_TRUE(screenIs(28, 20, 32, 32, 32));
    EXPECT_TRUE(screenIs(28, 40, 0, 0, 255));

    // -2 and below: opaque, black included; 0 with the rest 0 makes black transparent.
    Plix_loadBMP("opaque", "black.bmp", -2, 0, 0);
    Plix_loadBMP("veryOpaque", "black.bmp", -7, 0, 0);
    Plix_loadBMP("blackKey", "black.bmp", 0, 0, 0);
    Plix_draw("opaque", 50, 50, 0, 0, 0, 0);
    Plix_draw("veryOpaque", 60, 50, 0, 0, 0, 0);
    Plix_draw("blackKey", 70, 50, 0, 0, 0, 0);
    EXPECT_TRUE(screenIs(50, 50, 0, 0, 0));
    EXPECT_TRUE(screenIs(60, 50, 0, 0, 0));
    EXPECT_TRUE(screenIs(70, 50, 32, 32, 32));
    EXPECT_TRUE(screenIs(73, 53, 255, 0, 0));
}

TEST_F(ImageTest, SourceRectangleNeedsBothSizesNonZero) {
    Plix_loadBMP("halves", "halves.bmp", -2, 0, 0);
    // srcW 8 with srcH 0 still draws the whole image.
    Plix_draw("halves", 0, 0, 0, 0, 8, 0);
    EXPECT_TRUE(screenIs(15, 7, 0, 0, 255));
    // Both given: only the right half, at the destination's corner.
    Plix_draw("halves", 100, 0, 8, 0, 8, 8);
    EXPECT_TRUE(screenIs(100, 0, 0, 0, 255));
    EXPECT_TRUE(screenIs(107, 7, 0, 0, 255));
    EXPECT_TRUE(screenIs(108, 0, 32, 32, 32));
    EXPECT_TRUE(screenIs(100, 8, 32, 32, 32));
    // A negative x shows the visible right-hand part.
    Plix_draw("halves", -8, 100, 0, 0, 0, 0);
    EXPECT_TRUE(screenIs(0, 100, 0, 0, 255));
    EXPECT_TRUE(screenIs(7, 107, 0, 0, 255));
    EXPECT_TRUE(screenIs(8, 100, 32, 32, 32));
    // Off the screen entirely is not an error.
    EXPECT_NO_THROW(Plix_draw("halves", 5000, -5000, 0, 0, 0, 0));
}

TEST_F(ImageTest, FillWithZeroSizeCoversToTheFarEdgesOnlyWhenBothAreZero) {
    Plix_fillRect(0, 0, 0, 0, 255, 0, 0);
    EXPECT_TRUE(screenIs(0, 0, 255, 0, 0));
    EXPECT_TRUE(screenIs(319, 479, 255, 0, 0));

    Plix_fillRect(100, 50, 0, 0, 0, 0, 255);
    EXPECT_TRUE(screenIs(100, 50, 0, 0, 255));
    EXPECT_TRUE(screenIs(319, 479, 0, 0, 255));
    EXPECT_TRUE(screenIs(99, 50, 255, 0, 0));
    EXPECT_TRUE(screenIs(100, 49, 255, 0, 0));

    Plix_fillRect(10, 10, 0, 5, 0, 255, 0);
    Plix_fillRect(10, 10, 5, 0, 0, 255, 0);
    EXPECT_TRUE(screenIs(10, 10, 255, 0, 0));

    // Clipped at the screen's edge, and coordinates cut to SDL's 16-bit rectangle fields.
    Plix_fillRect(-5, -5, 10, 10, 0, 255, 0);
    EXPECT_TRUE(screenIs(4, 4, 0, 255, 0));
    EXPECT_TRUE(screenIs(5, 5, 255, 0, 0));
    Plix_fillRect(65536 + 20, 30, 4, 4, 0, 255, 0);
    EXPECT_TRUE(screenIs(20, 30, 0, 255, 0));
    EXPECT_TRUE(screenIs(24, 30, 255, 0, 0));
}

} // namespace
