// The replay file: what goes in comes out, and every damaged or hostile record is refused in words.
#include "flow/GameMain.h"
#include "flow/Scene.h"
#include "objects/World.h"
#include "sim/SimPlayback.h"
#include "sim/SimRecorder.h"
#include "sim/SimReplay.h"
#include "sim/SimWorld.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

namespace {

ReplayGame sample() {
    ReplayGame g;
    g.level = 37;
    g.seed = 0xfedcba9876543210ULL;
    g.volley = 70000;
    g.shotWait = 2;
    g.outcome = REPLAY_OVER;
    g.score = 123456;
    g.time = 2900;
    // Runs of one frame, of 127 and 128 (one and two length bytes), and a long last one.
    std::mt19937 hands(7);
    for (int i = 0; i < 300; ++i)
        g.keys.push_back(uint8_t(hands() & 0x3f));
    g.keys.insert(g.keys.end(), 127, 5);
    g.keys.insert(g.keys.end(), 128, 6);
    g.keys.insert(g.keys.end(), 20000, 0);
    return g;
}

std::string refusal(const std::string& bytes) {
    try {
        decodeReplays(bytes);
    } catch (const ReplayError& e) {
        return e.what();
    }
    return "taken";
}

// The bytes of a record with one field set, its checksum made right again by zlib's CRC-32, which
// the file's is.
std::string withField(std::string bytes, size_t at, uint64_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes[at + size_t(i)] = char(value >> (8 * i) & 0xff);
    const size_t body = bytes.size() - 4;
    const uLong sum = crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(body));
    for (int i = 0; i < 4; ++i)
        bytes[body + size_t(i)] = char(sum >> (8 * i) & 0xff);
    return bytes;
}

} // namespace

TEST(ReplayFile, WhatGoesInComesOutRecordAfterRecordInFewBytes) {
    const ReplayGame a = sample();
    ReplayGame b = a;
    b.outcome = REPLAY_CLEAR;
    b.keys.assign(3600, 1);
    const std::string bytes = encodeReplay(a) + encodeReplay(b);
    EXPECT_LT(encodeReplay(b).size(), 50u) << "a held key is one run";
    const std::vector<ReplayGame> back = decodeReplays(bytes);
    ASSERT_EQ(back.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const ReplayGame& want = i ? b : a;
        EXPECT_EQ(back[i].level, want.level);
        EXPECT_EQ(back[i].seed, want.seed);
        EXPECT_EQ(back[i].volley, want.volley);
        EXPECT_EQ(back[i].shotWait, want.shotWait);
        EXPECT_EQ(back[i].outcome, want.outcome);
        EXPECT_EQ(back[i].score, want.score);
        EXPECT_EQ(back[i].time, want.time);
        EXPECT_EQ(back[i].keys, want.keys);
    }
}

TEST(ReplayFile, EveryCutAndEveryDamagedByteIsRefused) {
    const std::string bytes = encodeReplay(sample());
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_NE(refusal(bytes.substr(0, n)), "taken") << "cut to " << n << " bytes";
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::string damaged = bytes;
        damaged[i] = char(damaged[i] ^ 0x10);
        EXPECT_NE(refusal(damaged), "taken") << "byte " << i << " changed";
    }
    EXPECT_NE(refusal(bytes + "Z"), "taken") << "a byte after the last record";
}

// The mark, format, rules version, keys and checksum are tests/replays/hostile.sh's, run under the
// sanitizers too.
TEST(ReplayFile, ValuesOutOfRangeAreNamedWithTheirPlace) {
    const std::string bytes = encodeReplay(sample());
    struct Case {
        size_t at;
        uint64_t value;
        int size;
        const char* said;
    } cases[] = {
        {7, 51, 1, "byte 7: level 51, not 0 to 50"},
        {20, 3, 1, "byte 20: shot wait 3, not 0 to 2"},
        {21, 3, 1, "byte 21: outcome 3, not 0 to 2"},
        {22, 0, 4, "byte 22: frame count 0, not 1 to 100000"},
        {30, 20556, 4, "byte 30: time 20556, not 0 to 20555"},
        {34, 1, 4, "byte 34: runs 1, not 2 to"},
        {22, 20554, 4, "a run of 20000 frames after 555 of 20554"},
    };
    for (const Case& c : cases)
        EXPECT_NE(refusal(withField(bytes, c.at, c.value, c.size)).find(c.said), std::string::npos)
            << refusal(withField(bytes, c.at, c.value, c.size));
}

// A program played from its title as a player would, the recorder watching: the games it keeps,
// the first from the title and the next after a game over or a clear, each replayed alone from its
// start, end in the very world they ended in within the program.
TEST(ReplayRecorder, EveryGameOfALongRunReplaysAloneToTheSameWorld) {
    simInitMedia();
    simFreshStart(3, 2026);
    scene = SCENE_TITLE;
    levelKeyWait = 0;
    GameRecorder recorder;
    recorder.attach();
    RandomPlayer hands;
    hands.beginGame(3, 2026);
    std::vector<uint64_t> ends; // the world as each game ended in the program
    for (int f = 0; f < 30000 && ends.size() < 3; ++f) {
        // A push of z starts the game, restarts it after a game over and leaves the clear.
        const bool waiting =
            scene != SCENE_GAME || gameMain->state == GM_OVER || gameMain->state == GM_CLEAR_WAIT;
        simApplyKeys(waiting ? (f % 2 ? SIM_KEY_Z : 0) : hands.next(f));
        frameStep(0);
        if (recorder.replays().size() > ends.size()) ends.push_back(hashWorld());
    }
    recorder.detach();
    ASSERT_EQ(recorder.replays().size(), 3u);
    for (size_t i = 0; i < ends.size(); ++i) {
        const ReplayGame game = decodeReplays(recorder.replays()[i]).at(0);
        const ReplayCheck c = verifyReplay(game, SimOptions());
        EXPECT_TRUE(c.holds) << "game " << i << ": " << c.problem;
        EXPECT_EQ(c.result.hash, ends[i]) << "game " << i;
        EXPECT_NE(game.outcome, REPLAY_CUT);
    }
}
