// The simulator: games repeat exactly, recorded input replays a game, hash and checks see faults.
#include "flow/GameEndRoll.h"
#include "flow/Scene.h"
#include "plix/Plix.h"
#include "sim/SimFiles.h"
#include "sim/SimOptions.h"
#include "sim/SimWorld.h"
#include "support/FightSupport.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>
#include <type_traits>
#include <utility>

using namespace std::string_literals;

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

// The command line as read: the fields it sets, or the reader's words; raw bytes quoted.
std::string optionsOf(std::vector<std::string> args) {
    std::vector<char*> argv = {nullptr};
    for (std::string& a : args)
        argv.push_back(a.data());
    try {
        const SimArgs a = readOptions(int(argv.size()), argv.data());
        std::ostringstream s;
        s << "level " << a.level << (a.allLevels ? " all" : "") << " seed " << a.seed
          << (a.seedGiven ? "!" : "") << " games " << a.games << " input " << a.input << " frames "
          << a.maxFrames << " pace " << a.pace << (a.check ? " check" : "")
          << (a.fromTitle ? " title" : "") << (a.help ? " help" : "") << " " << a.record << ","
          << a.trace << "," << a.verify << "," << a.shot << "@" << a.shotFrame;
        return s.str();
    } catch (const SimUsageError& e) {
        return e.what();
    }
}

TEST(SimOptions, EachOptionSetsItsFieldAndABadOneIsRefusedInWords) {
    const std::string level = "--level wants a whole number from 0 to 50, not ";
    const std::string games = "--games wants a whole number from 1 to 1000000, not ";
    const std::string seed = "--seed wants a whole number from 0 to 9223372036854775807, not ";
    const std::string title = "--from-title takes no --all-levels, --max-frames or --record";
    // clang-format off
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "level 0 seed 1 games 1 input random frames 0 pace 0 ,,,@0"},
        {{"--level", "50", "--seed=9223372036854775807", "--games", "1000000", "--check", "--pace", "1000"},
         "level 50 seed 9223372036854775807! games 1000000 input random frames 0 pace 1000 check ,,,@0"},
        {{"--all-levels", "--input", "bot", "--max-frames", "5", "--record", "r", "--trace=t"},
         "level 0 all seed 1 games 1 input bot frames 5 pace 0 r,t,,@0"},
        {{"--from-title", "--input", "s.in", "--seed", "0"}, "level 0 seed 0! games 1 input s.in frames 0 pace 0 title ,,,@0"},
        {{"--verify", "v", "--check", "--trace", "t", "--shot", "9", "s.bmp"}, "level 0 seed 1 games 1 input random frames 0 pace 0 check ,t,v,s.bmp@9"},
        {{"-h", "--speed"}, "level 0 seed 1 games 1 input random frames 0 pace 0 help ,,,@0"},
        {{"--level", "51"}, level + "\"51\""}, {{"--level", "-1"}, level + "\"-1\""},
        {{"--level", "\x1b[2J"}, level + "\"\\x1b[2J\""},
        {{"--games", "3x"}, games + "\"3x\""}, {{"--games", "0"}, games + "\"0\""},
        {{"--games", "1000001"}, games + "\"1000001\""},
        {{"--seed", "-1"}, seed + "\"-1\""}, {{"--seed", "9223372036854775808"}, seed + "\"9223372036854775808\""},
        {{"--max-frames", "0"}, "--max-frames wants a whole number from 1 to 100000, not \"0\""},
        {{"--pace", "1001"}, "--pace wants a whole number from 0 to 1000, not \"1001\""},
        {{"--level"}, "--level needs a value"}, {{"--check=0"}, "--check takes no value, not \"0\""},
        {{"--all-levels=no"}, "--all-levels takes no value, not \"no\""},
        {{"--help=1"}, "--help takes no value, not \"1\""},
        {{"--speed", "2"}, "unknown option \"--speed\""}, {{"--sp\x01" "eed"}, "unknown option \"--sp\\x01eed\""},
        {{"--\xffx"}, "unknown option \"--\\xffx\""},
        {{"--level", "2", "--all-levels"}, "--level and --all-levels exclude each other"},
        {{"--from-title"}, "--from-title plays a script: give it --input FILE"},
        {{"--from-title", "--input", "bot"}, "--from-title plays a script: give it --input FILE"},
        {{"--from-title", "--input", "s.in", "--all-levels"}, title},
        {{"--from-title", "--input", "s.in", "--max-frames", "5"}, title},
        {{"--from-title", "--input", "s.in", "--record", "r"}, title},
        {{"--verify", "v", "--level", "2"}, "--verify plays its file's games: it takes only --check, --trace and --shot"},
        {{"--watch", "v", "--check"}, "--watch shows its file's first game: it takes no other option"},
    };
    // clang-format on
    for (const auto& [args, said] : cases)
        EXPECT_EQ(optionsOf(args), said);
}

TEST(SimInputFile, KeysRoundTripAndBadLinesNameTheirLine) {
    for (int k = 0; k < 64; ++k)
        EXPECT_EQ(k, parseKeys(formatKeys(static_cast<uint8_t>(k))));
    EXPECT_EQ("zr", formatKeys(SIM_KEY_RIGHT | SIM_KEY_Z));
    auto error = [](const std::string& text) { // the reader's words, or "taken"
        std::istringstream in(text);
        try {
            readInputFile(in);
        } catch (const SimInputError& e) {
            return std::string(e.what());
        }
        return std::string("taken");
    };
    const std::string header = "expected \"game LEVEL SEED\" with LEVEL 0 to 50";
    const std::string seed =
        "input line 1: SEED wants a whole number from 0 to 9223372036854775807, not ";
    const std::string hashes(256, '#');
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"game 0 1\n" + hashes + "\nz", "taken"}, {"game 50 9223372036854775807\nz\n", "taken"},
        {"z\n-\nud\n", "taken"},
        {"game 0 1\n#" + hashes + "\nz\n", "input line 2: longer than 256 bytes"},
        {"-\n" + std::string(257, '#'), "input line 2: longer than 256 bytes"},
        {std::string(5000, 'z'), "input line 1: longer than 256 bytes"},
        {"game 0 -1\nz\n", seed + "\"-1\""}, {"game 0 9223372036854775808\nz\n", seed + "\"9223372036854775808\""},
        {"game 0 7x\nz\n", seed + "\"7x\""},
        {"game 51 2\nz\n", "input line 1: " + header}, {"game 5\nz\n", "input line 1: " + header},
        {"game 1 2 3\nz\n", "input line 1: " + header},
        {"game 1 2\n-\nzq\n", "input line 3: unknown key 'q'"}, {"# c\nzuz\n", "input line 2: key 'z' given twice"},
        {"game 1 2\nz x\n", "input line 2: unknown key ' '"}, {"game 1 2\nz\0\n"s, "input line 2: unknown key '\\x00'"},
        {"game 1 2\nz\xff\n", "input line 2: unknown key '\\xff'"}, {"-\nz\x7f\n", "input line 2: unknown key '\\x7f'"},
        {"z\n-\ngame 1 1\n", "input line 3: a game line after frames that belong to no game"},
        {"# only a comment\n\n", "input file holds no frames"},
    };
    // clang-format on
    for (const auto& [text, said] : cases)
        EXPECT_EQ(error(text), said) << text;
    std::istringstream mixed("# two games\ngame 4 9\nz\r\n-\n\ngame 0 1\nud\n");
    std::vector<RecordedGame> games = readInputFile(mixed);
    ASSERT_EQ(games.size(), 2u);
    EXPECT_TRUE(games[0].level == 4 && games[0].seed == 9 && games[1].level == 0);
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
