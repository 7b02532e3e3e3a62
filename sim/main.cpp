// zorvane-sim: plays whole headless games of ZORVANE and prints one line per game; checks replays
// against their claims, and shows them.
#include "flow/GameMain.h"
#include "flow/Title.h"
#include "objects/World.h"
#include "plix/Plix.h"
#include "sim/SimFiles.h"
#include "sim/SimGame.h"
#include "sim/SimInput.h"
#include "sim/SimOptions.h"
#include "sim/SimPlayback.h"
#include "sim/SimReplay.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace {

// The game's log, which the media layer empties as it opens.
constexpr const char* LOG_FILE = "run.log";

// Larger than any input file a record of many long games makes.
constexpr size_t MAX_INPUT = size_t(256) << 20;

[[noreturn]] void usageError(const std::string& message) {
    std::cerr << "zorvane-sim: " << message << "\n" << simUsage();
    std::exit(1);
}

[[noreturn]] void fileError(const std::string& which, const std::string& why) {
    std::cerr << "zorvane-sim: " << which << " " << why << "\n";
    std::exit(1);
}

// Every file of the run, so that no name is taken for two of them, and the outputs.
struct RunFiles {
    SimFileId ids[4];
    int count = 0;
    std::FILE* record = nullptr;
    std::FILE* trace = nullptr;
};

// The games of an input file: replays (whose keys are in `recorded` too, for the input that plays
// them), or a text input file's games and scripts.
struct Inputs {
    std::vector<ReplayGame> replays;
    std::vector<RecordedGame> recorded;
};

// One game to play: how it begins, where its keys come from, and the replay it comes from.
struct Planned {
    GameStart start;
    const RecordedGame* keys;
    const ReplayGame* replay;
};

void progress(size_t done, size_t total) {
    constexpr int WIDTH = 40;
    int filled = static_cast<int>(done * WIDTH / total);
    std::fprintf(stderr, "\r[%.*s%*s] %zu/%zu games", filled,
                 "########################################", WIDTH - filled, "", done, total);
    if (done == total) std::fprintf(stderr, "\r%*s\r", WIDTH + 32, "");
    std::fflush(stderr);
}

// The games of a file: a replay file, told by its mark, or a text input file.
Inputs readInputs(const std::string& path, RunFiles& files) {
    Inputs in;
    try {
        const std::string bytes = simReadInput(path, MAX_INPUT, files.ids[files.count++]);
        if (looksLikeReplay(bytes)) {
            in.replays = decodeReplays(bytes);
            for (const ReplayGame& g : in.replays) {
                in.recorded.emplace_back();
                in.recorded.back().keys = g.keys;
            }
        } else {
            std::istringstream text(bytes);
            in.recorded = readInputFile(text);
        }
    } catch (const SimFileError& e) {
        fileError("the input file", e.what());
    } catch (const std::runtime_error& e) { // a text file's SimInputError, a replay's ReplayError
        fileError(simQuoted(path) + ":", e.what());
    }
    return in;
}

// The games of the run in order: those the input file names, or each level's seeds in turn.
std::vector<Planned> planGames(const SimArgs& args, const Inputs& in) {
    std::vector<Planned> plan;
    if (!in.replays.empty() || (!in.recorded.empty() && in.recorded[0].hasHeader)) {
        if (args.levelGiven || args.allLevels || args.seedGiven || args.gamesGiven)
            usageError("\"" + simQuoted(args.input) +
                       "\" names its own levels and seeds; drop --level, --seed and --games");
        for (size_t i = 0; i < in.recorded.size(); ++i) {
            const RecordedGame& g = in.recorded[i];
            const ReplayGame* r = in.replays.empty() ? nullptr : &in.replays[i];
            plan.push_back({r ? replayStart(*r) : GameStart{g.level, g.seed}, &g, r});
        }
        return plan;
    }
    int first = args.allLevels ? LEVEL_MIN : args.level;
    int last = args.allLevels ? LEVEL_MAX : args.level;
    for (int lv = first; lv <= last; ++lv)
        for (long g = 0; g < args.games; ++g)
            plan.push_back({GameStart{lv, args.seed + static_cast<uint64_t>(g)},
                            in.recorded.empty() ? nullptr : &in.recorded[0], nullptr});
    return plan;
}

// The record and the trace, each a file of its own.
void openOutputs(const SimArgs& args, RunFiles& files) {
    const char* opening = "the record file";
    try {
        if (!args.record.empty()) {
            files.record =
                simOpenOutput(args.record, files.ids, files.count, files.ids[files.count]);
            ++files.count;
        }
        opening = "the trace file";
        if (!args.trace.empty()) {
            files.trace = simOpenOutput(args.trace, files.ids, files.count, files.ids[files.count]);
            ++files.count;
        }
    } catch (const SimFileError& e) {
        fileError(opening, e.what());
    }
}

SimOptions optionsOf(const SimArgs& args, const RunFiles& files) {
    SimOptions options;
    options.check = args.check;
    options.maxFrames = static_cast<int>(args.maxFrames);
    options.traceText = files.trace;
    options.periodMs = args.pace;
    options.shotFrame = static_cast<int>(args.shotFrame);
    options.shotFile = args.shot.empty() ? nullptr : args.shot.c_str();
    return options;
}

// One planned game, or the whole program from the title when --from-title. A replay is cut at its
// own last frame. A check that fails is told on standard error, and the game comes out cut there.
bool playGame(const SimArgs& args, const Planned& game, InputSource* live, SimOptions options,
              GameResult& r, std::string& line) {
    Replay replay(game.keys);
    InputSource& input = game.keys ? static_cast<InputSource&>(replay) : *live;
    if (game.replay) options.maxFrames = static_cast<int>(game.replay->keys.size());
    try {
        if (!args.fromTitle) {
            r = runGame(game.start, input, options);
            line = formatResult(r);
            return true;
        }
        RecordedGame script = *game.keys;
        script.level = game.start.level;
        script.seed = game.start.seed;
        line = formatCycle(script, runCycle(script, options));
        return true;
    } catch (const SimCheckError& e) {
        std::cerr << "zorvane-sim: check failed at level " << game.start.level << " seed "
                  << game.start.seed << ", " << e.what() << "\n";
        r.outcome = GameResult::CUT;
        r.score = gameMain->score;
        r.time = gameMain->time;
        return false;
    }
}

// A game as its replay: how it began, its keys, and how it came out.
std::string replayOf(const Planned& game, const GameResult& r, const RecordedGame& keys) {
    ReplayGame g;
    g.level = game.start.level;
    g.seed = game.start.seed;
    g.volley = game.start.volley;
    g.shotWait = game.start.shotWait;
    g.outcome = r.outcome == GameResult::CLEAR  ? REPLAY_CLEAR
                : r.outcome == GameResult::OVER ? REPLAY_OVER
                                                : REPLAY_CUT;
    g.score = r.score;
    g.time = r.time;
    g.keys = keys.keys;
    return encodeReplay(g);
}

// Plays the plan, a line on standard output per game; the exit status.
int playAll(const SimArgs& args, const std::vector<Planned>& plan, InputSource* live,
            const RunFiles& files) {
    const bool bar = plan.size() > 1 && isatty(STDERR_FILENO);
    for (size_t i = 0; i < plan.size(); ++i) {
        SimOptions options = optionsOf(args, files);
        RecordedGame taken;
        options.record = files.record ? &taken : nullptr;
        GameResult r;
        std::string line;
        const bool played = playGame(args, plan[i], live, options, r, line);
        if (!played && bar) std::fprintf(stderr, "\n");
        // Written as each game ends, so an interrupted run keeps every game it finished; a game
        // that broke a check is written too, up to its bad frame, so it can be replayed.
        if (files.record && !taken.keys.empty()) {
            const std::string bytes = replayOf(plan[i], r, taken);
            if (std::fwrite(bytes.data(), 1, bytes.size(), files.record) != bytes.size() ||
                std::fflush(files.record) != 0) {
                std::cerr << "zorvane-sim: writing \"" << simQuoted(args.record) << "\" failed\n";
                return played ? 1 : 2;
            }
        }
        if (!played) return 2;
        std::cout << line << std::endl;
        if (bar) progress(i + 1, plan.size());
    }
    return 0;
}

// Every game of the replay file against its claim; 1 when one does not hold.
int verifyAll(const SimArgs& args, const Inputs& in, const RunFiles& files) {
    int status = 0;
    for (size_t i = 0; i < in.replays.size(); ++i) {
        const ReplayGame& g = in.replays[i];
        ReplayCheck c;
        try {
            c = verifyReplay(g, optionsOf(args, files));
        } catch (const SimCheckError& e) {
            std::cerr << "zorvane-sim: check failed in game " << i + 1 << ", " << e.what() << "\n";
            return 2;
        }
        std::cout << formatResult(c.result) << " " << formatClaim(g)
                  << (c.holds ? ": holds" : ": does not hold") << std::endl;
        if (!c.holds) {
            std::cerr << "zorvane-sim: " << simQuoted(args.verify) << ": game " << i + 1 << " "
                      << c.problem << "\n";
            status = 1;
        }
    }
    return status;
}

// The media layer open (a window for --watch, SDL's dummy drivers otherwise) around what the run
// does; its failures end the run as they end the game, and a quit ends a watch.
int withMedia(bool window, const std::function<int()>& run) {
    int status = 0;
    try {
        simInitMedia(window);
        status = run();
    } catch (const PlixQuit&) {
        status = 0;
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

// The run's status once its outputs are closed: a write that failed mid-run (a full disk) leaves
// its mark on the stream, not on fclose.
int closeOutputs(const SimArgs& args, RunFiles& files, int status) {
    if (files.trace && (std::ferror(files.trace) | std::fclose(files.trace)) != 0) {
        std::cerr << "zorvane-sim: writing \"" << simQuoted(args.trace) << "\" failed\n";
        status = status ? status : 1;
    }
    if (files.record) std::fclose(files.record);
    return status;
}

int playback(const SimArgs& args) {
    RunFiles files;
    const std::string& path = args.verify.empty() ? args.watch : args.verify;
    const Inputs in = readInputs(path, files);
    if (in.replays.empty()) fileError(simQuoted(path) + ":", "is no replay file (no ZVRP mark)");
    if (!args.watch.empty()) return withMedia(true, [&]() -> int { watchReplay(in.replays[0]); });
    openOutputs(args, files);
    return closeOutputs(args, files, withMedia(false, [&] { return verifyAll(args, in, files); }));
}

} // namespace

int main(int argc, char** argv) {
    SimArgs args;
    try {
        args = readOptions(argc, argv);
    } catch (const SimUsageError& e) {
        usageError(e.what());
    }
    if (args.help) {
        std::cout << simUsage();
        return 0;
    }
    if (!args.verify.empty() || !args.watch.empty()) return playback(args);

    RunFiles files;
    Inputs in;
    std::unique_ptr<InputSource> live;
    if (args.input == "random") {
        live = std::make_unique<RandomPlayer>();
    } else if (args.input == "bot") {
        live = std::make_unique<DodgeBot>();
    } else {
        in = readInputs(args.input, files);
    }
    const std::vector<Planned> plan = planGames(args, in);
    openOutputs(args, files);
    return closeOutputs(args, files,
                        withMedia(false, [&] { return playAll(args, plan, live.get(), files); }));
}
