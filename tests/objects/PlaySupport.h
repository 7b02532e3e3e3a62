// Helpers for tests of a game in play: a fresh GameMain per test, keys per frame, pool views,
// pixels.
#pragma once

#include "flow/GameMain.h"
#include "objects/Random.h"
#include "objects/World.h"
#include "support/TestSupport.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <vector>

namespace play {

constexpr int KEY_Z = 122, KEY_UP = 273, KEY_DOWN = 274, KEY_RIGHT = 275, KEY_LEFT = 276;

template <class T> std::vector<T*> alive(TokenManager<T>* pool) {
    std::vector<T*> out;
    for (T& t : *pool)
        if (t.exists) out.push_back(&t);
    return out;
}

// One screen pixel against a colour, whatever depth the video driver chose (the dummy one is
// 8-bit).
inline bool pixelIs(int x, int y, int r, int g, int b) {
    SDL_Surface* s = SDL_GetVideoSurface();
    SDL_LockSurface(s);
    const Uint8* p =
        static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 raw = s->format->BytesPerPixel == 1   ? p[0]
                 : s->format->BytesPerPixel == 2 ? *reinterpret_cast<const Uint16*>(p)
                                                 : *reinterpret_cast<const Uint32*>(p) & 0xffffff;
    SDL_UnlockSurface(s);
    return raw == (SDL_MapRGB(s->format, Uint8(r), Uint8(g), Uint8(b)) & 0xffffff);
}

// A new game with a fixed seed and no key held; the scene is freed after each test.
class PlayTest : public ::testing::Test {
  protected:
    std::unique_ptr<GameMain> game;

    void SetUp() override {
        testsupport::initMedia();
        keys({});
        keys({});
        randSeed(20261206);
        game = std::make_unique<GameMain>();
    }
    void TearDown() override {
        game.reset();
        keys({});
        keys({});
        level = 0;
    }
    // Exactly these keys are down in the next snapshot, taken the way the frame loop takes it.
    static void keys(std::initializer_list<int> held) {
        testsupport::releaseAllKeys();
        for (int k : held)
            testsupport::setKey(k, true);
        testsupport::snapshot();
    }
    void frames(int n, std::initializer_list<int> held = {}) {
        for (int i = 0; i < n; ++i) {
            keys(held);
            game->run();
        }
    }
    // Runs frames while the state stays; how many ran until it changed (or the limit).
    int framesIn(int state, int limit = 1000) {
        int n = 0;
        for (; game->state == state && n < limit; ++n)
            frames(1);
        return n;
    }
};

} // namespace play
