// ogg_bend: an Ogg Vorbis file whose stream claims another rate, or a good one chained to such.
// Usage: ogg_bend IN OUT RATE [chained]
#include "support/OggBend.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        std::cerr << "usage: ogg_bend IN OUT RATE [chained]\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string ogg(std::istreambuf_iterator<char>(in), {});
    const uint32_t rate = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    const bool chained = argc == 5;
    // A chained copy needs serial numbers of its own to count as a second stream.
    const std::string bent = oggbend::bend(ogg, 2, rate, chained ? 0x5a5a5a5au : 0);
    std::ofstream(argv[2], std::ios::binary) << (chained ? ogg + bent : bent);
    return ogg.empty() ? 1 : 0;
}
