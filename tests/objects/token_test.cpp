// Token: the strict overlap and the off-screen edges.
#include "objects/Token.h"

#include <cmath>
#include <gtest/gtest.h>

static Token box(float x, float y) {
    Token t;
    t.set(x, y, 8, 8, 8, 8, 0, 0, 0, 0);
    return t;
}

TEST(Token, OverlapIsStrictAndSymmetricOutsideOnlyPastTheWholeBox) {
    Token a = box(100, 100);
    for (float d : {8.0f, -8.0f, 7.9f, -7.9f}) { // 8 x 8 boxes 8 apart only touch, on any side
        EXPECT_EQ(std::fabs(d) < 8, a.hits(box(100 + d, 100))) << d;
        EXPECT_EQ(std::fabs(d) < 8, box(100, 100 + d).hits(a)) << d;
    }
    EXPECT_FALSE(box(NAN, 100).hits(a));
    struct Edge {
        float x, y;
        bool outside;
    } edges[] = {{-4, 100, false},     {-4.01f, 100, true},  {324, 100, false},
                 {324.01f, 100, true}, {100, -4, false},     {100, -4.01f, true},
                 {100, 484, false},    {100, 484.01f, true}, {NAN, 100, false}};
    for (const Edge& e : edges)
        EXPECT_EQ(e.outside, box(e.x, e.y).isOutside()) << e.x << ", " << e.y;
}
