// Helpers for tests of a game in play: a fresh GameMain per test, keys per frame, pool views, pixels.
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

constexpr int KEY_Z = 122;
constexpr int KEY_UP = 273;
constexpr int KEY_DOWN = 274;
constexpr int KEY_RIGHT = 275;
constexpr int KEY_LEFT = 276;

template <class T> std::vector<T*> alive(TokenManager<T>* pool) {
    std::vector<T*> out;
    for (T& t : *pool)
        if (t.exists) out.push_back(&t);
    return out;
}

// One screen pixel against a colour, whatever depth the video driver chose (the dummy one is 8-bit).
inline bool pixelIs(int x, int y, int r, int g, int b) {
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

// A new game at level 0 with a fixed seed and no key held; the scene is freed after each test.
class PlayTest : public ::testing::Test {
  protected:
    std::unique_ptr<GameMain> game;

    void SetUp() override {
        testsupport::initMedia();
        keys({});
        keys({});
        level = levelForTest();
        randSeed(20261206);
        game = std::make_unique<GameMain>();
    }
    void TearDown() override {
        game.reset();
        keys({});
        keys({});
        level = 0;
    }
    virtual int levelForTest() const { return 0; }

    // Exactly these keys are down in the next frame's snapshot, taken the way the frame loop takes it.
    static void keys(std::initializer_list<int> held) {
        testsupport::releaseAllKeys();
        for (int k : held) testsupport::setKey(k, true);
        testsupport::snapshot();
    }
    // Runs whole frames of the scene with no key held.
    void frames(int n) {
        for (int i = 0; i < n; ++i) {
            keys({});
            game->run();
        }
    }
};

} // namespace play
