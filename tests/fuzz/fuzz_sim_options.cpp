// fuzz_sim_options: the simulator's option reader on any command line (arguments split at NUL
// bytes); what it takes, spelled out again in other words, must read the same.
#include "FuzzSupport.h"
#include "sim/SimOptions.h"

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace {

SimArgs readArguments(std::vector<std::string> words) {
    std::vector<char*> argv = {const_cast<char*>("zorvane-sim")};
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    return readOptions(int(argv.size() - 1), argv.data());
}

// The same options in other words: some values joined by "=", some apart, the switches last.
std::vector<std::string> respelled(const SimArgs& a) {
    std::vector<std::string> w = {"--input=" + a.input, "--pace", std::to_string(a.pace)};
    if (a.levelGiven) w.insert(w.end(), {"--level", std::to_string(a.level)});
    if (a.seedGiven) w.push_back("--seed=" + std::to_string(a.seed));
    if (a.gamesGiven) w.insert(w.end(), {"--games", std::to_string(a.games)});
    if (!a.record.empty()) w.push_back("--record=" + a.record);
    if (!a.trace.empty()) w.insert(w.end(), {"--trace", a.trace});
    if (a.maxFrames) w.push_back("--max-frames=" + std::to_string(a.maxFrames));
    if (a.shotFrame) w.insert(w.end(), {"--shot=" + std::to_string(a.shotFrame), a.shot});
    if (!a.verify.empty()) w.insert(w.end(), {"--verify", a.verify});
    if (!a.watch.empty()) w.push_back("--watch=" + a.watch);
    for (auto [on, name] : {std::pair{a.allLevels, "--all-levels"},
                            {a.check, "--check"},
                            {a.fromTitle, "--from-title"}})
        if (on) w.push_back(name);
    return w;
}

auto fields(const SimArgs& a) {
    return std::tie(a.level, a.allLevels, a.levelGiven, a.seed, a.seedGiven, a.games, a.gamesGiven,
                    a.input, a.record, a.check, a.maxFrames, a.fromTitle, a.trace, a.pace,
                    a.shotFrame, a.shot, a.verify, a.watch);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words;
    const std::string line(reinterpret_cast<const char*>(data), size);
    for (size_t at = 0; size && at <= line.size();) {
        const size_t end = std::min(line.find('\0', at), line.size());
        words.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    SimArgs a;
    try {
        a = readArguments(words);
    } catch (const SimUsageError&) {
        return 0;
    }
    if (a.help) return 0;
    // A throw here is a finding too: the reader refusing the options it took.
    if (fields(readArguments(respelled(a))) != fields(a)) fuzz::fail("the options read otherwise");
    return 0;
}
