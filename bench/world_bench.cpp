// World steps per second with 1, 40 and 160 bikes in the air (bodies and
// joints only, no ground): the baseline of the simulation-speed goal.
#include <benchmark/benchmark.h>
#include <string.h>

#include "sim/bike_body.h"
#include "sim/bike_info.h"
#include "sim/world.h"

static BikeInfo bench_bike()
{
    BikeInfo b;
    memset(&b, 0, sizeof b);
    b.front_wheel = {{0, 1.09f, 1.11f}, 0.83333f, 0.33333f, 0.40625f, 0.5f, 0.15625f};
    b.rear_wheel = {{0, 1.04f, 6.0f}, 0.75f, 0.33333f, 0.46875f, 0.5f, 0.3125f};
    const float frame[3] = {0, 1.98f, 3.6f}, box[3] = {0.83333f, 1.66667f, 1.66667f};
    memcpy(b.frame_position, frame, sizeof frame);
    memcpy(b.frame_box, box, sizeof box);
    b.frame_mass = 4.24f;
    const float upper[3] = {0, 2.9f, 2.16f}, arm[3] = {0, 1.34f, 4.99f}, pivot[3] = {0, 1.6f, 4.08f},
                lower[3] = {0, 1.77f, 1.59f}, rider[3] = {0, 4.5f, 4.12f};
    memcpy(b.fork_upper_position, upper, sizeof upper);
    memcpy(b.swingarm_position, arm, sizeof arm);
    memcpy(b.swingarm_pivot, pivot, sizeof pivot);
    memcpy(b.fork_lower_position, lower, sizeof lower);
    memcpy(b.rider_position, rider, sizeof rider);
    b.fork_leg_spacing = 0.83333f;
    b.fork_leg_length = 3.0f;
    b.fork_mass = 0.703125f;
    b.fork_travel = 1.0f;
    b.swingarm_side_mass = 0.504375f;
    b.swingarm_travel = 0.5303f;
    b.rider_mass = 4.6875f;
    return b;
}

static void BM_WorldStep(benchmark::State& state)
{
    int count = (int)state.range(0);
    BikeInfo info = bench_bike();
    physics_world w;
    if (!physics_world_create(&w)) {
        state.SkipWithError("no physics world");
        return;
    }
    bike_body* bikes = new bike_body[count];
    for (int i = 0; i < count; i++) {
        if (!bike_body_create(&bikes[i], &w, &info, 1.0f / 3)) state.SkipWithError("bike not built");
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
