// Shot and Bullet: the ship's light-blue shots, the enemies' wobbling bullets, and firing them.
#pragma once

#include "objects/Token.h"

class Shot : public Token {
  public:
    virtual void init(float x, float y, float angle, float speed);
    virtual void move();
    virtual void draw();
    // Starts a shot from shotManager; a full pool fires nothing.
    static void create(float x, float y, float angle, float speed);
};

class Bullet : public Token {
  public:
    int age = 0;

    virtual void init(float x, float y, float width, float height, float angle, float speed,
                      float ax, float ay);
    virtual void move();
    virtual void draw();

    template <class B, class Visit> static void forEachReplayed(B& b, Visit&& visit) {
        Token::forEachReplayed(b, visit);
        visit(b.age);
    }
};

// One 8 x 8 bullet exactly as asked: the enemies' return fire, rings and time-out bursts.
void fireBulletDirect(float x, float y, float angle, float speed, float ax, float ay);
// The minions' pattern bullets, after the level's speed-up and twin rules.
void fireBullet(float x, float y, float angle, float speed, float ax, float ay);
