// The simulator's game driver: one game from start() to its end, frame by frame through sceneStep.
#include "sim/SimGame.h"

#include "flow/GameMain.h"
#include "flow/Scene.h"
#include "flow/Title.h"
#include "objects/Random.h"
#include "objects/World.h"
#include "plix/Plix.h"
#include "sim/SimWorld.h"

#include <cstdio>
#include <cstdlib>

void simInitMedia() {
    static bool done = false;
    if (done) return;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    Plix_init(GAME_TITLE, 320, 480, false);
    loadResources();
    done = true;
}

void simApplyKeys(uint8_t keys) {
    for (int bit = 0; bit < PLIX_CONTROL_COUNT; ++bit)
        Plix_setKey(PLIX_CONTROL_KEYS[bit], (keys >> bit) & 1);
}

void simFrame(uint8_t keys, int periodMs) {
    simApplyKeys(keys);
    Plix_update(periodMs);
    const int before = scene;
    sceneStep();
    if (scene != before) Plix_traceMark("scene", scene);
    Plix_flip();
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

} // namespace

GameResult runGame(int level_, uint64_t seed, InputSource& input, const SimOptions& options) {
    if (options.traceText)
        std::fprintf(options.traceText, "# game %d %llu\n", level_,
                     static_cast<unsigned long long>(seed));
    simFreshStart(level_, seed);
    Plix_traceStart(options.traceText);
    startGame();
    rememberPools();
    scene = SCENE_GAME;
    input.beginGame(level_, seed);
    if (options.record) {
        options.record->hasHeader = true;
        options.record->level = level_;
        options.record->seed = seed;
        options.record->keys.clear();
    }

    GameResult r;
    r.level = level_;
    r.seed = seed;
    const int limit = options.maxFrames > 0 ? options.maxFrames : SIM_FRAME_LIMIT;
    for (int frame = 0;; ++frame) {
        if (frame >= limit) {
            if (options.maxFrames <= 0)
                throw SimCheckError("the game did not end within " + std::to_string(limit) +
                                    " frames");
            r.outcome = GameResult::CUT;
            break;
        }
        uint8_t keys = input.next(frame);
        if (options.record) options.record->keys.push_back(keys);
        // The same order as the game's loop, rotated: the snapshot that ends one frame is what the
        // next frame's scene step reads.
        if (options.observer) options.observer->beforeFrame();
        simFrame(keys, options.periodMs);
        if (options.observer) options.observer->afterFrame();
        r.frames = frame + 1;
        if (options.check) {
            std::string bad = checkWorld();
            if (!bad.empty())
                throw SimCheckError("frame " + std::to_string(frame + 1) + ": " + bad);
        }
        if (gameMain->state == GM_OVER) {
            r.outcome = GameResult::OVER;
            break;
        }
        if (gameMain->state == GM_CLEAR_WAIT) {
            r.outcome = GameResult::CLEAR;
            break;
        }
    }
    r.score = gameMain->score;
    r.time = gameMain->time;
    r.maxRatio = gameMain->maxRatio;
    r.hash = hashWorld();
    r.trace = Plix_traceHash();
    Plix_traceStop();
    return r;
}

CycleResult runCycle(const RecordedGame& script, const SimOptions& options) {
    if (options.traceText)
        std::fprintf(options.traceText, "# cycle %d %llu\n", script.level,
                     static_cast<unsigned long long>(script.seed));
    simFreshStart(script.level, script.seed);
    Plix_traceStart(options.traceText);
    scene = SCENE_TITLE;
    levelKeyWait = 0;
    static const char* const NAMES[] = {"title", "game", "end-roll"};
    CycleResult r;
    r.path = "title@0";
    for (uint8_t keys : script.keys) {
        const int before = scene;
        simFrame(keys, options.periodMs);
        ++r.frames;
        if (scene != before)
            r.path += std::string(",") + NAMES[scene] + "@" + std::to_string(r.frames);
        if (options.check && gameMain) {
            std::string bad = checkWorld();
            if (!bad.empty()) throw SimCheckError("frame " + std::to_string(r.frames) + ": " + bad);
        }
    }
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
