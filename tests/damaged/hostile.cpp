// hostile: makes hostile copies of the game's resources, each breaking one property of its format.
// Usage: hostile make HOW IN OUT     one hostile copy of IN (HOW: see MAKERS)
#include "support/HostileFiles.h"

#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>

using namespace hostile;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A WAV that shows a checker which pads chunks to even lengths the file's own sound fmt and a data
// chunk to the end, and shows SDL 1.2, which pads nothing, `hidden` inside that data: the odd LIST
// puts SDL one byte early, where the pad byte and the next chunk spell a LIST whose length ('!',
// 33) carries SDL over the real fmt to the hidden one.
std::string hiddenFormat(const std::string& wav, const std::string& hidden) {
    const size_t fmtAt = wav.find("fmt ");
    const size_t dataAt = wav.find("data");
    const std::string soundFormat = wav.substr(fmtAt, 24);
    const std::string samples = wav.substr(dataAt + 8);
    const std::string inside = hidden + "data" + le(samples.size(), 4) + samples;
    return riff("LIST" + le(3, 4) + "abc" + "L" + "IST!" + le(0, 4) + soundFormat + "data" +
                le(inside.size(), 4) + inside);
}

std::string setHeader(std::string bmp, size_t at, uint64_t value, int bytes) {
    const std::string v = le(value, bytes);
    bmp.replace(at, size_t(bytes), v);
    return bmp;
}

// Each way to make a hostile copy, and what it breaks.
const std::pair<const char*, std::function<std::string(const std::string&)>> MAKERS[] = {
    // a depth the blitter reads past its pixels with
    {"bmp-bits-4097", [](const std::string& b) { return setHeader(b, 28, 4097, 2); }},
    // a depth the format does not have
    {"bmp-bits-12", [](const std::string& b) { return setHeader(b, 28, 12, 2); }},
    // a top-down height whose sign cannot be taken off
    {"bmp-height-min", [](const std::string& b) { return setHeader(b, 22, 0x80000000u, 4); }},
    // 8-bit pixels with a palette after a V4 header, which SDL 1.2 reads from inside the header
    {"bmp-palette-v4",
     [](const std::string&) {
         Bmp b;
         b.headerSize = 108;
         b.bits = 8;
         return b.bytes();
     }},
    // SDL 1.2 would see a rate of 0 Hz, and crash building its converter
    {"wav-hidden-rate-0", [](const std::string& w) { return hiddenFormat(w, fmt(1, 1, 0, 16)); }},
    // SDL 1.2 would see IMA ADPCM, and divide by zero
    {"wav-hidden-adpcm",
     [](const std::string& w) { return hiddenFormat(w, fmt(0x11, 1, 22050, 0, 0)); }},
    // SDL 1.2 would see no channel
    {"wav-hidden-channels-0",
     [](const std::string& w) { return hiddenFormat(w, fmt(1, 0, 22050, 16, 2)); }},
    // a fmt of two bytes, which SDL 1.2 reads sixteen of
    {"wav-fmt-2-bytes",
     [](const std::string& w) {
         const size_t data = w.find("data");
         return riff(chunk("fmt ", std::string("\1\0", 2)) + w.substr(data));
     }},
    // a residue whose vectors run past its partitions: the decoder would write past them
    {"ogg-setup-residue",
     [](const std::string& o) {
         SetupHeader s;
         s.channels = 2;
         s.residues[0].partition = 3;
         return withSetup(o, s.bytes(), pages(o).size());
     }},
    // a whole page inside another's body, for a seeking reader to find
    {"ogg-hidden-page",
     [](const std::string& o) {
         std::vector<Page> ps = pages(o);
         const std::string inner = pageOf({"x"}, 2, 77, 0, 0).bytes();
         ps[5].body.replace(100, inner.size(), inner);
         return join(ps);
     }},
};

int make(const char* how, const char* in, const char* out) {
    const std::string original = readAll(in);
    for (const auto& [name, maker] : MAKERS) {
        if (std::strcmp(name, how) != 0) continue;
        std::ofstream(out, std::ios::binary) << maker(original);
        return original.empty() ? 1 : 0;
    }
    std::cerr << "hostile: no way to make \"" << how << "\"\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "make") == 0) return make(argv[2], argv[3], argv[4]);
    std::cerr << "usage: hostile make HOW IN OUT\n";
    return 2;
}
