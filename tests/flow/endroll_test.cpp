// End roll: the credit list, the rows' timing and places, x and the final screen, and the music.
#include "flow/GameEndRoll.h"
#include "flow/GameMain.h"
#include "objects/World.h"
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "sim/SimGame.h"
#include "support/TestSupport.h"

#include "MusicSpy.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

constexpr int CHANGE = 42; // frames from one row change to the next
constexpr int LINES = 66;

std::vector<Uint8> screen() {
    SDL_Surface* s = SDL_GetVideoSurface();
    const Uint8* p = static_cast<const Uint8*>(s->pixels);
    return std::vector<Uint8>(p, p + s->pitch * s->h);
}

// The roll after `frame` frames, line by line: line k enters 666 px down at row change k (line 0
// at once), rises 41 px per 42 frames resting in each change's frame, and leaves 16 changes later.
std::vector<Uint8> rollPicture(int frame) {
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    int changes = frame / CHANGE;
    for (int k = std::max(0, changes - 16); k <= changes && k < LINES; ++k)
        Plix_drawText(GameEndRoll::credit(k), 30, 666 - 41 * (changes - k) - frame % CHANGE, 255);
    return screen();
}

class EndRollTest : public ::testing::Test {
  protected:
    void SetUp() override {
        simInitMedia();
        startGame(); // the final screen reads the game's score and time
        musicCalls.clear();
    }
    // One frame as the loop gives it: the snapshot the frame reads (x pushed or not), then run.
    void frame(GameEndRoll& roll, bool pushX = false) {
        testsupport::setKey(PLIX_KEY_X, pushX);
        testsupport::snapshot();
        roll.run();
    }
};

TEST_F(EndRollTest, CreditsAreSixtySixDrawableLinesInTheirGroups) {
    ASSERT_EQ(GameEndRoll::creditCount(), LINES);
    ASSERT_FALSE(plixMedia.glyphs.empty()) << "the font did not load";
    EXPECT_NE(std::string(GameEndRoll::credit(0)).find("ZORVANE"), std::string::npos);
    int headings = 0;
    std::vector<int> dates;
    for (int i = 0; i < LINES; ++i) {
        std::string s = GameEndRoll::credit(i);
        SCOPED_TRACE("line " + std::to_string(i) + " \"" + s + "\"");
        // The title, three empty lines, the groups from line 4, a tail of exactly sixteen empty.
        EXPECT_FALSE((i == 4 || i == LINES - 17) && s.empty());
        EXPECT_TRUE(s.empty() || i == 0 || (i > 3 && i < LINES - 16));
        for (unsigned char c : s)
            EXPECT_TRUE(c == ' ' || plixMedia.glyphs.count(c)) << "no glyph for " << int(c);
        if (i < 4 || s.empty()) continue;
        size_t indent = s.find_first_not_of(' ');
        EXPECT_TRUE(indent == 0 || indent == 2 || indent == 4);
        headings += indent == 0;
        int y, m, d;
        if (indent == 2 && std::sscanf(s.c_str(), "  %4d.%2d.%2d", &y, &m, &d) == 3)
            dates.push_back(y * 10000 + m * 100 + d);
    }
    EXPECT_EQ(headings, 5); // staff, arrangement, releases, tools, thanks
    ASSERT_EQ(dates.size(), 2u) << "two dated releases";
    EXPECT_LT(dates[0], dates[1]);
}

// One whole roll without x: the music's restart and fade, the rows at a few frames, the length.
TEST_F(EndRollTest, RollsSixtySixRowChangesToItsMusic) {
    Plix_stopBgm(3000); // even a fading music is started afresh, looping without end
    musicCalls.clear();
    GameEndRoll roll;
    EXPECT_EQ(musicCalls, std::vector<std::string>{"play -1"});
    EXPECT_EQ(Mix_FadingMusic(), MIX_NO_FADING);
    // The title line coming into view, a row change's resting frame and its neighbours, and later.
    const int looked[] = {5 * CHANGE + 1, 21 * CHANGE - 1, 21 * CHANGE, 21 * CHANGE + 1, 2000};
    for (int f = 1; f < LINES * CHANGE; ++f) {
        frame(roll);
        ASSERT_FALSE(roll.finished) << f;
        if (std::find(std::begin(looked), std::end(looked), f) == std::end(looked)) continue;
        SCOPED_TRACE("frame " + std::to_string(f));
        std::vector<Uint8> shown = screen();
        EXPECT_TRUE(shown == rollPicture(f));
        EXPECT_EQ(roll.scroll, f % CHANGE);
        EXPECT_STREQ(roll.rows[16], GameEndRoll::credit(f / CHANGE)) << "row 16 takes each line";
    }
    EXPECT_EQ(musicCalls.size(), 1u) << "nothing touches the music while rolling";
    frame(roll);
    EXPECT_TRUE(roll.finished) << "the roll lasts 66 x 42 = 2772 frames";
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_OUT);
    frame(roll);
    EXPECT_EQ(musicCalls, (std::vector<std::string>{"play -1", "fadeOut 3000"})) << "fades once";
}

// x cuts the roll at the next row change; the final screen then shows the game's score and time
// (score 0 as ":0") until the scene loop sees z, and x there changes nothing.
TEST_F(EndRollTest, XEndsTheRollAtTheNextRowChangeOnTheFinalScreen) {
    struct Case {
        int xFrame, finishes, score, time;
    } cases[] = {
        {1, 42, 0, 3600},     // before the title line ever comes into view
        {41, 42, 123450, 17}, // the last frame before a change
        {42, 42, 5, 0},       // x in a change frame makes that change the last
        {43, 84, 10, 1},      // just after a change: a whole row to go
        {2771, 2772, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("x in frame " + std::to_string(c.xFrame));
        gameMain->score = c.score;
        gameMain->time = c.time;
        GameEndRoll roll;
        int f = 0;
        while (!roll.finished && f < LINES * CHANGE + CHANGE)
            frame(roll, ++f == c.xFrame);
        ASSERT_EQ(f, c.finishes);
        frame(roll);
        std::vector<Uint8> shown = screen();
        Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
        Plix_drawText("END", 160, 180, 255);
        Plix_drawText(("Your Score :" + std::to_string(c.score)).c_str(), 90, 240, 255);
        Plix_drawText(("Your Time  :" + std::to_string(c.time)).c_str(), 90, 280, 255);
        EXPECT_TRUE(shown == screen());
        for (bool x : {true, false}) {
            frame(roll, x);
            EXPECT_TRUE(roll.finished && shown == screen()) << "x here changes nothing";
        }
    }
}

} // namespace
