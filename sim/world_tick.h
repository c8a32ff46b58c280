// The order of one simulation tick for all rider slots, with the steps that
// other modules supply (replay display, contacts, wheel queries, robot and
// control steps) plugged in as a table. Called once per tick by the race
// step; main thread only. Forces added after the world step act in the next
// tick's step, together with that tick's contacts.
#pragma once

struct physics_world;
struct rider_slots;
struct Rider;

// Any entry may be null (that step is skipped).
struct tick_ops {
    // 1. Shown (demo and remote) riders take their interpolated snapshots.
    void (*show_replayed)(void* self, rider_slots* slots, int tick);
    // 2. Ground contacts of simulated riders, object and rider-rider collisions
    //    (bumping shown riders), all as joints in the contact group.
    void (*make_contacts)(void* self, rider_slots* slots, physics_world* w, int tick);
    // 3. Wheel queries and dirt spray, per rider in a rotating order.
    void (*wheel_query)(void* self, Rider* r, int tick);
    // 5. Robot riders: the robot step, which ends with the controls-to-forces step.
    void (*robot_step)(void* self, Rider* r, int tick);
    // 5. Every other rider: the controls-to-forces step ...
    void (*control_step)(void* self, Rider* r, int tick);
    // ... then the robot-line recorder and the start rules.
    void (*after_control)(void* self, Rider* r, int tick);
    void* self;
};

// Runs one tick: steps 1-3 through `ops`, the world step with the contact
// group emptied, the presence decay of shown riders, then per rider the
// internal force balance (from tick 1 on, riders present and not crashed)
// and step 5 through `ops`. `tick` counts from 0 at the race reset.
void world_tick(physics_world* w, rider_slots* slots, int tick, const tick_ops* ops);
