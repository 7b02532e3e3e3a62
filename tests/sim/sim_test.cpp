// The simulator: games repeat exactly, recorded input replays a game, hash and checks see faults.
#include "flow/GameEndRoll.h"
#include "flow/Scene.h"
#include "plix/Plix.h"
#include "sim/SimFiles.h"
#include "sim/SimWorld.h"
#include "support/FightSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>
#include <type_traits>
#include <utility>

namespace {

class SimTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { simInitMedia(); }
};

GameResult play(int level, uint64_t seed, InputSource& input, int maxFrames = 0,
                RecordedGame* record = nullptr) {
    SimOptions o;
    o.check = true;
    o.maxFrames = maxFrames;
    o.record = record;
    return runGame(level, seed, input, o);
}

// The first alive and the first free bullet of the pool, either nullptr when there is none.
std::pair<Bullet*, Bullet*> firstLiveAndFreeBullet() {
    Bullet* live = nullptr;
    Bullet* free = nullptr;
    for (Bullet& b : *bulletManager) {
        if (b.exists && !live) live = &b;
        if (!b.exists && !free) free = &b;
    }
    return {live, free};
}

TEST_F(SimTest, SeedAndLevelChangeTheGame) {
    DodgeBot bot;
    const GameResult a = play(8, 1, bot, 1500);
    EXPECT_NE(a.hash, play(8, 2, bot, 1500).hash);
    EXPECT_NE(a.hash, play(9, 1, bot, 1500).hash);
}

TEST_F(SimTest, RecordedInputReplaysTheGameExactly) {
    DodgeBot bot;
    RecordedGame recorded;
    const GameResult live = play(3, 17, bot, 0, &recorded);
    ASSERT_EQ(static_cast<int>(recorded.keys.size()), live.frames);

    // Through the file format, as zorvane-sim --record and --input do.
    std::stringstream file;
    writeInputFile(file, {recorded});
    std::vector<RecordedGame> back = readInputFile(file);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].level, 3);
    EXPECT_EQ(back[0].seed, 17u);
    Replay replay(&back[0]);
    EXPECT_EQ(formatResult(live), formatResult(play(3, 17, replay)));

    // The replayed keys really drive the game: one frame without the bot's keys changes it.
    size_t busy = 0;
    while (busy < back[0].keys.size() && back[0].keys[busy] == 0)
        ++busy;
    ASSERT_LT(busy, back[0].keys.size());
    back[0].keys[busy] = back[0].keys[busy] ^ (SIM_KEY_LEFT | SIM_KEY_UP);
    Replay changed(&back[0]);
    EXPECT_NE(live.hash, play(3, 17, changed).hash);
}

TEST_F(SimTest, OutcomesFollowTheGameRules) {
    DodgeBot bot;
    RandomPlayer random;
    bool sawClear = false, sawOver = false;
    for (int lv : {0, 5, 25, 50}) {
        for (InputSource* input :
             {static_cast<InputSource*>(&bot), static_cast<InputSource*>(&random)}) {
            const GameResult r = play(lv, 4, *input);
            SCOPED_TRACE(formatResult(r));
            ASSERT_NE(r.outcome, GameResult::CUT);
            EXPECT_GE(r.score, 0);
            // The ratio is gauge / 20 (gauge at most 199) plus item bonuses.
            EXPECT_GE(r.maxRatio, 0);
            // The boss leaves by itself after 3600 of its updates, one per frame of play.
            EXPECT_LE(r.time, 3600);
            if (r.outcome == GameResult::OVER) {
                sawOver = true;
                EXPECT_EQ(gameMain->state, GM_OVER);
                EXPECT_FALSE(player->exists);
                // The start frame, then the last hit's 60-frame flash, while time stands still.
                EXPECT_GE(r.frames, r.time + 61);
            } else {
                sawClear = true;
                EXPECT_EQ(gameMain->state, GM_CLEAR_WAIT);
                for (const Enemy& e : *enemyManager)
                    EXPECT_FALSE(e.exists && e.kind == 0);
                // The start frame, then the white band opens for 112 frames before the wait.
                EXPECT_GE(r.frames, r.time + 113);
            }
        }
    }
    EXPECT_TRUE(sawClear);
    EXPECT_TRUE(sawOver);
}

// A change no encoding of the field can miss: a flag flipped, a number raised, a text's first byte.
template <class F> void change(F& field) {
    if constexpr (std::is_same_v<F, bool>)
        field = !field;
    else if constexpr (std::is_array_v<F>)
        field[0] ^= 1;
    else
        field += 1;
}

// Every field that each class lists, changed alone, changes the hash and comes back with a restore:
// the first live object of each pool, the player, the game, a running end roll and the title. What
// a free slot holds changes nothing.
TEST_F(SimTest, EveryListedFieldCountsInTheHashAndComesBackAndFreeSlotsDoNot) {
    DodgeBot bot;
    play(12, 5, bot, 400);
    Shot::create(100, 300, 90, 1);
    Item::create(100, 200, 0, 0, 0, 0);
    Bomb::create(100, 250, 90, 1, 0, 0);
    Particle::create(PK_TEXT, 100, 100, 0, 0, 90, 1, "500");
    GameEndRoll* roll = new GameEndRoll();
    delete gameEndRoll;
    gameEndRoll = roll;
    scene = SCENE_END_ROLL;
    WorldSnapshot snap;
    saveWorld(snap);
    const uint64_t before = hashWorld();
    auto expectEachCounts = [&](const std::string& what, auto&& list) {
        int n = 0;
        list([&](auto& field) {
            unsigned char kept[sizeof field];
            std::memcpy(kept, &field, sizeof field);
            change(field);
            EXPECT_NE(before, hashWorld()) << what << " field " << n;
            restoreWorld(snap);
            EXPECT_EQ(std::memcmp(kept, &field, sizeof field), 0) << what << " field " << n;
            ++n;
        });
        EXPECT_GT(n, 0) << what;
    };
    forEachPool([&](auto* pool, int, const char* name) {
        auto* live = std::find_if(pool->begin(), pool->end(), [](auto& t) { return t.exists; });
        ASSERT_NE(live, pool->end()) << "no live " << name;
        expectEachCounts(name, [live](auto&& visit) {
            std::remove_reference_t<decltype(*live)>::forEachReplayed(*live, visit);
        });
    });
    expectEachCounts("player", [](auto&& visit) { Player::forEachReplayed(*player, visit); });
    expectEachCounts("game", [](auto&& visit) { GameMain::forEachReplayed(*gameMain, visit); });
    expectEachCounts("end roll",
                     [](auto&& visit) { GameEndRoll::forEachReplayed(*gameEndRoll, visit); });
    expectEachCounts("title", [](auto&& visit) { forEachTitleReplayed(visit); });
    EXPECT_EQ(before, hashWorld());

    Bullet* free = firstLiveAndFreeBullet().second;
    ASSERT_NE(free, nullptr);
    free->x += 3;
    free->age += 1;
    EXPECT_EQ(before, hashWorld());
}

// Frames played as the simulator plays them, each frame's keys held before its snapshot; before,
// when given, acts ahead of each frame. What was drawn and played, and the world as it ends.
std::pair<uint64_t, uint64_t> playFrames(int frames, uint8_t (*keysOf)(int frame),
                                         void (*before)(int frame) = nullptr) {
    simApplyKeys(keysOf(0));
    Plix_update(0);
    Plix_update(0);
    Plix_traceStart(nullptr);
    for (int frame = 0; frame < frames; ++frame) {
        if (before) before(frame);
        uint8_t next = keysOf(frame + 1);
        frameStep(
            0, [](void* keys) { simApplyKeys(*static_cast<uint8_t*>(keys)); }, &next);
    }
    Plix_traceStop();
    return {Plix_traceHash(), hashWorld()};
}

// A field that the snapshot left out would start the second run from where the first ended, and
// show in what it draws. The game's window changes every field of gameMain: the pause's timer runs
// out, an item adds score, bonus and a higher ratio, the boss's death starts the clear, z asks for
// the end roll. The roll's window, from near its end to the title and a level key, changes the
// roll's fields, the scene, the level and the title's key wait. The rows a roll shows are no
// replayed state: they are put back by hand.
TEST_F(SimTest, ARestoredWorldPlaysTheSameFramesAgain) {
    simFreshStart(0, 5);
    startGame();
    scene = SCENE_GAME;
    for (int frame = 0; frame < 60; ++frame)
        frameStep(0);
    GameMain& g = *gameMain;
    g.score = 1234, g.state = GM_ITEM_PAUSE, g.timer = 7, g.gauge = 99, g.bonus = 1;
    g.maxRatio = g.ratio(), g.time = 300;
    WorldSnapshot snap;
    saveWorld(snap);
    auto zAt400 = [](int frame) -> uint8_t { return frame == 400 ? SIM_KEY_Z : 0; };
    auto itemAndBossDeath = [](int frame) {
        if (frame == 10) Item::create(player->x, player->y, 0, 0, 0, 0);
        if (frame == 30) enemyManager->getTokens()[0].damage(1000000);
    };
    const auto game = playFrames(410, zAt400, itemAndBossDeath);
    EXPECT_TRUE(scene == SCENE_END_ROLL && g.bonus == 2 && g.maxRatio == 6 && g.gauge == 10);
    restoreWorld(snap);
    EXPECT_EQ(game, playFrames(410, zAt400, itemAndBossDeath));

    gameEndRoll->nextLine = GameEndRoll::creditCount() - 5;
    gameEndRoll->scroll = 20;
    const char* rows[GameEndRoll::ROWS];
    std::copy(std::begin(gameEndRoll->rows), std::end(gameEndRoll->rows), rows);
    saveWorld(snap);
    auto zThenUp = [](int frame) -> uint8_t {
        return frame == 200 ? SIM_KEY_Z : frame == 205 ? SIM_KEY_UP : 0;
    };
    const auto roll = playFrames(210, zThenUp);
    EXPECT_TRUE(scene == SCENE_TITLE && gameEndRoll->finished && levelKeyWait > 0);
    restoreWorld(snap);
    std::copy(std::begin(rows), std::end(rows), gameEndRoll->rows);
    EXPECT_EQ(roll, playFrames(210, zThenUp));
}

TEST_F(SimTest, CheckFindsNaNOnLiveObjectsOnly) {
    DodgeBot bot;
    play(30, 8, bot, 600);
    EXPECT_EQ("", checkWorld());
    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto [live, free] = firstLiveAndFreeBullet();
    ASSERT_TRUE(live && free);
    free->y = nan;
    EXPECT_EQ("", checkWorld());
    const float keep = live->vx;
    live->vx = nan;
    const std::string bad = checkWorld();
    EXPECT_NE(bad.find("bullet " + std::to_string(live - bulletManager->getTokens())),
              std::string::npos)
        << bad;
    live->vx = keep;
    player->exists = true;
    player->x = nan;
    EXPECT_EQ("the player has a NaN coordinate", checkWorld());
}

TEST_F(SimTest, CheckModeStopsTheGameAtTheFirstBadFrame) {
    // An input that plants a NaN in the first live bullet it sees from frame 300 on.
    struct Saboteur : DodgeBot {
        int planted = -1;
        uint8_t next(int frame) override {
            if (frame >= 300 && planted < 0)
                for (Bullet& b : *bulletManager)
                    if (b.exists) {
                        b.y = std::numeric_limits<float>::quiet_NaN();
                        planted = frame;
                        break;
                    }
            return DodgeBot::next(frame);
        }
    } saboteur;
    try {
        play(40, 2, saboteur);
        FAIL() << "the planted NaN went unnoticed";
    } catch (const SimCheckError& e) {
        // The frame that reads the planted keys is frame planted + 1, counted from 1.
        const std::string want = "frame " + std::to_string(saboteur.planted + 1) + ": bullet ";
        EXPECT_EQ(std::string(e.what()).rfind(want, 0), 0u) << e.what();
    }
}

TEST(SimInputFile, KeysRoundTripAndBadLinesNameTheirLine) {
    for (int k = 0; k < 64; ++k)
        EXPECT_EQ(k, parseKeys(formatKeys(static_cast<uint8_t>(k))));
    EXPECT_EQ("-", formatKeys(0));
    EXPECT_EQ("zr", formatKeys(SIM_KEY_RIGHT | SIM_KEY_Z));

    auto error = [](const std::string& text) {
        std::istringstream in(text);
        try {
            readInputFile(in);
        } catch (const SimInputError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ("input line 3: unknown key 'q'", error("game 1 2\n-\nzq\n"));
    EXPECT_EQ("input line 2: key 'z' given twice", error("# c\nzuz\n"));
    EXPECT_EQ("input line 1: expected \"game LEVEL SEED\" with LEVEL 0 to 50",
              error("game 51 2\nz\n"));
    EXPECT_EQ("input line 1: expected \"game LEVEL SEED\" with LEVEL 0 to 50",
              error("game 5\nz\n"));
    EXPECT_EQ("input line 3: a game line after frames that belong to no game",
              error("z\n-\ngame 1 1\n"));
    EXPECT_EQ("input file holds no frames", error("# only a comment\n\n"));

    EXPECT_EQ("input line 1: SEED wants a whole number from 0 to 9223372036854775807, not \"-1\"",
              error("game 0 -1\nz\n"));
    EXPECT_EQ("input line 2: longer than 256 bytes",
              error("game 0 1\n" + std::string(257, 'z') + "\n"));
    EXPECT_EQ("input line 2: longer than 256 bytes", error("-\n" + std::string(257, '#')));
    EXPECT_EQ("input line 2: unknown key '\\x7f'", error("-\nz\x7f\n"));
    EXPECT_EQ("no error", error("game 0 1\n" + std::string(256, '#') + "\nz"));

    std::istringstream mixed("# two games\ngame 4 9\nz\r\n-\n\ngame 0 1\nud\n");
    std::vector<RecordedGame> games = readInputFile(mixed);
    ASSERT_EQ(games.size(), 2u);
    EXPECT_EQ(games[0].keys, (std::vector<uint8_t>{SIM_KEY_Z, 0}));
    EXPECT_EQ(games[1].keys, (std::vector<uint8_t>{SIM_KEY_UP | SIM_KEY_DOWN}));
    Replay past(&games[1]);
    EXPECT_EQ(0, past.next(1)); // after the recording ends no key is held
}

// What reaches a terminal: printable ASCII and whole UTF-8 characters as they are, every other
// byte as \xNN.
TEST(SimQuoting, RawBytesAreQuotedAndWholeCharactersKept) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain --level 3", "plain --level 3"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"\x1b[2J\t\r\n\x7f", "\\x1b[2J\\x09\\x0d\\x0a\\x7f"},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xae", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xae"},
        {"\xc3", "\\xc3"},                            // cut short
        {"\xc3(", "\\xc3("},                          // not followed by a continuation
        {"\x80", "\\x80"},                            // a lone continuation
        {"\xc0\xaf", "\\xc0\\xaf"},                   // an overlong '/'
        {"\xe0\x80\xaf", "\\xe0\\x80\\xaf"},          // overlong in three bytes
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},          // a surrogate
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"}, // past U+10FFFF
        {"\xf5\x80\x80\x80", "\\xf5\\x80\\x80\\x80"}, // no such lead byte
        {"\xff\xfe", "\\xff\\xfe"},
    };
    for (const auto& [raw, shown] : cases)
        EXPECT_EQ(simQuoted(raw), shown);
}

} // namespace
