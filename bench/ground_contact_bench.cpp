// Ground contact speed: one tire contact per wheel and tick; full ticks with
// bikes resting on the terrain (riders apart); and a pile-up of bikes
// touching side by side against the same number of free-standing bikes.
#include <benchmark/benchmark.h>

#include "sim/tire.h"
#include "support/ground_scene.h"
#include "track/terrain.h"

namespace {

struct BenchScene {
    GroundScene g{terrain_create(8, 1.0f, -0.1f)};  // 512 ft square
    int count = 0;
    double gap = 20;  // ft between neighbouring bikes' centre lines
    bool ok = false;

    BenchScene(int bikes, double spacing) : count(bikes), gap(spacing)
    {
        if (!g.ok) return;
        for (int k = 0; k < count; k++) {
            if (!g.add_bike(k)) return;
            g.set_sphere_shapes(k);
        }
        place();
        ok = true;
    }
    // Rows of 16 side by side, rows 20 ft apart; upright at the catalogue pose.
    void place()
    {
        for (int k = 0; k < count; k++) {
            Rider* r = g.rider(k);
            rider_reset(r);
            const double offset[3] = {20 + gap * (k % 16), 0, 20 + 20.0 * (k / 16)};
            bike_body_move(&r->bike, offset);
        }
    }
    void step() { g.step(); }
};

void report(benchmark::State& state, int bikes)
{
    state.counters["ticks_per_s"] = benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
    state.counters["us_per_bike_tick"] = benchmark::Counter((double)state.iterations() * bikes,
                                                            benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

// One wheel's deepest contact, joint and rolling resistance (the group is
// emptied between calls, without a world step).
static void BM_TireContact(benchmark::State& state)
{
    BenchScene s(1, 20);
    if (!s.ok) {
        state.SkipWithError("scene not built");
        return;
    }
    physics_world* w = &s.g.scene->world;
    wheel_record* wheel = &s.g.rider(0)->bike.wheel[1];
    for (int i = 0; i < 64; i++) s.step();  // settle onto the ground
    for (auto _ : state) {
        benchmark::DoNotOptimize(tire_contact(w, wheel, s.g.ground, 1.0f));
        dJointGroupEmpty(w->contacts);
    }
}
BENCHMARK(BM_TireContact);

// Full ticks with bikes resting on the ground, 20 ft apart.
static void BM_RestingBikes(benchmark::State& state)
{
    int bikes = (int)state.range(0);
    BenchScene s(bikes, 20);
    if (!s.ok) {
        state.SkipWithError("scene not built");
        return;
    }
    for (int i = 0; i < 64; i++) s.step();
    for (auto _ : state) s.step();
    report(state, bikes);
}
BENCHMARK(BM_RestingBikes)->Arg(1)->Arg(40)->Arg(160)->Unit(benchmark::kMicrosecond);

// Bikes in one row: 1.5 ft apart their rider spheres overlap (every rider
// touches its neighbours), 20 ft apart they stand free.
static void BM_PileUp(benchmark::State& state)
{
    int bikes = (int)state.range(0);
    bool touching = state.range(1) != 0;
    BenchScene s(bikes, touching ? 1.5 : 20);
    if (!s.ok) {
        state.SkipWithError("scene not built");
        return;
    }
    for (int i = 0; i < 16; i++) s.step();
    int since = 0;
    for (auto _ : state) {
        s.step();
        if (++since == 256) {  // keep the pile standing where it started
            state.PauseTiming();
            s.place();
            since = 0;
            state.ResumeTiming();
        }
    }
    report(state, bikes);
}
BENCHMARK(BM_PileUp)->Args({8, 0})->Args({8, 1})->Args({16, 0})->Args({16, 1})->Unit(benchmark::kMicrosecond);
