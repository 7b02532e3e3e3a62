// End roll: z, which the scripted cycles never push there, neither ends nor hastens the roll.
#include "flow/GameEndRoll.h"
#include "support/FightSupport.h"

TEST(EndRoll, ZIsIgnoredWhileOnlyXEndsTheRollAtTheNextRowChange) {
    newGame(0);
    GameEndRoll roll;
    int f = 0;
    // z pushed in the second frame and just after the first row change, x a few frames later.
    while (!roll.finished && f < 200) {
        ++f;
        testsupport::hold({f == 2 || f == 43 ? PLIX_KEY_Z : f == 50 ? PLIX_KEY_X : 0});
        roll.run();
    }
    EXPECT_EQ(f, 84);
}
