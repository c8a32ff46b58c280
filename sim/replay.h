// Riders shown from packed states: placing a bike from a state, applying a
// shown snapshot each tick (kinematically, or by physical following while a
// bumped rider is simulated), the presence timeline of remote riders, and
// packing a live rider into a state. Called by the replay display of demo
// and network riders and by the recorder. Units: feet, seconds, radians.
#pragma once
#include "sim/packed_state.h"

struct Rider;

// The terrain height under a point, a table so the track code can plug in.
struct ground_ops {
    float (*height)(const void* self, float x, float z);  // ft
    const void* self;
};

// The track's and the bike's ranges for packing this rider's states.
packed_state_ranges rider_state_ranges(const Rider* r, float side_length, float base_height);

// Places every body from a decoded state and sets crash state, gear,
// throttle and engine speed from it; sets no velocities. `rider_byte` is the
// single rider byte of a version-4 state (0..255), or -1 to use the state's
// rider offset and orientation. Non-finite or degenerate values (a zero
// quaternion) are replaced so that no body gets a NaN.
void rider_place_from_state(Rider* r, const rider_state_values* v, int rider_byte);

// The packed state of a live rider (joint angles, rider offset, controls,
// engine speed).
rider_state_values rider_state_of(const Rider* r);

struct rider_snapshot {
    const PackedRiderState* shown;   // interpolated between older and newer
    const PackedRiderState* older;
    const PackedRiderState* newer;
    int tick_distance;               // newer tick - older tick; taken as at least 1
};

// One tick of a shown rider. Presence at or below 0.25: the bodies are put
// where the snapshot says, with velocities from the older/newer pair, lifted
// out of the ground, and the dab amount follows the controls byte. Above:
// the bike stays simulated and forces, torques and controls pull it onto the
// shown state, more firmly as the presence falls.
void rider_apply_snapshot(Rider* r, const rider_snapshot* s, const packed_state_ranges* ranges,
                          const ground_ops* ground);

// After each world step: a shown rider's presence falls by one tick's length
// while above 0 (from 1 to exactly 0 in 128 ticks).
void rider_presence_after_step(Rider* r);
// A locally simulated rider touched this shown rider: presence 0 becomes 1,
// presence in (0, 0.25] becomes 0.25, anything above stays.
void rider_presence_bump(Rider* r);
