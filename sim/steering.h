// The steering controller: turns the rider's steering input, the lean and
// the roll rate into a torque about the steering axis, limited by how far
// the front wheel may turn at the current speed and grip. Normal and arcade
// variants. Pure functions over plain records; the rider step applies the
// results to the bodies. Units: feet, seconds, radians, pound-feet.
#pragma once

struct RiderParams;

constexpr float STEER_FULL_LOCK = 0.78539816f;  // rad, the steering head's stop

struct steering_inputs {
    float steering;         // s, -1..1
    float lean;             // L, rad, 0 upright
    float roll_rate;        // r, rad/s: frame angular velocity about its own z axis
    float wheel_speed;      // u, ft/s: tire radius times the front axle rate (not negative)
    float axle_rate;        // rad/s, front wheel about its axle (magnitude)
    float steer_angle;      // a, rad: steering head hinge angle
    float travel_angle;     // f, rad: front wheel velocity from its heading; 0 below 1 ft/s
    float friction;         // mu0 of the surface under the front wheel
    float tire_height;      // ft, the front tire's lowest point above the ground
    bool front_touches;
    bool steering_assist;   // direct steering also in the air (on by default)
    int collision_timer;
};

struct steering_result {
    float torque;           // lb ft about the steering axis, on the front wheel (opposite on the frame)
    float lock_limit;       // N, rad
    float lower, upper;     // lb ft, the force limits used
    float saturation;       // 0..1
};

// Lock limit N: the restricted lock (scaled up on slippery ground, at most
// 45 degrees) opening to full lock towards walking pace.
float steering_lock_limit(const RiderParams* p, float friction, float wheel_speed);

// The roll-rate controller's command Y (lb ft before the 1.5 scale): steers
// so that the roll rate follows the rate that brings the lean to
// -s x roll limit angle.
float steering_roll_rate_command(const RiderParams* p, float steering, float lean, float roll_rate);

// Normal steering. `landing_damping_extra` is the landing damping factor
// minus 1, raised while the front wheel is off the ground and decayed after.
steering_result normal_steering(const RiderParams* p, const steering_inputs* in, float* landing_damping_extra);

// Arcade steering in the air (front wheel off and high above the ground):
// centring plus the assisted direct part.
float arcade_air_steering(const RiderParams* p, float steering, float steer_angle, bool steering_assist);
// Arcade lean motor: signed speed (rad/s) turning the frame towards the lean
// -s x pi/4; the motor's force is at most 1000 lb ft.
float arcade_lean_motor_speed(const RiderParams* p, float steering, float lean);
// Arcade front-wheel alignment: torque about the steering axis that turns
// the wheel to its direction of travel offset by half the input.
float arcade_alignment_torque(const RiderParams* p, float steering, float travel_angle, float steer_angle,
                              float steer_rate);
