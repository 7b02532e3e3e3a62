// fuzz_sim_input: the simulator's input file reader on any bytes; the games it takes, written out
// again, must read back the same.
#include "FuzzSupport.h"
#include "sim/SimInput.h"

#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<RecordedGame> games;
    try {
        games = readInputFile(in);
    } catch (const SimInputError&) {
        return 0;
    }
    std::stringstream written;
    writeInputFile(written, games);
    // A throw here is a finding too: the reader refusing what the writer made.
    const std::vector<RecordedGame> back = readInputFile(written);
    if (back.size() != games.size())
        fuzz::fail("%zu games read back as %zu", games.size(), back.size());
    for (size_t i = 0; i < games.size(); ++i)
        if (back[i].level != games[i].level || back[i].seed != games[i].seed ||
            back[i].keys != games[i].keys)
            fuzz::fail("game %zu reads back otherwise", i);
    return 0;
}
