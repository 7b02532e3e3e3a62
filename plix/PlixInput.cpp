// Input: the once-a-frame keyboard and joystick snapshot, and the held/pushed questions on it.
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"

namespace {

constexpr int AXIS_HORIZONTAL = 0;
constexpr int AXIS_VERTICAL = 1;

bool validKey(int key) {
    return key >= 0 && key < PLIX_KEY_COUNT;
}

bool validButton(int button) {
    return plixMedia.joystick && button >= 0 && button < plixMedia.joyButtonCount;
}

// Whether the axis values lie beyond the threshold in direction; strict, so it is centred.
bool stickHolds(const Sint16 axes[2], int direction) {
    switch (direction) {
    case JOY_UP:
        return axes[AXIS_VERTICAL] < -JOY_AXIS_THRESHOLD;
    case JOY_DOWN:
        return axes[AXIS_VERTICAL] > JOY_AXIS_THRESHOLD;
    case JOY_RIGHT:
        return axes[AXIS_HORIZONTAL] > JOY_AXIS_THRESHOLD;
    case JOY_LEFT:
        return axes[AXIS_HORIZONTAL] < -JOY_AXIS_THRESHOLD;
    default:
        return false;
    }
}

} // namespace

void Plix_takeSnapshot() {
    PlixMedia& m = plixMedia;
    int count = 0;
    const Uint8* keys = Plix_platformKeys(&count);
    for (int k = 0; k < PLIX_KEY_COUNT; ++k) {
        m.keyBefore[k] = m.keyNow[k];
        m.keyNow[k] = k < count && keys[k] == 1;
    }
    SDL_JoystickUpdate();
    for (int i = 0; i < m.joyButtonCount; ++i) {
        m.joyButtonBefore[i] = m.joyButtonNow[i];
        m.joyButtonNow[i] = m.devices.joyButton(m.joystick, i) == 1;
    }
    m.joyAxisBefore[AXIS_HORIZONTAL] = m.joyAxisNow[AXIS_HORIZONTAL];
    m.joyAxisBefore[AXIS_VERTICAL] = m.joyAxisNow[AXIS_VERTICAL];
    if (m.joystick) {
        m.joyAxisNow[AXIS_HORIZONTAL] = m.devices.joyAxis(m.joystick, AXIS_HORIZONTAL);
        m.joyAxisNow[AXIS_VERTICAL] = m.devices.joyAxis(m.joystick, AXIS_VERTICAL);
    }
}

bool Plix_keyDown(int key) {
    return validKey(key) && plixMedia.keyNow[key];
}

bool Plix_keyPushed(int key) {
    return validKey(key) && plixMedia.keyNow[key] && !plixMedia.keyBefore[key];
}

bool Plix_joyDown(int direction) {
    return plixMedia.joystick && stickHolds(plixMedia.joyAxisNow, direction);
}

bool Plix_joyPushed(int direction) {
    return plixMedia.joystick && stickHolds(plixMedia.joyAxisNow, direction) &&
           !stickHolds(plixMedia.joyAxisBefore, direction);
}

bool Plix_joyButtonDown(int button) {
    return validButton(button) && plixMedia.joyButtonNow[button];
}

bool Plix_joyButtonPushed(int button) {
    return validButton(button) && plixMedia.joyButtonNow[button] &&
           !plixMedia.joyButtonBefore[button];
}

void Plix_setKey(int key, bool held) {
    if (validKey(key)) Plix_platformSetKey(key, held);
}
