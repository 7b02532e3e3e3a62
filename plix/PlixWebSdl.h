// The SDL 1.2 calls that Emscripten's SDL emulation provides but its headers leave out.
#pragma once

#include <SDL/SDL.h>

// Indexed by the emulation's key codes; the layer itself reads keys through Plix_platformKeys.
extern "C" Uint8* SDL_GetKeyState(int* numkeys);
