// GameEndRoll: the credits that scroll up after a cleared game, then "END" with the score and time.
#pragma once

class GameEndRoll {
  public:
    static constexpr int ROWS = 17;
    static constexpr int ROW_PITCH = 41;

    int scroll = 0;
    bool finished = false;
    int nextLine = 0;
    const char* rows[ROWS] = {};

    // Sets up the rows and restarts the music, looping without end.
    GameEndRoll();
    virtual ~GameEndRoll() = default;
    virtual void run();
    virtual void draw();

    // The fixed credits, title line first, sixteen empty lines last.
    static int creditCount();
    static const char* credit(int index);

    // The fields a replay must reproduce, as Token::forEachReplayed lists a token's. The rows on
    // screen are left out: the simulator's hash has never held them, and a restored roll keeps the
    // rows it shows.
    template <class R, class Visit> static void forEachReplayed(R& r, Visit&& visit) {
        visit(r.scroll);
        visit(r.finished);
        visit(r.nextLine);
    }
};
