// SimReplay: a game as a file a player keeps and shares: how it began, the keys of every frame, and
// the outcome, score and time it claims. The layout is in docs/replays.md.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// The version of the game's rules and maths a replay is played under. It goes up with every
// deliberate change to how games play (a rewrite of the golden lines that changes a world hash):
// a replay of other rules is refused, never played wrongly.
constexpr int RULES_VERSION = 1;
// The version of the file's own layout.
constexpr int REPLAY_FORMAT = 1;

// The largest file of replays the simulator and the page read: thousands of long games.
constexpr size_t REPLAY_MAX_BYTES = size_t(16) << 20;

enum ReplayOutcome { REPLAY_CLEAR = 0, REPLAY_OVER = 1, REPLAY_CUT = 2 };

// One game as a replay holds it.
struct ReplayGame {
    // How the game began: what a fresh program gives it, as the simulator starts every game, but
    // for what the game before it handed on in a longer run (the generator, whose state a seed
    // stands for, and the ship's volley count and shot wait).
    int level = 0;
    uint64_t seed = 0;
    uint32_t volley = 0;
    int shotWait = 0;
    // What it claims: how it ended, after how many frames, with what score and time of play.
    ReplayOutcome outcome = REPLAY_CUT;
    int score = 0;
    int time = 0;
    // The keys held in each frame (bits as PLIX_CONTROL_*); the game's frame count is its size.
    std::vector<uint8_t> keys;
};

// A file that is no replay this simulator can play, with the reason in words.
class ReplayError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The replay's bytes: a file holds one or more of them back to back.
std::string encodeReplay(const ReplayGame& game);
// Every replay of a file, or ReplayError naming the first thing wrong and the byte it is at: no
// mark, another format or rules version, a cut or damaged record, a value out of range, bytes after
// the last record.
std::vector<ReplayGame> decodeReplays(const std::string& bytes);
// Whether the bytes begin as a replay file does, whatever follows.
bool looksLikeReplay(const std::string& bytes);

// "clear", "over" or "cut".
const char* replayOutcomeName(ReplayOutcome outcome);
