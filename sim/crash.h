// Crashes: the tests that throw the rider off, the crash itself (mount
// detached, crash timer and count) and the crash sequence that pulls the
// rider back onto the seat and realigns it. Called by the rider step
// (sim/rider_step.h). Units: feet, seconds, ticks, pounds-force.
#pragma once

struct Rider;
struct physics_world;

constexpr int CRASH_DELAY_ENTRIES = 16;   // extra delay per crash count; later crashes use the last
constexpr int CRASH_TIMER_START = 512;    // ticks
constexpr float CRASH_SPEED_LIMIT = 31;   // ft/s at scale 1
constexpr float CRASH_ACCEL_LIMIT = 1376; // ft/s^2 at scale 1

// The scale t of both crash limits. 1.5 normally and while both wheels are
// in the air; right after a landing it dips towards 1 for long jumps:
// t = 1.5 - 0.5 a b, a from the air time, b from the time since landing.
float crash_threshold_scale(float air_time_s, float since_landing_s, bool is_airborne);

// True when the rider is thrown off: the rider's speed relative to the
// frame's point under it above 31 t, or its acceleration over the last four
// ticks plus gravity's (0, 32, 0) above 1376 t; never while the collision
// timer is negative.
bool crash_test_fires(float relative_speed, float acceleration, float scale, int collision_timer);

// Crash timer at the start of crash number `count` (0-based): 512 plus the
// race's extra delay for it (`delays` may be null: none).
int crash_timer_for(int count, const int* delays);

// Rest length of the three seat springs while the timer runs down from 511:
// 5 ft shrinking to 0 as the timer nears 128.
float seat_spring_rest_length(int crash_timer);

// The crash: mount detached, timer set, count raised, the free feet start at
// the foot pegs.
void rider_crash(Rider* r, const int* delays);

// One tick of the crash sequence of a crashed rider: timer count-down when
// the rider has come to rest, hand and hip springs while it moves, seat
// springs from timer 511, the lean-side foot steered below 320, realign at 0.
void rider_crash_sequence(Rider* r, physics_world* w, float lean);
