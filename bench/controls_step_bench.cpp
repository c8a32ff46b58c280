// The bike's share of the controls-to-forces step (suspension, drivetrain,
// brakes; the rider model's steps absent) for 160 riders, the most a race
// holds: it runs once per rider every tick, so it must stay a small part of
// the 7.8 ms a tick may take.
#include <benchmark/benchmark.h>

#include "sim/bike_info.h"
#include "sim/controls_step.h"
#include "sim/setup.h"
#include "sim/setup_params.h"
#include "sim/slots.h"
#include "sim/world.h"

static void BM_ControlsStep160(benchmark::State& state)
{
    const BikeInfo* info = find_bike_info("crf250(2008)");
    physics_world w;
    if (!info || !physics_world_create(&w)) {
        state.SkipWithError("no catalogue row or physics world");
        return;
    }
    rider_slots* slots = rider_slots_create();
    RiderSetup setup;
    setup_init_defaults(&setup);
    RiderParams params;
    rider_params_from_setup(&params, &setup, info);
    for (int i = 0; slots && i < RIDER_SLOTS; i++) {
        Rider* r = rider_create(slots, i, RIDER_ROBOT, &w, info, &params, true, nullptr);
        if (!r) {
            state.SkipWithError("rider not built");
            break;
        }
        r->controls.throttle = 1;
        r->controls.clutch = 1;
        r->controls.front_brake = 0.5f;
    }
    int tick = 0;
    for (auto _ : state) {
        for (int i = 0; slots && i < RIDER_SLOTS; i++)
            if (slots->slot[i].rider) controls_step(slots->slot[i].rider, tick, nullptr);
        tick++;
    }
    state.counters["riders_per_s"] =
        benchmark::Counter((double)state.iterations() * RIDER_SLOTS, benchmark::Counter::kIsRate);
    rider_slots_destroy_all(slots);
    rider_slots_free(slots);
    physics_world_destroy_contacts(&w);
    physics_world_destroy(&w);
}
BENCHMARK(BM_ControlsStep160)->Unit(benchmark::kMicrosecond);
