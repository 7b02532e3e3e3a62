// No heap allocation during play: global operator new is counted over thousands of frames.
#include "objects/PlaySupport.h"
#include "sim/SimAllocations.h"

// Bursts of fire (each burst a capture push), sweeps left and right, now and then up or down; z
// also restarts after a game over and confirms a clear.
TEST_F(PlayTest, ThousandsOfFramesOfPlayAllocateNothing) {
    uint64_t before = simNewCalls();
    static int* volatile kept = new int(7); // the counter does see an allocation
    EXPECT_EQ(before + 1, simNewCalls());
    delete kept;

    bool statesSeen[GM_CLEAR_WAIT + 1] = {}; // no std::set: it would allocate mid-run
    int mostBullets = 0;
    for (int lvl : {0, 23, 44}) {
        newGame(lvl);
        before = simNewCalls();
        for (int f = 0; f < 4000; ++f) {
            int vertical[] = {PLIX_KEY_UP, PLIX_KEY_DOWN, 0}; // key 0 is SDL's "unknown", ignored
            frames(1, {f % 45 < 38 ? PLIX_KEY_Z : 0, (f / 70) % 2 ? PLIX_KEY_LEFT : PLIX_KEY_RIGHT,
                       vertical[(f / 200) % 3]});
            statesSeen[gameMain->state] = true;
            mostBullets = std::max(mostBullets, bulletManager->count());
            if (gameMain->toEndRoll) gameMain->start();
        }
        EXPECT_EQ(0u, simNewCalls() - before) << "level " << lvl;
    }
    EXPECT_TRUE(statesSeen[GM_MISS] && statesSeen[GM_BOMB_PAUSE] && mostBullets > 200); // play
}
