// SimOptions: the simulator's command line, read and checked, and its usage.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

struct SimArgs {
    int level = 0;
    bool allLevels = false;
    bool levelGiven = false;
    uint64_t seed = 1;
    bool seedGiven = false;
    long games = 1;
    bool gamesGiven = false;
    std::string input = "random";
    std::string record;
    bool check = false;
    long maxFrames = 0;
    bool fromTitle = false;
    std::string trace;
    int pace = 0;
    long shotFrame = 0; // 0: no --shot
    std::string shot;
    std::string verify;
    std::string watch;
    bool help = false;
};

// A command line the simulator refuses, with the reason.
class SimUsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The options of argv[1 ...]; throws SimUsageError on an unknown option, a value out of range or
// missing, a switch given a value ("--check=0"), or options that exclude each other. Reading stops
// at --help.
SimArgs readOptions(int argc, char** argv);

// The usage text, with the game's own numbers in it.
std::string simUsage();
