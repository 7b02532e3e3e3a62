// Token: the base of every playfield object: a centred box that moves, overlaps, leaves, is drawn.
#pragma once

// The field, in pixels: the window's left SCREEN_WIDTH columns and all its rows.
constexpr int SCREEN_WIDTH = 320;
constexpr int SCREEN_HEIGHT = 480;
constexpr int SCREEN_CENTRE_X = SCREEN_WIDTH / 2;
constexpr int SCREEN_CENTRE_Y = SCREEN_HEIGHT / 2;
// The boss's hit points and the ship's charge show as bars of at most BAR_WIDTH pixels, both
// BAR_LEFT in from the field's left edge.
constexpr int BAR_LEFT = 10;
constexpr int BAR_WIDTH = SCREEN_WIDTH - 2 * BAR_LEFT;

class Token {
  public:
    float x = 0, y = 0;
    float vx = 0, vy = 0;
    float ax = 0, ay = 0;
    bool exists = false;
    float width = 0, height = 0;
    float drawWidth = 0, drawHeight = 0;

    Token() = default;
    virtual ~Token() = default;

    // (Re)starts the object: stores all ten values and makes it exist.
    virtual void set(float x, float y, float width, float height, float drawWidth, float drawHeight,
                     float vx, float vy, float ax, float ay);
    virtual float getX() const { return x; }
    virtual float getY() const { return y; }
    // One frame of free motion: velocity first, so a new acceleration shows in the same frame.
    virtual void step();
    // Strict overlap of the two hit boxes; touching edges do not hit, NaN never hits.
    virtual bool hits(const Token& other) const;
    // The hit box has wholly left the playfield.
    virtual bool isOutside() const;
    // Fills the drawn box, edges truncated toward zero.
    virtual void drawBox(int r, int g, int b) const;

    // Calls visit on every field of t that a replay must reproduce, in the order the simulator's
    // hash takes them. Each kind lists its own fields after its base's: the simulator's hash, save
    // and restore go through these lists alone, so a field reaches all three by its one line here.
    template <class T, class Visit> static void forEachReplayed(T& t, Visit&& visit) {
        visit(t.x);
        visit(t.y);
        visit(t.vx);
        visit(t.vy);
        visit(t.ax);
        visit(t.ay);
        visit(t.width);
        visit(t.height);
        visit(t.drawWidth);
        visit(t.drawHeight);
        visit(t.exists);
    }
};
