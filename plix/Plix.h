// Plix: the media layer, free functions over SDL 1.2 and SDL_mixer; the only door to the platform.
#pragma once

#include "plix/PlixKeys.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

// Every failure of the media layer, and its quit request, is one of these. Only the entry catches.
class PlixError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The quit request (Escape, the window's close button, SIGTERM, SIGHUP): a normal end.
class PlixQuit : public PlixError {
  public:
    using PlixError::PlixError;
};

// Stick directions for Plix_joyDown / Plix_joyPushed.
enum PlixJoyDir { JOY_UP = 0, JOY_DOWN = 1, JOY_RIGHT = 2, JOY_LEFT = 3 };
constexpr int JOY_AXIS_THRESHOLD =
    26214; // about 80 % of the axis range; exactly this is still centred

// The message Plix_update throws when Escape or the window's close button asks to quit.
constexpr const char* PLIX_QUIT_MESSAGE = "dPlix system quit.";

// --- core -----------------------------------------------------------------------------------
// Opens SDL, the window, the audio, the first joystick, empties "run.log" and loads the font.
// Called once by the entry before anything else; a second call returns at once.
void Plix_init(const std::string& title, int width, int height, bool fullScreen);
// Shows the finished frame. Called by the main loop after the scene has drawn.
void Plix_flip();
// Waits out the frame period, takes the input snapshot, pumps events and handles the hot keys.
// Called by the main loop after each Plix_flip; throws PlixQuit (PLIX_QUIT_MESSAGE) when a quit was
// asked for.
void Plix_update(int periodMs);
// Releases the joystick, sounds, music and SDL. Called once by the entry on every way out.
void Plix_quit();
// Writes the message of a caught failure or quit to standard output and appends it to "run.log".
void Plix_log(const std::exception& error);

// --- images and rectangles ------------------------------------------------------------------
// Registers a BMP under key. red -1: the top-left pixel is transparent; red >= 0: (red, green,
// blue) is; red <= -2: opaque. Called at start-up.
void Plix_loadBMP(const std::string& key, const std::string& fileName, int red, int green,
                  int blue);
// Blits a registered image (or the part srcX, srcY, srcW, srcH of it; srcW or srcH 0 means whole).
void Plix_draw(const char* key, int x, int y, int srcX, int srcY, int srcW, int srcH);
// Fills a rectangle of the screen; w and h both 0 fill from (x, y) to the screen's far edges.
void Plix_fillRect(int x, int y, int w, int h, int red, int green, int blue);

// --- text -----------------------------------------------------------------------------------
// Draws one line of bitmap-font text, top-left corner at (x, y), alpha 0 (invisible) to 255.
void Plix_drawText(const char* text, int x, int y, int alpha);

// --- sound ----------------------------------------------------------------------------------
// Registers a WAV effect under key. Called at start-up.
void Plix_loadWAV(const std::string& key, const std::string& fileName);
// Plays a registered effect on the first free channel; loops 0 plays it once.
void Plix_playWAV(const char* key, int loops);
// Loads and starts the music, replacing any music loaded; loops -1 is forever, fadeMs <= 0 no fade.
void Plix_playBgm(const char* fileName, int loops, int fadeMs);
// Stops the music at once (fadeMs <= 0) or fades it out.
void Plix_stopBgm(int fadeMs);

// --- input, read from the snapshot the last Plix_update took --------------------------------
// Keys by SDL 1.2 key code (PLIX_KEY_*); a code outside 0 to PLIX_KEY_COUNT - 1 is never down.
bool Plix_keyDown(int key);
bool Plix_keyPushed(int key);
bool Plix_joyDown(int direction);
bool Plix_joyPushed(int direction);
bool Plix_joyButtonDown(int button);
bool Plix_joyButtonPushed(int button);
// Holds or releases a key, by SDL 1.2 key code, in SDL's own keyboard state as a key event would;
// the next Plix_update's snapshot sees it. For the simulator, which plays without a keyboard.
void Plix_setKey(int key, bool held);

// Writes the screen as a BMP named fileName, as F12 writes "screenshot.bmp": a plain file of its
// own or a new one; a failure is ignored. For the simulator, which shows a frame of a game as a
// picture.
void Plix_saveScreen(const char* fileName);

// Calls watch(context) after every input snapshot Plix_update takes from now on, before the events
// of the frame are pumped; nullptr stops it. The browser's replay recorder keeps the games played
// this way; the game itself never watches.
void Plix_watchSnapshots(void (*watch)(void* context), void* context);

// --- trace, for tests and the simulator; the game itself never starts one -------------------
// Starts a fresh trace: from now on every Plix_fillRect, Plix_draw, Plix_drawText, Plix_playWAV,
// Plix_playBgm, Plix_stopBgm and Plix_flip, with its arguments, is folded into a 64-bit hash, and
// written to text (when given) as one line, in one block per frame.
void Plix_traceStart(std::FILE* text);
// Ends the trace and flushes its text; the hash stays readable.
void Plix_traceStop();
uint64_t Plix_traceHash();
// Adds an event of the caller's, a scene switch say, to the trace; nothing when no trace runs.
void Plix_traceMark(const char* what, int value);
