// The scene machine: title, game and end roll, one step per frame, and the resource table.
#pragma once

class GameEndRoll;

enum Scene { SCENE_TITLE = 0, SCENE_GAME = 1, SCENE_END_ROLL = 2 };

// The game's name as it stands in the window's caption and atop the end roll.
constexpr const char* GAME_TITLE = "/+++ ZORVANE +++/";
// The music is not kept loaded: Plix_playBgm loads it afresh for every game and every end roll.
constexpr const char* MUSIC_FILE = "resource/sound/bgm.ogg";
// A game over and the end roll's last row both fade the music out over this long.
constexpr int MUSIC_FADE_OUT_MS = 3000;

extern int scene;
extern GameEndRoll* gameEndRoll; // a new one for every cleared game

// Loads the four sound effects and the title picture, in the table's order.
void loadResources();
// One frame of the current scene, and the scene change it calls for.
void sceneStep();
