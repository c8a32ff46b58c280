// The rider model's parts of the controls-to-forces step (sim/controls_step.h
// holds the order): fall mark, collision timer, airborne bookkeeping, crash
// tests and the crash sequence, dab and standstill assist or walking
// backwards, rider springs, steering, steering damping, dab torque and
// realign, free feet and the velocity history. Called once per tick for
// every rider simulated here. Units: feet, slugs, seconds, radians,
// pounds-force, ticks.
#pragma once
#include "sim/controls_step.h"

struct Rider;
struct physics_world;
struct realign_target_ops;

// What the rider model reads of the session and the race: the `self` of
// its steps. Borrowed pointers; any callback may be null.
struct rider_model_env {
    physics_world* world;
    int gate_drop_tick;             // tick the starting gate dropped
    const int* crash_delays;        // 16 extra crash delays (ticks); null: none
    bool is_realign_after_fall;     // the "Realign After Fall" setting
    bool is_steering_assist;        // direct steering also in the air (on by default)
    // Friction coefficient of the surface under the front wheel. Null: 1.
    float (*front_friction)(void* self, const Rider* r);
    // Ground height (ft) at world (x, z). Null: flat ground at height 0.
    float (*ground_height)(void* self, float x, float z);
    // The rider's collision timer, shared with the rider contacts. Null: the
    // one in the rider's own state.
    int* (*collision_timer)(void* self, Rider* r);
    void* self;                     // for the callbacks
    const realign_target_ops* realign;  // null: no realign target
};

// The rider model's steps as the controls-to-forces step calls them, with
// `env` as their self.
rider_step_ops rider_model_steps(rider_model_env* env);

// The whole controls-to-forces step for one rider with the rider model's steps.
void rider_control_step(Rider* r, int tick, rider_model_env* env);

// Crash triggers from the contacts (rider shape on the ground upside down,
// or against a track object): throws the rider off unless it is crashed
// already; the fall mark is set either way.
void rider_crash_from_contact(Rider* r, const int* crash_delays);

struct Terrain;
// The friction coefficient of the first friction point of the surface under
// the front wheel (its contact point while it touches, else its centre):
// what the steering's lock limit reads.
float rider_front_surface_friction(const Terrain* ground, const Rider* r);
