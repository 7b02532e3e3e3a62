// The frame benchmark in the browser: the native benchmark's worlds replayed on the page's canvas,
// timed by the page's clock. With the argument "pictures" it draws the title and a full-pool frame
// once each and hands the page their pixels instead.
#include "Scenes.h"

#include "flow/Scene.h"
#include "objects/Particle.h"
#include "objects/Random.h"
#include "objects/World.h"
#include "plix/Plix.h"
#include "sim/SimGame.h"
#include "sim/SimWorld.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int ITERATIONS = 400;

// The canvas records draws and paints them later; reading one pixel back makes it paint now, so the
// "painted" figure includes the drawing itself, plus the read-back.
EM_JS(void, flushCanvas, (), { Module["canvas"].getContext("2d").getImageData(0, 0, 1, 1); });

EM_JS(void, finish, (), { Module["benchDone"] = true; });

// clang-format off
EM_JS(void, countFading, (int count), { Module["fadingTexts"] = count; });

EM_JS(void, keepPicture, (const char* name), {
    var c = Module["canvas"];
    var rgba = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
    (Module["pictures"] = Module["pictures"] || {})[UTF8ToString(name)] = Array.from(rgba);
});
// clang-format on

struct Figures {
    double mean = 0, best = 0, median = 0, p90 = 0, worst = 0;
};

Figures summarise(std::vector<double> us) {
    Figures f;
    std::sort(us.begin(), us.end());
    for (double u : us)
        f.mean += u;
    f.mean /= static_cast<double>(us.size());
    f.best = us.front();
    f.median = us[us.size() / 2];
    f.p90 = us[us.size() * 9 / 10];
    f.worst = us.back();
    return f;
}

void report(const std::string& name, const Figures& f) {
    std::printf("%-32s %9.1f us %9.1f us %9.1f us %9.1f us %9.1f us %6d\n", name.c_str(), f.mean,
                f.best, f.median, f.p90, f.worst, ITERATIONS);
}

// As the native benchmark does: the same saved world and seed every iteration, sceneStep alone
// timed. Between iterations the page gets the browser back, as between two frames of the game.
void replay(const std::string& name, const std::function<std::string()>& build) {
    std::string bad = build();
    if (!bad.empty()) {
        std::printf("%-32s ERROR: %s\n", name.c_str(), bad.c_str());
        return;
    }
    WorldSnapshot snap;
    saveWorld(snap);
    std::vector<double> step, paint, painted;
    for (int i = 0; i < ITERATIONS; ++i) {
        restoreWorld(snap);
        randSeed(42);
        const double t0 = emscripten_get_now();
        sceneStep();
        const double t1 = emscripten_get_now();
        Plix_flip();
        flushCanvas();
        const double t2 = emscripten_get_now();
        step.push_back((t1 - t0) * 1e3);
        paint.push_back((t2 - t1) * 1e3);
        painted.push_back((t2 - t0) * 1e3);
        emscripten_sleep(0);
    }
    restoreWorld(snap);
    report(name, summarise(step));
    report(name + "/paint", summarise(paint));
    report(name + "/painted", summarise(painted));
}

// The title's first frame and a full-pool frame, each drawn and shown once. The full pools' pop-up
// texts are made to fade, each at another point of its last 30 frames, so glyphs take many alphas.
void pictures() {
    constexpr int FADING_LIVES = 30;
    scene = SCENE_TITLE;
    sceneStep();
    Plix_flip();
    keepPicture("title");
    std::string bad = buildFullPools(50);
    if (!bad.empty()) throw std::runtime_error(bad);
    int n = 0;
    for (Particle& p : *particleManager)
        if (p.exists && p.kind == PK_TEXT) p.life = 2 + n++ % (FADING_LIVES - 2);
    randSeed(42);
    sceneStep();
    Plix_flip();
    keepPicture("fullPools");
    int fading = 0;
    for (const Particle& p : *particleManager)
        if (p.exists && p.kind == PK_TEXT && p.life > 0 && p.life < FADING_LIVES) ++fading;
    countFading(fading);
}

} // namespace

int main(int argc, char** argv) {
    try {
        simInitMedia();
        if (argc > 1 && std::string(argv[1]) == "pictures") {
            pictures();
            finish();
            return 0;
        }
        // The best time is the one least disturbed by whatever else the machine runs.
        std::printf("%-32s %12s %12s %12s %12s %12s %6s\n", "Benchmark", "mean", "best", "median",
                    "p90", "worst", "iters");
        replay("BM_FullPools/10", [] { return buildFullPools(10); });
        replay("BM_FullPools/50", [] { return buildFullPools(50); });
        replay("BM_BossDeathFullPools/50", [] { return buildBossDeath(50); });
    } catch (const std::exception& e) {
        std::printf("ERROR: %s\n", e.what());
    }
    std::fflush(stdout);
    finish();
    return 0;
}
