// Where the simulator's keys come from: a seeded random player, a dodging bot, or an input file.
#pragma once

#include "plix/PlixKeys.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

// The keys held in one frame, one bit each, as the media layer lays out the controls.
enum SimKey : uint8_t {
    SIM_KEY_Z = 1 << PLIX_CONTROL_Z,
    SIM_KEY_X = 1 << PLIX_CONTROL_X,
    SIM_KEY_UP = 1 << PLIX_CONTROL_UP,
    SIM_KEY_DOWN = 1 << PLIX_CONTROL_DOWN,
    SIM_KEY_LEFT = 1 << PLIX_CONTROL_LEFT,
    SIM_KEY_RIGHT = 1 << PLIX_CONTROL_RIGHT,
};

// The letters of a recorded frame line, in bit order; "-" is a frame with no key held.
constexpr const char* SIM_KEY_LETTERS = "zxudlr";

// A frame's keys as its line in an input file and back; parseKeys throws SimInputError if bad.
std::string formatKeys(uint8_t keys);
uint8_t parseKeys(const std::string& line);

class SimInputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class InputSource {
  public:
    virtual ~InputSource() = default;
    // Called before the first frame of every game.
    virtual void beginGame(int level, uint64_t seed) = 0;
    // The keys held in the given frame (0 is the game's first); may look at the world as it stands.
    virtual uint8_t next(int frame) = 0;
};

// Wanders with held directions, and taps and holds z at random. Its draws come from a generator of
// its own, so the game's generator sees exactly the draws the game takes.
class RandomPlayer : public InputSource {
  public:
    void beginGame(int level, uint64_t seed) override;
    uint8_t next(int frame) override;

  private:
    uint64_t state = 0;
    uint8_t held = 0;
    uint32_t draw();
};

// Looks a few frames ahead along each of the nine ways to steer and takes the one that stays
// farthest from bullets and enemies; captures when bullets sit in the boxes, fires when it is safe.
class DodgeBot : public InputSource {
  public:
    void beginGame(int level, uint64_t seed) override;
    uint8_t next(int frame) override;

  private:
    bool zLast = false;
};

// One recorded game: the level and seed it was played with, and its keys frame by frame.
struct RecordedGame {
    bool hasHeader = false;
    int level = 0;
    uint64_t seed = 0;
    std::vector<uint8_t> keys;
};

// The longest line an input file may hold: a record's longest, its opening comment, is shorter.
constexpr size_t SIM_MAX_LINE = 256;

// Reads an input file: "game LEVEL SEED" lines open a game, each other line is one frame's keys,
// blank lines and lines starting with '#' are ignored. A file without "game" lines is one
// headerless game. LEVEL and SEED are taken on the terms of --level and --seed. Throws
// SimInputError naming the line on anything else, a line longer than SIM_MAX_LINE included.
std::vector<RecordedGame> readInputFile(std::istream& in);
void writeInputFile(std::ostream& out, const std::vector<RecordedGame>& games);
// The same file a piece at a time: the comment that opens it, then one game after another.
void writeInputHeader(std::ostream& out);
void writeRecordedGame(std::ostream& out, const RecordedGame& game);

// Plays back one recorded game; after its last frame no key is held.
class Replay : public InputSource {
  public:
    explicit Replay(const RecordedGame* game) : game(game) {}
    void beginGame(int, uint64_t) override {}
    uint8_t next(int frame) override;

  private:
    const RecordedGame* game;
};
