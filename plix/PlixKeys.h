// PlixKeys: the SDL 1.2 key codes of the keys that the game, its layer and its tools name.
#pragma once

// Written out rather than taken from SDL's headers: game code must not include SDL, and the
// browser's SDL headers give the SDLK_ names other values. The keyboard snapshot is indexed by
// these codes on every platform.
constexpr int PLIX_KEY_COUNT = 323; // SDLK_LAST: codes run from 0 to 322

constexpr int PLIX_KEY_ESCAPE = 27;
constexpr int PLIX_KEY_SPACE = 32;
constexpr int PLIX_KEY_PERIOD = 46;
constexpr int PLIX_KEY_1 = 49;
constexpr int PLIX_KEY_2 = 50;
constexpr int PLIX_KEY_4 = 52;
constexpr int PLIX_KEY_X = 120;
constexpr int PLIX_KEY_Z = 122;
constexpr int PLIX_KEY_UP = 273;
constexpr int PLIX_KEY_DOWN = 274;
constexpr int PLIX_KEY_RIGHT = 275;
constexpr int PLIX_KEY_LEFT = 276;
constexpr int PLIX_KEY_END = 279;
constexpr int PLIX_KEY_F5 = 286;
constexpr int PLIX_KEY_F9 = 290;
constexpr int PLIX_KEY_F10 = 291;
constexpr int PLIX_KEY_F12 = 293;

// The six controls a player has, each a bit of one byte in this order: a replay's frame, the
// simulator's key lines (z x u d l r) and the browser's touch controls and pads all hold them so.
enum PlixControl {
    PLIX_CONTROL_Z = 0,
    PLIX_CONTROL_X,
    PLIX_CONTROL_UP,
    PLIX_CONTROL_DOWN,
    PLIX_CONTROL_LEFT,
    PLIX_CONTROL_RIGHT,
    PLIX_CONTROL_COUNT
};
// The key each control stands for, by its bit.
constexpr int PLIX_CONTROL_KEYS[PLIX_CONTROL_COUNT] = {
    PLIX_KEY_Z, PLIX_KEY_X, PLIX_KEY_UP, PLIX_KEY_DOWN, PLIX_KEY_LEFT, PLIX_KEY_RIGHT};
