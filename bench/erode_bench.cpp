// Ground deformation and roost: processing queued erosion points on the
// large generated track, sampling a wheel, reshading what a few points
// changed (the cost must follow the patch, not the grid), and a tick of
// 2000 flying particles.
#include <benchmark/benchmark.h>
#include <math.h>

#include <random>
#include <string>
#include <vector>

#include "race/deformation.h"
#include "race/roost.h"
#include "sim/tire.h"
#include "track/erode.h"
#include "track/terrain.h"
#include "track/tileinfo.h"

// The generated tracks the content target writes into the build folder.
static Terrain* generated(const char* name) {
    const std::string folder = std::string(RW_BINARY_DIR) + "/" + name;
    return terrain_load(folder.c_str(), TerrainLoadParams{});
}

// Points as a wheel lays them: a foot apart along a winding line across the
// middle of the track, pushed back along it, a few samples each.
static std::vector<ErodePoint> ride_points(const Terrain* t, int count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<ErodePoint> points;
    float x = t->size * 0.3f, z = t->size * 0.5f, heading = 0;
    for (int i = 0; i < count; i++) {
        heading += ((float)(random() % 1000) / 1000.0f - 0.5f) * 0.1f;
        x += cosf(heading), z += sinf(heading);
        if (x < 50 || x > t->size - 50 || z < 50 || z > t->size - 50) heading += 3.14159f;
        points.push_back({x, z, -cosf(heading) * 0.7f, -sinf(heading) * 0.7f, 2 + (int)(random() % 4)});
    }
    return points;
}

// Queued points dug into "rabbithill" at --erode 10: points per second
// (the goal is 4,100 points per millisecond).
static void BM_ErodeProcessRabbithill(benchmark::State& state) {
    Terrain* t = generated("rabbithill");
    if (!t) {
        state.SkipWithError("the content target has not run");
        return;
    }
    const std::vector<ErodePoint> points = ride_points(t, (int)state.range(0), 1);
    ErodeQueue q = {};
    erode_queue_init(&q);
    size_t next = 0;
    int now = 0;
    long handled = 0;
    for (auto _ : state) {
        for (int i = 0; i < 4096; i++) (void)erode_queue_push(&q, points[next++ % points.size()]);
        while (q.count > 0) handled += erode_process(&q, t, nullptr, 10, now++);
    }
    state.SetItemsProcessed(handled);
    terrain_free(t);
}
// 4096 points keep returning to the same ground (a lap of riders on one
// line); 65536 wander over the whole track (cold memory every point).
BENCHMARK(BM_ErodeProcessRabbithill)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond);

// One wheel-tick of sampling: the push of a contact and its stroke.
static void BM_ErodeSampleWheelTick(benchmark::State& state) {
    Terrain* t = generated("rabbithill");
    if (!t) {
        state.SkipWithError("the content target has not run");
        return;
    }
    const std::vector<ErodePoint> path = ride_points(t, 4096, 2);
    RaceDeformation d;
    deformation_init(&d);
    deformation_reset(&d, t);
    const erode_submit_ops drop = {};
    wheel_deformation w = {};
    w.depth = 0.1f;
    w.force[0] = -150, w.force[1] = 400, w.force[2] = 40;
    w.contact_velocity[0] = 3;
    int now = 0;
    for (auto _ : state) {
        const ErodePoint& p = path[now % path.size()];
        w.point[0] = p.x, w.point[2] = p.z;
        w.body_velocity[0] = -p.dx * 60, w.body_velocity[2] = -p.dz * 60;
        float g[2];
        if (deformation_sample_vector(w, t, g))
            erode_wheel_sample(&d.wheel[0][0], p.x, p.z, g[0], g[1], now, t->size, &drop);
        now++;
    }
    state.SetItemsProcessed(state.iterations());
    terrain_free(t);
}
BENCHMARK(BM_ErodeSampleWheelTick);

// Reshading after 1 or 64 points: "rabbithill" (2049^2 vertices) should
// cost no more than 1.5 times "backyard" (513^2).
static void BM_ReshadePatch(benchmark::State& state, const char* track) {
    Terrain* t = generated(track);
    if (!t) {
        state.SkipWithError("the content target has not run");
        return;
    }
    const int count = (int)state.range(0);
    const std::vector<ErodePoint> points = ride_points(t, 65536, 3);
    ErodeQueue q = {};
    erode_queue_init(&q);
    size_t next = 0;
    int now = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < count; i++) (void)erode_queue_push(&q, points[next++ % points.size()]);
        while (q.count > 0) (void)erode_process(&q, t, nullptr, 10, now++);
        state.ResumeTiming();
        terrain_reshade(t);
    }
    terrain_free(t);
}
BENCHMARK_CAPTURE(BM_ReshadePatch, backyard, "backyard")->Arg(1)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReshadePatch, rabbithill, "rabbithill")->Arg(1)->Arg(64)->Unit(benchmark::kMicrosecond);

// One tick of 2000 particles in the air (high enough never to land here).
static void BM_RoostStep2000(benchmark::State& state) {
    Terrain* t = terrain_create(6, 2.0f, 0);
    RoostType type = roost_default_type();
    type.drag = 0.5f, type.grow = 1;
    type.fade_per_tick[3] = -1;
    RoostPool pool = {};
    roost_pool_make(&pool);
    std::mt19937 random(4);
    auto refill = [&] {
        roost_free_all(&pool);
        for (int i = 0; i < ROOST_PARTICLES; i++) {
            const float at[3] = {(float)(random() % 256), 100000, (float)(random() % 256)};
            const float v[3] = {(float)(random() % 40) - 20, 30, (float)(random() % 40) - 20};
            (void)roost_launch(&pool, type, at, v);
        }
    };
    refill();
    long ticks = 0;
    for (auto _ : state) {
        roost_step(&pool, t);
        if (++ticks % 4096 == 0) {
            state.PauseTiming();
            refill();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * ROOST_PARTICLES);
    terrain_free(t);
}
BENCHMARK(BM_RoostStep2000);
