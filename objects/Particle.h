// Particle: sparks, flashes, texts; they hit nothing, but their lives and colours draw on randNext.
#pragma once

#include "objects/Token.h"

enum ParticleKind {
    PK_EXPLOSION = 0,
    PK_DEBRIS = 2,
    PK_RECOVERY = 3,
    PK_FLASH = 4,
    PK_BOMB_BURST = 5,
    PK_TEXT = 6,
    PK_BULLET_CANCEL = 7,
};

class Particle : public Token {
  public:
    // Long enough for every pop-up of the game ("12000 x 19"); longer ones are cut, not allocated.
    static constexpr int TEXT_CAPACITY = 32;

    int kind = 0;
    int life = 0;
    char text[TEXT_CAPACITY] = {};

    virtual void init(int kind, float x, float y, float w, float h, float angle, float speed);
    virtual void move();
    virtual void draw();
    // Starts a particle from particleManager and gives it its text; a full pool makes none.
    static void create(int kind, float x, float y, float w, float h, float angle, float speed,
                       const char* text);

    // The text counts as far as its end: what lies after it is never shown.
    template <class P, class Visit> static void forEachReplayed(P& p, Visit&& visit) {
        Token::forEachReplayed(p, visit);
        visit(p.kind);
        visit(p.life);
        visit(p.text);
    }
};

void spawnExplosion(float x, float y, float size);
void spawnDebris(float x, float y, int n);
void spawnRecovery(float x, float y);
void spawnFlash(float x, float y);
void spawnBombBurst(float x, float y);
void spawnText(float x, float y, const char* text);
void spawnBulletCancel(float x, float y);
