// The rider's own state beyond the bike: riding-aid timers, landing
// bookkeeping, the velocity history for the crash test, the extra controls
// (the sticky-dab latch) and the free feet. Embedded in every rider
// slot; a zeroed record is the state after a reset. Written only by the
// rider step (sim/rider_step.h) and the player input path (sim/rider_input.h).
// Units: feet, seconds, radians, ticks.
#pragma once

struct rider_state {
    bool is_dab_latched;        // sticky dab: the toggled dab value
    bool was_dab_channel_high;  // sticky dab: the channel was above 0.5 last tick
    int crash_count;            // crashes so far
    int collision_timer;        // ticks; used when the session keeps no shared timers
    float landing_damping_extra;  // the landing damping factor minus 1 (0 normally)
    int descent_tick;           // first tick of the last descent in the air
    int landing_tick;           // first tick of ground contact after it
    double velocity_history[4][3];  // the rider body's velocity of the last four ticks, newest first
    int velocity_count;         // valid entries in the history, 0..4
    float steering_saturation;  // 0..1: how close the front wheel works to its lock limit
    bool has_fall_mark;         // slow or fallen; cleared at every timing gate and by a reset
    float foot[2][3];           // left, right free foot points (world, ft)
    float foot_velocity[2][3];  // ft/s
};
