// The world's hash, its invariants and its snapshot, all through the replayed lists of its classes.
#include "sim/SimWorld.h"

#include "flow/GameMain.h"
#include "flow/Scene.h"
#include "objects/Enemy.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/Player.h"
#include "objects/Random.h"
#include "objects/ShotBullet.h"
#include "objects/World.h"

#include <cmath>
#include <cstring>
#include <stdexcept>
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
    void i(int64_t v) { bytes(&v, sizeof v); }
    // One listed field in its encoding; a field of any other type does not compile.
    template <class F> void field(const F& v) {
        if constexpr (std::is_same_v<F, float>) {
            uint32_t u;
            std::memcpy(&u, &v, sizeof u);
            bytes(&u, sizeof u);
        } else if constexpr (std::is_array_v<F>) {
            static_assert(std::is_same_v<std::remove_extent_t<F>, char>, "a text field");
            bytes(v, strnlen(v, std::extent_v<F>));
        } else {
            static_assert(std::is_same_v<F, int> || std::is_same_v<F, bool>,
                          "an int or bool field");
            i(v);
        }
    }
};

template <class T> void hashPool(Fnv& h, TokenManager<T>* pool) {
    if (!pool) {
        h.i(-1);
        return;
    }
    for (int i = 0; i < pool->capacity(); ++i) {
        const T& t = pool->getTokens()[i];
        if (!t.exists) continue;
        h.i(i);
        T::forEachReplayed(t, [&h](const auto& field) { h.field(field); });
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
    auto field = [&h](const auto& v) { h.field(v); };
    field(level);
    forEachPool([&h](auto* pool, int, const char*) { hashPool(h, pool); });
    if (player) Player::forEachReplayed(*player, field);
    if (gameMain) GameMain::forEachReplayed(*gameMain, field);
    forEachSceneReplayed(field);
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

// The snapshot's fields: the hash's, in its order, with every slot of every pool.
template <class Visit> void forEachSnapshotField(Visit&& visit) {
    visit(level);
    forEachPool([&visit](auto* pool, int, const char*) {
        for (auto& t : *pool)
            std::remove_reference_t<decltype(t)>::forEachReplayed(t, visit);
    });
    Player::forEachReplayed(*player, visit);
    GameMain::forEachReplayed(*gameMain, visit);
    forEachSceneReplayed(visit);
}

} // namespace

void saveWorld(WorldSnapshot& s) {
    s.fields.clear();
    forEachSnapshotField([&s](const auto& field) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&field);
        s.fields.insert(s.fields.end(), bytes, bytes + sizeof field);
    });
    s.random = randState();
}

void restoreWorld(const WorldSnapshot& s) {
    size_t at = 0;
    forEachSnapshotField([&](auto& field) {
        // The scene is put back before the fields that depend on it are visited, so the lists
        // take the same turns as when they were saved; a snapshot of another world cannot fit.
        if (at + sizeof field > s.fields.size())
            throw std::logic_error("the snapshot holds fewer fields than the world");
        std::memcpy(&field, s.fields.data() + at, sizeof field);
        at += sizeof field;
    });
    if (at != s.fields.size())
        throw std::logic_error("the snapshot holds more fields than the world");
    randRestore(s.random);
}
