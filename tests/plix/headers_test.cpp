// Hostile headers, one broken property each: BMP and WAV files, Vorbis setup headers and Ogg pages,
// with both ends of every accepted range; what is taken is read by SDL as the check read it.
#include "MediaFiles.h"
#include "plix/Plix.h"
#include "plix/desktop/PlixVorbis.h"
#include "support/HostileFiles.h"

#include <climits>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>

using namespace hostile;

// SDL_LoadBMP_RW passes through, unless a test has a surface of its own for it to hand back.
namespace {
SDL_Surface* substitute = nullptr;
}
extern "C" {
SDL_Surface* __real_SDL_LoadBMP_RW(SDL_RWops* src, int freesrc);
SDL_Surface* __wrap_SDL_LoadBMP_RW(SDL_RWops* src, int freesrc) {
    if (!substitute) return __real_SDL_LoadBMP_RW(src, freesrc);
    if (freesrc) SDL_RWclose(src);
    SDL_Surface* s = substitute;
    substitute = nullptr;
    return s;
}
}

namespace {

std::string sourceBgm;

class HeadersTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::ifstream in("resource/sound/bgm.ogg", std::ios::binary);
        sourceBgm.assign(std::istreambuf_iterator<char>(in), {});
        ASSERT_GT(sourceBgm.size(), 10000u);
        ASSERT_EQ(chdir(mediafiles::scratchDir("headers").c_str()), 0);
        Plix_init("headers", 320, 480, false);
    }
};

const char* none = "(taken)";

std::string bmpReason(const Bmp& b) {
    const std::string bytes = b.bytes();
    PlixBmpShape shape;
    const char* why = bmpProblem(reinterpret_cast<const Uint8*>(bytes.data()), bytes.size(), shape);
    return why ? why : none;
}

Bmp with(std::function<void(Bmp&)> change) {
    Bmp b;
    change(b);
    return b;
}

TEST_F(HeadersTest, BmpHeadersAreTakenOnlyWhenEveryLoaderReadsThemAlikeAndTheBlitterCanDrawThem) {
    const std::string range = "not 1 to ";
    const struct {
        const char* name;
        Bmp bmp;
        std::string why;
    } cases[] = {
        {"the title's kind", Bmp{}, none},
        {"1 bit", with([](Bmp& b) { b.bits = 1; }), none},
        {"4 bits", with([](Bmp& b) { b.bits = 4; }), none},
        {"8 bits", with([](Bmp& b) { b.bits = 8; }), none},
        {"16 bits", with([](Bmp& b) { b.bits = 16; }), none},
        {"32 bits", with([](Bmp& b) { b.bits = 32; }), none},
        {"OS/2's header", with([](Bmp& b) { b.headerSize = 12; }), none},
        {"OS/2's header, 8 bits", with([](Bmp& b) { b.headerSize = 12, b.bits = 8; }), none},
        {"a 52-byte header", with([](Bmp& b) { b.headerSize = 52; }), none},
        {"a 56-byte header", with([](Bmp& b) { b.headerSize = 56; }), none},
        {"a V4 header", with([](Bmp& b) { b.headerSize = 108; }), none},
        {"a V5 header", with([](Bmp& b) { b.headerSize = 124; }), none},
        {"top-down", with([](Bmp& b) { b.height = -3; }), none},
        {"1 x 1", with([](Bmp& b) { b.width = 1, b.height = 1; }), none},
        {"the widest", with([](Bmp& b) { b.width = 2560, b.height = 1; }), none},
        {"the tallest", with([](Bmp& b) { b.width = 1, b.height = 1920; }), none},
        {"the tallest top-down", with([](Bmp& b) { b.width = 1, b.height = -1920; }), none},
        {"bit fields at 16", with([](Bmp& b) {
             b.bits = 16, b.compression = 3, b.masks = le(0xf800, 4) + le(0x7e0, 4) + le(0x1f, 4);
         }),
         none},
        {"bit fields at 32", with([](Bmp& b) {
             b.bits = 32, b.compression = 3,
             b.masks = le(0xff0000, 4) + le(0xff00, 4) + le(0xff, 4);
         }),
         none},
        {"256 colours at 8 bits", with([](Bmp& b) { b.bits = 8, b.colours = 256; }), none},
        {"16 colours at 4 bits", with([](Bmp& b) { b.bits = 4, b.colours = 16; }), none},
        {"2 colours at 1 bit", with([](Bmp& b) { b.bits = 1, b.colours = 2; }), none},
        {"a gap before 24-bit pixels", with([](Bmp& b) { b.gap = 12; }), none},
        {"not BM", with([](Bmp& b) { b.headerSize = 40; }), none}, // replaced below
        {"a 64-byte header", with([](Bmp& b) { b.headerSize = 64; }),
         "a header of 64 bytes, not 12, 40, 52, 56, 108 or 124"},
        {"a 39-byte header", with([](Bmp& b) { b.headerSize = 39; }),
         "a header of 39 bytes, not 12, 40, 52, 56, 108 or 124"},
        {"no plane", with([](Bmp& b) { b.planes = 0; }), "0 planes, not 1"},
        {"2 planes", with([](Bmp& b) { b.planes = 2; }), "2 planes, not 1"},
        {"0 bits", with([](Bmp& b) { b.bits = 0; }), "0 bits a pixel, not 1, 4, 8, 16, 24 or 32"},
        {"12 bits", with([](Bmp& b) { b.bits = 12; }),
         "12 bits a pixel, not 1, 4, 8, 16, 24 or 32"},
        {"4097 bits", with([](Bmp& b) { b.bits = 4097; }),
         "4097 bits a pixel, not 1, 4, 8, 16, 24 or 32"},
        {"RLE at 8 bits", with([](Bmp& b) { b.bits = 8, b.compression = 1; }),
         "compression 1 at 8 bits, not none (or bit fields at 16 or 32 bits)"},
        {"bit fields at 24",
         with([](Bmp& b) { b.compression = 3, b.masks = std::string(12, '\1'); }),
         "compression 3 at 24 bits, not none (or bit fields at 16 or 32 bits)"},
        {"width 0", with([](Bmp& b) { b.width = 0; }), "a width of 0, " + range + "2560"},
        {"width 2561", with([](Bmp& b) { b.width = 2561, b.height = 1; }),
         "a width of 2561, " + range + "2560"},
        {"width -5", with([](Bmp& b) { b.width = -5; }), "a width of -5, " + range + "2560"},
        {"height 0", with([](Bmp& b) { b.height = 0; }),
         "a height of 0, not 1 to 1920 (or -1 to -1920 from the top down)"},
        {"height 1921", with([](Bmp& b) { b.width = 1, b.height = 1921; }),
         "a height of 1921, not 1 to 1920 (or -1 to -1920 from the top down)"},
        {"height -1921", with([](Bmp& b) { b.width = 1, b.height = -1921; }),
         "a height of -1921, not 1 to 1920 (or -1 to -1920 from the top down)"},
        {"height -2^31", with([](Bmp& b) { b.height = INT_MIN, b.cutPixels = 0; }),
         "a height of -2147483648, not 1 to 1920 (or -1 to -1920 from the top down)"},
        {"257 colours at 8 bits", with([](Bmp& b) { b.bits = 8, b.colours = 257; }),
         "257 colours, more than 8 bits can tell apart"},
        {"17 colours at 4 bits", with([](Bmp& b) { b.bits = 4, b.colours = 17; }),
         "17 colours, more than 4 bits can tell apart"},
        {"3 colours at 1 bit", with([](Bmp& b) { b.bits = 1, b.colours = 3; }),
         "3 colours, more than 1 bits can tell apart"},
        {"2^31 colours at 8 bits",
         with([](Bmp& b) { b.bits = 8, b.colours = 0x7fffffff, b.paletteEntries = 256; }),
         "2147483647 colours, more than 8 bits can tell apart"},
        {"a palette after a V4 header", with([](Bmp& b) { b.bits = 8, b.headerSize = 108; }),
         "a palette after a header of 108 bytes"},
        {"pixels inside the header", with([](Bmp& b) { b.pixelOffset = 20; }),
         "the pixels start at byte 20, inside the 54 bytes of header and palette"},
        {"pixels inside the palette", with([](Bmp& b) { b.bits = 8, b.pixelOffset = 54 + 1023; }),
         "the pixels start at byte 1077, inside the 1078 bytes of header and palette"},
        {"masks missing at 32", with([](Bmp& b) { b.bits = 32, b.compression = 3; }),
         "the pixels start at byte 54, inside the 66 bytes of header and palette"},
        {"a gap before 32-bit pixels", with([](Bmp& b) { b.bits = 32, b.gap = 12; }),
         "12 bytes between the header and the pixels of a 32-bit picture"},
        {"a gap before 16-bit pixels", with([](Bmp& b) { b.bits = 16, b.gap = 2; }),
         "2 bytes between the header and the pixels of a 16-bit picture"},
        {"one byte of pixels short", with([](Bmp& b) { b.cutPixels = 1; }),
         "the pixels run past the end of the file"},
        {"pixels 4 GB on", with([](Bmp& b) { b.pixelOffset = 0xfffffff0; }),
         "the pixels run past the end of the file"},
    };
    for (const auto& c : cases) {
        if (std::string(c.name) == "not BM") {
            std::string bytes = c.bmp.bytes();
            bytes[1] = 'A';
            PlixBmpShape shape;
            EXPECT_STREQ(
                bmpProblem(reinterpret_cast<const Uint8*>(bytes.data()), bytes.size(), shape),
                "not a BMP file");
            continue;
        }
        EXPECT_EQ(bmpReason(c.bmp), c.why) << c.name;
    }
    // Cut anywhere inside its headers, a picture is refused without reading past the cut.
    const std::string whole = with([](Bmp& b) { b.bits = 8; }).bytes();
    for (size_t n = 0; n < 1078; ++n) {
        PlixBmpShape shape;
        std::vector<Uint8> cut(whole.begin(), whole.begin() + long(n)); // exact size for ASan
        EXPECT_NE(bmpProblem(cut.data(), cut.size(), shape), nullptr) << n << " bytes";
    }
}

// Every picture the check takes loads, as the header promised, and draws; what it refuses never
// reaches SDL, and the message names the file.
TEST_F(HeadersTest, TakenPicturesLoadAsPromisedAndRefusedOnesNameTheirFile) {
    const Bmp taken[] = {Bmp{},
                         with([](Bmp& b) { b.bits = 1, b.width = 9; }),
                         with([](Bmp& b) { b.bits = 4; }),
                         with([](Bmp& b) { b.bits = 8; }),
                         with([](Bmp& b) { b.bits = 16, b.height = -3; }),
                         with([](Bmp& b) { b.bits = 32, b.headerSize = 124; }),
                         with([](Bmp& b) { b.headerSize = 12, b.bits = 8; })};
    int i = 0;
    for (const Bmp& b : taken) {
        const std::string name = "taken" + std::to_string(i) + ".bmp";
        std::ofstream(name, std::ios::binary) << b.bytes();
        EXPECT_EQ(mediafiles::messageOf([&] { Plix_loadBMP(name, name, -2, 0, 0); }),
                  "(nothing thrown)");
        SDL_Surface* s = plixMedia.images.at(name);
        EXPECT_EQ(s->w, int(b.width)) << name;
        EXPECT_EQ(s->h, int(b.height < 0 ? -b.height : b.height)) << name;
        EXPECT_EQ(s->format->BytesPerPixel, b.bits <= 8 ? 1 : b.bits / 8) << name;
        Plix_draw(name.c_str(), 0, 0, 0, 0, 0, 0);
        ++i;
    }
    std::ofstream("wide.bmp", std::ios::binary) << with([](Bmp& b) { b.bits = 4097; }).bytes();
    EXPECT_EQ(mediafiles::messageOf([] { Plix_loadBMP("w", "wide.bmp", -2, 0, 0); }),
              "Plix_loadBMP: 4097 bits a pixel, not 1, 4, 8, 16, 24 or 32: wide.bmp");
    EXPECT_EQ(plixMedia.images.count("w"), 0u);
}

TEST_F(HeadersTest, APictureSdlMakesOtherThanTheHeaderPromisedIsRefused) {
    std::ofstream("promise.bmp", std::ios::binary) << Bmp{}.bytes(); // 5 x 3, 24 bits
    const struct {
        int w, h, bits;
        const char* made;
    } made[] = {{5, 4, 24, "5 x 4 picture of 3"},
                {6, 3, 24, "6 x 3 picture of 3"},
                {5, 3, 32, "5 x 3 picture of 4"},
                {5, 3, 8, "5 x 3 picture of 1"}};
    for (const auto& m : made) {
        substitute = SDL_CreateRGBSurface(SDL_SWSURFACE, m.w, m.h, m.bits, 0, 0, 0, 0);
        EXPECT_EQ(mediafiles::messageOf([] { Plix_loadBMP("p", "promise.bmp", -2, 0, 0); }),
                  std::string("Plix_loadBMP: SDL made a ") + m.made +
                      " bytes a pixel, not the 5 x 3 of 3 the header promised: promise.bmp");
    }
    EXPECT_EQ(plixMedia.images.count("p"), 0u);
}

std::string wavReason(const std::string& bytes) {
    const char* why = wavProblem(reinterpret_cast<const Uint8*>(bytes.data()), bytes.size());
    return why ? why : none;
}

TEST_F(HeadersTest, WaveFilesAreTakenOnlyWhereSdlOneAndTwoReadTheSameFormatAndData) {
    const std::string good = fmt(1, 1, 22050, 16);
    const std::string data = samples();
    const struct {
        const char* name;
        std::string bytes;
        std::string why;
    } cases[] = {
        {"the game's own kind", riff(good + data), none},
        {"stereo, 8 bits, the lowest rate", riff(fmt(1, 2, 4000, 8) + data), none},
        {"the highest rate", riff(fmt(1, 1, 192000, 16) + data), none},
        {"even LIST and fact chunks first",
         riff(chunk("LIST", "abcd") + chunk("fact", "1234") + good + data), none},
        {"an even chunk between fmt and data", riff(good + chunk("junk", "ab") + data), none},
        {"a second fmt after the first", riff(good + fmt(1, 2, 8000, 8) + data), none},
        {"odd data, then an odd chunk, padded",
         riff(fmt(1, 1, 8000, 8) + chunk("data", "abc") + chunk("LIST", "xyz")), none},
        {"a fmt of 18 bytes", riff(chunk("fmt ", good.substr(8) + "\0\0", true) + data), none},
        {"not RIFF", "RIFX" + riff(good + data).substr(4), "not a RIFF WAVE file"},
        {"RIFFWAVE without a length", "RIFFWAVEWAVE" + good + data, "not a RIFF WAVE file"},
        {"too short for a header", "RIFF\4\0\0\0WAV", "not a RIFF WAVE file"},
        {"an odd LIST before the fmt", riff(chunk("LIST", "abc") + good + data),
         "a chunk of odd length (3 bytes) before the data"},
        {"an odd chunk between fmt and data", riff(good + chunk("junk", "abc") + data),
         "a chunk of odd length (3 bytes) before the data"},
        {"an unpadded odd LIST hiding a second fmt",
         riff(chunk("LIST", "abc", false) + good + data),
         "a chunk of odd length (3 bytes) before the data"},
        {"another chunk before the fmt", riff(chunk("junk", "ab") + good + data),
         "a chunk other than LIST or fact before the fmt chunk"},
        {"IMA ADPCM", riff(fmt(0x11, 1, 22050, 4, 256) + data), "format 17, not PCM"},
        {"no channel", riff(fmt(1, 0, 22050, 16, 2) + data), "0 channels, not 1 or 2"},
        {"three channels", riff(fmt(1, 3, 22050, 16) + data), "3 channels, not 1 or 2"},
        {"257 channels, 1 to SDL 1.2", riff(fmt(1, 257, 22050, 16, 2) + data),
         "257 channels, not 1 or 2"},
        {"rate 0", riff(fmt(1, 1, 0, 16) + data), "a rate of 0 Hz, not 4000 to 192000"},
        {"rate 3999", riff(fmt(1, 1, 3999, 16) + data), "a rate of 3999 Hz, not 4000 to 192000"},
        {"rate 192001", riff(fmt(1, 1, 192001, 16) + data),
         "a rate of 192001 Hz, not 4000 to 192000"},
        {"rate 2^32 - 1", riff(fmt(1, 1, UINT32_MAX, 16) + data),
         "a rate of 4294967295 Hz, not 4000 to 192000"},
        {"7 bits", riff(fmt(1, 1, 22050, 7, 1) + data), "7 bits a sample, not 8 or 16"},
        {"24 bits", riff(fmt(1, 1, 22050, 24) + data), "24 bits a sample, not 8 or 16"},
        {"a block of 7 bytes", riff(fmt(1, 1, 22050, 16, 7) + data),
         "a block of 7 bytes, not the 2 of one sample frame"},
        {"a fmt of 14 bytes", riff(chunk("fmt ", good.substr(8, 14)) + data),
         "the fmt chunk is cut short"},
        {"a fmt of 2 bytes", riff(chunk("fmt ", std::string("\1\0", 2)) + data),
         "the fmt chunk is cut short"},
        {"the file ends in the fmt", riff(good).substr(0, 30), "the fmt chunk is cut short"},
        {"the data first", riff(data + good), "no fmt chunk before the data"},
        {"no data", riff(good), "no data chunk"},
        {"no chunks", riff(""), "no fmt chunk"},
        {"data one byte past the end", riff(good + "data" + le(9, 4) + std::string(8, '\0')),
         "the data chunk runs past the end of the file"},
        {"a chunk as long as it can be", riff(good + "LIST" + le(0xfffffffe, 4) + data),
         "no data chunk"},
        {"a RIFF length one short",
         [&] {
             std::string b = riff(good + data);
             b[4] = char(b[4] - 1);
             return b;
         }(),
         "the RIFF chunk ends before the data does"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wavReason(c.bytes), c.why) << c.name;
        if (c.why != none) continue;
        // What the check takes, SDL loads as the check read it: the first fmt and the first data.
        SDL_AudioSpec spec;
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        ASSERT_NE(SDL_LoadWAV_RW(SDL_RWFromConstMem(c.bytes.data(), int(c.bytes.size())), 1, &spec,
                                 &buffer, &length),
                  nullptr)
            << c.name << ": " << SDL_GetError();
        const size_t fmtAt = c.bytes.find("fmt ");
        const auto* f = reinterpret_cast<const Uint8*>(c.bytes.data()) + fmtAt + 8;
        EXPECT_EQ(spec.freq, int(f[4] | f[5] << 8 | f[6] << 16)) << c.name;
        EXPECT_EQ(spec.channels, f[2]) << c.name;
        EXPECT_EQ(spec.format, f[14] == 8 ? AUDIO_U8 : AUDIO_S16LSB) << c.name;
        const size_t dataAt = c.bytes.find("data");
        const Uint32 dataLength = Uint32(Uint8(c.bytes[dataAt + 4]));
        EXPECT_EQ(length,
                  dataLength / (spec.channels * (f[14] / 8)) * (spec.channels * (f[14] / 8)))
            << c.name;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), length),
                  c.bytes.substr(dataAt + 8, length))
            << c.name;
        SDL_FreeWAV(buffer);
    }
}

std::string setupReason(const SetupHeader& s) {
    const std::string bytes = s.bytes();
    const char* why = vorbisSetupProblem(reinterpret_cast<const uint8_t*>(bytes.data()),
                                         bytes.size(), s.channels);
    return why ? why : none;
}

SetupHeader setup(std::function<void(SetupHeader&)> change) {
    SetupHeader s;
    change(s);
    return s;
}

TEST_F(HeadersTest, VorbisSetupHeadersAreTakenOnlyWhenEveryPartIsThereAndInRange) {
    // Laid out by hand: clang-format 14 and 19 break a lambda inside a braced list differently.
    // clang-format off
    const struct {
        const char* name;
        SetupHeader setup;
        std::string why;
    } cases[] = {
        {"the small header", SetupHeader{}, none},
        {"stereo, coupled", setup([](SetupHeader& s) {
             s.channels = 2, s.mappings[0].coupling = {{0, 1}};
         }),
         none},
        {"two submaps", setup([](SetupHeader& s) {
             s.channels = 2, s.mappings[0].submaps = 2, s.mappings[0].mux = {0, 1};
         }),
         none},
        {"an ordered book", setup([](SetupHeader& s) {
             s.books[0] = Codebook{1, 4, {}, true, 1, {1, 1, 2}};
         }),
         none},
        {"a sparse book", setup([](SetupHeader& s) {
             s.books[0].entries = 3, s.books[0].lengths = {1, 0, 1};
         }),
         none},
        {"a book of one entry", setup([](SetupHeader& s) {
             s.books[0].entries = 1, s.books[0].lengths = {1}, s.residues[0].classes = 1;
         }),
         none},
        {"an incomplete book", setup([](SetupHeader& s) {
             s.books[0].entries = 2, s.books[0].lengths = {2, 2};
         }),
         "codebook 0 has codeword lengths that leave its code unfilled"},
        {"codewords of 32 bits", setup([](SetupHeader& s) {
             // One word of each length from 1 to 31 bits and two of 32: a whole code.
             std::vector<uint32_t> runs(31, 1);
             runs.push_back(2);
             s.books[0] = Codebook{1, 33, {}, true, 1, runs};
         }),
         none},
        {"a list-valued book", setup([](SetupHeader& s) { s.books[1].lookup = 2; }), none},
        {"classes that fill the class book", setup([](SetupHeader& s) {
             s.books[0] = Codebook{2, 4, {2, 2, 2, 2}, false, 1, {}, 0};
         }),
         none},
        {"partitions of one vector", setup([](SetupHeader& s) { s.residues[0].partition = 2; }),
         none},
        {"residue type 0", setup([](SetupHeader& s) { s.residues[0].type = 0; }), none},
        {"a floor of 65 points", setup([](SetupHeader& s) {
             s.floors[0].rangeBits = 7;
             s.floors[0].partitionClass.assign(21, 0);
             s.floors[0].classDimensions = 3;
             s.floors[0].x.clear();
             for (uint32_t x = 2; x < 65; ++x)
                 s.floors[0].x.push_back(x);
         }),
         none},
        {"no sync", setup([](SetupHeader& s) { s.books[1].sync = 0x564343; }),
         "codebook 1 has no sync pattern"},
        {"0 dimensions", setup([](SetupHeader& s) { s.books[1].dimensions = 0; }),
         "codebook 1 has 0 dimensions and 4 entries"},
        {"0 entries",
         setup([](SetupHeader& s) { s.books[0].entries = 0, s.books[0].lengths = {}; }),
         "codebook 0 has 1 dimensions and 0 entries"},
        {"more codewords than lengths allow", setup([](SetupHeader& s) {
             s.books[0].entries = 3, s.books[0].lengths = {1, 1, 1};
         }),
         "codebook 0 has more codewords than its lengths allow"},
        {"no entry in use", setup([](SetupHeader& s) {
             s.books[0].lengths = {0, 0};
         }),
         "codebook 0 has no entry in use"},
        {"ordered runs past the entries",
         setup([](SetupHeader& s) { s.books[0] = Codebook{1, 4, {}, true, 1, {5}}; }),
         "codebook 0 has more lengths than entries"},
        {"codewords of 33 bits", setup([](SetupHeader& s) {
             s.books[0] = Codebook{1, 2, {}, true, 32, {0, 2}};
         }),
         "codebook 0 has codewords of 33 bits"},
        {"lookup type 3", setup([](SetupHeader& s) { s.books[1].lookup = 3; }),
         "codebook 1 has lookup type 3"},
        {"a book of more than 2^20 values",
         setup([](SetupHeader& s) { s.books[1] = Codebook{16, 65537, {}, true, 17, {65537}, 1}; }),
         "codebook 1 has 65537 x 16 values"},
        {"a time transform", setup([](SetupHeader& s) { s.transform = 1; }),
         "a time transform is not 0"},
        {"floor type 0", setup([](SetupHeader& s) { s.floors[0].type = 0; }),
         "floor 0 is of type 0, not 1"},
        {"floor type 2", setup([](SetupHeader& s) { s.floors[0].type = 2; }),
         "floor 0 is of type 2, not 1"},
        {"a floor's book past the last", setup([](SetupHeader& s) { s.floors[0].subBooks = {2}; }),
         "floor 0 names a codebook past the last, 1"},
        {"a floor's master book past the last", setup([](SetupHeader& s) {
             s.floors[0].subclasses = 1, s.floors[0].masterbook = 2, s.floors[0].subBooks = {0, -1};
         }),
         "floor 0 names a codebook past the last, 1"},
        {"a floor of 66 points", setup([](SetupHeader& s) {
             s.floors[0].rangeBits = 7;
             s.floors[0].partitionClass.assign(22, 0);
             s.floors[0].classDimensions = 3;
             s.floors[0].x.clear();
             for (uint32_t x = 2; x < 68; ++x)
                 s.floors[0].x.push_back(x);
         }),
         "floor 0 has more than 65 points"},
        {"two floor points at one place", setup([](SetupHeader& s) {
             s.floors[0].classDimensions = 2, s.floors[0].x = {5, 5};
         }),
         "floor 0 has two points at 5"},
        {"a floor point at the end",
         setup([](SetupHeader& s) { s.floors[0].rangeBits = 4, s.floors[0].x = {0}; }),
         "floor 0 has two points at 0"},
        {"residue type 3", setup([](SetupHeader& s) { s.residues[0].type = 3; }),
         "residue 0 is of type 3"},
        {"a residue that ends before it begins",
         setup([](SetupHeader& s) { s.residues[0].begin = 65; }),
         "residue 0 begins at 65 after its end"},
        {"a class book past the last", setup([](SetupHeader& s) { s.residues[0].classBook = 2; }),
         "residue 0 names a codebook past the last, 1"},
        {"more classes than the class book codes",
         setup([](SetupHeader& s) { s.residues[0].classes = 3; }),
         "residue 0 has 3 classes, more than its class book can code"},
        {"a residue book past the last", setup([](SetupHeader& s) {
             s.residues[0].passBook = {2, -1};
         }),
         "residue 0 names a codebook past the last, 1"},
        {"a residue book without vectors", setup([](SetupHeader& s) {
             s.residues[0].passBook = {0, -1};
         }),
         "residue 0 reads vectors from codebook 0, which has none"},
        {"partitions of a vector and a half",
         setup([](SetupHeader& s) { s.residues[0].partition = 3; }),
         "residue 0 has partitions of 3, not whole vectors of codebook 1"},
        {"mapping type 1", setup([](SetupHeader& s) { s.mappings[0].type = 1; }),
         "mapping 0 is not of type 0"},
        {"a channel coupled with itself", setup([](SetupHeader& s) {
             s.channels = 2, s.mappings[0].coupling = {{1, 1}};
         }),
         "mapping 0 couples channels 1 and 1"},
        {"a coupled channel past the last", setup([](SetupHeader& s) {
             s.channels = 3, s.mappings[0].coupling = {{0, 3}};
         }),
         "mapping 0 couples channels 0 and 3"},
        {"reserved bits", setup([](SetupHeader& s) { s.mappings[0].reserved = 2; }),
         "mapping 0 has its reserved bits set"},
        {"a channel in a submap past the last", setup([](SetupHeader& s) {
             s.channels = 2, s.mappings[0].submaps = 2, s.mappings[0].mux = {0, 2};
         }),
         "mapping 0 puts channel 1 in a submap past the last"},
        {"a floor past the last", setup([](SetupHeader& s) { s.mappings[0].floor = 1; }),
         "mapping 0 names a floor past the last, 0"},
        {"a residue past the last", setup([](SetupHeader& s) { s.mappings[0].residue = 1; }),
         "mapping 0 names a residue past the last, 0"},
        {"a window type", setup([](SetupHeader& s) { s.modeWindow = 1; }),
         "mode 0 is not of type 0"},
        {"a mapping past the last", setup([](SetupHeader& s) { s.modeMapping = 1; }),
         "mode 0 names a mapping past the last, 0"},
        {"no framing bit", setup([](SetupHeader& s) { s.framing = 0; }), "it has no framing bit"},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(setupReason(c.setup), c.why) << c.name;
    // Cut anywhere, the header is refused, and nothing is read past the cut.
    const std::string whole = SetupHeader{}.bytes();
    for (size_t n = 0; n < whole.size(); ++n) {
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(n));
        EXPECT_NE(vorbisSetupProblem(cut.data(), cut.size(), 1), nullptr) << n << " bytes";
    }
    EXPECT_STREQ(vorbisSetupProblem(reinterpret_cast<const uint8_t*>("\3vorbis"), 7, 1),
                 "it is no setup header");
}

std::string oggReason(const std::string& bytes) {
    const char* why = oggProblem(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return why ? why : none;
}

// The id header's byte at `at` set to value, on the first page.
std::string idByte(std::string ogg, size_t at, uint8_t value) {
    std::vector<Page> ps = pages(ogg);
    ps[0].body[at] = char(value);
    return join(ps);
}
std::string idRate(uint32_t rate) {
    std::string ogg = sourceBgm;
    for (int i = 0; i < 4; ++i)
        ogg = idByte(ogg, 12 + i, uint8_t(rate >> (8 * i)));
    return ogg;
}

TEST_F(HeadersTest, OggFilesAreTakenOnlyWithWholePagesInOrderAndEveryStreamsHeadersSound) {
    const std::vector<Page> ps = pages(sourceBgm);
    ASSERT_GT(ps.size(), 10u);
    // A whole page, checksum and all, inside an audio page's body.
    std::vector<Page> hid = ps;
    const std::string inner = pageOf({"x"}, 2, 77, 0, 0).bytes();
    hid[5].body.replace(100, inner.size(), inner);
    const std::string hiddenPage = join(hid);
    size_t hiddenAt = hid[5].header.size() + 100;
    for (int i = 0; i < 5; ++i)
        hiddenAt += hid[i].bytes().size();
    // One flipped bit in the third page: its checksum fails, and the reader skips to the next 'O'.
    std::string damaged = sourceBgm;
    const size_t thirdAt = ps[0].bytes().size() + ps[1].bytes().size();
    damaged[thirdAt + 100] = char(damaged[thirdAt + 100] ^ 1);
    const size_t skipped = damaged.find('O', thirdAt + 1) - thirdAt;
    std::vector<Page> interleaved = ps;
    interleaved.insert(interleaved.begin() + 4, pageOf({"x"}, 0, 99, 0, 0));
    std::vector<Page> gap = ps;
    gap.erase(gap.begin() + 1); // the comment and setup page lost
    std::vector<Page> twice = ps;
    twice.push_back(ps[0]); // the same stream begun again
    const std::string chained = sourceBgm + oggbend::bend(sourceBgm, 2, 44100, 0x5a5a5a5a);
    const std::string chainedCut =
        sourceBgm + oggbend::bend(sourceBgm, 2, 44100, 0x5a5a5a5a).substr(0, 300);
    const std::string badSetup = withSetup(
        sourceBgm,
        setup([](SetupHeader& s) { s.channels = 2, s.residues[0].partition = 3; }).bytes(), 8);
    const std::string version = [&] {
        std::vector<Page> v = ps;
        v[3].header[4] = 1;
        return join(v);
    }();
    const struct {
        const char* name;
        std::string bytes;
        std::string why;
    } cases[] = {
        {"the game's music", sourceBgm, none},
        {"cut inside a page", sourceBgm.substr(0, sourceBgm.size() / 2), none},
        {"two streams chained", chained, none},
        {"the lowest rate", idRate(4000), none},
        {"the highest rate", idRate(192000), none},
        {"mono", withSetup(idByte(sourceBgm, 11, 1), SetupHeader{}.bytes(), 8), none},
        {"blocks of 2^6 and 2^13", idByte(sourceBgm, 28, 0xd6), none},
        {"blocks of 2^11 twice", idByte(sourceBgm, 28, 0xbb), none},
        {"a synthetic setup",
         withSetup(sourceBgm, setup([](SetupHeader& s) { s.channels = 2; }).bytes(), 8), none},
        {"no page at all", "not music at all", none},
        {"a lone stream cut in its headers", sourceBgm.substr(0, 1000), none},
        {"rate 3999", idRate(3999), "stream 1 of 1 has a rate of 3999 Hz, not 4000 to 192000"},
        {"rate 192001", idRate(192001),
         "stream 1 of 1 has a rate of 192001 Hz, not 4000 to 192000"},
        {"rate 0", idRate(0), "stream 1 of 1 has a rate of 0 Hz, not 4000 to 192000"},
        {"no channel", idByte(sourceBgm, 11, 0), "stream 1 of 1 has 0 channels, not 1 or 2"},
        {"three channels", idByte(sourceBgm, 11, 3), "stream 1 of 1 has 3 channels, not 1 or 2"},
        {"blocks of 2^5", idByte(sourceBgm, 28, 0xb5),
         "stream 1 of 1 has blocks of 2^5 and 2^11 samples, not 2^6 to 2^13"},
        {"blocks of 2^14", idByte(sourceBgm, 28, 0xe8),
         "stream 1 of 1 has blocks of 2^8 and 2^14 samples, not 2^6 to 2^13"},
        {"short blocks longer than long", idByte(sourceBgm, 28, 0x8b),
         "stream 1 of 1 has blocks of 2^11 and 2^8 samples, not 2^6 to 2^13"},
        {"no framing bit", idByte(sourceBgm, 29, 0),
         "stream 1 of 1 has no framing bit after its identification"},
        {"version 1", idByte(sourceBgm, 7, 1), "stream 1 of 1 is of Vorbis version 1, not 0"},
        {"not Vorbis", idByte(sourceBgm, 1, 'V'), "stream 1 of 1 is not Vorbis"},
        {"no comment header",
         [&] {
             std::vector<Page> v = ps;
             v[1].body[0] = 4;
             return join(v);
         }(),
         "stream 1 of 1 has no comment header after its identification"},
        {"a setup header a decoder faults on", badSetup,
         "stream 1 of 1 has a setup header the decoder cannot use: residue 0 has partitions of 3, "
         "not whole vectors of codebook 1"},
        {"a chained stream with a bad rate",
         sourceBgm + oggbend::bend(sourceBgm, 2, 11, 0x5a5a5a5a),
         "stream 2 of 2 has a rate of 11 Hz, not 4000 to 192000"},
        {"a chained stream cut in its headers", chainedCut, "stream 2 of 2 ends in its headers"},
        {"a stream begun twice", join(twice), "stream 2 of 2 repeats an earlier serial"},
        {"a gap in the headers", join(gap), "stream 1 of 1 has a gap in its headers"},
        {"another stream's page among these", join(interleaved),
         "stream 1 of 1 is interleaved with another stream"},
        {"a page of Ogg version 1", version, "stream 1 of 1 has a page of another Ogg version"},
        {"a page hidden in another", hiddenPage,
         "the file hides a page inside another at byte " + std::to_string(hiddenAt)},
        {"a damaged page", damaged,
         "the file holds " + std::to_string(skipped) + " bytes that are no page at byte " +
             std::to_string(thirdAt)},
        {"bytes before the first page", "junk" + sourceBgm,
         "the file holds 4 bytes that are no page at byte 0"},
        {"bytes between pages",
         [&] {
             std::string s = join(ps);
             s.insert(ps[0].bytes().size(), "junk");
             return s;
         }(),
         "the file holds 4 bytes that are no page at byte " + std::to_string(ps[0].bytes().size())},
    };
    for (const auto& c : cases)
        EXPECT_EQ(oggReason(c.bytes), c.why) << c.name;
}

} // namespace
