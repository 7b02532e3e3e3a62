// SimPlayback: a replay's game checked against its claim, or watched in the window at the game's
// pace.
#include "sim/SimPlayback.h"

#include "flow/GameMain.h"
#include "flow/Scene.h"
#include "objects/World.h"
#include "plix/Plix.h"

#include <cstdio>

GameStart replayStart(const ReplayGame& game) {
    return GameStart{game.level, game.seed, game.volley, game.shotWait};
}

namespace {

std::string outcomeText(ReplayOutcome outcome, int frames) {
    return outcome == REPLAY_CLEAR ? std::string("clear")
                                   : replayOutcomeName(outcome) + ("@" + std::to_string(frames));
}

ReplayOutcome outcomeOf(GameResult::Outcome outcome) {
    return outcome == GameResult::CLEAR  ? REPLAY_CLEAR
           : outcome == GameResult::OVER ? REPLAY_OVER
                                         : REPLAY_CUT;
}

// Beside the claim: the game as it came out, its frames, and whether it ended before its keys did.
ReplayCheck judge(const ReplayGame& game, const GameResult& r) {
    ReplayCheck c;
    c.result = r;
    const int frames = static_cast<int>(game.keys.size());
    const ReplayOutcome outcome = outcomeOf(r.outcome);
    if (r.frames < frames) {
        c.problem = "input past the end of the game: it ended at frame " +
                    std::to_string(r.frames) + ", the replay holds " + std::to_string(frames);
    } else if (outcome != game.outcome) {
        c.problem = "claims " + outcomeText(game.outcome, frames) + ", the game came out " +
                    outcomeText(outcome, r.frames);
    } else if (r.score != game.score) {
        c.problem = "claims score " + std::to_string(game.score) + ", the game scored " +
                    std::to_string(r.score);
    } else if (r.time != game.time) {
        c.problem = "claims time " + std::to_string(game.time) + ", the game took " +
                    std::to_string(r.time);
    }
    c.holds = c.problem.empty();
    return c;
}

} // namespace

ReplayCheck verifyReplay(const ReplayGame& game, const SimOptions& options) {
    RecordedGame keys;
    keys.keys = game.keys;
    Replay input(&keys);
    SimOptions cut = options;
    // The claim's own length: a game that goes on past it is cut there, as it was recorded.
    cut.maxFrames = static_cast<int>(game.keys.size());
    return judge(game, runGame(replayStart(game), input, cut));
}

std::string formatClaim(const ReplayGame& game) {
    return "claimed outcome=" + outcomeText(game.outcome, static_cast<int>(game.keys.size())) +
           " score=" + std::to_string(game.score) + " time=" + std::to_string(game.time);
}

// --- watching ---------------------------------------------------------------------------------

namespace {

// The keys that steer the watcher: none of them is a control of the game, whose keys come from the
// replay.
constexpr int WATCH_KEYS[WATCH_COMMANDS] = {PLIX_KEY_SPACE, PLIX_KEY_PERIOD, PLIX_KEY_1,
                                            PLIX_KEY_2,     PLIX_KEY_4,      PLIX_KEY_END};

struct Watch {
    const ReplayGame* game = nullptr;
    int frame = 0; // frames played
    int speed = 1;
    bool paused = false;
    bool step = false;
    bool toEnd = false;
    bool ended = false;
    bool primed = true; // the snapshot holds the next frame's keys over the last frame's
    GameResult result;
    char status[160] = "";
} watch;

void command(int c) {
    switch (c) {
    case WATCH_PAUSE:
        watch.paused = !watch.paused;
        if (watch.paused && !watch.ended) std::printf("watch: paused at frame %d\n", watch.frame);
        std::fflush(stdout);
        break;
    case WATCH_STEP:
        watch.step = watch.paused;
        break;
    case WATCH_SPEED_1:
    case WATCH_SPEED_2:
    case WATCH_SPEED_4:
        watch.speed = 1 << (c - WATCH_SPEED_1);
        break;
    case WATCH_TO_END:
        watch.toEnd = true;
        break;
    default:
        break;
    }
}

void readKeys() {
    for (int c = 0; c < WATCH_COMMANDS; ++c)
        if (Plix_keyPushed(WATCH_KEYS[c])) command(c);
}

uint8_t keysOf(int frame) {
    return frame < static_cast<int>(watch.game->keys.size()) ? watch.game->keys[size_t(frame)] : 0;
}

// After each frame: counted, the game's end seen, the next frame's keys held for the snapshot.
void afterFrame(void*) {
    ++watch.frame;
    const int frames = static_cast<int>(watch.game->keys.size());
    if (gameMain->state == GM_OVER) watch.result.outcome = GameResult::OVER;
    if (gameMain->state == GM_CLEAR_WAIT) watch.result.outcome = GameResult::CLEAR;
    watch.ended = watch.result.outcome != GameResult::CUT || watch.frame >= frames;
    simApplyKeys(keysOf(watch.frame));
}

// The snapshot the next frame reads, made again after paused frames took snapshots of their own:
// the keys of the frame before it, then its own.
void prime() {
    simApplyKeys(watch.frame > 0 ? keysOf(watch.frame - 1) : 0);
    Plix_update(0);
    simApplyKeys(keysOf(watch.frame));
    Plix_update(0);
    watch.primed = true;
}

void publish() {
    std::snprintf(watch.status, sizeof watch.status,
                  "frame=%d frames=%zu score=%d claimed=%d speed=%d paused=%d ended=%d outcome=%s",
                  watch.frame, watch.game->keys.size(), gameMain->score, watch.game->score,
                  watch.speed, watch.paused ? 1 : 0, watch.ended ? 1 : 0,
                  watch.ended ? outcomeText(outcomeOf(watch.result.outcome), watch.frame).c_str()
                              : "playing");
}

} // namespace

void watchReplay(const ReplayGame& game) {
    watch = Watch();
    watch.game = &game;
    simStartGame(replayStart(game));
    simApplyKeys(keysOf(0));
    Plix_update(0);
    std::printf("watch: level=%d %s; Space pauses, . steps a frame, 1 2 4 set the speed, End "
                "jumps to the end, Escape closes\n",
                game.level, formatClaim(game).c_str());
    std::fflush(stdout);
    bool told = false;
    for (;;) {
        publish();
        if (watch.ended && !told) {
            watch.result.frames = watch.frame;
            watch.result.score = gameMain->score;
            watch.result.time = gameMain->time;
            const ReplayCheck c = judge(game, watch.result);
            std::printf("watch: ended %s score=%d time=%d: %s\n",
                        outcomeText(outcomeOf(watch.result.outcome), watch.frame).c_str(),
                        watch.result.score, watch.result.time,
                        c.holds ? "as claimed" : c.problem.c_str());
            std::fflush(stdout);
            told = true;
            watch.paused = true;
        }
        const bool play = !watch.ended && (watch.toEnd || !watch.paused || watch.step);
        if (!play) {
            // The picture stays; the watcher's keys and the window are still heard.
            Plix_flip();
            Plix_update(FRAME_MS);
            watch.primed = false;
        } else {
            if (!watch.primed) prime();
            frameStep(watch.toEnd ? 0 : FRAME_MS / watch.speed, afterFrame, nullptr);
            if (watch.step && !watch.ended) std::printf("watch: paused at frame %d\n", watch.frame);
            std::fflush(stdout);
            watch.step = false;
        }
        readKeys();
    }
}

extern "C" void zorvaneWatchCommand(int c) {
    command(c);
}

extern "C" const char* zorvaneWatchStatus() {
    return watch.status;
}
