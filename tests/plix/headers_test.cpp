// Hostile BMP and WAV headers, one broken property each, with both ends of every accepted range;
// what is taken loads as the check read it.
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/MediaFiles.h"
#include "support/SdlSpy.h"
#include "support/TestSupport.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <tuple>
#include <unistd.h>

using namespace mediafiles;
using namespace testsupport;

namespace {

class HeadersTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(chdir(testsupport::scratchDir("headers").c_str()), 0);
        Plix_init("headers", 320, 480, false);
    }
};

std::string bmpSays(const std::string& bytes) {
    PlixBmpShape shape;
    return said(bmpProblem(bytesOf(bytes), bytes.size(), shape));
}
Bmp with(void (*change)(Bmp&)) {
    Bmp b;
    change(b);
    return b;
}
const std::string HIGH = "not 1 to 1920 (or -1 to -1920 from the top down)";
const std::string DEPTH = " bits a pixel, not 1, 4, 8, 16, 24 or 32";
const std::string HEADER = " bytes, not 12, 40, 52, 56, 108 or 124";
const std::string COMPRESSION = " bits, not none (or bit fields at 16 or 32 bits)";
const std::string RGB565 = le(0xf800, 4) + le(0x7e0, 4) + le(0x1f, 4);
const std::string RGB555 = le(0x7c00, 4) + le(0x3e0, 4) + le(0x1f, 4);

TEST_F(HeadersTest, BmpHeadersAreTakenOnlyWhenEveryLoaderReadsThemAlikeAndTheBlitterCanDrawThem) {
    // clang-format off
    const std::pair<void (*)(Bmp&), std::string> cases[] = {
        {[](Bmp&) {}, TAKEN},
        {[](Bmp& b) { b.bits = 1; }, TAKEN}, {[](Bmp& b) { b.bits = 4; }, TAKEN},
        {[](Bmp& b) { b.bits = 8; }, TAKEN}, {[](Bmp& b) { b.bits = 16; }, TAKEN},
        {[](Bmp& b) { b.bits = 32; }, TAKEN}, {[](Bmp& b) { b.headerSize = 12; }, TAKEN},
        {[](Bmp& b) { b.headerSize = 12, b.bits = 8; }, TAKEN},
        {[](Bmp& b) { b.headerSize = 52; }, TAKEN}, {[](Bmp& b) { b.headerSize = 56; }, TAKEN},
        {[](Bmp& b) { b.headerSize = 108; }, TAKEN}, {[](Bmp& b) { b.headerSize = 124; }, TAKEN},
        {[](Bmp& b) { b.height = -3; }, TAKEN}, {[](Bmp& b) { b.width = 1, b.height = 1; }, TAKEN},
        {[](Bmp& b) { b.width = 2560, b.height = 1; }, TAKEN},
        {[](Bmp& b) { b.width = 1, b.height = 1920; }, TAKEN},
        {[](Bmp& b) { b.width = 1, b.height = -1920; }, TAKEN},
        {[](Bmp& b) { b.bits = 16, b.compression = 3, b.masks = RGB565; }, TAKEN},
        {[](Bmp& b) { b.bits = 16, b.compression = 3, b.masks = le(0x1f, 4) + le(0x3e0, 4) + le(0x7c00, 4); }, TAKEN},
        {[](Bmp& b) { b.bits = 32, b.compression = 3, b.masks = le(0xff, 4) + le(0xff00, 4) + le(0xff0000, 4); }, TAKEN},
        {[](Bmp& b) { b.bits = 32, b.compression = 3, b.masks = le(0xff000000, 4) + le(0xff0000, 4) + le(0xff00, 4); }, TAKEN},
        {[](Bmp& b) { b.headerSize = 56, b.bits = 16, b.compression = 3, b.masks = RGB555 + le(0, 4); }, TAKEN},
        {[](Bmp& b) { b.headerSize = 52, b.bits = 16, b.compression = 3, b.masks = RGB555; }, TAKEN},
        {[](Bmp& b) { b.bits = 8, b.colours = 256; }, TAKEN}, {[](Bmp& b) { b.bits = 4, b.colours = 16; }, TAKEN},
        {[](Bmp& b) { b.bits = 1, b.colours = 2; }, TAKEN}, {[](Bmp& b) { b.bits = 8, b.colours = 13; }, TAKEN},
        {[](Bmp& b) { b.gap = 12; }, TAKEN},
        {[](Bmp& b) { b.headerSize = 64; }, "a header of 64" + HEADER},
        {[](Bmp& b) { b.headerSize = 39; }, "a header of 39" + HEADER},
        {[](Bmp& b) { b.planes = 0; }, "0 planes, not 1"}, {[](Bmp& b) { b.planes = 2; }, "2 planes, not 1"},
        {[](Bmp& b) { b.bits = 0; }, "0" + DEPTH}, {[](Bmp& b) { b.bits = 12; }, "12" + DEPTH},
        {[](Bmp& b) { b.bits = 4097; }, "4097" + DEPTH},
        {[](Bmp& b) { b.bits = 8, b.compression = 1; }, "compression 1 at 8" + COMPRESSION},
        {[](Bmp& b) { b.compression = 3, b.masks = std::string(12, '\1'); }, "compression 3 at 24" + COMPRESSION},
        {[](Bmp& b) { b.bits = 16, b.compression = 3, b.masks = le(0xf800, 4) + le(0x1f, 4) + le(0x7e0, 4); },
         "masks 0xf800, 0x1f and 0x7e0 (alpha 0), not a layout of 16 bits SDL knows"},
        {[](Bmp& b) { b.bits = 32, b.compression = 3, b.masks = RGB565; },
         "masks 0xf800, 0x7e0 and 0x1f (alpha 0), not a layout of 32 bits SDL knows"},
        {[](Bmp& b) { b.headerSize = 56, b.bits = 16, b.compression = 3, b.masks = RGB555 + le(0x8000, 4); },
         "masks 0x7c00, 0x3e0 and 0x1f (alpha 0x8000), not a layout of 16 bits SDL knows"},
        {[](Bmp& b) { b.width = 0; }, "a width of 0, not 1 to 2560"},
        {[](Bmp& b) { b.width = 2561, b.height = 1; }, "a width of 2561, not 1 to 2560"},
        {[](Bmp& b) { b.width = -5; }, "a width of -5, not 1 to 2560"},
        {[](Bmp& b) { b.height = 0; }, "a height of 0, " + HIGH},
        {[](Bmp& b) { b.width = 1, b.height = 1921; }, "a height of 1921, " + HIGH},
        {[](Bmp& b) { b.width = 1, b.height = -1921; }, "a height of -1921, " + HIGH},
        {[](Bmp& b) { b.height = INT_MIN; }, "a height of -2147483648, " + HIGH},
        {[](Bmp& b) { b.bits = 8, b.colours = 257; }, "257 colours, more than 8 bits can tell apart"},
        {[](Bmp& b) { b.bits = 4, b.colours = 17; }, "17 colours, more than 4 bits can tell apart"},
        {[](Bmp& b) { b.bits = 1, b.colours = 3; }, "3 colours, more than 1 bits can tell apart"},
        {[](Bmp& b) { b.bits = 8, b.colours = 0x7fffffff, b.paletteEntries = 256; },
         "2147483647 colours, more than 8 bits can tell apart"},
        {[](Bmp& b) { b.bits = 8, b.colours = 12; }, "a pixel of colour 12, past the 12 of the palette"},
        {[](Bmp& b) { b.bits = 8, b.headerSize = 108; }, "a palette after a header of 108 bytes"},
        {[](Bmp& b) { b.pixelOffset = 20; }, "the pixels start at byte 20, inside the 54 bytes of header and palette"},
        {[](Bmp& b) { b.bits = 8, b.pixelOffset = 54 + 1023; },
         "the pixels start at byte 1077, inside the 1078 bytes of header and palette"},
        {[](Bmp& b) { b.bits = 32, b.compression = 3; },
         "the pixels start at byte 54, inside the 66 bytes of header and palette"},
        {[](Bmp& b) { b.bits = 32, b.gap = 12; }, "12 bytes between the header and the pixels of a 32-bit picture"},
        {[](Bmp& b) { b.bits = 16, b.gap = 2; }, "2 bytes between the header and the pixels of a 16-bit picture"},
        {[](Bmp& b) { b.cutPixels = 1; }, "the pixels run past the end of the file"},
        {[](Bmp& b) { b.pixelOffset = 0xfffffff0; }, "the pixels run past the end of the file"},
    };
    // clang-format on
    for (const auto& [change, why] : cases)
        EXPECT_EQ(bmpSays(with(change).bytes()), why);
    std::string notBm = Bmp{}.bytes();
    EXPECT_EQ(bmpSays(notBm.replace(1, 1, "A")), "not a BMP file");
    EXPECT_EQ(bmpSays(Bmp{}.bytes().substr(0, 14 + 39)), "the header is cut short");
    // Cut anywhere inside its headers, a picture is refused without reading past the cut.
    const std::string whole = with([](Bmp& b) { b.bits = 8; }).bytes();
    for (size_t n = 0; n < 1078; ++n)
        EXPECT_NE(bmpSays(whole.substr(0, n)), TAKEN) << n << " bytes";
}

// Every picture the check takes loads as the header promised, and draws; what it refuses never
// reaches SDL, nor what SDL makes other than promised, and the message names the file.
TEST_F(HeadersTest, TakenPicturesLoadAsPromisedAndRefusedOnesNameTheirFile) {
    const Bmp taken[] = {Bmp{},
                         with([](Bmp& b) { b.bits = 1, b.width = 9; }),
                         with([](Bmp& b) { b.bits = 4; }),
                         with([](Bmp& b) { b.bits = 8; }),
                         with([](Bmp& b) { b.bits = 16, b.height = -3; }),
                         with([](Bmp& b) { b.bits = 32, b.headerSize = 124; }),
                         with([](Bmp& b) { b.headerSize = 12, b.bits = 8; })};
    for (const Bmp& b : taken) {
        std::ofstream("taken.bmp", std::ios::binary) << b.bytes();
        const std::string key = std::to_string(b.bits) + " " + std::to_string(b.headerSize);
        EXPECT_EQ(messageOf([&] { Plix_loadBMP(key, "taken.bmp", -2, 0, 0); }), "(nothing thrown)");
        SDL_Surface* s = plixMedia.images.at(key);
        EXPECT_TRUE(s->w == b.width && s->h == std::abs(b.height)) << key;
        EXPECT_EQ(s->format->BytesPerPixel, b.bits <= 8 ? 1 : b.bits / 8) << key;
        Plix_draw(key.c_str(), 0, 0, 0, 0, 0, 0);
    }
    std::ofstream("wide.bmp", std::ios::binary) << with([](Bmp& b) { b.bits = 4097; }).bytes();
    EXPECT_EQ(messageOf([] { Plix_loadBMP("w", "wide.bmp", -2, 0, 0); }),
              "Plix_loadBMP: 4097" + DEPTH + ": wide.bmp");
    // SDL's own loader handing back another picture than the header promised (5 x 3, 24 bits).
    std::ofstream("promise.bmp", std::ios::binary) << Bmp{}.bytes();
    const std::tuple<int, int, int, const char*> made[] = {{5, 4, 24, "5 x 4 picture of 3"},
                                                           {6, 3, 24, "6 x 3 picture of 3"},
                                                           {5, 3, 32, "5 x 3 picture of 4"},
                                                           {5, 3, 8, "5 x 3 picture of 1"}};
    for (const auto& [w, h, bits, picture] : made) {
        sdlspy::nextBmp = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, bits, 0, 0, 0, 0);
        EXPECT_EQ(messageOf([] { Plix_loadBMP("p", "promise.bmp", -2, 0, 0); }),
                  std::string("Plix_loadBMP: SDL made a ") + picture +
                      " bytes a pixel, not the 5 x 3 of 3 the header promised: promise.bmp");
    }
    EXPECT_EQ(plixMedia.images.count("w") + plixMedia.images.count("p"), 0u);
}

TEST_F(HeadersTest, WaveFilesAreTakenOnlyWhereSdlOneAndTwoReadTheSameFormatAndData) {
    const std::string good = fmt(1, 1, 22050, 16), data = samples(), odd = "a chunk of odd length";
    const std::string rates = " Hz, not 4000 to 192000", cut = "the fmt chunk is cut short";
    std::string shortRiff = riff(good + data);
    shortRiff[4] = char(shortRiff[4] - 1);
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {riff(good + data), TAKEN}, {riff(fmt(1, 2, 4000, 8) + data), TAKEN},
        {riff(fmt(1, 1, 192000, 16) + data), TAKEN},
        {riff(chunk("LIST", "abcd") + chunk("fact", "1234") + good + data), TAKEN},
        {riff(good + chunk("junk", "ab") + data), TAKEN}, {riff(good + fmt(1, 2, 8000, 8) + data), TAKEN},
        {riff(fmt(1, 1, 8000, 8) + chunk("data", "abc") + chunk("LIST", "xyz")), TAKEN},
        {riff(chunk("fmt ", good.substr(8) + "\0\0", true) + data), TAKEN},
        {riff(good + chunk("data", "ab")), TAKEN},
        {"RIFX" + riff(good + data).substr(4), "not a RIFF WAVE file"},
        {"RIFFWAVEWAVE" + good + data, "not a RIFF WAVE file"}, {"RIFF\4\0\0\0WAV", "not a RIFF WAVE file"},
        {riff(chunk("LIST", "abc") + good + data), odd + " (3 bytes) before the data"},
        {riff(good + chunk("junk", "abc") + data), odd + " (3 bytes) before the data"},
        {riff(chunk("LIST", "abc", false) + good + data), odd + " (3 bytes) before the data"},
        {riff(chunk("LIST", "") + good + data), "an empty chunk up to the data"},
        {riff(good + chunk("data", "")), "an empty chunk up to the data"},
        {riff(good + chunk("data", "a")), "the data chunk holds no whole sample frame"},
        {riff(chunk("junk", "ab") + good + data), "a chunk other than LIST or fact before the fmt chunk"},
        {riff(fmt(0x11, 1, 22050, 4, 256) + data), "format 17, not PCM"},
        {riff(fmt(1, 0, 22050, 16, 2) + data), "0 channels, not 1 or 2"},
        {riff(fmt(1, 3, 22050, 16) + data), "3 channels, not 1 or 2"},
        {riff(fmt(1, 257, 22050, 16, 2) + data), "257 channels, not 1 or 2"},
        {riff(fmt(1, 1, 0, 16) + data), "a rate of 0" + rates},
        {riff(fmt(1, 1, 3999, 16) + data), "a rate of 3999" + rates},
        {riff(fmt(1, 1, 192001, 16) + data), "a rate of 192001" + rates},
        {riff(fmt(1, 1, UINT32_MAX, 16) + data), "a rate of 4294967295" + rates},
        {riff(fmt(1, 1, 22050, 7, 1) + data), "7 bits a sample, not 8 or 16"},
        {riff(fmt(1, 1, 22050, 24) + data), "24 bits a sample, not 8 or 16"},
        {riff(fmt(1, 1, 22050, 16, 7) + data), "a block of 7 bytes, not the 2 of one sample frame"},
        {riff(chunk("fmt ", good.substr(8, 14)) + data), cut},
        {riff(chunk("fmt ", std::string("\1\0", 2)) + data), cut}, {riff(good).substr(0, 30), cut},
        {riff(data + good), "no fmt chunk before the data"}, {riff(good), "no data chunk"},
        {riff(""), "no fmt chunk"},
        {riff(good + "data" + le(9, 4) + std::string(8, '\0')), "the data chunk runs past the end of the file"},
        {riff(good + "LIST" + le(0xfffffffe, 4) + data), "no data chunk"},
        {shortRiff, "the RIFF chunk ends before the data does"},
    };
    // clang-format on
    for (const auto& [bytes, why] : cases) {
        SCOPED_TRACE("case " + std::to_string(&bytes - &cases[0].first));
        EXPECT_EQ(said(wavProblem(bytesOf(bytes), bytes.size())), why);
        if (why != TAKEN) continue;
        // SDL loads what the check takes as the check read it: the first fmt and the first data.
        SDL_AudioSpec spec;
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        ASSERT_TRUE(SDL_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1, &spec,
                                   &buffer, &length))
            << SDL_GetError();
        const Uint8* f = bytesOf(bytes) + bytes.find("fmt ") + 8;
        const size_t dataAt = bytes.find("data");
        const Uint32 frame = f[2] * (f[14] / 8);
        EXPECT_TRUE(spec.freq == (f[4] | f[5] << 8 | f[6] << 16) && spec.channels == f[2]);
        EXPECT_EQ(spec.format, f[14] == 8 ? AUDIO_U8 : AUDIO_S16LSB);
        EXPECT_EQ(length, Uint8(bytes[dataAt + 4]) / frame * frame);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), length),
                  bytes.substr(dataAt + 8, length));
        SDL_FreeWAV(buffer);
    }
}

} // namespace
