// The seven input wrappers: the keyboard, or else the joystick, on the last frame's snapshot.
#include "flow/Input.h"
#include "plix/Plix.h"

namespace {

// SDL 1.2 key codes.
constexpr int KEY_X = 120;
constexpr int KEY_Z = 122;
constexpr int KEY_UP = 273;
constexpr int KEY_DOWN = 274;
constexpr int KEY_RIGHT = 275;
constexpr int KEY_LEFT = 276;

constexpr int BUTTON_FIRE = 0;
constexpr int BUTTON_SECOND = 1;

} // namespace

bool inputZ() {
    return Plix_keyDown(KEY_Z) || Plix_joyButtonDown(BUTTON_FIRE);
}
bool inputZPushed() {
    return Plix_keyPushed(KEY_Z) || Plix_joyButtonPushed(BUTTON_FIRE);
}
bool inputXPushed() {
    return Plix_keyPushed(KEY_X) || Plix_joyButtonPushed(BUTTON_SECOND);
}
bool inputLeft() {
    return Plix_keyDown(KEY_LEFT) || Plix_joyDown(JOY_LEFT);
}
bool inputUp() {
    return Plix_keyDown(KEY_UP) || Plix_joyDown(JOY_UP);
}
bool inputRight() {
    return Plix_keyDown(KEY_RIGHT) || Plix_joyDown(JOY_RIGHT);
}
bool inputDown() {
    return Plix_keyDown(KEY_DOWN) || Plix_joyDown(JOY_DOWN);
}
