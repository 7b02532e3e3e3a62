// Enemy: the boss (kind 0) and the fifteen minion kinds: hit points, damage, death, behaviours.
#pragma once

#include "objects/Token.h"

constexpr int ENEMY_KINDS = 16;
extern const int ENEMY_HIT_POINTS[ENEMY_KINDS];
extern const int ENEMY_SCORES[ENEMY_KINDS];

class Enemy : public Token {
  public:
    int kind = 0;
    int hp = 0;
    int maxHp = 0;
    int age = 0;

    // Degrees, -180 to 180, from this enemy's centre to the player's.
    virtual float angleToPlayer() const;
    virtual void init(int kind, float x, float y, float w, float h, float angle, float speed);
    virtual void damage(int amount);
    virtual void destroy();
    virtual void move();
    virtual void draw();
    // Starts an enemy from enemyManager; a full pool makes none.
    static void create(int kind, float x, float y, float w, float h, float angle, float speed);

    template <class E, class Visit> static void forEachReplayed(E& e, Visit&& visit) {
        Token::forEachReplayed(e, visit);
        visit(e.kind);
        visit(e.hp);
        visit(e.maxHp);
        visit(e.age);
    }

  private:
    // One frame of the kind's script, keyed on age, which move has just raised by 1.
    using Behaviour = void (Enemy::*)();
    static const Behaviour BEHAVIOURS[ENEMY_KINDS];

    void behaveBoss();
    void behave1();
    void behave2();
    void behave3or4();
    void behave5();
    void behave6();
    void behave7();
    void behave8();
    void behave9or10();
    void behave11();
    void behave12();
    void behave13();
    void behave14();
    void behave15();

    // Velocity times f, f in double precision, stored back as floats.
    void damp(double f);
    // A pattern bullet from the centre through fireBullet.
    void fire(float angle, float speed, float ax = 0, float ay = 0);
};
