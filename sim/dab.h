// Putting a foot down: the automatic dab and standstill hold, walking the
// bike backwards, and the dab torque that rights a leaning bike at low
// speed. Pure functions over plain values; the rider step applies the
// forces. Units: feet, seconds, radians, pounds-force, pound-feet, ticks.
#pragma once

struct RiderParams;

constexpr float DAB_SLOW_SPEED = 5;     // ft/s: standstill, walking and realign speed
constexpr float DAB_MID_SPEED = 15;     // ft/s
constexpr float HOLDING_FORCE = 1000;   // lb, standstill hold
constexpr float WALKING_FORCE = 2000;   // lb, pushing the bike backwards
constexpr float WALKING_TORQUE = 2000;  // lb ft, turning it while walking
constexpr float DAB_TORQUE = 400;       // lb ft

// Maximum dab speed V: the setup's, raised to 75 ft/s right after a hard
// rider-against-rider hit (collision timer -512 or less).
float dab_speed_limit(const RiderParams* p, int collision_timer);

struct dab_assist_result {
    bool is_dab_set;   // `dab` replaces the dab control for this tick
    float dab;
    bool is_held;      // full brakes and the holding force for this tick
};
// The automatic dab and standstill assist (only with automatic dab on).
dab_assist_result dab_assist(const RiderParams* p, int collision_timer, float speed, float lean, float throttle,
                             float clutch, float dab_control, bool is_crashed, bool both_wheels_touch);

// Horizontal holding force (lb, x and z) pulling the horizontal velocity
// (vx, vz) towards 0: up to 1000 lb, none below 0.25 ft/s.
void holding_force(float vx, float vz, float out[2]);

// Push weight 0..1 of tick `tick` of the walking cycle (128 ticks); before
// the first whole cycle after the gate drop, ticks with bit 7 or 8 set rest.
float walking_weight(int tick, int gate_drop_tick);
// Horizontal force (x, z) driving the horizontal velocity (vx, vz) towards
// the target (tx, tz), at most 2000 lb.
void walking_force(float vx, float vz, float tx, float tz, float out[2]);

struct dab_torque_inputs {
    float lean;          // rad
    float roll_rate;     // rad/s about the frame's z axis
    float speed;         // ft/s of the frame
    float steering;      // -1..1
    float back_up;       // control 0..1
    float saturation;    // steering saturation 0..1
    int collision_timer;
};
// The dab torque e (lb ft): rolls the bike back towards upright, faded out
// when the lean is small for the speed and the rider steers away.
float dab_torque(const RiderParams* p, const dab_torque_inputs* in);

// Whether the dab may act: the front wheel touches or the ground lies near
// the rider, the speed is at most V, and above 15 ft/s both wheels touch
// and the lean is at least 0.589 rad.
bool dab_allowed(float speed, float speed_limit, float lean, bool front_near_ground, bool both_wheels_touch);
