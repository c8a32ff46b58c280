// The rider's controls-to-forces step, run once per tick for every rider
// simulated here, after the world step: the rider model's steps, the fork and
// shock forces, steering, the drivetrain and brakes, in one fixed order. The
// rider model's own steps plug in through `rider_step_ops`, so this file only
// holds the order. Called by the race tick (sim/world_tick.h control step);
// the controls it turns into forces were taken before (sim/rider_input.h).
#pragma once

struct Rider;

// The rider model's steps, in the order they run. Any entry may be null (the
// step is skipped). `tick` counts from 0 at the race reset.
struct rider_step_ops {
    void (*fall_mark)(void* self, Rider* r, int tick);
    void (*collision_timer)(void* self, Rider* r, int tick);
    void (*airborne)(void* self, Rider* r, int tick);          // descent and landing ticks
    void (*crash)(void* self, Rider* r, int tick);             // crash tests, or the crash sequence
    void (*assists)(void* self, Rider* r, int tick);           // dab and standstill assist, or walking back
    void (*rider_springs)(void* self, Rider* r, int tick);
    void (*steering)(void* self, Rider* r, int tick);          // arcade or normal
    void (*steering_damping)(void* self, Rider* r, int tick);
    void (*dab)(void* self, Rider* r, int tick);               // dab amount, realign, dab torque
    void (*free_feet)(void* self, Rider* r, int tick);         // also runs for a fading rider
    void (*store_history)(void* self, Rider* r, int tick);     // the rider body's velocity
    void* self;
};

// One controls-to-forces step. The internal force balance of the bike's
// joints is added by the race tick itself, before this step (forces only
// accumulate until the next world step, so their order does not matter).
// The assists may change the dab and brake controls for this tick only: the
// player's values are restored at the end. A rider whose presence is at or
// below 0.25 runs only the fall mark and its free feet (no history either).
void controls_step(Rider* r, int tick, const rider_step_ops* ops);
