// fuzz_replay: the replay reader on any bytes; what it takes, written out again, must read back the
// same, and hold only what a game can.
#include "FuzzSupport.h"
#include "sim/SimReplay.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<ReplayGame> games;
    try {
        games = decodeReplays(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const ReplayError&) {
        return 0;
    }
    std::string written;
    for (const ReplayGame& g : games) {
        if (g.keys.empty() || g.time > static_cast<int>(g.keys.size()))
            fuzz::fail("a game of %zu frames and time %d taken", g.keys.size(), g.time);
        for (uint8_t k : g.keys)
            if (k > 0x3f) fuzz::fail("keys %d taken", k);
        written += encodeReplay(g);
    }
    // A throw here is a finding too: the reader refusing what the writer made.
    const std::vector<ReplayGame> back = decodeReplays(written);
    for (size_t i = 0; i < games.size(); ++i)
        if (back.at(i).keys != games[i].keys || back[i].seed != games[i].seed ||
            back[i].score != games[i].score || back[i].volley != games[i].volley)
            fuzz::fail("game %zu reads back otherwise", i);
    return 0;
}
