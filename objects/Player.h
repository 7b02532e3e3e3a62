// Player: the ship, its two pods, the capture burst that turns enemy bullets into bombs, and its
// volleys.
#pragma once

#include "objects/Token.h"

class Player : public Token {
  public:
    static constexpr float SPEED_NORMAL = 5;
    static constexpr float SPEED_SLOW = 2;
    static constexpr float HIT_SIZE = 2;
    static constexpr float POD_SIZE = 8;
    static constexpr float POD_ARM = 32;
    static constexpr float CATCH_SIZE = 48;
    static constexpr int CHARGE_COST = 120;
    static constexpr int CHARGE_MAX = 240;
    static constexpr int CHARGE_START = 120;
    static constexpr float SHOT_SPEED = 10;
    static constexpr float BOMB_SPEED = 10;
    static constexpr int VOLLEY_WAIT = 2; // a volley every third frame

    float podAngle = 90;
    Token podLeft;
    Token podRight;
    int shotWait = 0;
    int volley = 0;
    int charge = 0;
    bool hasPods = false;
    Token catchLeft;
    Token catchRight;

    // Steering replaces free motion.
    void step() override;
    virtual void init(float x, float y, float drawWidth, float drawHeight);
    virtual void damage();
    virtual void pickUp();
    virtual void move();
    virtual void updatePods();
    virtual void draw();

    template <class P, class Visit> static void forEachReplayed(P& p, Visit&& visit) {
        Token::forEachReplayed(p, visit);
        visit(p.podAngle);
        Token::forEachReplayed(p.podLeft, visit);
        Token::forEachReplayed(p.podRight, visit);
        visit(p.shotWait);
        visit(p.volley);
        visit(p.charge);
        visit(p.hasPods);
        Token::forEachReplayed(p.catchLeft, visit);
        Token::forEachReplayed(p.catchRight, visit);
    }

  private:
    // The burst: every enemy bullet in a capture box becomes a bomb.
    void capture();
};
