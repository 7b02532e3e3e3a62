// The scene machine: title, game and end roll, one step per frame, and the game's frame loop.
#pragma once

#include "flow/GameEndRoll.h"
#include "flow/Title.h"

enum Scene { SCENE_TITLE = 0, SCENE_GAME = 1, SCENE_END_ROLL = 2 };

// The game's name as it stands in the window's caption and atop the end roll.
constexpr const char* GAME_TITLE = "/+++ ZORVANE +++/";
// Any word after the program's name widens the window to this; the field stays on the left.
constexpr int WIDE_WINDOW_WIDTH = 640;
// The grey level the title and the game clear the whole window to.
constexpr int BACKGROUND_GREY = 32;
// The frame period: Plix_update waits out this many milliseconds between two frames, and every
// timer of the game counts these frames.
constexpr int FRAME_MS = 16;
// A game over and the end roll's last row both fade the music out over this long.
constexpr int MUSIC_FADE_OUT_MS = 3000;

extern int scene;
extern GameEndRoll* gameEndRoll; // a new one for every cleared game

// The scene machine's state a replay must reproduce, as Token::forEachReplayed lists a token's: the
// scene, the title's, and the end roll's while it runs.
template <class Visit> void forEachSceneReplayed(Visit&& visit) {
    visit(scene);
    forEachTitleReplayed(visit);
    if (scene == SCENE_END_ROLL && gameEndRoll) GameEndRoll::forEachReplayed(*gameEndRoll, visit);
}

// Loads the resource table (flow/Resources.h): the sound effects, then the title picture.
void loadResources();
// One frame of the current scene, and the scene change it calls for.
void sceneStep();

// Runs between a frame's flip and the snapshot that ends it: where the simulator holds the keys of
// the next frame, as a player's hands change between two frames.
using BeforeSnapshot = void (*)(void* context);
// One pass of the game's loop: sceneStep (a scene change marked in the trace), Plix_flip, then
// Plix_update(periodMs), whose snapshot the next frame reads; beforeSnapshot, when given, runs with
// context just before that snapshot. Throws what those throw, the quit request included.
void frameStep(int periodMs, BeforeSnapshot beforeSnapshot = nullptr, void* context = nullptr);
