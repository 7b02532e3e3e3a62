// hostile: a damaged or hostile copy of a game resource, each breaking one property of its format.
// Usage: hostile make HOW IN OUT
#include "support/MediaFiles.h"
#include "support/TestSupport.h"

#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>

using namespace mediafiles;

namespace {

using Maker = std::function<std::string(std::string)>;

// Little-endian fields written over the file's own bytes.
Maker at(size_t offset, uint64_t value, int bytes, size_t offset2 = 0, uint64_t value2 = 0) {
    return [=](std::string f) {
        f.replace(offset, size_t(bytes), le(value, bytes));
        return offset2 ? f.replace(offset2, 4, le(value2, 4)) : f;
    };
}

// A WAV that shows a checker which pads chunks to even lengths the file's own sound fmt and a data
// chunk to the end, and shows SDL 1.2, which pads nothing, `hidden` inside that data: the odd LIST
// puts SDL one byte early, where the pad byte and the next chunk spell a LIST whose length ('!',
// 33) carries SDL over the real fmt to the hidden one.
Maker hiding(const std::string& hidden) {
    return [hidden](const std::string& wav) {
        const std::string samples = wav.substr(wav.find("data") + 8);
        const std::string inside = hidden + "data" + le(samples.size(), 4) + samples;
        return riff("LIST" + le(3, 4) + "abcLIST!" + le(0, 4) + wav.substr(wav.find("fmt "), 24) +
                    "data" + le(inside.size(), 4) + inside);
    };
}

// Each way to make a copy, and what it breaks.
const std::pair<const char*, Maker> MAKERS[] = {
    {"bmp-palette", at(28, 8, 2, 46, 0x7fffffff)},    // 8 bits, 2^31 colours
    {"bmp-dimensions", at(18, 30000, 4, 22, 30000)},  // 30000 x 30000
    {"bmp-offset", at(10, 0xfffffff0, 4)},            // pixels 4 GB into the file
    {"bmp-bits-4097", at(28, 4097, 2)},               // a depth the blitter reads past its pixels with
    {"bmp-bits-12", at(28, 12, 2)},                   // a depth the format does not have
    {"bmp-height-min", at(22, 0x80000000u, 4)},       // a top-down height without a sign to take off
    // 8-bit pixels with a palette after a V4 header, which SDL 1.2 reads from inside the header
    {"bmp-palette-v4",
     [](std::string) {
         Bmp b;
         b.headerSize = 108, b.bits = 8;
         return b.bytes();
     }},
    {"wav-length", at(40, 0xfffffff0, 4)},            // a data chunk of 4 GB
    {"wav-format", at(34, 32767, 2)},                 // 32767-bit samples
    {"wav-adpcm", at(20, 2, 2)},
    {"wav-channels", at(22, 3, 2)},
    {"wav-rate-0", at(24, 0, 4)},                     // SDL crashes on these rates
    {"wav-rate-45", at(24, 45, 4)},
    {"wav-rate-100M", at(24, 100000000, 4)},
    {"wav-hidden-rate-0", hiding(fmt(1, 1, 0, 16))},  // SDL 1.2 would crash building its converter
    {"wav-hidden-adpcm", hiding(fmt(0x11, 1, 22050, 0, 0))}, // and divide by zero
    {"wav-hidden-channels-0", hiding(fmt(1, 0, 22050, 16, 2))},
    // a fmt of two bytes, which SDL 1.2 reads sixteen of
    {"wav-fmt-2-bytes", [](std::string w) { return riff(chunk("fmt ", std::string("\1\0", 2)) + w.substr(w.find("data"))); }},
    {"ogg-rate-20", [](std::string o) { return bend(o, 2, 20); }}, // SDL_mixer's thread crashes
    {"ogg-rate-50M", [](std::string o) { return bend(o, 2, 50000000); }},
    // a good stream, then that, with serial numbers of its own to count as a second stream
    {"ogg-chained", [](std::string o) { return o + bend(o, 2, 20, 0x5a5a5a5a); }},
    // a residue whose vectors run past its partitions: the decoder would write past them
    {"ogg-setup-residue",
     [](std::string o) {
         SetupHeader s;
         s.channels = 2;
         s.residues[0].partition = 3;
         return withSetup(o, s.bytes(), pages(o).size());
     }},
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 5 || std::strcmp(argv[1], "make") != 0) {
        std::cerr << "usage: hostile make HOW IN OUT\n";
        return 2;
    }
    const std::string original = testsupport::readFile(argv[3]);
    for (const auto& [name, maker] : MAKERS)
        if (std::strcmp(name, argv[2]) == 0) {
            std::ofstream(argv[4], std::ios::binary) << maker(original);
            return original.empty() ? 1 : 0;
        }
    std::cerr << "hostile: no way to make \"" << argv[2] << "\"\n";
    return 2;
}
