// Bitmap font: which files become glyphs under which codes, and how the pen moves when drawing.
#include "MediaFiles.h"
#include "plix/Plix.h"

#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using mediafiles::Rgb;

namespace {

TEST(FontTest, FilesEndingInLowerCaseBmpBecomeGlyphsAndThePenSkipsWhatHasNone) {
    ASSERT_EQ(chdir(mediafiles::scratchDir("font").c_str()), 0);
    ASSERT_EQ(mkdir("resource", 0755), 0);
    ASSERT_EQ(mkdir("resource/font", 0755), 0);
    const Rgb white{255, 255, 255}, red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255};
    // Byte 200 and what it becomes as a signed char both have glyphs, yet may never be drawn.
    const std::tuple<const char*, int, Rgb> files[] = {
        {"66.bmp", 10, red},    {"+67.bmp", 6, blue}, {"32.bmp", 20, white}, {"200.bmp", 9, green},
        {"-56.bmp", 9, green},  {"x.bmp", 3, green},  {"65.BMP", 30, green}, {"69.txt", 30, green},
        {"70.bmpx", 30, green}, {"71bmp", 30, green},
    };
    for (const auto& [name, width, colour] : files)
        ASSERT_TRUE(mediafiles::writeBmp(std::string("resource/font/") + name, width, 12, colour, 0,
                                         colour));
    // A is 10 wide, its last column black and so transparent.
    ASSERT_TRUE(mediafiles::writeBmp("resource/font/65.bmp", 10, 12, white, 9, Rgb{0, 0, 0}));
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
        EXPECT_EQ(mediafiles::row(20, 30, 40), expected) << text << " at alpha " << alpha;
        EXPECT_EQ(mediafiles::row(20, 41, 40), expected) << "the glyphs' last row";
    }
}

} // namespace
