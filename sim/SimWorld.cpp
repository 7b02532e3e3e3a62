// The world's hash, its invariant checks and its snapshot.
#include "sim/SimWorld.h"

#include "flow/GameEndRoll.h"
#include "flow/Scene.h"
#include "flow/Title.h"
#include "objects/Random.h"
#include "objects/World.h"

#include <cmath>
#include <cstring>
#include <type_traits>

namespace {

class Fnv {
  public:
    uint64_t value = 0xcbf29ce484222325ULL;
    void bytes(const void* p, size_t n) {
        auto* c = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i) {
            value ^= c[i];
            value *= 0x100000001b3ULL;
        }
    }
    void f(float v) {
        uint32_t u;
        std::memcpy(&u, &v, sizeof u);
        bytes(&u, sizeof u);
    }
    void i(int64_t v) { bytes(&v, sizeof v); }
};

void hashToken(Fnv& h, const Token& t) {
    for (float v : {t.x, t.y, t.vx, t.vy, t.ax, t.ay, t.width, t.height, t.drawWidth, t.drawHeight})
        h.f(v);
    h.i(t.exists);
}

void hashExtra(Fnv&, const Shot&) {}
void hashExtra(Fnv& h, const Bullet& b) {
    h.i(b.age);
}
void hashExtra(Fnv& h, const Enemy& e) {
    h.i(e.kind);
    h.i(e.hp);
    h.i(e.maxHp);
    h.i(e.age);
}
void hashExtra(Fnv& h, const Item& it) {
    h.i(it.age);
}
void hashExtra(Fnv&, const Bomb&) {}
void hashExtra(Fnv& h, const Particle& p) {
    h.i(p.kind);
    h.i(p.life);
    h.bytes(p.text, strnlen(p.text, Particle::TEXT_CAPACITY));
}

template <class T> void hashPool(Fnv& h, TokenManager<T>* pool) {
    if (!pool) {
        h.i(-1);
        return;
    }
    for (int i = 0; i < pool->capacity(); ++i) {
        const T& t = pool->getTokens()[i];
        if (!t.exists) continue;
        h.i(i);
        hashToken(h, t);
        hashExtra(h, t);
    }
    h.i(-2); // pool boundary, so an object cannot pass for one of the next pool
}

const void* rememberedPools[6] = {};

bool hasNaN(const Token& t) {
    return std::isnan(t.x) || std::isnan(t.y) || std::isnan(t.vx) || std::isnan(t.vy) ||
           std::isnan(t.ax) || std::isnan(t.ay);
}

template <class T>
std::string checkPool(const char* name, TokenManager<T>* pool, int capacity,
                      const void* remembered) {
    if (!pool) return std::string("the ") + name + " pool is missing";
    if (remembered && remembered != pool)
        return std::string("the ") + name + " pool was replaced during play";
    if (pool->capacity() != capacity)
        return std::string("the ") + name + " pool holds " + std::to_string(pool->capacity()) +
               " slots, not " + std::to_string(capacity);
    for (int i = 0; i < pool->capacity(); ++i) {
        const T& t = pool->getTokens()[i];
        if (t.exists && hasNaN(t))
            return std::string(name) + " " + std::to_string(i) + " has a NaN coordinate";
    }
    return "";
}

} // namespace

uint64_t hashWorld() {
    Fnv h;
    h.i(level);
    forEachPool([&h](auto* pool, int, const char*) { hashPool(h, pool); });
    if (player) {
        hashToken(h, *player);
        h.f(player->podAngle);
        hashToken(h, player->podLeft);
        hashToken(h, player->podRight);
        h.i(player->shotWait);
        h.i(player->volley);
        h.i(player->charge);
        h.i(player->hasPods);
        hashToken(h, player->catchLeft);
        hashToken(h, player->catchRight);
    }
    if (gameMain) GameMain::forEachReplayed(*gameMain, [&h](auto field) { h.i(field); });
    // The scene machine around the game: the title's key wait, and the end roll while it runs.
    h.i(scene);
    h.i(levelKeyWait);
    if (scene == SCENE_END_ROLL && gameEndRoll) {
        h.i(gameEndRoll->scroll);
        h.i(gameEndRoll->finished);
        h.i(gameEndRoll->nextLine);
    }
    h.i(static_cast<int64_t>(randState()));
    return h.value;
}

void rememberPools() {
    int i = 0;
    forEachPool([&i](auto* pool, int, const char*) { rememberedPools[i++] = pool; });
}

std::string checkWorld() {
    std::string bad;
    int i = 0;
    forEachPool([&](auto* pool, int capacity, const char* name) {
        if (bad.empty()) bad = checkPool(name, pool, capacity, rememberedPools[i]);
        ++i;
    });
    if (!bad.empty()) return bad;
    if (!player) return "the player is missing";
    if (player->exists && hasNaN(*player)) return "the player has a NaN coordinate";
    return "";
}

namespace {
template <class T> void savePool(TokenManager<T>* pool, WorldSnapshot& s) {
    std::get<std::vector<T>>(s.pools).assign(pool->getTokens(),
                                             pool->getTokens() + pool->capacity());
}
template <class T> void restorePool(TokenManager<T>* pool, const WorldSnapshot& s) {
    const std::vector<T>& in = std::get<std::vector<T>>(s.pools);
    T* dst = pool->getTokens();
    for (size_t i = 0; i < in.size(); ++i)
        dst[i] = in[i];
}
} // namespace

void saveWorld(WorldSnapshot& s) {
    forEachPool([&s](auto* pool, int, const char*) { savePool(pool, s); });
    s.player = *player;
    s.level = level;
    s.game.clear();
    GameMain::forEachReplayed(*gameMain, [&s](auto field) { s.game.push_back(field); });
}

void restoreWorld(const WorldSnapshot& s) {
    forEachPool([&s](auto* pool, int, const char*) { restorePool(pool, s); });
    *player = s.player;
    level = s.level;
    size_t next = 0;
    GameMain::forEachReplayed(*gameMain, [&](auto& field) {
        field = static_cast<std::remove_reference_t<decltype(field)>>(s.game.at(next++));
    });
}
