// The simulator's input sources and its input file format.
#include "sim/SimInput.h"
#include "sim/SimFiles.h"

#include "flow/Title.h"
#include "objects/Enemy.h"
#include "objects/ItemBomb.h"
#include "objects/Player.h"
#include "objects/ShotBullet.h"
#include "objects/World.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

std::string formatKeys(uint8_t keys) {
    std::string s;
    for (int bit = 0; SIM_KEY_LETTERS[bit]; ++bit)
        if (keys & (1u << bit)) s += SIM_KEY_LETTERS[bit];
    return s.empty() ? "-" : s;
}

uint8_t parseKeys(const std::string& line) {
    if (line == "-") return 0;
    if (line.empty()) throw SimInputError("empty key line");
    uint8_t keys = 0;
    for (char c : line) {
        const char* at = std::strchr(SIM_KEY_LETTERS, c);
        if (c == '\0' || !at)
            throw SimInputError("unknown key '" + simQuoted(std::string(1, c)) + "'");
        uint8_t bit = static_cast<uint8_t>(1u << (at - SIM_KEY_LETTERS));
        if (keys & bit) throw SimInputError(std::string("key '") + c + "' given twice");
        keys |= bit;
    }
    return keys;
}

// --- random player ---------------------------------------------------------------------------

namespace {
// Direction sets a wandering player holds: none, the four ways and the four diagonals.
constexpr uint8_t DIRECTIONS[9] = {0,
                                   SIM_KEY_UP,
                                   SIM_KEY_DOWN,
                                   SIM_KEY_LEFT,
                                   SIM_KEY_RIGHT,
                                   SIM_KEY_UP | SIM_KEY_LEFT,
                                   SIM_KEY_UP | SIM_KEY_RIGHT,
                                   SIM_KEY_DOWN | SIM_KEY_LEFT,
                                   SIM_KEY_DOWN | SIM_KEY_RIGHT};
constexpr uint8_t DIRECTION_MASK = SIM_KEY_UP | SIM_KEY_DOWN | SIM_KEY_LEFT | SIM_KEY_RIGHT;
} // namespace

void RandomPlayer::beginGame(int level, uint64_t seed) {
    // splitmix64 of seed and level, so neighbouring seeds and levels wander differently
    uint64_t z = seed * 0x9e3779b97f4a7c15ULL + static_cast<uint64_t>(level) + 1;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    state = (z ^ (z >> 31)) | 1;
    held = 0;
}

uint32_t RandomPlayer::draw() {
    // xorshift64*
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return static_cast<uint32_t>((state * 0x2545f4914f6cdd1dULL) >> 32);
}

uint8_t RandomPlayer::next(int) {
    // A direction is kept for about ten frames, so the ship really travels instead of trembling.
    if (draw() % 10 == 0)
        held = static_cast<uint8_t>((held & ~DIRECTION_MASK) | DIRECTIONS[draw() % 9]);
    if (draw() % 8 == 0) held ^= SIM_KEY_Z;
    return held;
}

// --- dodging bot -----------------------------------------------------------------------------

namespace {
constexpr int LOOKAHEAD = 8; // frames looked ahead along each way to steer
constexpr float MARGIN = 10; // clearance in pixels below which a box counts as a threat
constexpr float NEAR = 160;  // objects farther than this are ignored this frame
constexpr float EDGE = 8;    // the bot keeps the ship this far inside the field
constexpr float HOME_PULL = 0.02f;

struct Threat {
    float x, y, vx, vy, halfW, halfH;
};

// Clearance between a point and a box: negative when the point is inside.
float gap(float qx, float qy, const Threat& t, int frames) {
    float dx = std::fabs(qx - (t.x + t.vx * frames)) - t.halfW;
    float dy = std::fabs(qy - (t.y + t.vy * frames)) - t.halfH;
    return std::max(dx, dy);
}

template <class T>
void gatherThreats(TokenManager<T>* pool, float px, float py, std::vector<Threat>& out) {
    if (!pool) return;
    for (int i = 0; i < pool->capacity(); ++i) {
        const T& t = pool->getTokens()[i];
        if (!t.exists) continue;
        if (std::fabs(t.x - px) > NEAR || std::fabs(t.y - py) > NEAR) continue;
        out.push_back({t.x, t.y, t.vx, t.vy, t.width / 2 + Player::HIT_SIZE,
                       t.height / 2 + Player::HIT_SIZE});
    }
}

// Capture: a push (z up the frame before) with the pods on and enough charge, when a bullet is in
// a box. Without pods: hold z and fire while nothing is close, since z also slows the ship.
bool holdsZ(bool zLast, float px, float py, const std::vector<Threat>& threats) {
    if (!player->hasPods) {
        for (const Threat& t : threats)
            if (gap(px, py, t, 0) < 4 * MARGIN) return false;
        return true;
    }
    if (zLast || player->charge < Player::CHARGE_COST || !bulletManager) return false;
    // The boxes a capture would place now, around the pods where they stand.
    const float size = Player::CATCH_SIZE;
    Token boxLeft, boxRight;
    boxLeft.set(player->podLeft.x, player->podLeft.y, size, size, size, size, 0, 0, 0, 0);
    boxRight.set(player->podRight.x, player->podRight.y, size, size, size, size, 0, 0, 0, 0);
    for (int i = 0; i < bulletManager->capacity(); ++i) {
        const Bullet& b = bulletManager->getTokens()[i];
        if (b.exists && (b.hits(boxLeft) || b.hits(boxRight))) return true;
    }
    return false;
}

struct Point {
    float x, y;
};

// Where to drift when nothing threatens: under the boss, or to the nearest item if podless.
Point home(float px, float py) {
    Point at{SCREEN_CENTRE_X, 400};
    if (enemyManager)
        for (const Enemy& e : *enemyManager)
            if (e.exists && e.kind == 0) at.x = e.x;
    if (!player->hasPods && itemManager) {
        float best = 1e9f;
        for (const Item& it : *itemManager) {
            float d = std::fabs(it.x - px) + std::fabs(it.y - py);
            if (it.exists && it.y > 200 && d < best) {
                best = d;
                at = {it.x, it.y};
            }
        }
    }
    return at;
}

// The nine ways to steer, as steps in x and y: none, the four ways and the four diagonals.
constexpr int WAYS[9][2] = {{0, 0},   {0, -1}, {0, 1},  {-1, 0}, {1, 0},
                            {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};

// The way whose next LOOKAHEAD frames at this speed pass farthest from the threats, the nearer
// frames weighing more, with a light pull home; the first of equal ways wins.
int safestWay(float px, float py, float speed, const std::vector<Threat>& threats, Point to) {
    int bestWay = 0;
    float bestCost = 0;
    for (int w = 0; w < 9; ++w) {
        float cost = 0;
        float qx = px, qy = py;
        for (int t = 1; t <= LOOKAHEAD; ++t) {
            qx = std::clamp(px + WAYS[w][0] * speed * t, EDGE, SCREEN_WIDTH - EDGE);
            qy = std::clamp(py + WAYS[w][1] * speed * t, EDGE, SCREEN_HEIGHT - EDGE);
            for (const Threat& th : threats) {
                float g = gap(qx, qy, th, t);
                if (g < MARGIN)
                    cost += (MARGIN - g) * (MARGIN - g) * static_cast<float>(LOOKAHEAD + 1 - t);
            }
        }
        cost += HOME_PULL * (std::fabs(qx - to.x) + std::fabs(qy - to.y));
        if (w == 0 || cost < bestCost) {
            bestCost = cost;
            bestWay = w;
        }
    }
    return bestWay;
}
} // namespace

void DodgeBot::beginGame(int, uint64_t) {
    zLast = false;
}

uint8_t DodgeBot::next(int) {
    if (!player || !player->exists) {
        zLast = false;
        return 0;
    }
    const float px = player->x;
    const float py = player->y;
    std::vector<Threat> threats;
    gatherThreats(bulletManager, px, py, threats);
    gatherThreats(enemyManager, px, py, threats);
    const bool z = holdsZ(zLast, px, py, threats);
    const float speed = z ? Player::SPEED_SLOW : Player::SPEED_NORMAL;
    const int way = safestWay(px, py, speed, threats, home(px, py));

    uint8_t keys = z ? SIM_KEY_Z : 0;
    if (WAYS[way][0] < 0) keys |= SIM_KEY_LEFT;
    if (WAYS[way][0] > 0) keys |= SIM_KEY_RIGHT;
    if (WAYS[way][1] < 0) keys |= SIM_KEY_UP;
    if (WAYS[way][1] > 0) keys |= SIM_KEY_DOWN;
    zLast = z;
    return keys;
}

// --- input files -----------------------------------------------------------------------------

namespace {

// One line of at most SIM_MAX_LINE bytes, without its end; false at the end of the input.
bool readLine(std::istream& in, std::string& line, int lineNo) {
    line.clear();
    std::istream::int_type c;
    while ((c = in.get()) != std::istream::traits_type::eof()) {
        if (c == '\n') return true;
        if (line.size() == SIM_MAX_LINE)
            throw SimInputError("input line " + std::to_string(lineNo) + ": longer than " +
                                std::to_string(SIM_MAX_LINE) + " bytes");
        line += static_cast<char>(c);
    }
    return !line.empty();
}

// A game line's number on the same terms as the options that name it.
bool wholeNumber(const std::string& word, long long lo, long long hi, long long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(word.c_str(), &end, 10);
    return !word.empty() && *end == '\0' && errno != ERANGE && value >= lo && value <= hi;
}

} // namespace

std::vector<RecordedGame> readInputFile(std::istream& in) {
    std::vector<RecordedGame> games;
    std::string line;
    int lineNo = 0;
    bool headerless = false;
    while (readLine(in, line, lineNo + 1)) {
        ++lineNo;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::string where = "input line " + std::to_string(lineNo) + ": ";
        if (line.compare(0, 5, "game ") == 0) {
            if (headerless)
                throw SimInputError(where + "a game line after frames that belong to no game");
            std::istringstream words(line.substr(5));
            std::string levelWord, seedWord, rest;
            long long lv = 0, seed = 0;
            if (!(words >> levelWord >> seedWord) || (words >> rest) ||
                !wholeNumber(levelWord, LEVEL_MIN, LEVEL_MAX, lv))
                throw SimInputError(where + "expected \"game LEVEL SEED\" with LEVEL " +
                                    std::to_string(LEVEL_MIN) + " to " + std::to_string(LEVEL_MAX));
            if (!wholeNumber(seedWord, 0, INT64_MAX, seed))
                throw SimInputError(where + "SEED wants a whole number from 0 to " +
                                    std::to_string(INT64_MAX) + ", not \"" + simQuoted(seedWord) +
                                    "\"");
            RecordedGame g;
            g.level = static_cast<int>(lv);
            g.seed = static_cast<uint64_t>(seed);
            g.hasHeader = true;
            games.push_back(std::move(g));
            continue;
        }
        if (games.empty()) {
            games.emplace_back();
            headerless = true;
        }
        try {
            games.back().keys.push_back(parseKeys(line));
        } catch (const SimInputError& e) {
            throw SimInputError(where + e.what());
        }
    }
    if (games.empty()) throw SimInputError("input file holds no frames");
    return games;
}

void writeInputHeader(std::ostream& out) {
    out << "# zorvane-sim input: \"game LEVEL SEED\", then one line per frame with the keys held ("
        << SIM_KEY_LETTERS << "), '-' for none\n";
}

void writeRecordedGame(std::ostream& out, const RecordedGame& game) {
    out << "game " << game.level << ' ' << game.seed << '\n';
    for (uint8_t k : game.keys)
        out << formatKeys(k) << '\n';
}

void writeInputFile(std::ostream& out, const std::vector<RecordedGame>& games) {
    writeInputHeader(out);
    for (const RecordedGame& g : games)
        writeRecordedGame(out, g);
}

uint8_t Replay::next(int frame) {
    if (frame < 0 || frame >= static_cast<int>(game->keys.size())) return 0;
    return game->keys[static_cast<size_t>(frame)];
}
