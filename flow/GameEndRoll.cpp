// GameEndRoll: the credits rising after a cleared game, then "END" with the score and time until z.
#include "flow/GameEndRoll.h"

#include "flow/GameMain.h"
#include "flow/Input.h"
#include "flow/Resources.h"
#include "flow/Scene.h"
#include "objects/World.h"
#include "plix/Plix.h"

#include <cstdio>

namespace {

// Lines start at x = 30 and a glyph is about 12 px wide, so 23 characters is all the field's width
// holds. Every character lies in the font's printable ASCII range.
const char* const CREDITS[] = {
    GAME_TITLE,
    "",
    "",
    "",
    "Development staff",
    "  Code: ZORVANE team",
    "  Design: ZORVANE team",
    "  Art: ZORVANE team",
    "  Sound: ZORVANE team",
    "",
    "",
    "Music arranged by",
    "  ZORVANE asset",
    "  generator",
    "",
    "",
    "Release history",
    "",
    "  2026.11.22  Preview",
    "  2026.12.06  Ver 1.0",
    "",
    "",
    "Tools",
    "  Language and build",
    "    C++17, CMake",
    "    GCC, clang-format",
    "",
    "  Program library",
    "    SDL 1.2",
    "    SDL_mixer 1.2",
    "    Ogg Vorbis",
    "",
    "  Text editors",
    "    plain text editors",
    "",
    "  Font",
    "    ZORVANE pixel font",
    "    by asset generator",
    "",
    "  Sequencing, mastering",
    "    ZORVANE asset",
    "    generator (C++)",
    "    libvorbisenc",
    "",
    "",
    "Special thanks",
    "  SDL community",
    "  Xiph.Org community",
    "  Debian",
    "  you, for playing",
    // The tail lets the last text line leave the top before the final screen comes.
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
};

constexpr int CREDIT_COUNT = static_cast<int>(sizeof CREDITS / sizeof CREDITS[0]);
static_assert(CREDIT_COUNT == 66, "the roll's length in row changes is fixed at 66");

} // namespace

int GameEndRoll::creditCount() {
    return CREDIT_COUNT;
}

const char* GameEndRoll::credit(int index) {
    return index >= 0 && index < CREDIT_COUNT ? CREDITS[index] : "";
}

GameEndRoll::GameEndRoll() {
    finished = false;
    scroll = 0;
    for (const char*& row : rows)
        row = "";
    rows[ROWS - 1] = CREDITS[0];
    nextLine = 0;
    Plix_playBgm(MUSIC_FILE, -1, 0);
}

void GameEndRoll::run() {
    if (finished) {
        Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
        // Widest int is 11 characters; the buffer lives on the stack, nothing is allocated per
        // frame.
        char line[32];
        Plix_drawText("END", 160, 180, 255);
        std::snprintf(line, sizeof line, "Your Score :%d", gameMain->score);
        Plix_drawText(line, 90, 240, 255);
        std::snprintf(line, sizeof line, "Your Time  :%d", gameMain->time);
        Plix_drawText(line, 90, 280, 255);
        return;
    }
    // x does not end the roll at once: it makes the next row change the last one.
    if (inputXPushed()) nextLine = CREDIT_COUNT - 1;
    scroll++;
    if (scroll > ROW_PITCH) {
        // The shift puts every text back where it stood last frame: each line rests one frame
        // in 42.
        scroll = 0;
        for (int i = 0; i < ROWS - 1; ++i)
            rows[i] = rows[i + 1];
        nextLine++;
        if (nextLine >= CREDIT_COUNT) {
            Plix_stopBgm(MUSIC_FADE_OUT_MS);
            finished = true;
        } else {
            rows[ROWS - 1] = CREDITS[nextLine];
        }
    }
    draw();
}

void GameEndRoll::draw() {
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    for (int i = 0; i < ROWS; ++i) {
        if (rows[i][0] != '\0') Plix_drawText(rows[i], 30, i * ROW_PITCH + 10 - scroll, 255);
    }
}
