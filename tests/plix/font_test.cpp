// Bitmap font: which files become glyphs under which codes, and the pen's layout rules when drawing.
#include "MediaFiles.h"
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <set>

using mediafiles::Rgb;
using mediafiles::screenIs;
using mediafiles::writeBmp;

namespace {

constexpr Rgb WHITE{255, 255, 255};
constexpr Rgb BLACK{0, 0, 0};
constexpr Rgb RED{255, 0, 0};
constexpr Rgb GREEN{0, 255, 0};
constexpr Rgb BLUE{0, 0, 255};
constexpr int X = 20;
constexpr int Y = 30;

class FontTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static bool started = false;
        if (!started) {
            std::string dir = testsupport::makeTempDir("font");
            ASSERT_FALSE(mediafiles::enterScratchDir(dir).empty());
            ASSERT_TRUE(mediafiles::makeDirs("resource", {"font"}));
            const std::string f = "resource/font/";
            // A: white, 10 wide, its last column black and so transparent.
            ASSERT_TRUE(writeBmp(f + "65.bmp", 10, 12, [](int x, int) { return x < 9 ? WHITE : BLACK; }));
            ASSERT_TRUE(writeBmp(f + "66.bmp", 10, 12, RED));
            ASSERT_TRUE(writeBmp(f + "65.BMP", 30, 12, GREEN));
            ASSERT_TRUE(writeBmp(f + "32.bmp", 20, 12, WHITE));
            ASSERT_TRUE(writeBmp(f + "+67.bmp", 6, 12, BLUE));
            ASSERT_TRUE(writeBmp(f + "200.bmp", 9, 12, GREEN));
            ASSERT_TRUE(writeBmp(f + "-56.bmp", 9, 12, GREEN)); // what byte 200 is as a signed char
            ASSERT_TRUE(writeBmp(f + "x.bmp", 3, 3, GREEN));
            ASSERT_TRUE(writeBmp(f + "68.bmpx", 5, 5, GREEN));
            ASSERT_TRUE(mediafiles::writeText(f + "readme.txt", "not a glyph"));
            ASSERT_TRUE(mediafiles::writeText(f + "bmp", "no extension"));
            Plix_init("font", 320, 480, false);
            started = true;
        }
        Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
    }
};

TEST_F(FontTest, OnlyLowerCaseBmpFilesLoadUnderTheirLeadingNumber) {
    std::set<int> codes;
    for (const auto& entry : plixMedia.glyphs) codes.insert(entry.first);
    EXPECT_EQ(codes, (std::set<int>{-56, 0, 32, 65, 66, 67, 200}));
    EXPECT_EQ(plixMedia.glyphs.at(65)->w, 10) << "65.BMP must not replace 65.bmp";
    EXPECT_EQ(plixMedia.glyphs.at(67)->w, 6);
    EXPECT_NE(plixMedia.glyphs.at(65)->flags & SDL_SRCCOLORKEY, 0u);
}

TEST_F(FontTest, GlyphsAdvanceByTheirWidthAndSpaceByTwelveWithoutDrawing) {
    Plix_drawText("A B", X, Y, 255);
    EXPECT_TRUE(screenIs(X, Y, 255, 255, 255));
    EXPECT_TRUE(screenIs(X + 8, Y + 11, 255, 255, 255));
    EXPECT_TRUE(screenIs(X + 9, Y, 32, 32, 32)) << "black is transparent in glyphs";
    // The 32.bmp glyph exists but a space is never drawn.
    for (int x = X + 10; x < X + 22; ++x) EXPECT_TRUE(screenIs(x, Y + 5, 32, 32, 32)) << x;
    EXPECT_TRUE(screenIs(X + 22, Y, 255, 0, 0));
    EXPECT_TRUE(screenIs(X + 31, Y + 11, 255, 0, 0));
    EXPECT_TRUE(screenIs(X + 32, Y, 32, 32, 32));
    EXPECT_TRUE(screenIs(X, Y + 12, 32, 32, 32));
}

TEST_F(FontTest, HighBytesAndMissingGlyphsTakeNoRoom) {
    // Glyphs exist for 200 and for -56, yet byte 200 is skipped.
    Plix_drawText("A\xC8\xFF\x80" "B", X, Y, 255);
    EXPECT_TRUE(screenIs(X + 10, Y, 255, 0, 0));
    EXPECT_TRUE(screenIs(X + 19, Y, 255, 0, 0));
    EXPECT_TRUE(screenIs(X + 20, Y, 32, 32, 32));

    // Lower case has no glyphs here: the text after it moves left. No line break either.
    Plix_drawText("abA\nC", X, Y + 50, 255);
    EXPECT_TRUE(screenIs(X, Y + 50, 255, 255, 255));
    EXPECT_TRUE(screenIs(X + 10, Y + 50, 0, 0, 255));
    EXPECT_TRUE(screenIs(X + 16, Y + 50, 32, 32, 32));
    EXPECT_TRUE(screenIs(X, Y + 62, 32, 32, 32));
}

TEST_F(FontTest, AlphaIsSetAfreshForEveryBlit) {
    Plix_drawText("A", X, Y, 0);
    EXPECT_TRUE(screenIs(X, Y, 32, 32, 32));
    Plix_drawText("A", X, Y, 255);
    EXPECT_TRUE(screenIs(X, Y, 255, 255, 255));
    Plix_drawText("A", X + 50, Y, 128);
    Uint32 half = mediafiles::screenPixel(X + 50, Y);
    EXPECT_NE(half, mediafiles::screenColour(32, 32, 32));
    EXPECT_NE(half, mediafiles::screenColour(255, 255, 255));
    // Beyond the edges: clipped, not an error.
    EXPECT_NO_THROW(Plix_drawText("ABABABABABABABABABABABABABABABABABABAB", 300, 470, 255));
    EXPECT_NO_THROW(Plix_drawText("AB", -5000, -5000, 255));
}

} // namespace
