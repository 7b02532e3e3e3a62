// End roll: the credit list, the rows' timing and places, x and the final screen, and the music.
#include "flow/GameEndRoll.h"
#include "flow/GameMain.h"
#include "objects/Random.h"
#include "objects/Token.h"
#include "objects/World.h"
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/TestSupport.h"

#include "MusicSpy.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr int KEY_X = 120;
constexpr int CHANGE = 42; // frames from one row change to the next
constexpr int LINES = 66;

std::vector<Uint8> screenPixels() {
    SDL_Surface* s = SDL_GetVideoSurface();
    SDL_LockSurface(s);
    const Uint8* p = static_cast<const Uint8*>(s->pixels);
    std::vector<Uint8> copy(p, p + s->pitch * s->h);
    SDL_UnlockSurface(s);
    return copy;
}

bool allBlack(const std::vector<Uint8>& pixels) {
    for (Uint8 b : pixels)
        if (b != 0) return false;
    return true;
}

// Where credits line k should stand after `frame` frames of the roll, worked out per line: it
// enters 666 px down when it is taken (line 0 at once, line k at row change k), then rises 41 px in
// every 42 frames, resting in the frame of each row change. Returns false while it is not on a row.
bool lineY(int k, int frame, int* y) {
    int changes = frame / CHANGE;
    if (k > changes || changes - k > 16 || changes >= LINES) return false;
    *y = 666 - 41 * (changes - k) - frame % CHANGE;
    return true;
}

// "YYYY.MM.DD".
bool isDate(const std::string& s) {
    if (s.size() != 10) return false;
    for (int i = 0; i < 10; ++i)
        if (i == 4 || i == 7 ? s[i] != '.' : !std::isdigit(static_cast<unsigned char>(s[i])))
            return false;
    return true;
}

class EndRollTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testsupport::initMedia();
        randSeed(6);
        if (!gameMain) gameMain = new GameMain();
        testsupport::releaseAllKeys();
        testsupport::snapshot();
        testsupport::snapshot();
        musicspy::calls().clear();
    }
    // One frame as the loop gives it: the snapshot the frame reads (x pushed or not), then run.
    void frame(GameEndRoll& roll, bool pushX = false) {
        testsupport::setKey(KEY_X, pushX);
        testsupport::snapshot();
        roll.run();
    }
    // Frames until finished is seen, x pushed in frame xFrame (0: never). Gives up after the full
    // length.
    int framesToFinish(GameEndRoll& roll, int xFrame) {
        for (int f = 1; f <= LINES * CHANGE + CHANGE; ++f) {
            frame(roll, f == xFrame);
            if (roll.finished) return f;
        }
        return -1;
    }
};

TEST_F(EndRollTest, CreditListHasTheLayoutOfTheRoll) {
    ASSERT_EQ(GameEndRoll::creditCount(), LINES);
    std::vector<std::string> lines;
    for (int i = 0; i < LINES; ++i)
        lines.push_back(GameEndRoll::credit(i));
    // Title, three empty lines, the groups, and exactly sixteen empty lines at the end.
    EXPECT_FALSE(lines[0].empty());
    EXPECT_EQ(lines[1] + lines[2] + lines[3], "");
    EXPECT_FALSE(lines[LINES - 17].empty());
    for (int i = LINES - 16; i < LINES; ++i)
        EXPECT_EQ(lines[i], "") << i;

    int headings = 0, gap = 0;
    size_t previousIndent = 0;
    std::vector<std::string> dates;
    for (int i = 4; i < LINES - 16; ++i) {
        const std::string& s = lines[i];
        if (s.empty()) {
            ++gap;
            continue;
        }
        size_t indent = s.find_first_not_of(' ');
        ASSERT_TRUE(indent == 0 || indent == 2 || indent == 4) << s;
        if (indent == 0) ++headings;
        // A group opens after 1 to 4 empty lines, an entry follows its heading after at most one;
        // four-blank entries belong to a two-blank sub-heading.
        EXPECT_TRUE(indent != 0 || i == 4 || (gap >= 1 && gap <= 4)) << "before " << s;
        EXPECT_TRUE(indent <= previousIndent || gap <= 1) << s;
        EXPECT_TRUE(indent != 4 || previousIndent != 0) << s;
        if (indent == 2 && isDate(s.substr(2, 10))) dates.push_back(s.substr(2, 10));
        previousIndent = indent;
        gap = 0;
    }
    EXPECT_EQ(headings, 5); // staff, arrangement, releases, tools, thanks
    ASSERT_EQ(dates.size(), 2u);
    EXPECT_LT(dates[0], dates[1]);
    EXPECT_EQ(dates[0].substr(0, 5) + dates[1].substr(0, 5), "2026.2026.");
    EXPECT_STREQ(GameEndRoll::credit(LINES), "");
    EXPECT_STREQ(GameEndRoll::credit(-1), "");
}

TEST_F(EndRollTest, EveryCreditLineIsDrawableAndFitsTheField) {
    ASSERT_FALSE(plixMedia.glyphs.empty()) << "the font did not load";
    for (int i = 0; i < LINES; ++i) {
        int width = 30;
        for (const char* p = GameEndRoll::credit(i); *p; ++p) {
            int c = static_cast<unsigned char>(*p);
            if (c == ' ') {
                width += 12;
                continue;
            }
            auto glyph = plixMedia.glyphs.find(c);
            ASSERT_TRUE(c > 32 && c < 127 && glyph != plixMedia.glyphs.end())
                << "line " << i << " has no glyph for code " << c;
            width += glyph->second->w;
        }
        EXPECT_LE(width, SCREEN_WIDTH) << GameEndRoll::credit(i);
    }
}

// One whole roll: the music's start and fade, every row in every frame, two frames on screen.
TEST_F(EndRollTest, RollOfSixtySixRowChanges) {
    // Even a fading music is replaced: the roll starts it afresh, looping without end.
    Plix_stopBgm(3000);
    musicspy::calls().clear();
    GameEndRoll roll;
    ASSERT_EQ(musicspy::calls().size(), 1u);
    EXPECT_EQ(musicspy::calls()[0].name, "play");
    EXPECT_EQ(musicspy::calls()[0].arg, -1);
    EXPECT_EQ(Mix_FadingMusic(), MIX_NO_FADING);
    EXPECT_TRUE(!roll.finished && roll.scroll == 0 && roll.nextLine == 0);

    std::vector<Uint8> restBefore;
    for (int f = 0; f < LINES * CHANGE; ++f) {
        if (f > 0) frame(roll);
        ASSERT_FALSE(roll.finished) << f;
        // Each credits line due on a row is there at its height, and no row holds anything else.
        int due = 0, shown = 0;
        for (int k = 0; k < LINES; ++k) {
            int y;
            if (!lineY(k, f, &y) || GameEndRoll::credit(k)[0] == '\0') continue;
            ++due;
            int r = (y - 10 + roll.scroll) / 41;
            ASSERT_TRUE(r >= 0 && r < 17 && r * 41 + 10 - roll.scroll == y) << f << " " << k;
            EXPECT_STREQ(roll.rows[r], GameEndRoll::credit(k)) << "frame " << f << " row " << r;
        }
        for (const char* row : roll.rows)
            if (row[0] != '\0') ++shown;
        ASSERT_EQ(shown, due) << "frame " << f;

        if (f == 20 * CHANGE + 5) {
            // Lines 4 to 20 on rows 0 to 16, five pixels up: the picture the player sees.
            std::vector<Uint8> drawn = screenPixels();
            Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
            int y;
            for (int k = 0; k < LINES; ++k)
                if (lineY(k, f, &y)) Plix_drawText(GameEndRoll::credit(k), 30, y, 255);
            std::vector<Uint8> expected = screenPixels();
            ASSERT_FALSE(allBlack(expected)) << "no credits text drawn at all: font missing?";
            EXPECT_TRUE(drawn == expected);
        }
        // The frame of a row change repeats the one before it; the next one moves on.
        if (f == 21 * CHANGE - 1) restBefore = screenPixels();
        if (f == 21 * CHANGE) {
            EXPECT_TRUE(screenPixels() == restBefore);
        }
        if (f == 21 * CHANGE + 1) {
            EXPECT_FALSE(screenPixels() == restBefore);
        }
    }
    EXPECT_EQ(musicspy::calls().size(), 1u) << "nothing touches the music while rolling";
    frame(roll);
    EXPECT_TRUE(roll.finished) << "the roll lasts 66 x 42 = 2772 frames";
    ASSERT_EQ(musicspy::calls().size(), 2u);
    EXPECT_EQ(musicspy::calls()[1].name, "fadeOut");
    EXPECT_EQ(musicspy::calls()[1].arg, 3000);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_OUT);
    for (int i = 0; i < 10; ++i)
        frame(roll);
    EXPECT_EQ(musicspy::calls().size(), 2u) << "the final screen fades once, not every frame";
}

TEST_F(EndRollTest, XEndsTheRollAtTheNextRowChange) {
    struct Case {
        int xFrame, finishes;
    } cases[] = {
        {1, 42},  // before the title line ever comes into view
        {41, 42}, // the last frame before a change
        {42, 42}, // x in a change frame makes that change the last
        {43, 84}, // just after a change: a whole row to go
        {100, 126}, {2771, 2772},
    };
    for (const Case& c : cases) {
        GameEndRoll roll;
        EXPECT_EQ(framesToFinish(roll, c.xFrame), c.finishes) << "x in frame " << c.xFrame;
    }
}

TEST_F(EndRollTest, FinalScreenShowsEndScoreAndTime) {
    struct Case {
        int score, time;
        const char *scoreText, *timeText;
    } cases[] = {
        {0, 3600, "Your Score :0", "Your Time  :3600"},
        {123450, 17, "Your Score :123450", "Your Time  :17"},
    };
    for (const Case& c : cases) {
        gameMain->score = c.score;
        gameMain->time = c.time;
        GameEndRoll roll;
        ASSERT_EQ(framesToFinish(roll, 1), CHANGE);
        frame(roll);
        std::vector<Uint8> shown = screenPixels();

        Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
        Plix_drawText("END", 160, 180, 255);
        Plix_drawText(c.scoreText, 90, 240, 255);
        Plix_drawText(c.timeText, 90, 280, 255);
        EXPECT_TRUE(shown == screenPixels()) << c.scoreText << " / " << c.timeText;

        // A blank after the colon would be a different picture: the comparison can tell.
        Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
        Plix_drawText("END", 160, 180, 255);
        Plix_drawText((std::string("Your Score : ") + (c.scoreText + 12)).c_str(), 90, 240, 255);
        Plix_drawText(c.timeText, 90, 280, 255);
        EXPECT_FALSE(shown == screenPixels());

        // x on the final screen changes nothing; the screen stays until the scene loop sees z.
        int nextLine = roll.nextLine;
        frame(roll, true);
        for (int i = 0; i < 50; ++i)
            frame(roll);
        EXPECT_TRUE(roll.finished);
        EXPECT_EQ(roll.nextLine, nextLine);
        EXPECT_EQ(roll.scroll, 0);
        EXPECT_TRUE(shown == screenPixels());
    }
}

} // namespace
