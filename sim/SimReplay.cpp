// SimReplay: the replay file's bytes, written and read back with every field checked.
#include "sim/SimReplay.h"

#include "flow/Title.h"
#include "objects/Player.h"
#include "sim/SimGame.h"

#include <cstring>

namespace {

constexpr char MARK[4] = {'Z', 'V', 'R', 'P'};
// The fixed part of a record, before its key runs; and the checksum after them.
constexpr size_t HEADER = 38;
constexpr size_t CHECKSUM = 4;
constexpr int KEY_BITS = 0x3f;
// A run's length takes at most this many bytes (7 bits each) for the longest game.
constexpr size_t RUN_LENGTH_BYTES = 3;

// CRC-32 as zip and PNG have it (reflected, polynomial 0xedb88320).
uint32_t crc32(const unsigned char* p, size_t n) {
    static const struct Table {
        uint32_t entry[256];
        Table() {
            for (uint32_t i = 0; i < 256; ++i) {
                uint32_t c = i;
                for (int bit = 0; bit < 8; ++bit)
                    c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
                entry[i] = c;
            }
        }
    } table;
    uint32_t c = 0xffffffffu;
    for (size_t i = 0; i < n; ++i)
        c = table.entry[(c ^ p[i]) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

void put(std::string& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(v >> (8 * i) & 0xff);
}

// Reads one record from its first byte on, each field checked where it is read.
class Reader {
  public:
    Reader(const std::string& bytes, size_t start) : p(bytes), at(start), start(start) {}

    ReplayGame record() {
        if (p.size() - at < HEADER + CHECKSUM)
            fail(p.size(), "cut short: a replay needs " + std::to_string(HEADER + CHECKSUM) +
                               " bytes at least, " + std::to_string(p.size() - start) + " remain");
        if (std::memcmp(p.data() + at, MARK, sizeof MARK) != 0)
            fail(at, "not a replay (no ZVRP mark)");
        at += sizeof MARK;
        const uint64_t format = get(1);
        if (format != REPLAY_FORMAT)
            fail(at - 1, "a replay of format " + std::to_string(format) + "; this reads format " +
                             std::to_string(REPLAY_FORMAT));
        const uint64_t rules = get(2);
        if (rules != RULES_VERSION)
            fail(at - 2, "recorded under rules version " + std::to_string(rules) +
                             ", which this build does not play: it plays rules version " +
                             std::to_string(RULES_VERSION));
        ReplayGame g;
        g.level = int(field(1, LEVEL_MIN, LEVEL_MAX, "level"));
        g.seed = get(8);
        g.volley = uint32_t(get(4));
        g.shotWait = int(field(1, 0, Player::VOLLEY_WAIT, "shot wait"));
        g.outcome = ReplayOutcome(field(1, REPLAY_CLEAR, REPLAY_CUT, "outcome"));
        const int frames = int(field(4, 1, SIM_FRAME_LIMIT, "frame count"));
        g.score = int(field(4, 0, INT32_MAX, "score"));
        g.time = int(field(4, 0, uint64_t(frames), "time"));
        const uint64_t runBytes = field(4, 2, uint64_t(frames) * (1 + RUN_LENGTH_BYTES), "runs");
        if (p.size() - at < runBytes + CHECKSUM)
            fail(p.size(), "cut short: its key runs and checksum need " +
                               std::to_string(runBytes + CHECKSUM) + " bytes, " +
                               std::to_string(p.size() - at) + " remain");
        checksum(runBytes);
        runs(g, at + runBytes, frames);
        at += CHECKSUM;
        return g;
    }
    size_t next() const { return at; }

  private:
    const std::string& p;
    size_t at;
    size_t start;

    [[noreturn]] void fail(size_t where, const std::string& what) const {
        throw ReplayError("byte " + std::to_string(where) + ": " + what);
    }
    uint64_t get(int bytes) {
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= uint64_t(static_cast<unsigned char>(p[at++])) << (8 * i);
        return v;
    }
    uint64_t field(int bytes, uint64_t lo, uint64_t hi, const char* name) {
        const uint64_t v = get(bytes);
        if (v < lo || v > hi)
            fail(at - size_t(bytes), std::string(name) + " " + std::to_string(v) + ", not " +
                                         std::to_string(lo) + " to " + std::to_string(hi));
        return v;
    }
    // Everything from the mark to the runs' end, against the stored sum: a damaged file says so
    // before any of its runs is believed.
    void checksum(uint64_t runBytes) {
        const size_t end = at + size_t(runBytes);
        const auto* bytes = reinterpret_cast<const unsigned char*>(p.data());
        uint32_t stored = 0;
        for (size_t i = 0; i < CHECKSUM; ++i)
            stored |= uint32_t(bytes[end + i]) << (8 * i);
        if (crc32(bytes + start, end - start) != stored)
            fail(end, "the checksum does not match: the file is damaged");
    }
    // Runs of keys, each a byte of keys and its length in 7-bit groups, to exactly `frames`.
    void runs(ReplayGame& g, size_t end, int frames) {
        g.keys.reserve(size_t(frames));
        while (at < end) {
            const int keys = static_cast<unsigned char>(p[at]);
            if (keys & ~KEY_BITS) fail(at, "keys " + std::to_string(keys) + " hold no control");
            ++at;
            uint64_t length = 0;
            for (size_t i = 0;; ++i) {
                if (at == end || i == RUN_LENGTH_BYTES)
                    fail(at, "a run's length is cut or too long");
                const unsigned char b = static_cast<unsigned char>(p[at++]);
                length |= uint64_t(b & 0x7f) << (7 * i);
                if (!(b & 0x80)) break;
            }
            if (length == 0 || g.keys.size() + length > size_t(frames))
                fail(at - 1, "a run of " + std::to_string(length) + " frames after " +
                                 std::to_string(g.keys.size()) + " of " + std::to_string(frames));
            g.keys.insert(g.keys.end(), size_t(length), uint8_t(keys));
        }
        if (g.keys.size() != size_t(frames))
            fail(at, "its key runs hold " + std::to_string(g.keys.size()) + " frames, not the " +
                         std::to_string(frames) + " it claims");
    }
};

} // namespace

std::string encodeReplay(const ReplayGame& g) {
    std::string runs;
    for (size_t i = 0; i < g.keys.size();) {
        size_t n = 1;
        while (i + n < g.keys.size() && g.keys[i + n] == g.keys[i])
            ++n;
        runs += static_cast<char>(g.keys[i] & KEY_BITS);
        for (size_t left = n; left; left >>= 7)
            runs += static_cast<char>((left & 0x7f) | (left >> 7 ? 0x80 : 0));
        i += n;
    }
    std::string out(MARK, sizeof MARK);
    put(out, REPLAY_FORMAT, 1);
    put(out, RULES_VERSION, 2);
    put(out, uint64_t(g.level), 1);
    put(out, g.seed, 8);
    put(out, g.volley, 4);
    put(out, uint64_t(g.shotWait), 1);
    put(out, uint64_t(g.outcome), 1);
    put(out, g.keys.size(), 4);
    put(out, uint64_t(g.score), 4);
    put(out, uint64_t(g.time), 4);
    put(out, runs.size(), 4);
    out += runs;
    put(out, crc32(reinterpret_cast<const unsigned char*>(out.data()), out.size()), 4);
    return out;
}

std::vector<ReplayGame> decodeReplays(const std::string& bytes) {
    if (bytes.size() > REPLAY_MAX_BYTES)
        throw ReplayError(std::to_string(bytes.size()) + " bytes, more than a replay file holds (" +
                          std::to_string(REPLAY_MAX_BYTES) + ")");
    std::vector<ReplayGame> games;
    size_t at = 0;
    do {
        Reader r(bytes, at);
        games.push_back(r.record());
        at = r.next();
    } while (at < bytes.size());
    return games;
}

bool looksLikeReplay(const std::string& bytes) {
    return bytes.size() >= sizeof MARK && std::memcmp(bytes.data(), MARK, sizeof MARK) == 0;
}

const char* replayOutcomeName(ReplayOutcome outcome) {
    static const char* const NAMES[] = {"clear", "over", "cut"};
    return NAMES[outcome];
}
