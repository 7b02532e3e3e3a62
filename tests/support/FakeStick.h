// A stand-in for an attached joystick: a handle SDL never sees, and device reads of the test's own.
#pragma once

#include "plix/PlixMedia.h"
#include "support/SdlSpy.h"

// Snapshots read it through the layer's device functions; buttons and axes hold what they answer.
struct FakeStick {
    static inline FakeStick* current = nullptr;
    int storage = 0;
    bool buttons[8] = {};
    Sint16 axes[2] = {0, 0};
    int highestButtonRead = -1;

    explicit FakeStick(int buttonCount = 2) {
        current = this;
        set(reinterpret_cast<SDL_Joystick*>(&storage), buttonCount);
        plixMedia.devices.joyButton = [](SDL_Joystick*, int i) -> Uint8 {
            current->highestButtonRead = std::max(current->highestButtonRead, i);
            return i >= 0 && i < 8 && current->buttons[i];
        };
        plixMedia.devices.joyAxis = [](SDL_Joystick*, int axis) { return current->axes[axis]; };
    }
    ~FakeStick() {
        set(nullptr, 0);
        plixMedia.devices = PlixDevices();
        current = nullptr;
    }
    static void set(SDL_Joystick* handle, int buttons) {
        plixMedia.joystick = sdlspy::fakeJoystick = handle;
        plixMedia.joyButtonCount = buttons;
        plixMedia.joyButtonNow.assign(buttons, false);
        plixMedia.joyButtonBefore.assign(buttons, false);
        for (int axis : {0, 1})
            plixMedia.joyAxisNow[axis] = plixMedia.joyAxisBefore[axis] = 0;
    }
};
