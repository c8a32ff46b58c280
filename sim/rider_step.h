// The rider's controls-to-forces step, once per tick after the world step
// for every locally simulated rider (and for bumped shown riders): fall
// mark, collision timer, airborne bookkeeping, crash tests and the crash
// sequence, dab and standstill assist or walking backwards, rider springs,
// suspension, steering, drivetrain, steering damping, dab torque and
// realign, then the free feet. Suspension and drivetrain plug in through
// `rider_step_ops`. Units: feet, slugs, seconds, radians, pounds-force, ticks.
#pragma once

struct Rider;
struct physics_world;
struct realign_target_ops;

// The other modules' parts of the step. Any entry may be null.
struct rider_step_ops {
    // Fork and shock forces.
    void (*suspension)(void* self, Rider* r);
    // Automatic shifting, clutch, drive torque, engine and brakes; reads the
    // controls as the riding aids left them for this tick.
    void (*drivetrain)(void* self, Rider* r);
    // Friction coefficient of the surface under the front wheel. Null: 1.
    float (*front_friction)(void* self, const Rider* r);
    // Ground height (ft) at world (x, z). Null: flat ground at height 0.
    float (*ground_height)(void* self, float x, float z);
    void* self;
};

struct rider_step_env {
    physics_world* world;
    int tick;                       // race tick, 0 at the race reset
    int gate_drop_tick;             // tick the starting gate dropped
    const int* crash_delays;        // 16 extra crash delays (ticks); null: none
    bool is_realign_after_fall;     // the "Realign After Fall" setting
    bool is_steering_assist;        // direct steering also in the air (on by default)
    const rider_step_ops* ops;      // may be null
    const realign_target_ops* realign;  // may be null: no realign target
};

// The whole step for one rider.
void rider_control_step(Rider* r, const rider_step_env* env);

// Crash triggers from the contacts (rider shape on the ground upside down,
// or against a track object): throws the rider off unless it is crashed
// already.
void rider_crash_from_contact(Rider* r, const int* crash_delays);

// The rider springs alone: the two contact springs that hold the rider body
// at its lean and dab position over the seat, and the mount's soft travel.
void rider_springs(Rider* r, physics_world* w);

// The free feet alone (also run when the rider is not present): the dab
// amount falls, the feet follow the pegs, or fall and are held by the legs
// while crashed.
void rider_free_feet(Rider* r, const rider_step_ops* ops);
