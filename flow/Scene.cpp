// The scene machine: a frame of the current scene, the change it calls for, and the loop's pass.
#include "flow/Scene.h"
#include "flow/GameEndRoll.h"
#include "flow/GameMain.h"
#include "flow/Input.h"
#include "flow/Title.h"
#include "objects/World.h"
#include "plix/Plix.h"

int scene = SCENE_TITLE;
GameEndRoll* gameEndRoll = nullptr;

void sceneStep() {
    switch (scene) {
    case SCENE_TITLE:
        titleStep();
        if (inputZPushed()) {
            startGame();
            scene = SCENE_GAME;
        }
        break;
    case SCENE_GAME:
        gameMain->run();
        if (gameMain->toEndRoll) {
            // A fresh end roll per clear; the one before it is finished with.
            GameEndRoll* next = new GameEndRoll();
            delete gameEndRoll;
            gameEndRoll = next;
            scene = SCENE_END_ROLL;
        }
        break;
    case SCENE_END_ROLL:
        gameEndRoll->run();
        if (gameEndRoll->finished && inputZPushed()) scene = SCENE_TITLE;
        break;
    }
}

void frameStep(int periodMs, BeforeSnapshot beforeSnapshot, void* context) {
    const int before = scene;
    sceneStep();
    if (scene != before) Plix_traceMark("scene", scene);
    Plix_flip();
    if (beforeSnapshot) beforeSnapshot(context);
    Plix_update(periodMs);
}
