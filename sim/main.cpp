// zorvane-sim: plays whole headless games of ZORVANE and prints one line per game.
#include "flow/Scene.h"
#include "flow/Title.h"
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

// The game's log, which the media layer empties as it opens.
constexpr const char* LOG_FILE = "run.log";

// The usage as a format: the level range twice, the game's frame period, the log's name.
const char* const USAGE =
    "usage: zorvane-sim [--level N | --all-levels] [--seed S] [--games N]\n"
    "                   [--input random|bot|FILE] [--record FILE] [--check] [--max-frames N]\n"
    "                   [--from-title] [--trace FILE] [--pace MS]\n"
    "  --level N       difficulty %d to %d (default 0); --all-levels plays %d to %d in turn\n"
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
    "  --pace MS       waits out MS milliseconds a frame, as the game does with %d (default 0)\n"
    "Runs in the current directory, which must hold resource/; writes %s there, ending with the\n"
    "failure of the media layer that ended the run, if one did.\n";

std::string usage() {
    char text[2048];
    std::snprintf(text, sizeof text, USAGE, LEVEL_MIN, LEVEL_MAX, LEVEL_MIN, LEVEL_MAX, FRAME_MS,
                  LOG_FILE);
    return text;
}

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
};

[[noreturn]] void usageError(const std::string& message) {
    std::cerr << "zorvane-sim: " << message << "\n" << usage();
    std::exit(1);
}

// Larger than any input file a record of many long games makes.
constexpr size_t MAX_INPUT = size_t(256) << 20;

[[noreturn]] void fileError(const char* which, const SimFileError& e) {
    std::cerr << "zorvane-sim: " << which << " " << e.what() << "\n";
    std::exit(1);
}

long long number(const std::string& option, const std::string& text, long long lo, long long hi) {
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || v < lo || v > hi)
        usageError(option + " wants a whole number from " + std::to_string(lo) + " to " +
                   std::to_string(hi) + ", not \"" + simQuoted(text) + "\"");
    return v;
}

// Options each right alone that make no sense together.
void refuseClashes(const Args& a) {
    if (a.allLevels && a.levelGiven) usageError("--level and --all-levels exclude each other");
    if (a.fromTitle && (a.input == "random" || a.input == "bot"))
        usageError("--from-title plays a script: give it --input FILE");
    if (a.fromTitle && (a.allLevels || a.maxFrames || !a.record.empty()))
        usageError("--from-title takes no --all-levels, --max-frames or --record");
}

Args parse(int argc, char** argv) {
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
            if (i + 1 >= argc) usageError(opt + " needs a value");
            return argv[++i];
        };
        // "--check=0" must not switch the check on: a switch given a value is refused.
        auto bare = [&]() {
            if (hasValue) usageError(opt + " takes no value, not \"" + simQuoted(value) + "\"");
            return true;
        };
        if (opt == "--level") {
            a.level = static_cast<int>(number(opt, take(), LEVEL_MIN, LEVEL_MAX));
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
            bare();
            std::cout << usage();
            std::exit(0);
        } else {
            usageError("unknown option \"" + simQuoted(opt) + "\"");
        }
    }
    refuseClashes(a);
    return a;
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

// Every file of the run, so that no name is taken for two of them, and the outputs.
struct RunFiles {
    SimFileId ids[3];
    int count = 0;
    std::FILE* record = nullptr;
    std::FILE* trace = nullptr;
};

// A live input source for --input random or bot; otherwise the games of the input file.
std::unique_ptr<InputSource> openInput(const Args& args, RunFiles& files,
                                       std::vector<RecordedGame>& recorded) {
    if (args.input == "random") return std::make_unique<RandomPlayer>();
    if (args.input == "bot") return std::make_unique<DodgeBot>();
    try {
        std::istringstream in(simReadInput(args.input, MAX_INPUT, files.ids[files.count++]));
        recorded = readInputFile(in);
    } catch (const SimFileError& e) {
        fileError("the input file", e);
    } catch (const SimInputError& e) {
        std::cerr << "zorvane-sim: " << simQuoted(args.input) << ": " << e.what() << "\n";
        std::exit(1);
    }
    return nullptr;
}

// The games of the run in order: those an input file names, or each level's seeds in turn.
std::vector<Planned> planGames(const Args& args, const std::vector<RecordedGame>& recorded) {
    std::vector<Planned> plan;
    if (!recorded.empty() && recorded.front().hasHeader) {
        if (args.levelGiven || args.allLevels || args.seedGiven || args.gamesGiven)
            usageError("\"" + simQuoted(args.input) +
                       "\" names its own levels and seeds; drop --level, --seed and --games");
        for (const RecordedGame& g : recorded)
            plan.push_back({g.level, g.seed, &g});
        return plan;
    }
    int first = args.allLevels ? LEVEL_MIN : args.level;
    int last = args.allLevels ? LEVEL_MAX : args.level;
    for (int lv = first; lv <= last; ++lv)
        for (long g = 0; g < args.games; ++g)
            plan.push_back({lv, args.seed + static_cast<uint64_t>(g),
                            recorded.empty() ? nullptr : &recorded[0]});
    return plan;
}

// The record, which opens with the file format's header, and the trace: each a file of its own.
void openOutputs(const Args& args, RunFiles& files) {
    const char* opening = "the record file";
    try {
        if (!args.record.empty()) {
            files.record =
                simOpenOutput(args.record, files.ids, files.count, files.ids[files.count]);
            ++files.count;
            std::ostringstream header;
            writeInputHeader(header);
            std::fputs(header.str().c_str(), files.record);
        }
        opening = "the trace file";
        if (!args.trace.empty()) {
            files.trace = simOpenOutput(args.trace, files.ids, files.count, files.ids[files.count]);
            ++files.count;
        }
    } catch (const SimFileError& e) {
        fileError(opening, e);
    }
}

// One planned game, or the whole program from the title when --from-title: its line, or "" after
// a check that failed, which is told on standard error.
std::string playGame(const Args& args, const Planned& game, InputSource* live,
                     const SimOptions& options, bool bar) {
    Replay replay(game.replay);
    InputSource& input = game.replay ? static_cast<InputSource&>(replay) : *live;
    try {
        if (!args.fromTitle) return formatResult(runGame(game.level, game.seed, input, options));
        RecordedGame script = *game.replay;
        script.level = game.level;
        script.seed = game.seed;
        return formatCycle(script, runCycle(script, options));
    } catch (const SimCheckError& e) {
        if (bar) std::fprintf(stderr, "\n");
        std::cerr << "zorvane-sim: check failed at level " << game.level << " seed " << game.seed
                  << ", " << e.what() << "\n";
        return "";
    }
}

// Plays the plan, a line on standard output per game; the exit status so far.
int playAll(const Args& args, const std::vector<Planned>& plan, InputSource* live,
            const RunFiles& files) {
    const bool bar = plan.size() > 1 && isatty(STDERR_FILENO);
    for (size_t i = 0; i < plan.size(); ++i) {
        SimOptions options;
        options.check = args.check;
        options.maxFrames = static_cast<int>(args.maxFrames);
        options.traceText = files.trace;
        options.periodMs = args.pace;
        RecordedGame taken;
        options.record = files.record ? &taken : nullptr;
        const std::string line = playGame(args, plan[i], live, options, bar);
        // Written as each game ends, so an interrupted run keeps every game it finished; a game
        // that broke a check is written too, up to its bad frame, so it can be replayed.
        if (files.record) {
            std::ostringstream game;
            writeRecordedGame(game, taken);
            std::fputs(game.str().c_str(), files.record);
            if (std::fflush(files.record) != 0 || std::ferror(files.record)) {
                std::cerr << "zorvane-sim: writing \"" << simQuoted(args.record) << "\" failed\n";
                return line.empty() ? 2 : 1;
            }
        }
        if (line.empty()) return 2;
        std::cout << line << std::endl;
        if (bar) progress(i + 1, plan.size());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const Args args = parse(argc, argv);
    RunFiles files;
    std::vector<RecordedGame> recorded;
    const std::unique_ptr<InputSource> live = openInput(args, files, recorded);
    const std::vector<Planned> plan = planGames(args, recorded);
    openOutputs(args, files);

    int status = 0;
    try {
        simInitMedia();
        status = playAll(args, plan, live.get(), files);
        // A write that failed mid-run (a full disk) leaves its mark on the stream, not on fclose.
        if (files.trace && (std::ferror(files.trace) | std::fclose(files.trace)) != 0) {
            std::cerr << "zorvane-sim: writing \"" << simQuoted(args.trace) << "\" failed\n";
            status = status ? status : 1;
        }
        if (files.record) std::fclose(files.record);
    } catch (const PlixError& e) {
        // As the game ends on it: the message is also run.log's last line. Standard output keeps
        // to the lines of the games played.
        std::cerr << "zorvane-sim: " << e.what() << "\n";
        simAppendLine(LOG_FILE, e.what());
        status = 1;
    }
    Plix_quit();
    return status;
}
