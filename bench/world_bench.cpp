// World steps per second with 1, 40 and 160 bikes in the air (bodies and
// joints only, no ground): the baseline of the simulation-speed goal.
#include <benchmark/benchmark.h>
#include "sim/bike_body.h"
#include "sim/bike_info.h"
#include "sim/world.h"

static void BM_WorldStep(benchmark::State& state)
{
    int count = (int)state.range(0);
    const BikeInfo* info = find_bike_info("crf250(2008)");
    physics_world w;
    if (!info) {
        state.SkipWithError("no catalogue row");
        return;
    }
    if (!physics_world_create(&w)) {
        state.SkipWithError("no physics world");
        return;
    }
    bike_body* bikes = new bike_body[count];
    for (int i = 0; i < count; i++) {
        if (!bike_body_create(&bikes[i], &w, info, 1.0f / 3)) state.SkipWithError("bike not built");
        const double offset[3] = {20.0 * (i % 16), 1000, 20.0 * (i / 16)};  // apart, high above
        bike_body_move(&bikes[i], offset);
    }
    int ticks = 0;
    for (auto _ : state) {
        physics_world_step(&w);
        if (++ticks == 1024) {  // keep them from falling forever
            state.PauseTiming();
            for (int i = 0; i < count; i++) {
                bike_body_reset(&bikes[i]);
                const double offset[3] = {20.0 * (i % 16), 1000, 20.0 * (i / 16)};
                bike_body_move(&bikes[i], offset);
            }
            ticks = 0;
            state.ResumeTiming();
        }
    }
    state.counters["steps_per_s"] = benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
    for (int i = 0; i < count; i++) bike_body_destroy(&bikes[i]);
    delete[] bikes;
    physics_world_destroy(&w);
}
BENCHMARK(BM_WorldStep)->Arg(1)->Arg(40)->Arg(160)->Unit(benchmark::kMicrosecond);
