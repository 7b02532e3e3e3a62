// SimRecorder: a game's start, the keys of each of its frames and its end, read off the snapshots.
#include "sim/SimRecorder.h"

#include "flow/GameMain.h"
#include "flow/Scene.h"
#include "objects/Player.h"
#include "objects/Random.h"
#include "objects/World.h"
#include "plix/Plix.h"
#include "sim/SimGame.h"

void GameRecorder::attach() {
    recording = false;
    kept.clear();
    keptLines.clear();
    Plix_watchSnapshots(&GameRecorder::watch, this);
}

void GameRecorder::detach() {
    Plix_watchSnapshots(nullptr, nullptr);
    recording = false;
}

void GameRecorder::watch(void* self) {
    static_cast<GameRecorder*>(self)->snapshot();
}

// The snapshot after frame i of a game holds the keys its frame i + 1 reads, as the simulator's
// frame i + 1 would hold them; so a game ends, and begins, between two snapshots.
void GameRecorder::snapshot() {
    if (recording) {
        if (scene != SCENE_GAME || game.keys.size() >= size_t(SIM_FRAME_LIMIT)) {
            recording = false; // left without an end, or longer than any replay
        } else if (gameMain->state == GM_OVER) {
            finish(REPLAY_OVER);
        } else if (gameMain->state == GM_CLEAR_WAIT) {
            finish(REPLAY_CLEAR);
        }
    }
    // A game started in the frame just drawn, from the title or after a game over.
    if (!recording && scene == SCENE_GAME && gameMain && gameMain->state == GM_START) begin();
    if (!recording) return;
    uint8_t keys = 0;
    for (int bit = 0; bit < PLIX_CONTROL_COUNT; ++bit)
        if (Plix_keyDown(PLIX_CONTROL_KEYS[bit])) keys |= uint8_t(1 << bit);
    game.keys.push_back(keys);
}

// What the game's first frame takes up: the generator as the frame that started the game left it
// (a restart after a game over draws the new game once before its first frame), and the ship's
// volley count and shot wait, which the start leaves as the last game had them. Starting a game
// draws nothing, so a simulator that seeds, then starts, reaches the same state.
void GameRecorder::begin() {
    recording = true;
    game = ReplayGame();
    game.level = level;
    game.seed = randSeedFor(randState());
    game.volley = uint32_t(player->volley);
    game.shotWait = player->shotWait;
    game.keys.reserve(4096);
}

void GameRecorder::finish(ReplayOutcome outcome) {
    recording = false;
    game.outcome = outcome;
    game.score = gameMain->score;
    game.time = gameMain->time;
    kept.push_back(encodeReplay(game));
    keptLines.push_back(
        "level=" + std::to_string(game.level) + " outcome=" + replayOutcomeName(outcome) +
        " frames=" + std::to_string(game.keys.size()) + " score=" + std::to_string(game.score) +
        " time=" + std::to_string(game.time));
}

namespace {
GameRecorder pageRecorder;
} // namespace

extern "C" void zorvaneRecordGames() {
    pageRecorder.attach();
}

extern "C" int zorvaneGamesKept() {
    return static_cast<int>(pageRecorder.replays().size());
}

extern "C" const char* zorvaneKeptReplay(int index, int* size) {
    if (index < 0 || index >= zorvaneGamesKept()) return nullptr;
    const std::string& bytes = pageRecorder.replays()[size_t(index)];
    *size = static_cast<int>(bytes.size());
    return bytes.data();
}

extern "C" const char* zorvaneKeptLine(int index) {
    if (index < 0 || index >= zorvaneGamesKept()) return nullptr;
    return pageRecorder.lines()[size_t(index)].c_str();
}
