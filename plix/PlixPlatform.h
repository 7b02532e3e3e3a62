// PlixPlatform: the few media calls that differ between the desktop's SDL 1.2 and the browser's
// emulation of it.
#pragma once

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

// SDL 1.2 key codes of the layer's own hot keys. Written out because the browser's SDL headers give
// the SDLK_ names other values; the snapshot is indexed by these codes on every platform.
constexpr int PLIX_KEY_ESCAPE = 27;
constexpr int PLIX_KEY_F5 = 286;
constexpr int PLIX_KEY_F9 = 290;
constexpr int PLIX_KEY_F10 = 291;
constexpr int PLIX_KEY_F12 = 293;

// One implementation each in PlixDesktop.cpp (plain SDL 1.2) or PlixWeb.cpp (the browser build).

// The keyboard as SDL last knew it, indexed by SDL 1.2 key code; *count receives the entries.
const Uint8* Plix_platformKeys(int* count);
// Sets one entry, by SDL 1.2 key code, of the keyboard state that Plix_platformKeys reads.
void Plix_platformSetKey(int key, bool held);
// Makes every pixel of key's colour transparent when the surface is blitted.
void Plix_platformColorKey(SDL_Surface* surface, Uint32 key);
// Whether the video driver SDL_Init chose shows the player a picture; no other may run the game.
bool Plix_platformDriverShowsPicture();
// How many joysticks Plix_init may open; 0 when the first one cannot be used here.
int Plix_platformJoysticks();
// The number SDL gives each change of the surface's format or palette, or 0 where it keeps none.
unsigned Plix_platformFormatVersion(const SDL_Surface* surface);
// SDL_FillRect with a colour from SDL_MapRGB.
void Plix_platformFillRect(SDL_Surface* surface, SDL_Rect* rect, Uint32 colour);
// Mix_FadeInMusic.
int Plix_platformFadeInMusic(Mix_Music* music, int loops, int fadeMs);
// The full-screen toggle's mode change; returns the screen to restore the picture on, or none.
SDL_Surface* Plix_platformSetVideoMode(int width, int height, int bpp, Uint32 flags);
// F5.
void Plix_platformIconify();
// A WAV file whose bytes have been read and checked.
Mix_Chunk* Plix_platformLoadWAV(const char* fileName, const Uint8* bytes, size_t size);
// What is wrong with an Ogg Vorbis file's streams for the mixer, or nullptr: every stream 1 or 2
// channels at 4000 to 192000 Hz. A file that is no Ogg Vorbis at all is left to SDL_mixer.
// Allocates nothing, since a game's start plays the music.
const char* Plix_platformMusicProblem(const char* fileName);
// F12: the screen as a BMP named fileName; a failure is ignored.
void Plix_platformScreenshot(SDL_Surface* screen, const char* fileName);
// Told the one line the run leaves in "run.log", after it has been written there.
void Plix_platformLogLine(const char* message);
