// PlixPlatform: the few media calls that differ between the desktop's SDL 1.2 and the browser's
// emulation of it.
#pragma once

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

// One implementation each in desktop/PlixDesktop.cpp (plain SDL 1.2) or web/PlixWeb.cpp (the
// browser).

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
// SDL_BlitSurface of an image or a glyph onto the screen, at the alpha SDL_SetAlpha gave it.
void Plix_platformBlit(SDL_Surface* image, SDL_Rect* src, SDL_Surface* screen, SDL_Rect* dst);
// SDL_Flip: the finished frame is shown.
void Plix_platformFlip(SDL_Surface* screen);
// One pause of the frame wait, remainingMs (1 to 9999) before its deadline. The desktop yields
// (SDL_Delay(0)) and looks at the clock again; the browser sleeps while the deadline is far, then
// yields without a timer's clamp.
void Plix_platformYield(Uint32 remainingMs);
// Mix_FadeInMusic.
int Plix_platformFadeInMusic(Mix_Music* music, int loops, int fadeMs);
// The full-screen toggle's mode change; returns the screen to restore the picture on, or none.
SDL_Surface* Plix_platformSetVideoMode(int width, int height, int bpp, Uint32 flags);
// F5.
void Plix_platformIconify();
// A WAV file whose bytes have been read and checked.
Mix_Chunk* Plix_platformLoadWAV(const char* fileName, const Uint8* bytes, size_t size);
// A BMP file whose bytes have been read and checked.
SDL_Surface* Plix_platformLoadBMP(const char* fileName, const Uint8* bytes, size_t size);
// The bytes a pixel takes in the surface Plix_platformLoadBMP makes of a file with fileBytes.
int Plix_platformPictureBytes(int fileBytes);
// What is wrong with an Ogg Vorbis file for the mixer, or nullptr (see oggProblem in
// desktop/PlixVorbis.h); "not a regular file" for what is no file. A file that is no Ogg at all is
// left to SDL_mixer. Takes nothing from the C++ heap, since a game's start plays the music.
const char* Plix_platformMusicProblem(const char* fileName);
// F12: the screen as a BMP named fileName; a failure is ignored.
void Plix_platformScreenshot(SDL_Surface* screen, const char* fileName);
// At start-up: a crash is to leave its line (Plix_watchCrashes) where the platform allows.
void Plix_platformWatchCrashes();
// Told the one line the run leaves in "run.log", after it has been written there.
void Plix_platformLogLine(const char* message);
