// zorvane-bench: the cost of frames of play, whole headless games, allocations, frame pacing.
#include "Scenes.h"
#include "sim/SimAllocations.h"

#include "flow/GameMain.h"
#include "flow/Scene.h"
#include "flow/Title.h"
#include "maths/Maths.h"
#include "objects/Angle.h"
#include "objects/Random.h"
#include "objects/ShotBullet.h"
#include "objects/World.h"
#include "plix/Plix.h"
#include "sim/SimGame.h"
#include "sim/SimWorld.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <ctime>
#include <functional>
#include <numeric>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// The CPU time of this thread alone: what a frame costs, without the time the machine gave others.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The media layer on SDL's dummy drivers, or on the display the caller chose with SDL_VIDEODRIVER.
bool media(benchmark::State& state) {
    try {
        simInitMedia();
        return true;
    } catch (const PlixError& e) {
        state.SkipWithError(e.what());
        return false;
    }
}

// One frame of a built world, replayed every iteration from the same snapshot and the same seed:
// the scene step alone, that is the update and the drawing of gameMain's run.
// verify, when given, looks at the world after one more such frame and names what went wrong.
void replayFrame(benchmark::State& state, const std::function<std::string()>& build,
                 const std::function<std::string()>& verify = nullptr) {
    if (!media(state)) return;
    std::string bad = build();
    if (!bad.empty()) {
        state.SkipWithError(bad.c_str());
        return;
    }
    state.SetLabel(poolCounts());
    WorldSnapshot snap;
    saveWorld(snap);
    uint64_t news = 0;
    double worst = 0;
    for (auto _ : state) {
        restoreWorld(snap);
        randSeed(42);
        const uint64_t before = simNewCalls();
        const auto t0 = Clock::now();
        sceneStep();
        const auto t1 = Clock::now();
        news += simNewCalls() - before;
        worst = std::max(worst, seconds(t0, t1));
        state.SetIterationTime(seconds(t0, t1));
    }
    restoreWorld(snap);
    randSeed(42);
    sceneStep();
    if (verify && !(bad = verify()).empty()) state.SkipWithError(bad.c_str());
    restoreWorld(snap);
    state.counters["allocs_per_frame"] =
        static_cast<double>(news) / static_cast<double>(state.iterations());
    state.counters["worst_us"] = worst * 1e6;
}

void BM_TypicalFrame(benchmark::State& state) {
    replayFrame(state, [&] { return buildTypicalFrame(static_cast<int>(state.range(0)), 1500); });
}
BENCHMARK(BM_TypicalFrame)
    ->Arg(0)
    ->Arg(10)
    ->Arg(30)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

void BM_FullPools(benchmark::State& state) {
    replayFrame(state, [&] { return buildFullPools(static_cast<int>(state.range(0))); });
}
BENCHMARK(BM_FullPools)->Arg(10)->Arg(LEVEL_MAX)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Kind 14 fires two rings of 72 at age 120; at levels 3 and 8 every pattern bullet has a twin.
// Args: level, kind-14 enemies (the wave at 2500 launches two), bullets already alive.
void BM_Kind14Rings(benchmark::State& state) {
    const int lv = static_cast<int>(state.range(0));
    const int rings = static_cast<int>(state.range(1));
    const int before = static_cast<int>(state.range(2));
    replayFrame(
        state, [&] { return buildKind14Rings(lv, rings, before); },
        [&]() -> std::string {
            // Two rings of 72 per kind 14, each bullet twinned here, as far as the pool holds.
            const int want =
                std::min(BULLET_CAPACITY, before + rings * 144 * (lv % 5 == 3 ? 2 : 1));
            return bulletManager->count() >= want - 8 ? ""
                                                      : "the rings were not fired: " + poolCounts();
        });
}
BENCHMARK(BM_Kind14Rings)
    ->Args({3, 1, 0})
    ->Args({8, 1, 0})
    ->Args({8, 2, 0})
    ->Args({8, 2, 400})
    ->ArgNames({"level", "kind14", "bullets"})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

void BM_BossDeathFullPools(benchmark::State& state) {
    replayFrame(
        state, [&] { return buildBossDeath(static_cast<int>(state.range(0))); },
        [] {
            return gameMain->state == GM_CLEAR ? "" : "the boss did not die in the replayed frame";
        });
}
BENCHMARK(BM_BossDeathFullPools)
    ->Arg(10)
    ->Arg(LEVEL_MAX)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// The maths under every velocity and aim, the game's own against the C library's, over arguments as
// the game makes them: angles of -540 to 540 degrees, offsets of -640 to 640 pixels.
template <typename F> void BM_Maths(benchmark::State& state, F f) {
    std::vector<float> a(4096), b(4096);
    uint32_t r = 1;
    for (size_t i = 0; i < a.size(); ++i) {
        r = r * 1664525 + 1013904223;
        a[i] = static_cast<float>(r >> 8) * (1080.0f / 16777216) - 540;
        r = r * 1664525 + 1013904223;
        b[i] = static_cast<float>(r >> 8) * (1280.0f / 16777216) - 640;
    }
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f(a[i & 4095], b[i & 4095]));
        ++i;
    }
}
BENCHMARK_CAPTURE(BM_Maths, sin, [](float a, float) { return maths::sin(a * maths::DEG_TO_RAD); });
BENCHMARK_CAPTURE(BM_Maths, libm_sin,
                  [](float a, float) { return std::sin(a * maths::DEG_TO_RAD); });
BENCHMARK_CAPTURE(BM_Maths, velocity, [](float a, float) { return velocity(a, 3).x; });
BENCHMARK_CAPTURE(BM_Maths, atan2, [](float x, float y) { return maths::atan2(y, x); });
BENCHMARK_CAPTURE(BM_Maths, libm_atan2f, [](float x, float y) { return std::atan2(y, x); });

// Times each frame's own work (its keys held, the snapshot, the scene step, the flip), in wall time
// and in this thread's CPU time, and counts its allocations.
class FrameTimer : public FrameObserver {
  public:
    double total = 0;
    double worst = 0;
    double worstCpu = 0;
    uint64_t frames = 0;
    uint64_t news = 0;
    void beforeFrame() override {
        allocs = simNewCalls();
        cpu0 = threadSeconds();
        t0 = Clock::now();
    }
    void afterFrame() override {
        const double s = seconds(t0, Clock::now());
        worstCpu = std::max(worstCpu, threadSeconds() - cpu0);
        news += simNewCalls() - allocs;
        total += s;
        worst = std::max(worst, s);
        ++frames;
    }

  private:
    Clock::time_point t0;
    double cpu0 = 0;
    uint64_t allocs = 0;
};

// Whole games from start to game over or clear, at every tenth level. Arg 0: random player,
// arg 1: the dodging bot (long games that reach CRAZY MODE and the boss's end). fps counts the
// frames' own time; wall_fps includes the input source and each game's start (music reload).
void BM_WholeGames(benchmark::State& state) {
    if (!media(state)) return;
    const bool bot = state.range(0) == 1;
    state.SetLabel(bot ? "bot" : "random");
    FrameTimer timer;
    double wall = 0;
    uint64_t seed = 1;
    for (auto _ : state) {
        RandomPlayer random;
        DodgeBot dodge;
        InputSource& input = bot ? static_cast<InputSource&>(dodge) : random;
        SimOptions o;
        o.observer = &timer;
        const auto t0 = Clock::now();
        for (int lv = LEVEL_MIN; lv <= LEVEL_MAX; lv += 10)
            runGame(lv, seed, input, o);
        const auto t1 = Clock::now();
        wall += seconds(t0, t1);
        state.SetIterationTime(seconds(t0, t1));
        ++seed;
    }
    state.counters["frames"] = static_cast<double>(timer.frames);
    state.counters["fps"] = static_cast<double>(timer.frames) / timer.total;
    state.counters["wall_fps"] = static_cast<double>(timer.frames) / wall;
    state.counters["worst_frame_us"] = timer.worst * 1e6;
    state.counters["worst_frame_cpu_us"] = timer.worstCpu * 1e6;
    state.counters["allocs_per_frame"] =
        static_cast<double>(timer.news) / static_cast<double>(timer.frames);
}
BENCHMARK(BM_WholeGames)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The real loop's pace: frameStep(FRAME_MS) 600 times; the interval between the ends of successive
// Plix_update calls. The game plays on with no key held, restarted after a game over.
void BM_FramePacing(benchmark::State& state) {
    if (!media(state)) return;
    RandomPlayer none;
    SimOptions o;
    o.maxFrames = 1;
    runGame(5, 1, none, o);
    simApplyKeys(0);
    std::vector<double> gaps;
    for (auto _ : state) {
        gaps.clear();
        Plix_update(FRAME_MS);
        auto last = Clock::now();
        for (int f = 0; f < 600; ++f) {
            frameStep(FRAME_MS);
            const auto now = Clock::now();
            gaps.push_back(seconds(last, now) * 1e3);
            last = now;
            if (gameMain->state == GM_OVER) gameMain->start();
        }
        state.SetIterationTime(std::accumulate(gaps.begin(), gaps.end(), 0.0) / 1e3);
    }
    std::vector<double> sorted = gaps;
    std::sort(sorted.begin(), sorted.end());
    state.counters["mean_ms"] =
        std::accumulate(gaps.begin(), gaps.end(), 0.0) / static_cast<double>(gaps.size());
    state.counters["p99_ms"] = sorted[sorted.size() * 99 / 100];
    state.counters["max_ms"] = sorted.back();
    state.counters["min_ms"] = sorted.front();
}
BENCHMARK(BM_FramePacing)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

// Google Benchmark's main, then the media layer closed as the game closes it: audio left open at
// exit crashes SDL2's audio thread under sdl12-compat.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Plix_quit();
    return 0;
}
