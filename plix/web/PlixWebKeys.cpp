// The browser's keyboard snapshot: the emulation's keys in SDL 1.2 codes, and the controls that
// touch and gamepads hold (PlixWebKeys.js), so that every rule of the keyboard holds for them.
#include "plix/Plix.h"
#include "plix/PlixKeys.h"
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"

#include <emscripten.h>

namespace {

// The emulation files keys without a character of their own under scan code + 1024.
constexpr int SCAN = 1 << 10;

struct KeyIndex {
    int sdl12;
    int emulated;
};

// SDL 1.2 key codes from 256 up and where the emulation's keyboard state keeps each. Below 256 both
// use the same code: letters in lower case, digits, Escape, Return, space.
constexpr KeyIndex KEY_TABLE[] = {
    {256, SCAN | 98},  {257, SCAN | 89},  {258, SCAN | 90},  {259, SCAN | 91},  {260, SCAN | 92},
    {261, SCAN | 93},  {262, SCAN | 94},  {263, SCAN | 95},  {264, SCAN | 96},  {265, SCAN | 97},
    {266, SCAN | 99},  {267, SCAN | 84},  {268, SCAN | 85},  {269, SCAN | 86},  {270, SCAN | 87},
    {273, SCAN | 82},  {274, SCAN | 81},  {275, SCAN | 79},  {276, SCAN | 80},  {277, SCAN | 73},
    {278, SCAN | 74},  {279, SCAN | 77},  {280, SCAN | 75},  {281, SCAN | 78},  {282, SCAN | 58},
    {283, SCAN | 59},  {284, SCAN | 60},  {285, SCAN | 61},  {286, SCAN | 62},  {287, SCAN | 63},
    {288, SCAN | 64},  {289, SCAN | 65},  {290, SCAN | 66},  {291, SCAN | 67},  {292, SCAN | 68},
    {293, SCAN | 69},  {294, SCAN | 104}, {295, SCAN | 105}, {296, SCAN | 106}, {300, SCAN | 83},
    {301, SCAN | 57},  {303, SCAN | 229}, {304, SCAN | 225}, {305, SCAN | 228}, {306, SCAN | 224},
    {307, SCAN | 230}, {308, SCAN | 226}, {311, SCAN | 227}, {312, SCAN | 231}, {316, 316},
};

struct KeyMap {
    int index[PLIX_KEY_COUNT] = {};
    KeyMap() {
        for (int k = 0; k < 256; ++k)
            index[k] = k;
        for (const KeyIndex& e : KEY_TABLE)
            index[e.sdl12] = e.emulated;
    }
};
const KeyMap keyMap;
Uint8 sdl12Keys[PLIX_KEY_COUNT];
unsigned snapshots = 0;

// The names the page's touch controls and the pads' reading give the controls.
struct ControlName {
    PlixControl control;
    const char* name;
};
constexpr ControlName CONTROL_NAMES[] = {
    {PLIX_CONTROL_Z, "z"},       {PLIX_CONTROL_X, "x"},       {PLIX_CONTROL_UP, "up"},
    {PLIX_CONTROL_DOWN, "down"}, {PLIX_CONTROL_LEFT, "left"}, {PLIX_CONTROL_RIGHT, "right"},
};

// JavaScript bodies: clang-format would take them for C++.
// clang-format off

// The page, its test and its benchmark count the game's frames by the snapshots taken.
EM_JS(void, publishSnapshots, (unsigned count), { Module["plixSnapshots"] = count; });

EM_JS(void, publishControl, (const char* name, int bit), {
    (Module["plixControls"] = Module["plixControls"] || {})[UTF8ToString(name)] = bit;
});

EM_JS(int, pageHidden, (), { return document.hidden ? 1 : 0; });

// While the page is hidden the game stands still in its snapshot; it goes on from the same frame.
EM_ASYNC_JS(void, waitUntilShown, (), { await PlixWeb.shown(); });

EM_JS(int, isFullScreen, (), { return PlixWeb.isFullScreen() ? 1 : 0; });

// clang-format on

// Module.plixControls, by name, at start-up: the JavaScript holds the controls in the bits of
// PlixControl without a number of its own.
struct ControlsPublished {
    ControlsPublished() {
        for (const ControlName& c : CONTROL_NAMES)
            publishControl(c.name, 1 << c.control);
    }
};
const ControlsPublished controlsPublished;

} // namespace

// In PlixWebKeys.js: the controls that touch and gamepads hold now, in the bits of PlixControl.
extern "C" int plixHeldControls(int axisThreshold);

// SDL_GetKeyboardState is indexed by the emulation's own key codes, not SDL 1.2's.
const Uint8* Plix_platformKeys(int* count) {
    if (pageHidden()) waitUntilShown();
    int emulatedCount = 0;
    const Uint8* state = SDL_GetKeyboardState(&emulatedCount);
    for (int k = 0; k < PLIX_KEY_COUNT; ++k) {
        int i = keyMap.index[k];
        sdl12Keys[k] = i > 0 && i < emulatedCount ? state[i] : 0;
    }
    const int held = plixHeldControls(JOY_AXIS_THRESHOLD);
    for (int c = 0; c < PLIX_CONTROL_COUNT; ++c)
        if (held >> c & 1) sdl12Keys[PLIX_CONTROL_KEYS[c]] = 1;
    // The browser's own full-screen changes (its Escape, its exit button) reach the game's state,
    // so that F9 always toggles what the player sees.
    if (isFullScreen()) {
        plixMedia.videoFlags |= SDL_FULLSCREEN;
    } else {
        plixMedia.videoFlags &= ~Uint32(SDL_FULLSCREEN);
    }
    publishSnapshots(++snapshots);
    *count = PLIX_KEY_COUNT;
    return sdl12Keys;
}

// Written where a key event from the page would have put the key.
void Plix_platformSetKey(int key, bool held) {
    int emulatedCount = 0;
    Uint8* state = const_cast<Uint8*>(SDL_GetKeyboardState(&emulatedCount));
    int i = keyMap.index[key];
    if (i > 0 && i < emulatedCount) state[i] = held;
}

// Gamepads come in as keys (see Plix_platformKeys), whenever the browser lists them.
int Plix_platformJoysticks() {
    return 0;
}
