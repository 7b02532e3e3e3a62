// Vec2D and Token: normalising, the strict overlap, the off-screen edges, motion order and box drawing.
#include "objects/Token.h"
#include "objects/Vec2D.h"
#include "plix/Plix.h"
#include "support/TestSupport.h"

#include <SDL/SDL.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {

Token box(float x, float y, float w, float h) {
    Token t;
    t.set(x, y, w, h, w, h, 0, 0, 0, 0);
    return t;
}

// One screen pixel against a colour, whatever depth the video driver chose (the dummy one is 8-bit).
bool pixelIs(int x, int y, int r, int g, int b) {
    SDL_Surface* s = SDL_GetVideoSurface();
    SDL_LockSurface(s);
    const Uint8* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 raw = 0;
    switch (s->format->BytesPerPixel) {
    case 1: raw = p[0]; break;
    case 2: raw = *reinterpret_cast<const Uint16*>(p); break;
    case 4: raw = *reinterpret_cast<const Uint32*>(p); break;
    default: raw = p[0] | p[1] << 8 | p[2] << 16; break;
    }
    SDL_UnlockSurface(s);
    return raw == SDL_MapRGB(s->format, Uint8(r), Uint8(g), Uint8(b));
}

TEST(Vec2D, NormalizeKeepsZeroAndScalesToUnitLength) {
    Vec2D zero(0, 0);
    zero.normalize();
    EXPECT_EQ(0.0f, zero.x);
    EXPECT_EQ(0.0f, zero.y);

    Vec2D diag(-1, -1);
    diag.normalize();
    EXPECT_FLOAT_EQ(-0.70710677f, diag.x);
    EXPECT_FLOAT_EQ(-0.70710677f, diag.y);

    Vec2D right(1, 0);
    right.normalize();
    EXPECT_EQ(1.0f, right.x);
    EXPECT_EQ(0.0f, right.y);

    Vec2D v(3, 4);
    EXPECT_EQ(5.0f, v.length());
    EXPECT_EQ(25.0f, v.lengthSquared());
}

TEST(Vec2D, ArithmeticInPlaceAndIeeeDivision) {
    Vec2D v(1, 2);
    v.add(Vec2D(3, 5));
    v.sub(Vec2D(1, 1));
    v.mul(2);
    EXPECT_EQ(6.0f, v.x);
    EXPECT_EQ(12.0f, v.y);
    v.div(4);
    EXPECT_EQ(1.5f, v.x);
    EXPECT_EQ(3.0f, v.y);

    Vec2D u(1, 0);
    u.div(0);
    EXPECT_TRUE(std::isinf(u.x) && u.x > 0);
    EXPECT_TRUE(std::isnan(u.y));
}

TEST(Token, OverlapIsStrictSymmetricAndNeverWithNaN) {
    Token a = box(100, 100, 8, 8);
    Token touching = box(108, 100, 8, 8);
    Token close = box(107.9f, 100, 8, 8);
    Token below = box(100, 108, 8, 8);
    EXPECT_FALSE(a.hits(touching));
    EXPECT_FALSE(touching.hits(a));
    EXPECT_TRUE(a.hits(close));
    EXPECT_TRUE(close.hits(a));
    EXPECT_FALSE(a.hits(below));

    // Boxes of different sizes: a 2 x 2 ship inside a 40 x 40 pick-up area reaches 21 px.
    Token ship = box(100, 100, 2, 2);
    EXPECT_TRUE(ship.hits(box(120.9f, 100, 40, 40)));
    EXPECT_FALSE(ship.hits(box(121, 100, 40, 40)));

    Token lost = box(NAN, 100, 8, 8);
    EXPECT_FALSE(lost.hits(a));
    EXPECT_FALSE(a.hits(lost));
}

TEST(Token, OutsideOnlyOnceTheWholeBoxHasLeft) {
    EXPECT_FALSE(box(-4, 100, 8, 8).isOutside());
    EXPECT_TRUE(box(-4.01f, 100, 8, 8).isOutside());
    EXPECT_FALSE(box(324, 100, 8, 8).isOutside());
    EXPECT_TRUE(box(324.01f, 100, 8, 8).isOutside());
    EXPECT_FALSE(box(100, -4, 8, 8).isOutside());
    EXPECT_TRUE(box(100, -4.01f, 8, 8).isOutside());
    EXPECT_FALSE(box(100, 484, 8, 8).isOutside());
    EXPECT_TRUE(box(100, 484.01f, 8, 8).isOutside());
    EXPECT_FALSE(box(NAN, 100, 8, 8).isOutside());
}

TEST(Token, StepAddsAccelerationBeforeMoving) {
    Token t;
    EXPECT_FALSE(t.exists);
    t.set(0, 10, 4, 4, 4, 4, 0, -1, 1, 0.5f);
    EXPECT_TRUE(t.exists);
    t.step();
    EXPECT_EQ(1.0f, t.vx);
    EXPECT_EQ(1.0f, t.x);
    EXPECT_EQ(9.5f, t.y);
    t.step();
    EXPECT_EQ(3.0f, t.x);
    EXPECT_EQ(9.5f, t.y);
}

TEST(Token, DrawBoxTruncatesEdgesTowardZero) {
    testsupport::initMedia();
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    // 10.9 - 2 = 8.9 starts at 8; four columns 8 to 11. The drawn box, not the hit box, is filled.
    Token t;
    t.set(10.9f, 20, 1, 1, 4, 2, 0, 0, 0, 0);
    t.drawBox(255, 0, 0);
    EXPECT_TRUE(pixelIs(7, 20, 0, 0, 0));
    EXPECT_TRUE(pixelIs(8, 20, 255, 0, 0));
    EXPECT_TRUE(pixelIs(11, 20, 255, 0, 0));
    EXPECT_TRUE(pixelIs(12, 20, 0, 0, 0));
    EXPECT_TRUE(pixelIs(8, 19, 255, 0, 0));
    EXPECT_TRUE(pixelIs(8, 21, 0, 0, 0));

    // -0.5 - 1 = -1.5 truncates to -1, not down to -2, so column 0 is covered.
    Token edge;
    edge.set(-0.5f, 40, 2, 2, 2, 2, 0, 0, 0, 0);
    edge.drawBox(0, 255, 0);
    EXPECT_TRUE(pixelIs(0, 40, 0, 255, 0));
    EXPECT_TRUE(pixelIs(1, 40, 0, 0, 0));
}

} // namespace
