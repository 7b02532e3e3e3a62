// hostile: makes hostile copies of the game's resources, and runs a seeded random-flip pass over
// each format in which everything the checks take must load, play and decode without a fault.
// Usage: hostile make HOW IN OUT     one hostile copy of IN (HOW: see MAKERS)
//        hostile flip SEED COUNT DIR  COUNT flipped copies of each file kind under DIR (resource/)
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "plix/desktop/PlixVorbis.h"
#include "support/HostileFiles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>
#include <vorbis/vorbisfile.h>

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

// --- the flip pass -----------------------------------------------------------------------------

uint64_t state = 0;
uint32_t draw() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return uint32_t(state >> 33);
}

// Up to four bytes changed in the first `span` bytes of the file.
std::string flipped(const std::string& bytes, size_t from, size_t span) {
    std::string s = bytes;
    const int n = 1 + int(draw() % 4);
    for (int i = 0; i < n; ++i) {
        const size_t at = from + draw() % std::min(span, s.size() - from);
        // Half the time a single bit, else any byte: small numbers and wild ones both.
        s[at] = draw() % 2 ? char(s[at] ^ (1 << draw() % 8)) : char(draw());
    }
    return s;
}

struct Memory {
    const std::string* bytes;
    size_t at;
};
size_t memoryRead(void* to, size_t size, size_t count, void* source) {
    auto* m = static_cast<Memory*>(source);
    const size_t n = std::min(size * count, m->bytes->size() - m->at);
    std::memcpy(to, m->bytes->data() + m->at, n);
    m->at += n;
    return n / size;
}
int memorySeek(void* source, ogg_int64_t offset, int whence) {
    auto* m = static_cast<Memory*>(source);
    const long long to = whence == SEEK_SET   ? offset
                         : whence == SEEK_CUR ? (long long)m->at + offset
                                              : (long long)m->bytes->size() + offset;
    if (to < 0 || to > (long long)m->bytes->size()) return -1;
    m->at = size_t(to);
    return 0;
}
long memoryTell(void* source) {
    return long(static_cast<Memory*>(source)->at);
}

// The whole stream decoded, as the mixer's thread would: a fault ends the pass with the process.
void decodeAll(const std::string& ogg) {
    Memory m{&ogg, 0};
    OggVorbis_File vf;
    const ov_callbacks callbacks = {memoryRead, memorySeek, nullptr, memoryTell};
    if (ov_open_callbacks(&m, &vf, nullptr, 0, callbacks) != 0) return;
    char pcm[4096];
    int link = 0;
    for (long n; (n = ov_read(&vf, pcm, sizeof pcm, 0, 2, 1, &link)) != 0;)
        if (n == OV_EINVAL || n == OV_EBADLINK) break;
    ov_clear(&vf);
}

// Whether SDL reads the rate, channels, sample size and the very samples the check read.
bool sameSound(const std::string& wav, const PlixWavShape& shape) {
    SDL_AudioSpec spec;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(wav.data(), int(wav.size())), 1, &spec, &samples,
                        &length))
        return false;
    const size_t frame = size_t(shape.channels * shape.bits / 8);
    const bool same = spec.freq == shape.rate && spec.channels == shape.channels &&
                      spec.format == (shape.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB) &&
                      length == shape.dataLength / frame * frame &&
                      std::memcmp(samples, wav.data() + shape.dataAt, length) == 0;
    SDL_FreeWAV(samples);
    if (!same) std::fprintf(stderr, "hostile: SDL reads another sound than the check did\n");
    return same;
}

struct Tally {
    int refused = 0, taken = 0, failed = 0, guarded = 0;
};

// The Ogg of the game cut to its first pages, so that hundreds decode in seconds.
std::string shortMusic(const std::string& ogg) {
    return withSetup(ogg, "", 24);
}

int flip(uint64_t seed, int count, const std::string& dir) {
    state = seed;
    SDL_Surface* screen =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 32, 0xff0000, 0xff00, 0xff, 0);
    const std::string pictures[] = {readAll(dir + "/image/zorvane.bmp"),
                                    readAll(dir + "/font/65.bmp"), readAll(dir + "/plix.bmp")};
    const std::string effects[] = {readAll(dir + "/sound/kreel.wav"),
                                   readAll(dir + "/sound/kin.wav")};
    const std::string music = shortMusic(readAll(dir + "/sound/bgm.ogg"));
    Tally bmp, wav, ogg;
    for (int i = 0; i < count; ++i) {
        // Pictures: the headers, and a little of what follows them.
        const std::string& picture = pictures[i % 3];
        const std::string b = flipped(picture, 0, 80);
        std::ofstream("flip.bmp", std::ios::binary) << b;
        const char* problem = nullptr;
        if (SDL_Surface* s = loadCheckedBMP("flip.bmp", problem)) {
            ++bmp.taken;
            SDL_Rect at = {0, 0, 0, 0};
            SDL_BlitSurface(s, nullptr, screen, &at);
            SDL_FreeSurface(s);
        } else if (problem && std::strncmp(problem, "SDL made", 8) == 0) {
            std::fprintf(stderr, "hostile: only the second guard saw: %s\n", problem);
            ++bmp.guarded;
        } else if (problem) {
            ++bmp.refused;
        } else {
            ++bmp.failed; // SDL refused what the check took: its own words are the message
        }

        // Effects: what the check takes is read by SDL as the check read it, and converted.
        const std::string w = flipped(effects[i % 2], 0, 64);
        PlixWavShape shape;
        if (wavProblem(reinterpret_cast<const Uint8*>(w.data()), w.size(), &shape)) {
            ++wav.refused;
        } else if (!sameSound(w, shape)) {
            ++wav.failed;
        } else if (Mix_Chunk* chunk =
                       Mix_LoadWAV_RW(SDL_RWFromConstMem(w.data(), int(w.size())), 1)) {
            ++wav.taken;
            Mix_FreeChunk(chunk);
        } else {
            ++wav.failed;
        }

        // Music: the setup header and the pages around it, checksums made right again.
        std::vector<Page> ps = pages(music);
        const std::string second = ps[1].header + ps[1].body;
        const std::string changed = flipped(second, 20, second.size() - 20);
        ps[1].header = changed.substr(0, 27 + uint8_t(changed[26]));
        ps[1].body = changed.substr(ps[1].header.size());
        std::string o = join(ps);
        if (oggProblem(reinterpret_cast<const uint8_t*>(o.data()), o.size())) {
            ++ogg.refused;
        } else {
            ++ogg.taken;
            decodeAll(o);
        }
    }
    std::printf(
        "flips: bmp %d refused, %d taken, %d left to SDL; wav %d refused, %d taken, %d left "
        "to SDL; ogg %d refused, %d taken and decoded\n",
        bmp.refused, bmp.taken, bmp.failed, wav.refused, wav.taken, wav.failed, ogg.refused,
        ogg.taken);
    // A WAV the check takes must load as it was read, and a picture the header check takes must
    // come out as promised: anything else means a check and SDL read a file apart.
    return wav.failed == 0 && bmp.guarded == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "make") == 0) return make(argv[2], argv[3], argv[4]);
    if (argc == 5 && std::strcmp(argv[1], "flip") == 0) {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0 ||
            Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) < 0) {
            std::fprintf(stderr, "hostile: no SDL: %s\n", SDL_GetError());
            return 2;
        }
        const int status = flip(std::strtoull(argv[2], nullptr, 10), std::atoi(argv[3]), argv[4]);
        Mix_CloseAudio();
        SDL_Quit();
        return status;
    }
    std::cerr << "usage: hostile make HOW IN OUT | hostile flip SEED COUNT DIR\n";
    return 2;
}
