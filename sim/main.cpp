// zorvane-sim: plays whole headless games of ZORVANE and prints one line per game.
#include "plix/Plix.h"
#include "sim/SimFiles.h"
#include "sim/SimGame.h"
#include "sim/SimInput.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace {

const char* USAGE =
    "usage: zorvane-sim [--level N | --all-levels] [--seed S] [--games N]\n"
    "                   [--input random|bot|FILE] [--record FILE] [--check] [--max-frames N]\n"
    "                   [--from-title] [--trace FILE] [--pace MS]\n"
    "  --level N       difficulty 0 to 50 (default 0); --all-levels plays 0 to 50 in turn\n"
    "  --seed S        seed of the first game; game i of a level uses S + i (default 1)\n"
    "  --games N       games per level (default 1)\n"
    "  --input SRC     random player (default), dodging bot, or a recorded input file; a file\n"
    "                  with \"game LEVEL SEED\" lines replays those games and takes no level or "
    "seed\n"
    "  --record FILE   writes every game's keys, frame by frame, in the input file format, each\n"
    "                  game as soon as it ends\n"
    "  --check         verifies the pools and every object's coordinates after each frame;\n"
    "                  the first violation ends the run with status 2\n"
    "  --max-frames N  cuts each game after N frames (outcome cut@N)\n"
    "  --from-title    runs each game of the --input FILE as a script for the whole program, from\n"
    "                  its title screen (LEVEL is where the title starts) to the script's last "
    "frame\n"
    "  --trace FILE    writes every drawing, sound and scene call as text, one block per frame\n"
    "  --pace MS       waits out MS milliseconds a frame, as the game does with 16 (default 0)\n"
    "Runs in the current directory, which must hold resource/; writes run.log there.\n";

struct Args {
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
    bool help = false;
};

[[noreturn]] void usageError(const std::string& message) {
    std::cerr << "zorvane-sim: " << message << "\n" << USAGE;
    std::exit(1);
}

// Larger than any input file a record of many long games makes.
constexpr size_t MAX_INPUT = size_t(256) << 20;

[[noreturn]] void fileError(const char* which, const SimFileError& e) {
    std::cerr << "zorvane-sim: " << which << " " << e.what() << "\n";
    std::exit(1);
}

// A command line refused by readOptions: thrown, not exited on, so that one process can try many
// (tests/fuzz).
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

long long number(const std::string& option, const std::string& text, long long lo, long long hi) {
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || v < lo || v > hi)
        throw UsageError(option + " wants a whole number from " + std::to_string(lo) + " to " +
                         std::to_string(hi) + ", not \"" + simQuoted(text) + "\"");
    return v;
}

Args readOptions(int argc, char** argv) {
    Args a;
    for (int i = 1; i < argc; ++i) {
        std::string opt = argv[i];
        std::string value;
        bool hasValue = false;
        if (auto eq = opt.find('='); opt.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = opt.substr(eq + 1);
            opt = opt.substr(0, eq);
            hasValue = true;
        }
        auto take = [&]() -> std::string {
            if (hasValue) return value;
            if (i + 1 >= argc) throw UsageError(opt + " needs a value");
            return argv[++i];
        };
        // "--check=0" must not switch the check on: a switch given a value is refused.
        auto bare = [&]() {
            if (hasValue)
                throw UsageError(opt + " takes no value, not \"" + simQuoted(value) + "\"");
            return true;
        };
        if (opt == "--level") {
            a.level = static_cast<int>(number(opt, take(), 0, 50));
            a.levelGiven = true;
        } else if (opt == "--all-levels") {
            a.allLevels = bare();
        } else if (opt == "--seed") {
            // Seeds are unsigned 64-bit; the signed reader covers the range anyone types.
            a.seed = static_cast<uint64_t>(number(opt, take(), 0, INT64_MAX));
            a.seedGiven = true;
        } else if (opt == "--games") {
            a.games = static_cast<long>(number(opt, take(), 1, 1000000));
            a.gamesGiven = true;
        } else if (opt == "--input") {
            a.input = take();
        } else if (opt == "--record") {
            a.record = take();
        } else if (opt == "--check") {
            a.check = bare();
        } else if (opt == "--from-title") {
            a.fromTitle = bare();
        } else if (opt == "--trace") {
            a.trace = take();
        } else if (opt == "--pace") {
            a.pace = static_cast<int>(number(opt, take(), 0, 1000));
        } else if (opt == "--max-frames") {
            a.maxFrames = static_cast<long>(number(opt, take(), 1, SIM_FRAME_LIMIT));
        } else if (opt == "--help" || opt == "-h") {
            // Nothing after it is read: the usage is all that was asked for.
            a.help = bare();
            return a;
        } else {
            throw UsageError("unknown option \"" + simQuoted(opt) + "\"");
        }
    }
    if (a.allLevels && a.levelGiven)
        throw UsageError("--level and --all-levels exclude each other");
    if (a.fromTitle && (a.input == "random" || a.input == "bot"))
        throw UsageError("--from-title plays a script: give it --input FILE");
    if (a.fromTitle && (a.allLevels || a.maxFrames || !a.record.empty()))
        throw UsageError("--from-title takes no --all-levels, --max-frames or --record");
    return a;
}

// The options, or the end of the process: with the usage after a refused line, or after --help.
Args parse(int argc, char** argv) {
    try {
        const Args a = readOptions(argc, argv);
        if (!a.help) return a;
        std::cout << USAGE;
        std::exit(0);
    } catch (const UsageError& e) {
        usageError(e.what());
    }
}

// One game to play: where its keys come from.
struct Planned {
    int level;
    uint64_t seed;
    const RecordedGame* replay;
};

void progress(size_t done, size_t total) {
    constexpr int WIDTH = 40;
    int filled = static_cast<int>(done * WIDTH / total);
    std::fprintf(stderr, "\r[%.*s%*s] %zu/%zu games", filled,
                 "########################################", WIDTH - filled, "", done, total);
    if (done == total) std::fprintf(stderr, "\r%*s\r", WIDTH + 32, "");
    std::fflush(stderr);
}

} // namespace

int main(int argc, char** argv) {
    Args args = parse(argc, argv);

    // Every file of the run, so that no name is taken for two of them.
    SimFileId files[3];
    int fileCount = 0;
    std::vector<RecordedGame> recorded;
    std::unique_ptr<InputSource> live;
    if (args.input == "random") {
        live = std::make_unique<RandomPlayer>();
    } else if (args.input == "bot") {
        live = std::make_unique<DodgeBot>();
    } else {
        try {
            std::istringstream in(simReadInput(args.input, MAX_INPUT, files[fileCount++]));
            recorded = readInputFile(in);
        } catch (const SimFileError& e) {
            fileError("the input file", e);
        } catch (const SimInputError& e) {
            std::cerr << "zorvane-sim: " << simQuoted(args.input) << ": " << e.what() << "\n";
            return 1;
        }
    }

    std::vector<Planned> plan;
    if (!recorded.empty() && recorded.front().hasHeader) {
        if (args.levelGiven || args.allLevels || args.seedGiven || args.gamesGiven)
            usageError("\"" + simQuoted(args.input) +
                       "\" names its own levels and seeds; drop --level, --seed and --games");
        for (const RecordedGame& g : recorded)
            plan.push_back({g.level, g.seed, &g});
    } else {
        int first = args.allLevels ? 0 : args.level;
        int last = args.allLevels ? 50 : args.level;
        for (int lv = first; lv <= last; ++lv)
            for (long g = 0; g < args.games; ++g)
                plan.push_back({lv, args.seed + static_cast<uint64_t>(g),
                                recorded.empty() ? nullptr : &recorded[0]});
    }

    std::FILE* recordOut = nullptr;
    std::FILE* traceOut = nullptr;
    const char* opening = "the record file";
    try {
        if (!args.record.empty()) {
            recordOut = simOpenOutput(args.record, files, fileCount, files[fileCount]);
            ++fileCount;
            std::ostringstream header;
            writeInputHeader(header);
            std::fputs(header.str().c_str(), recordOut);
        }
        opening = "the trace file";
        if (!args.trace.empty()) {
            traceOut = simOpenOutput(args.trace, files, fileCount, files[fileCount]);
            ++fileCount;
        }
    } catch (const SimFileError& e) {
        fileError(opening, e);
    }

    int status = 0;
    try {
        simInitMedia();
        const bool bar = plan.size() > 1 && isatty(STDERR_FILENO);
        for (size_t i = 0; i < plan.size(); ++i) {
            SimOptions options;
            options.check = args.check;
            options.maxFrames = static_cast<int>(args.maxFrames);
            options.traceText = traceOut;
            options.periodMs = args.pace;
            RecordedGame taken;
            options.record = recordOut ? &taken : nullptr;
            Replay replay(plan[i].replay);
            InputSource& input = plan[i].replay ? static_cast<InputSource&>(replay) : *live;
            std::string line;
            bool failed = false;
            try {
                if (args.fromTitle) {
                    RecordedGame script = *plan[i].replay;
                    script.level = plan[i].level;
                    script.seed = plan[i].seed;
                    line = formatCycle(script, runCycle(script, options));
                } else {
                    line = formatResult(runGame(plan[i].level, plan[i].seed, input, options));
                }
            } catch (const SimCheckError& e) {
                if (bar) std::fprintf(stderr, "\n");
                std::cerr << "zorvane-sim: check failed at level " << plan[i].level << " seed "
                          << plan[i].seed << ", " << e.what() << "\n";
                status = 2;
                failed = true;
            }
            // Written as each game ends, so an interrupted run keeps every game it finished; a game
            // that broke a check is written too, up to its bad frame, so it can be replayed.
            if (recordOut) {
                std::ostringstream game;
                writeRecordedGame(game, taken);
                std::fputs(game.str().c_str(), recordOut);
                if (std::fflush(recordOut) != 0 || std::ferror(recordOut)) {
                    std::cerr << "zorvane-sim: writing \"" << simQuoted(args.record)
                              << "\" failed\n";
                    status = status ? status : 1;
                    break;
                }
            }
            if (failed) break;
            std::cout << line << std::endl;
            if (bar) progress(i + 1, plan.size());
        }
        // A write that failed mid-run (a full disk) leaves its mark on the stream, not on fclose.
        if (traceOut && (std::ferror(traceOut) | std::fclose(traceOut)) != 0) {
            std::cerr << "zorvane-sim: writing \"" << simQuoted(args.trace) << "\" failed\n";
            status = status ? status : 1;
        }
        if (recordOut) std::fclose(recordOut);
    } catch (const PlixError& e) {
        std::cerr << "zorvane-sim: " << e.what() << "\n";
        status = 1;
    }
    Plix_quit();
    return status;
}
