// SimOptions: every option read on the same terms, and the ones that exclude each other refused.
#include "sim/SimOptions.h"

#include "flow/Scene.h"
#include "flow/Title.h"
#include "sim/SimFiles.h"
#include "sim/SimGame.h"

#include <cerrno>
#include <cstdlib>

namespace {

// The usage as a format: the level range twice, the game's frame period.
const char* const USAGE =
    "usage: zorvane-sim [--level N | --all-levels] [--seed S] [--games N]\n"
    "                   [--input random|bot|FILE] [--record FILE] [--check] [--max-frames N]\n"
    "                   [--from-title] [--trace FILE] [--pace MS] [--shot FRAME FILE]\n"
    "       zorvane-sim --verify FILE [--check] [--trace FILE]\n"
    "       zorvane-sim --watch FILE\n"
    "  --level N       difficulty %d to %d (default 0); --all-levels plays %d to %d in turn\n"
    "  --seed S        seed of the first game; game i of a level uses S + i (default 1)\n"
    "  --games N       games per level (default 1)\n"
    "  --input SRC     random player (default), dodging bot, or a file: a replay file plays its\n"
    "                  games as they began, each to its last frame; a text input file with\n"
    "                  \"game LEVEL SEED\" lines plays those games; neither takes a level or seed\n"
    "  --record FILE   writes every game as a replay, each as soon as it ends\n"
    "  --check         verifies the pools, every object's coordinates and that no frame of play\n"
    "                  allocates, after each frame; the first violation ends the run with status "
    "2\n"
    "  --max-frames N  cuts each game after N frames (outcome cut@N)\n"
    "  --from-title    runs each game of the --input FILE as a script for the whole program, from\n"
    "                  its title screen (LEVEL is where the title starts) to the script's last "
    "frame\n"
    "  --trace FILE    writes every drawing, sound and scene call as text, one block per frame\n"
    "  --pace MS       waits out MS milliseconds a frame, as the game does with %d (default 0)\n"
    "  --shot FRAME FILE  writes the screen as frame FRAME of each game left it, as a BMP\n"
    "  --verify FILE   plays every game of a replay file as fast as it can and prints its line\n"
    "                  and its claim; status 0 only when every claim holds\n"
    "  --watch FILE    shows the first game of a replay file in a window at the game's pace:\n"
    "                  Space pauses, . steps a frame, 1 2 4 set the speed, End jumps to the end,\n"
    "                  Escape closes\n"
    "Runs in the current directory, which must hold resource/; writes run.log there, ending with\n"
    "the failure of the media layer that ended the run, if one did.\n";

long long number(const std::string& option, const std::string& text, long long lo, long long hi) {
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || v < lo || v > hi)
        throw SimUsageError(option + " wants a whole number from " + std::to_string(lo) + " to " +
                            std::to_string(hi) + ", not \"" + simQuoted(text) + "\"");
    return v;
}

// Options each right alone that make no sense together.
void refuseClashes(const SimArgs& a) {
    if (a.allLevels && a.levelGiven)
        throw SimUsageError("--level and --all-levels exclude each other");
    if (a.fromTitle && (a.input == "random" || a.input == "bot"))
        throw SimUsageError("--from-title plays a script: give it --input FILE");
    if (a.fromTitle && (a.allLevels || a.maxFrames || !a.record.empty()))
        throw SimUsageError("--from-title takes no --all-levels, --max-frames or --record");
    const bool playing = a.levelGiven || a.allLevels || a.seedGiven || a.gamesGiven ||
                         a.input != "random" || !a.record.empty() || a.maxFrames || a.fromTitle;
    if (!a.verify.empty() && (playing || !a.watch.empty() || a.pace))
        throw SimUsageError("--verify plays its file's games: it takes only --check, --trace and "
                            "--shot");
    if (!a.watch.empty() && (playing || a.check || !a.trace.empty() || a.pace || a.shotFrame))
        throw SimUsageError("--watch shows its file's first game: it takes no other option");
}

// One option at argv[i]: "--name value", "--name=value", or a switch.
class Reader {
  public:
    Reader(int argc, char** argv, int& i) : argc(argc), argv(argv), i(i), opt(argv[i]) {
        if (auto eq = opt.find('='); opt.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = opt.substr(eq + 1);
            opt = opt.substr(0, eq);
            hasValue = true;
        }
    }
    const std::string& name() const { return opt; }
    std::string take() {
        if (hasValue) {
            hasValue = false;
            return value;
        }
        if (i + 1 >= argc) throw SimUsageError(opt + " needs a value");
        return argv[++i];
    }
    // "--check=0" must not switch the check on: a switch given a value is refused.
    bool bare() const {
        if (hasValue)
            throw SimUsageError(opt + " takes no value, not \"" + simQuoted(value) + "\"");
        return true;
    }
    long long whole(long long lo, long long hi) { return number(opt, take(), lo, hi); }

  private:
    int argc;
    char** argv;
    int& i;
    std::string opt;
    std::string value;
    bool hasValue = false;
};

// Reads the option at r into a; false for one the simulator does not know.
bool readOne(Reader& r, SimArgs& a) {
    const std::string& o = r.name();
    if (o == "--level") {
        a.level = static_cast<int>(r.whole(LEVEL_MIN, LEVEL_MAX));
        a.levelGiven = true;
    } else if (o == "--seed") {
        // Seeds are unsigned 64-bit; the signed reader covers the range anyone types.
        a.seed = static_cast<uint64_t>(r.whole(0, INT64_MAX));
        a.seedGiven = true;
    } else if (o == "--games") {
        a.games = static_cast<long>(r.whole(1, 1000000));
        a.gamesGiven = true;
    } else if (o == "--max-frames") {
        a.maxFrames = static_cast<long>(r.whole(1, SIM_FRAME_LIMIT));
    } else if (o == "--pace") {
        a.pace = static_cast<int>(r.whole(0, 1000));
    } else if (o == "--shot") {
        a.shotFrame = static_cast<long>(r.whole(1, SIM_FRAME_LIMIT));
        a.shot = r.take();
    } else if (o == "--all-levels" || o == "--check" || o == "--from-title" || o == "--help" ||
               o == "-h") {
        bool& on = o == "--all-levels"   ? a.allLevels
                   : o == "--check"      ? a.check
                   : o == "--from-title" ? a.fromTitle
                                         : a.help;
        on = r.bare();
    } else {
        std::string* text = o == "--input"    ? &a.input
                            : o == "--record" ? &a.record
                            : o == "--trace"  ? &a.trace
                            : o == "--verify" ? &a.verify
                            : o == "--watch"  ? &a.watch
                                              : nullptr;
        if (!text) return false;
        *text = r.take();
    }
    return true;
}

} // namespace

SimArgs readOptions(int argc, char** argv) {
    SimArgs a;
    for (int i = 1; i < argc; ++i) {
        Reader r(argc, argv, i);
        if (!readOne(r, a)) throw SimUsageError("unknown option \"" + simQuoted(r.name()) + "\"");
        // Nothing after it is read: the usage is all that was asked for.
        if (a.help) return a;
    }
    refuseClashes(a);
    return a;
}

std::string simUsage() {
    char text[3072];
    std::snprintf(text, sizeof text, USAGE, LEVEL_MIN, LEVEL_MAX, LEVEL_MIN, LEVEL_MAX, FRAME_MS);
    return text;
}
