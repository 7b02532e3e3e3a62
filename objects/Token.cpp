// Token: placement, free motion, overlap, the off-screen test and box drawing.
#include "objects/Token.h"

#include "plix/Plix.h"

void Token::set(float x_, float y_, float width_, float height_, float drawWidth_,
                float drawHeight_, float vx_, float vy_, float ax_, float ay_) {
    x = x_;
    y = y_;
    width = width_;
    height = height_;
    drawWidth = drawWidth_;
    drawHeight = drawHeight_;
    vx = vx_;
    vy = vy_;
    ax = ax_;
    ay = ay_;
    exists = true;
}

void Token::step() {
    vx += ax;
    vy += ay;
    x += vx;
    y += vy;
}

bool Token::hits(const Token& o) const {
    float left = x - width / 2, right = x + width / 2;
    float top = y - height / 2, bottom = y + height / 2;
    float oLeft = o.x - o.width / 2, oRight = o.x + o.width / 2;
    float oTop = o.y - o.height / 2, oBottom = o.y + o.height / 2;
    return left < oRight && right > oLeft && top < oBottom && bottom > oTop;
}

bool Token::isOutside() const {
    return x < -width / 2 || x > SCREEN_WIDTH + width / 2 || y < -height / 2 ||
           y > SCREEN_HEIGHT + height / 2;
}

void Token::drawBox(int r, int g, int b) const {
    Plix_fillRect(static_cast<int>(x - drawWidth / 2), static_cast<int>(y - drawHeight / 2),
                  static_cast<int>(drawWidth), static_cast<int>(drawHeight), r, g, b);
}
