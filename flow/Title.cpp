// The title screen: picture, prompt, the current level, and the level keys with their repeat wait.
#include "flow/Title.h"
#include "flow/Input.h"
#include "flow/Resources.h"
#include "flow/Scene.h"
#include "objects/World.h"
#include "plix/Plix.h"

#include <cstdio>

int levelKeyWait = 0;

void titleStep() {
    Plix_fillRect(0, 0, 0, 0, BACKGROUND_GREY, BACKGROUND_GREY, BACKGROUND_GREY);
    Plix_draw(TITLE_PICTURE, 30, 60, 0, 0, 0, 0);
    Plix_drawText("PUSH 'Z' or Joystick'1'", 40, 360, 255);
    // Drawn before the keys are read, so a change shows from the next frame on.
    char line[32];
    std::snprintf(line, sizeof line, "LEVEL : %d", level);
    Plix_drawText(line, 40, 384, 255);

    if (levelKeyWait >= 1) {
        --levelKeyWait;
        return;
    }
    // Each direction is tested on its own, so directions held together add up before the limits.
    if (inputUp()) {
        level += 1;
        levelKeyWait = LEVEL_KEY_WAIT;
    }
    if (inputDown()) {
        level -= 1;
        levelKeyWait = LEVEL_KEY_WAIT;
    }
    if (inputRight()) {
        level += 5;
        levelKeyWait = LEVEL_KEY_WAIT;
    }
    if (inputLeft()) {
        level -= 5;
        levelKeyWait = LEVEL_KEY_WAIT;
    }
    if (level < LEVEL_MIN) level = LEVEL_MIN;
    if (level > LEVEL_MAX) level = LEVEL_MAX;
}
