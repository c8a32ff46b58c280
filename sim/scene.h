// The physics scene: the one physics world, the 160 rider slots and the
// contact scene, stepped one tick at a time in the order of sim/world_tick.h.
// What races, demos, robots, scripts and the race server step; owned by its
// creator (the program holds one from start-up to shutdown). The terrain is
// borrowed and belongs to the track: drop it (scene_set_ground) before the
// track is freed. Main thread only. Units: feet, slugs, seconds, ticks.
#pragma once
#include "sim/collide.h"
#include "sim/controls_step.h"
#include "sim/realign.h"
#include "sim/rider_input.h"
#include "sim/rider_step.h"
#include "sim/slots.h"
#include "sim/world.h"

struct Terrain;

// What the scene's users plug into the tick. Any entry may be null (that
// step is skipped); the calls come from the scene's step in tick order.
struct scene_hooks {
    // Shown (demo and remote) riders take their interpolated snapshots.
    void (*show_replayed)(void* self, rider_slots* slots, int tick);
    // After a rider's wheel queries, before the world step: the dirt its
    // wheels throw.
    void (*wheels_queried)(void* self, Rider* r, int tick);
    // SEAM (robot riders): a robot's step, which ends with its
    // controls-to-forces step (`scene_control_step`). Null: robots stand still.
    void (*robot_step)(void* self, Rider* r, int tick);
    // After every other rider's controls-to-forces step: the robot-line
    // recorder and the start rules.
    void (*after_control)(void* self, Rider* r, int tick);
    void* self;
};

struct scene_params {
    const Terrain* ground;       // borrowed; null: no ground contacts, flat ground at 0 for the rider model
    collide_ops collide;         // crash triggers, track objects, tire friction scale
    realign_target_ops realign;  // where a fallen or stopped rider turns to
    scene_hooks hooks;
    int gate_drop_tick;          // tick the starting gate dropped
    const int* crash_delays;     // borrowed: 16 extra crash delays (ticks); null: none
    bool is_realign_after_fall;  // "Realign After Fall"
    bool is_steering_assist;     // direct steering also in the air
};
// No ground, nothing hooked, no crash delays, gate dropped at tick 0,
// realign after fall and steering assist on.
scene_params scene_default_params();

struct physics_scene {
    physics_world world;      // owned: bodies, joints and the contact group
    rider_slots* slots;       // owned: the riders are created into it with `&world`
    contact_scene contacts;   // owned shape copies; `contacts.ground` is the borrowed terrain
    realign_target_ops realign;
    scene_hooks hooks;
    // The rider model's view of the scene (world, ground height and surface
    // friction of `contacts.ground`, the contacts' collision timers).
    rider_model_env env;
    // The rider model's steps of the controls-to-forces step: those of
    // `env` from scene_create on; a test may put its own table here.
    rider_step_ops steps;
    int tick;                 // the next tick to step; 0 after create
};

// Start-up: the world, an empty slot table and a contact scene on
// `params->ground` (null params: the defaults). Null on failure, with
// nothing left behind. Pairs with scene_destroy.
[[nodiscard]] physics_scene* scene_create(const scene_params* params);
// Shutdown in reverse: the contact group, every rider ("Deallocating
// bikes"), the shape copies, then the world. Null is fine.
void scene_destroy(physics_scene* s);

// The terrain the contacts and the rider model read (null: none).
void scene_set_ground(physics_scene* s, const Terrain* ground);

// One tick `s->tick`, then the counter moves on: replayed riders, ground,
// object and rider contacts, the wheel queries, the world step, then per
// rider the internal force balance and the robot step or the
// controls-to-forces step with `s->steps` followed by `after_control`.
void scene_step(physics_scene* s);

// The controls-to-forces step of one rider with the scene's rider model.
void scene_control_step(physics_scene* s, Rider* r, int tick);

// The nine control channels to the rider of `slot`, through
// `rider_apply_channels`; false when the slot is outside 0..159 or empty.
bool scene_apply_channels(physics_scene* s, int slot, const float channels[CHANNEL_COUNT],
                          const rider_input_settings* settings);
