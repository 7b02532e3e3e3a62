// Item and Bomb: the pods-or-score pick-up, and the bomb a captured bullet becomes.
#pragma once

#include "objects/Token.h"

class Item : public Token {
  public:
    int age = 0;

    virtual void init(float x, float y, float w, float h, float angle, float speed, float ax,
                      float ay);
    virtual void move();
    virtual void draw();
    // A 16 x 16 item (40 x 40 to touch) from itemManager; a full pool drops nothing.
    static void create(float x, float y, float angle, float speed, float ax, float ay);

    template <class I, class Visit> static void forEachReplayed(I& i, Visit&& visit) {
        Token::forEachReplayed(i, visit);
        visit(i.age);
    }
};

class Bomb : public Token {
  public:
    virtual void init(float x, float y, float w, float h, float angle, float speed, float ax,
                      float ay);
    // The bomb is gone and bursts into sparks.
    virtual void explode();
    virtual void move();
    virtual void draw();
    // A 16 x 16 bomb from bombManager; a full pool makes none.
    static void create(float x, float y, float angle, float speed, float ax, float ay);
};
