// Small rules of the rider step over plain values: the lean angle, the
// collision timer, the airborne bookkeeping and the fall mark. Called by the
// rider step (sim/rider_step.h) and by tests. Units: feet, seconds, radians, ticks.
#pragma once
#include <ode/ode.h>

#include "base/num.h"

struct rider_state;

constexpr int FALL_MARK_DELAY_TICKS = 256;  // two seconds after the gate drop
constexpr float FALL_MARK_SPEED = 5;        // ft/s

// Lean of a frame with rotation `r` (3x4 row-major): -asin of the up axis's
// component along the horizontal direction perpendicular to the frame's
// forward axis (-z) projected onto the ground. 0 upright; 0 also when the
// forward axis stands vertical (no ground direction to lean across).
float rider_lean_angle(const dReal* r);

// One step of the collision timer towards 0: beyond 1 in magnitude it moves
// by one, otherwise it becomes 0.
int collision_timer_step(int timer);

// Descent tick becomes now when neither wheel touches, the frame falls and
// the landing tick is not before the descent tick; the landing tick becomes
// now when a wheel touches after a descent.
void rider_airborne_step(rider_state* s, int tick, bool front_touches, bool rear_touches, float frame_vertical_velocity);

// True when the fall mark is to be set: from two seconds after the gate drop
// on, a frame slower than 5 ft/s.
bool rider_falls_behind(int tick, int gate_drop_tick, float frame_speed);

inline float signf(float x) { return x > 0 ? 1.0f : (x < 0 ? -1.0f : 0.0f); }
// `x` moved towards 0 by `amount`, never past it.
inline float shrink_towards_zero(float x, float amount) { return x > amount ? x - amount : (x < -amount ? x + amount : 0.0f); }
