// The 160 rider slots of the session: each holds at most one rider (its
// bike, converted setup, controls, engine and crash state) with a status,
// and every slot has its state history. Owned by the session; the race
// reset creates riders and shutdown frees them. Main thread only.
// Units: feet, slugs, seconds, radians, ticks.
#pragma once
#include "sim/state_history.h"
#include "sim/bike_body.h"
#include "sim/rider_state.h"
#include "sim/setup_params.h"

constexpr int RIDER_SLOTS = 160;
constexpr int NO_LOCAL_RIDER = RIDER_SLOTS;  // "slot 160": nobody rides on this machine

enum RiderStatus {
    RIDER_UNUSED = -1, // an empty slot, or one that takes no part in the race
    RIDER_LOCAL = 0,   // driven by the local player
    RIDER_SHOWN = 1,   // shown from its state history (demo or remote rider)
    RIDER_ROBOT = 2,   // robot rider simulated here
};

// The rider's control inputs after the riding aids; all 0 when cleared.
struct rider_controls {
    float throttle;     // 0..1
    float front_brake;  // 0..1
    float rear_brake;   // 0..1
    float clutch;       // 0..1, 1 engaged
    float steering;     // -1..1
    float lean;         // -1..1, forward/back
    float dab;          // 0..1
    int gear;           // 0 is first gear
    int shift;          // -1 down, 0 none, 1 up: shifts happen when it changes
    float back_up;      // 0..1
};

struct Rider {
    int slot;
    bool has_ground_queries;   // false for replayed riders: no per-tick wheel queries
    bike_body bike;
    RiderParams params;
    rider_controls controls;
    float engine_speed;        // rad/s of the crankshaft
    float engine_angle;        // rad in (-pi, pi]: rear-axle angle the engine side has reached
    int last_shift;            // the shift input of the last shift, -1..1
    int crash_timer;           // ticks; above 0 while crashed
    float dab_amount;          // 0..1, how far the foot is down
    // Set when a replayed rider has just crashed: the free feet are to start
    // at their drawn positions with the rider body's velocity there.
    bool is_free_feet_start_due;
    rider_state aid;           // riding aids, crash bookkeeping, free feet (sim/rider_step.h)
};

struct rider_slot {
    Rider* rider;  // owned; null when the slot is empty
    int status;    // RiderStatus; RIDER_UNUSED when empty
};

struct rider_slots {
    rider_slot slot[RIDER_SLOTS];
    StateHistory history[RIDER_SLOTS];
    int local_slot;  // the RIDER_LOCAL slot, NO_LOCAL_RIDER when there is none
};

// A cleared table on the heap (it is large: 160 histories); null when memory
// runs out. Pairs with rider_slots_free.
[[nodiscard]] rider_slots* rider_slots_create();
// Destroys every rider and frees the table. Null is fine.
void rider_slots_free(rider_slots* slots);
// Every slot empty and every history reset. Frees nothing: for a fresh table.
void rider_slots_clear(rider_slots* slots);

// Builds the rider of `slot` from catalogue row `info`: bodies and joints at
// the catalogue positions with rider mass split 1/3, then `params` (null:
// all zero, split 1/3) are applied, then the models and shapes are asked of
// `assets` (null: none loaded). A shown rider starts with presence 0, the
// others with 1. Null when the slot is outside 0..159 or
// taken, or the row cannot be built.
[[nodiscard]] Rider* rider_create(rider_slots* slots, int slot, int status, physics_world* w, const BikeInfo* info,
                                  const RiderParams* params, bool has_ground_queries, const bike_asset_ops* assets);
// Destroys the joints, then the bodies, and empties the slot.
void rider_destroy(rider_slots* slots, int slot);
// Shutdown: every rider destroyed ("Deallocating bikes" in the log).
void rider_slots_destroy_all(rider_slots* slots);

// Bike back to its catalogue pose; controls, engine, crash state, dab and the
// wheel contacts cleared; the rider re-attached.
void rider_reset(Rider* r);
// Applies converted setup parameters; re-masses frame and rider.
void rider_set_params(Rider* r, const RiderParams* params);
