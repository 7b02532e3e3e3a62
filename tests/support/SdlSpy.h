// The one spy on SDL: calls noted in order as they pass on to the real library, and hooks for
// tests.
#pragma once

#include <SDL/SDL.h>
#include <functional>
#include <string>
#include <vector>

namespace sdlspy {

// "SDL_Init", "Mix_HaltChannel(-1)", "play 3000", "fadeOut 3000"...: every call noted while on.
extern bool recording;
extern std::vector<std::string> calls;
// The calls noted so far, space-separated; the list is emptied.
std::string take();
// Run in every SDL_Flip before it passes on.
extern std::function<void()> beforeFlip;
// Handed back by the next SDL_LoadBMP_RW instead of what SDL would read.
extern SDL_Surface* nextBmp;
// A joystick handle SDL never opened: its close is noted, not passed on.
extern SDL_Joystick* fakeJoystick;

} // namespace sdlspy
