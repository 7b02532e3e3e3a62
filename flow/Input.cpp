// The seven input wrappers: the keyboard, or else the joystick, on the last frame's snapshot.
#include "flow/Input.h"
#include "plix/Plix.h"

namespace {

constexpr int BUTTON_FIRE = 0;
constexpr int BUTTON_SECOND = 1;

} // namespace

bool inputZ() {
    return Plix_keyDown(PLIX_KEY_Z) || Plix_joyButtonDown(BUTTON_FIRE);
}
bool inputZPushed() {
    return Plix_keyPushed(PLIX_KEY_Z) || Plix_joyButtonPushed(BUTTON_FIRE);
}
bool inputXPushed() {
    return Plix_keyPushed(PLIX_KEY_X) || Plix_joyButtonPushed(BUTTON_SECOND);
}
bool inputLeft() {
    return Plix_keyDown(PLIX_KEY_LEFT) || Plix_joyDown(JOY_LEFT);
}
bool inputUp() {
    return Plix_keyDown(PLIX_KEY_UP) || Plix_joyDown(JOY_UP);
}
bool inputRight() {
    return Plix_keyDown(PLIX_KEY_RIGHT) || Plix_joyDown(JOY_RIGHT);
}
bool inputDown() {
    return Plix_keyDown(PLIX_KEY_DOWN) || Plix_joyDown(JOY_DOWN);
}
