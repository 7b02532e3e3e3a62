// The scene machine: title, game and end roll, one step per frame, and the resource table.
#pragma once

class GameEndRoll;

enum Scene { SCENE_TITLE = 0, SCENE_GAME = 1, SCENE_END_ROLL = 2 };

extern int scene;
extern GameEndRoll* gameEndRoll; // a new one for every cleared game

// Loads the four sound effects and the title picture, in the table's order.
void loadResources();
// One frame of the current scene, and the scene change it calls for.
void sceneStep();
