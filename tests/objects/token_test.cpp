// Vec2D and Token: normalising, the strict overlap, the off-screen edges, motion order and box
// drawing.
#include "PlaySupport.h"
#include "objects/Token.h"
#include "objects/Vec2D.h"
#include "plix/Plix.h"

#include <cmath>

namespace {

Token box(float x, float y, float w = 8, float h = 8) {
    Token t;
    t.set(x, y, w, h, w, h, 0, 0, 0, 0);
    return t;
}

TEST(Vec2D, NormalizeLengthAndDivision) {
    Vec2D zero(0, 0), diag(-1, -1), v(3, 4), u(1, 0);
    zero.normalize();
    diag.normalize();
    EXPECT_TRUE(zero.x == 0 && zero.y == 0);
    EXPECT_FLOAT_EQ(-0.70710677f, diag.x);
    EXPECT_FLOAT_EQ(-0.70710677f, diag.y);
    EXPECT_EQ(5.0f, v.length());
    EXPECT_EQ(25.0f, v.lengthSquared());
    u.div(0);
    EXPECT_TRUE(std::isinf(u.x) && std::isnan(u.y));
}

TEST(Token, OverlapIsStrictAndSymmetricOutsideOnlyPastTheWholeBox) {
    Token a = box(100, 100);
    for (float d : {8.0f, 7.9f}) {
        EXPECT_EQ(d < 8, a.hits(box(100 + d, 100))) << d;
        EXPECT_EQ(d < 8, box(100, 100 + d).hits(a)) << d;
    }
    EXPECT_FALSE(box(NAN, 100).hits(a));
    EXPECT_FALSE(box(-4, 100).isOutside());
    EXPECT_TRUE(box(-4.01f, 100).isOutside());
    EXPECT_FALSE(box(324, 100).isOutside());
    EXPECT_TRUE(box(324.01f, 100).isOutside());
    EXPECT_FALSE(box(100, 484).isOutside());
    EXPECT_TRUE(box(100, 484.01f).isOutside());
    EXPECT_TRUE(box(100, -4.01f).isOutside());
    EXPECT_FALSE(box(NAN, 100).isOutside());
}

TEST(Token, StepAddsAccelerationBeforeMovingAndDrawTruncatesTowardZero) {
    Token t;
    EXPECT_FALSE(t.exists);
    t.set(0, 0, 4, 4, 4, 4, 0, 0, 1, 0);
    t.step();
    EXPECT_EQ(1.0f, t.x);
    t.step();
    EXPECT_EQ(3.0f, t.x);

    testsupport::initMedia();
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    box(10.9f, 20, 1, 1).drawBox(255, 0, 0); // hit box only: nothing drawn
    EXPECT_TRUE(play::pixelIs(10, 20, 0, 0, 0));
    Token wide;
    wide.set(10.9f, 20, 1, 1, 4, 2, 0, 0, 0, 0); // 8.9 -> 8, four columns
    wide.drawBox(255, 0, 0);
    EXPECT_TRUE(play::pixelIs(8, 19, 255, 0, 0) && play::pixelIs(11, 20, 255, 0, 0));
    EXPECT_TRUE(play::pixelIs(7, 20, 0, 0, 0) && play::pixelIs(12, 20, 0, 0, 0));
    box(-0.5f, 40, 2, 2).drawBox(0, 255, 0); // -1.5 -> -1, so column 0 is covered
    EXPECT_TRUE(play::pixelIs(0, 40, 0, 255, 0) && play::pixelIs(1, 40, 0, 0, 0));
}

} // namespace
