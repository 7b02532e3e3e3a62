// Plays whole games of the real game code headless: the game's own frame step, waiting if asked.
#pragma once

#include "sim/SimInput.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

// Opens the media layer on SDL's dummy drivers (unless the caller chose drivers, or a window is
// wanted) and loads the resources from resource/ in the working directory. Once per process;
// throws PlixError.
void simInitMedia(bool window = false);

// What a fresh program has before its first frame: no key held in either input snapshot, so a key
// held in the first frame counts as pushed; the ship's volley count and shot wait, which the rules
// let one game hand on to the next, at zero; this level; the generator seeded. Every simulated game
// and cycle begins here, and so does every test's game: none depends on the games before it.
void simFreshStart(int level, uint64_t seed);

// Sets SDL's own key state to exactly these keys; the next Plix_update snapshot sees them.
void simApplyKeys(uint8_t keys);

// Told around each frame's own work (its keys held, the snapshot, the scene step, the flip), not
// the input source's.
class FrameObserver {
  public:
    virtual ~FrameObserver() = default;
    virtual void beforeFrame() = 0;
    virtual void afterFrame() = 0;
};

struct SimOptions {
    bool check = false; // checkWorld after every frame
    int maxFrames = 0;  // 0: until the game ends; otherwise the game is cut after this many frames
    RecordedGame* record = nullptr; // when set, receives level, seed and every frame's keys
    FrameObserver* observer = nullptr;
    std::FILE* traceText = nullptr; // when set, receives the trace of every call, frame by frame
    int periodMs = 0;  // the frame wait frameStep is given; 0 plays as fast as the machine can
    int shotFrame = 0; // when set, the screen as this frame left it is written to shotFile
    const char* shotFile = nullptr;
};

struct GameResult {
    int level = 0;
    uint64_t seed = 0;
    enum Outcome { CLEAR, OVER, CUT } outcome = CUT;
    int frames = 0; // frames run, the game's last included
    int score = 0;
    int time = 0;
    int maxRatio = 0;
    uint64_t hash = 0;  // the world as the game ends
    uint64_t trace = 0; // everything drawn and played on the way
};

// A broken invariant found by the check mode.
class SimCheckError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Games not ended after this many frames are stuck: the boss leaves by itself long before.
constexpr int SIM_FRAME_LIMIT = 100000;

// What a game begins with: a fresh program's start at this level with the generator seeded, but for
// the ship's volley count and shot wait, which a game before it in a longer run hands on.
struct GameStart {
    int level = 0;
    uint64_t seed = 0;
    uint32_t volley = 0;
    int shotWait = 0;
};

// Starts the game (simFreshStart, then the game itself, with what was handed on) in the game scene,
// ready for its first frame's keys and snapshot.
void simStartGame(const GameStart& start);

// Starts a game, then runs frames until game over, until the clear sequence waits, or until
// maxFrames. Throws SimCheckError.
GameResult runGame(const GameStart& start, InputSource& input, const SimOptions& options);
// The same for the first game of a fresh program.
inline GameResult runGame(int level, uint64_t seed, InputSource& input, const SimOptions& options) {
    return runGame(GameStart{level, seed}, input, options);
}

// "level=3 seed=7 outcome=over@1234 score=5600 time=1100 maxRatio=2 hash=00ff... trace=12ab..."
std::string formatResult(const GameResult& r);

// A run of the whole program from its title screen: the scene machine as a fresh program has it,
// the title at the script's level, the generator seeded with its seed, then one frame per key line.
struct CycleResult {
    int frames = 0;
    std::string path; // each scene with the frame it began in: "title@0,game@31,end-roll@2950"
    uint64_t hash = 0;
    uint64_t trace = 0;
};
CycleResult runCycle(const RecordedGame& script, const SimOptions& options);

// "cycle start=0 seed=1 frames=6000 level=3 path=title@0,game@31 hash=... trace=..."
std::string formatCycle(const RecordedGame& script, const CycleResult& r);
