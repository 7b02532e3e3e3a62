// The simulator's game driver: one game from start() to its end, frame by frame through frameStep.
#include "sim/SimGame.h"

#include "flow/GameMain.h"
#include "flow/Scene.h"
#include "flow/Title.h"
#include "objects/Player.h"
#include "objects/Random.h"
#include "objects/Token.h"
#include "objects/World.h"
#include "plix/Plix.h"
#include "sim/SimAllocations.h"
#include "sim/SimWorld.h"

#include <cstdio>
#include <cstdlib>

void simInitMedia(bool window) {
    static bool done = false;
    if (done) return;
    if (!window) {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }
    Plix_init(GAME_TITLE, SCREEN_WIDTH, SCREEN_HEIGHT, false);
    loadResources();
    done = true;
}

void simApplyKeys(uint8_t keys) {
    for (int bit = 0; bit < PLIX_CONTROL_COUNT; ++bit)
        Plix_setKey(PLIX_CONTROL_KEYS[bit], (keys >> bit) & 1);
}

void simFreshStart(int level_, uint64_t seed) {
    simApplyKeys(0);
    Plix_update(0);
    Plix_update(0);
    // A game not yet built has a new ship, which holds zeros already.
    if (player) {
        player->volley = 0;
        player->shotWait = 0;
    }
    level = level_;
    randSeed(seed);
}

namespace {

std::string hex(uint64_t v) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
    return text;
}

// A game under way, as the step between a frame's flip and the next snapshot sees it.
struct GamePlay {
    InputSource& input;
    const SimOptions& options;
    GameResult& result;
    int limit;
    bool over = false;     // the game ended or reached its frame limit: no frame follows
    uint64_t newCalls = 0; // operator new's count as the frame's own work began
};

// The next frame's keys: asked of the input, recorded and held. The frame's own work starts here.
void holdNextKeys(GamePlay& play) {
    const uint8_t keys = play.input.next(play.result.frames);
    if (play.options.record) play.options.record->keys.push_back(keys);
    if (play.options.observer) play.options.observer->beforeFrame();
    play.newCalls = simNewCalls();
    simApplyKeys(keys);
}

// The frame just flipped is counted and checked; unless the game ended in it, the next frame's keys
// are held for the snapshot, and no input is asked for a frame that will not be played.
void afterGameFrame(void* context) {
    GamePlay& play = *static_cast<GamePlay*>(context);
    GameResult& r = play.result;
    if (play.options.observer) play.options.observer->afterFrame();
    ++r.frames;
    if (r.frames == play.options.shotFrame) Plix_saveScreen(play.options.shotFile);
    if (play.options.check) {
        const bool allocated = simNewCalls() != play.newCalls;
        std::string bad = allocated ? "a frame of play allocated on the heap" : checkWorld();
        if (!bad.empty()) throw SimCheckError("frame " + std::to_string(r.frames) + ": " + bad);
    }
    if (gameMain->state == GM_OVER)
        r.outcome = GameResult::OVER;
    else if (gameMain->state == GM_CLEAR_WAIT)
        r.outcome = GameResult::CLEAR;
    play.over = r.outcome != GameResult::CUT || r.frames >= play.limit;
    if (!play.over) holdNextKeys(play);
}

} // namespace

void simStartGame(const GameStart& start) {
    simFreshStart(start.level, start.seed);
    startGame();
    // The start leaves both as they were: as the game before left them in a longer run.
    player->volley = static_cast<int>(start.volley);
    player->shotWait = start.shotWait;
    rememberPools();
    scene = SCENE_GAME;
}

GameResult runGame(const GameStart& start, InputSource& input, const SimOptions& options) {
    if (options.traceText)
        std::fprintf(options.traceText, "# game %d %llu\n", start.level,
                     static_cast<unsigned long long>(start.seed));
    Plix_traceStart(options.traceText);
    simStartGame(start);
    input.beginGame(start.level, start.seed);
    if (options.record) {
        options.record->hasHeader = true;
        options.record->level = start.level;
        options.record->seed = start.seed;
        options.record->keys.clear();
    }

    GameResult r;
    r.level = start.level;
    r.seed = start.seed;
    const int limit = options.maxFrames > 0 ? options.maxFrames : SIM_FRAME_LIMIT;
    GamePlay play{input, options, r, limit};
    // The first frame reads a snapshot of its own keys, as every later one does.
    holdNextKeys(play);
    Plix_update(options.periodMs);
    while (!play.over)
        frameStep(options.periodMs, afterGameFrame, &play);
    if (r.outcome == GameResult::CUT && options.maxFrames <= 0)
        throw SimCheckError("the game did not end within " + std::to_string(limit) + " frames");
    r.score = gameMain->score;
    r.time = gameMain->time;
    r.maxRatio = gameMain->maxRatio;
    r.hash = hashWorld();
    r.trace = Plix_traceHash();
    Plix_traceStop();
    return r;
}

namespace {

// A cycle under way: its script, the scenes it has passed through, the scene of the last frame.
struct CyclePlay {
    const RecordedGame& script;
    const SimOptions& options;
    CycleResult& result;
    int lastScene;
};

// The frame just flipped is counted, its scene change noted and checked; the script's next keys,
// if it has more, are held for the snapshot.
void afterCycleFrame(void* context) {
    static const char* const NAMES[] = {"title", "game", "end-roll"};
    CyclePlay& play = *static_cast<CyclePlay*>(context);
    CycleResult& r = play.result;
    ++r.frames;
    if (r.frames == play.options.shotFrame) Plix_saveScreen(play.options.shotFile);
    if (scene != play.lastScene)
        r.path += std::string(",") + NAMES[scene] + "@" + std::to_string(r.frames);
    play.lastScene = scene;
    if (play.options.check && gameMain) {
        std::string bad = checkWorld();
        if (!bad.empty()) throw SimCheckError("frame " + std::to_string(r.frames) + ": " + bad);
    }
    if (r.frames < static_cast<int>(play.script.keys.size()))
        simApplyKeys(play.script.keys[static_cast<size_t>(r.frames)]);
}

} // namespace

CycleResult runCycle(const RecordedGame& script, const SimOptions& options) {
    if (options.traceText)
        std::fprintf(options.traceText, "# cycle %d %llu\n", script.level,
                     static_cast<unsigned long long>(script.seed));
    simFreshStart(script.level, script.seed);
    Plix_traceStart(options.traceText);
    scene = SCENE_TITLE;
    levelKeyWait = 0;
    CycleResult r;
    r.path = "title@0";
    CyclePlay play{script, options, r, scene};
    if (!script.keys.empty()) {
        simApplyKeys(script.keys[0]);
        Plix_update(options.periodMs);
    }
    for (size_t i = 0; i < script.keys.size(); ++i)
        frameStep(options.periodMs, afterCycleFrame, &play);
    r.hash = hashWorld();
    r.trace = Plix_traceHash();
    Plix_traceStop();
    return r;
}

std::string formatCycle(const RecordedGame& script, const CycleResult& r) {
    return "cycle start=" + std::to_string(script.level) + " seed=" + std::to_string(script.seed) +
           " frames=" + std::to_string(r.frames) + " level=" + std::to_string(level) +
           " path=" + r.path + " hash=" + hex(r.hash) + " trace=" + hex(r.trace);
}

std::string formatResult(const GameResult& r) {
    std::string outcome = r.outcome == GameResult::CLEAR  ? "clear"
                          : r.outcome == GameResult::OVER ? "over@" + std::to_string(r.frames)
                                                          : "cut@" + std::to_string(r.frames);
    return "level=" + std::to_string(r.level) + " seed=" + std::to_string(r.seed) +
           " outcome=" + outcome + " score=" + std::to_string(r.score) +
           " time=" + std::to_string(r.time) + " maxRatio=" + std::to_string(r.maxRatio) +
           " hash=" + hex(r.hash) + " trace=" + hex(r.trace);
}
