// The fork and the rear shock: spring, preload, air spring and two-stage
// damping, turned every tick into the force of the fork slider's motor and
// the torque of the swingarm hinge's motor. No state of its own: both are
// recomputed from the joints' position and rate. Called by the rider's
// controls-to-forces step; read by the suspension graph. Units: feet,
// seconds, radians, pounds-force, pound-feet.
#pragma once

struct BikeInfo;
struct SuspensionParams;
struct bike_body;

// The damping force for a suspension speed v (ft/s, negative while
// compressing): positive (extending) while compressing, negative (opposing
// the extension) while rebounding; a speed of exactly 0 counts as rebound.
// Always between 1/8 and 8 times the linear part |v| x coefficient.
float suspension_damping(float v, const SuspensionParams* p);

// Fork force (lb, positive extends) at slider position `position` (0 at full
// extension, down to -travel) moving at `rate` (ft/s): spring, damping and
// air spring, ramped in over the first 1/32 of the travel.
float fork_force(float position, float rate, const SuspensionParams* p, float travel);
// The air spring alone (lb) at slider position `position`.
float fork_air_spring(float position, float air_gap, float travel);

// The rear linkage: shock compression (ft) and its slope (ft per unit of
// normalised travel) at normalised swingarm travel u (0..1).
struct linkage_point {
    float compression;
    float slope;
};
linkage_point rear_linkage(const BikeInfo* bike, float u);

// Shock torque (lb ft, positive extends) about the swingarm hinge at hinge
// angle `angle` (0 at full extension, down to -swingarm travel) turning at
// `rate` (rad/s). The linkage slope scales both the shock speed and its force.
float shock_torque(float angle, float rate, const SuspensionParams* p, const BikeInfo* bike);

// Reads both joints and sets their motors to push with the computed force
// and torque (a motor with target velocity 100 and maximum force F pushes
// with F; a negative result holds as a brake of |F|).
void suspension_apply(bike_body* b, const SuspensionParams* fork, const SuspensionParams* shock);

// What the suspension graph plots, read from the joints.
struct suspension_readout {
    float fork_position;     // 0 extended .. 1 fully compressed
    float fork_speed;        // ft/s, slider rate (negative compressing)
    float fork_low_share;    // 0..1, share of the low-speed base in the damping
    float swingarm_position; // 0 .. 1, normalised travel u
    float shock_speed;       // ft/s of the shock: hinge rate x linkage slope
    float shock_low_share;   // 0..1
};
suspension_readout suspension_read(const bike_body* b);
// Share of the low-speed base in the damping at `speed`, using the catalogue
// bases (high-speed compression, low-speed compression, high-speed rebound,
// low-speed rebound) of the direction of motion: L / (|speed| H + L).
float damping_low_share(float speed, const float bases[4]);
