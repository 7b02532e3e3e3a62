// Bitmap font: which files become glyphs under which codes, and how the pen moves when drawing.
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/MediaFiles.h"
#include "support/TestSupport.h"

#include <fstream>

#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using testsupport::letters;

namespace {

TEST(FontTest, FilesEndingInLowerCaseBmpBecomeGlyphsAndThePenSkipsWhatHasNone) {
    ASSERT_EQ(chdir(testsupport::scratchDir("font").c_str()), 0);
    ASSERT_EQ(mkdir("resource", 0755), 0);
    ASSERT_EQ(mkdir("resource/font", 0755), 0);
    // Byte 200 and what it becomes as a signed char both have glyphs, yet may never be drawn.
    // Each glyph 12 rows of this row; A is 10 wide, its last column black and so transparent.
    const std::tuple<const char*, std::string> files[] = {{"66.bmp", "RRRRRRRRRR"},
                                                          {"+67.bmp", "BBBBBB"},
                                                          {"32.bmp", std::string(20, 'W')},
                                                          {"200.bmp", "GGGGGGGGG"},
                                                          {"-56.bmp", "GGGGGGGGG"},
                                                          {"x.bmp", "GGG"},
                                                          {"65.BMP", std::string(30, 'G')},
                                                          {"69.txt", "GGG"},
                                                          {"70.bmpx", "GGG"},
                                                          {"71bmp", "GGG"},
                                                          {"65.bmp", "WWWWWWWWWK"}};
    for (const auto& [name, row] : files) {
        mediafiles::Bmp glyph;
        glyph.rows.assign(12, row);
        std::ofstream(std::string("resource/font/") + name, std::ios::binary) << glyph.bytes();
    }
    Plix_init("font", 320, 480, false);
    std::set<int> codes;
    for (const auto& entry : plixMedia.glyphs)
        codes.insert(entry.first);
    EXPECT_EQ(codes, (std::set<int>{-56, 0, 32, 65, 66, 67, 200}));
    EXPECT_EQ(plixMedia.glyphs.at(65)->w, 10) << "65.BMP must not replace 65.bmp";

    auto run = [](char letter, int n) { return std::string(n, letter); };
    const std::tuple<const char*, int, std::string> texts[] = {
        // A space moves the pen 12 and is never drawn, though a glyph file for it exists.
        {"A B", 255, run('W', 9) + run('.', 13) + run('R', 10) + run('.', 8)},
        // Bytes 200, 255 and 128 take no room.
        {"A\310\377\200B", 255, run('W', 9) + run('.', 1) + run('R', 10) + run('.', 20)},
        // No glyphs for lower case and newline: the text after them moves left.
        {"abA\nC", 255, run('W', 9) + run('.', 1) + run('B', 6) + run('.', 24)},
        // The alpha is set for every blit, not kept from the call before.
        {"A", 0, run('.', 40)},
        {"A", 255, run('W', 9) + run('.', 31)},
        {"A", 128, run('?', 9) + run('.', 31)},
    };
    for (const auto& [text, alpha, expected] : texts) {
        Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
        Plix_drawText(text, 20, 30, alpha);
        EXPECT_EQ(letters(20, 30, 40), expected) << text << " at alpha " << alpha;
        EXPECT_EQ(letters(20, 41, 40), expected) << "the glyphs' last row";
    }
}

} // namespace
