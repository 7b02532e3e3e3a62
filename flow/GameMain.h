// GameMain: the gameplay scene: its states, collisions, score, ratio and head-up display.
#pragma once

class Player;

enum GameState {
    GM_START = 0,
    GM_PLAY = 1,
    GM_MISS = 2,
    GM_ITEM_PAUSE = 3,
    GM_BOMB_PAUSE = 4,
    GM_OVER = 5,
    GM_CLEAR = 6,
    GM_CLEAR_WAIT = 7,
};

// Starts a game at the current level: the first call builds the one GameMain, whose constructor
// starts it, and every later call restarts it. The title scene calls it; so do the simulator and
// the tests, which play games without the title.
void startGame();

// The head-up display's numbered lines, in the order they are drawn.
enum HudLine { HUD_SCORE = 0, HUD_TIME, HUD_RATIO, HUD_MAX, HUD_LEVEL, HUD_LINES };

class GameMain {
  public:
    // What the collision step deals an enemy; the boss tells a bomb from the rest by the amount.
    static constexpr int SHOT_DAMAGE = 1;
    static constexpr int BOMB_DAMAGE = 40;
    static constexpr int CONTACT_DAMAGE = 10;
    // Frames of the white band that the boss's end starts.
    static constexpr int CLEAR_FRAMES = 240;

    int score = 0;
    int state = GM_START;
    int timer = 0;
    int gauge = 0;
    int maxRatio = 0;
    int bonus = 0;
    bool toEndRoll = false;
    Player* player = nullptr;
    int time = 0;

    // Builds the player and the six pools once, stores them in the game-wide variables, then
    // start().
    GameMain();
    // Frees the player and the pools it built (the game itself keeps one GameMain for the whole
    // run).
    virtual ~GameMain();
    GameMain(const GameMain&) = delete;
    GameMain& operator=(const GameMain&) = delete;

    // Resets and begins a game at the current level, with the music from its beginning.
    virtual void start();
    // One frame: clear, the current state's step, draw.
    virtual void run();
    virtual void addScore(int n);
    // gauge / 20 + bonus.
    virtual int ratio() const;
    // The play step of GM_PLAY: moves, collisions, the player, particles.
    virtual void update();
    virtual void draw();
    // One HUD line as it reads now, written into out with snprintf: no allocation in a frame.
    void hudText(int line, char* out, int size) const;

    // Every field a replay must reproduce, as Token::forEachReplayed lists a token's: all of them
    // but player, which the world holds in its own right.
    template <class G, class Visit> static void forEachReplayed(G& g, Visit&& visit) {
        visit(g.score);
        visit(g.state);
        visit(g.timer);
        visit(g.gauge);
        visit(g.maxRatio);
        visit(g.bonus);
        visit(g.time);
        visit(g.toEndRoll);
    }

  private:
    // The steps of the states that do more than wait, from run.
    void missStep();
    void clearStep();
    void clearWaitStep();
    // update's collision passes: shots and bombs against the enemies (true when one died), then
    // items, bullets and enemies against the ship, which exists.
    bool hitEnemies();
    void hitShip();
    // A pause or a miss of frames, unless the game was cleared in this frame.
    void enter(int next, int frames);
};
