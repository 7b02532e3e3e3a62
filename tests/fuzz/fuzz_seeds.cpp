// fuzz_seeds: the fuzz targets' first inputs, written to OUT/<target>/: the game's own files (long
// ones cut short, so that each run stays quick), files the tests' media builder makes, the golden
// input scripts and a few command lines of the simulator. Usage: fuzz_seeds OUT RESOURCE_DIR
// GOLDEN_DIR
#include "sim/SimReplay.h"
#include "support/MediaFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace fs = std::filesystem;
using namespace mediafiles;

namespace {

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void put(const fs::path& dir, const std::string& name, const std::string& bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

void pictures(const fs::path& out, const fs::path& resources) {
    // The title picture is of the glyphs' kind, only larger.
    for (const auto& entry : fs::recursive_directory_iterator(resources))
        if (entry.path().extension() == ".bmp" && entry.file_size() < 8192)
            put(out, entry.path().filename(), readAll(entry.path()));
    int n = 0;
    for (uint32_t header : {12u, 40u, 108u, 124u})
        for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
            Bmp b;
            b.headerSize = bits <= 8 && header > 40 ? 40 : header; // palettes after 40 bytes only
            b.bits = bits;
            b.height = n % 2 ? -3 : 3;
            if ((bits == 16 || bits == 32) && header == 40) {
                b.compression = 3;
                b.masks = bits == 16 ? le(0xf800, 4) + le(0x7e0, 4) + le(0x1f, 4)
                                     : le(0xff, 4) + le(0xff00, 4) + le(0xff0000, 4);
            }
            put(out, "built-" + std::to_string(n++) + ".bmp", b.bytes());
        }
}

void sounds(const fs::path& out, const fs::path& resources) {
    for (const char* name : {"kin.wav", "damage.wav"}) {
        const std::string wav = readAll(resources / "sound" / name);
        const size_t fmtAt = wav.find("fmt "), dataAt = wav.find("data");
        put(out, name,
            riff(wav.substr(fmtAt, dataAt - fmtAt) + chunk("data", wav.substr(dataAt + 8, 256))));
    }
    put(out, "stereo.wav", riff(fmt(1, 2, 44100, 16) + samples(64)));
    put(out, "eight-bits.wav",
        riff(chunk("LIST", "INFOabcd") + chunk("fact", le(8, 4)) + fmt(1, 1, 8000, 8) +
             chunk("junk", "xyz") + samples(9)));
}

void music(const fs::path& out, const fs::path& resources) {
    const std::string bgm = readAll(resources / "sound" / "bgm.ogg");
    const std::string cut = withSetup(bgm, "", 5);
    put(out, "bgm-cut.ogg", cut);
    put(out, "chain.ogg", cut + bend(cut, 2, 22050, 0x5a5a));
    for (int type : {0, 1, 2}) {
        SetupHeader s;
        s.channels = 2;
        s.residues[0].type = type;
        s.mappings[0].coupling = {{0, 1}};
        put(out, "setup-residue-" + std::to_string(type) + ".ogg", withSetup(bgm, s.bytes(), 5));
    }
}

void simulator(const fs::path& out, const fs::path& golden) {
    for (const auto& entry : fs::directory_iterator(golden))
        if (entry.path().extension() == ".in")
            put(out / "fuzz_sim_input", entry.path().filename(), readAll(entry.path()));
    put(out / "fuzz_sim_input", "headerless.in", "# keys alone\n-\nz\r\nzxudlr \n\nud\n");
    // Command lines with their arguments apart at "|", as the target takes them apart at NUL.
    int n = 0;
    for (std::string line : {"--level|3|--seed=9|--games|2|--check", "--all-levels|--input=bot",
                             "--input|x.in|--from-title|--trace=t.txt|--pace|16|--max-frames|600",
                             "--record|r.in|--input|random|--level=50", "--help"}) {
        std::replace(line.begin(), line.end(), '|', '\0');
        put(out / "fuzz_sim_options", "line-" + std::to_string(n++), line);
    }
}

// Replays of every outcome, a long run among short ones, and two records in one file.
void replays(const fs::path& out) {
    ReplayGame g;
    g.level = 17;
    g.seed = 0x0123456789abcdefULL;
    g.volley = 9;
    g.shotWait = 2;
    g.outcome = REPLAY_OVER;
    g.score = 4200;
    g.time = 380;
    for (int i = 0; i < 400; ++i)
        g.keys.push_back(static_cast<uint8_t>(i % 7 == 0 ? i % 64 : 0));
    g.keys.insert(g.keys.end(), 300, 1);
    put(out, "over.zvr", encodeReplay(g));
    ReplayGame clear = g;
    clear.outcome = REPLAY_CLEAR;
    clear.keys.resize(20);
    clear.time = 3;
    put(out, "two.zvr", encodeReplay(g) + encodeReplay(clear));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: fuzz_seeds OUT RESOURCE_DIR GOLDEN_DIR\n";
        return 2;
    }
    const fs::path out = argv[1];
    pictures(out / "fuzz_bmp", argv[2]);
    sounds(out / "fuzz_wav", argv[2]);
    music(out / "fuzz_ogg", argv[2]);
    simulator(out, argv[3]);
    replays(out / "fuzz_replay");
    return 0;
}
