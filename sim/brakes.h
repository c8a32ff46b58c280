// The brakes: the motors of the two axle hinges, held at target velocity 0
// with a maximum torque from the lever, the setup's brake torque, antilock
// (release while the tire slips) and stop-wheelies (release the front while
// the rear wheel is up). Run by the rider's controls-to-forces step.
// Units: pound-feet, feet per second.
#pragma once

struct RiderParams;
struct Rider;

// What the brakes read this tick.
struct brake_inputs {
    float front, rear;        // 0..1 lever
    bool front_contact, rear_contact;
    float front_slip, rear_slip;  // ft/s, the tire's contact point velocity
};
struct brake_torques {
    float front, rear;  // lb ft, the axle motors' maximum torque
};
brake_torques brake_torque(const RiderParams* p, const brake_inputs* in);

// Sets both axle motors of the rider's bike for this tick.
void brakes_apply(Rider* r);
