// The engine's torque from the catalogue's closed- and full-throttle tables,
// and the anti-wheelie cut. Pure functions over the catalogue row; the
// engine speed itself is integrated by the drivetrain (sim/drivetrain.h).
// Units: pound-feet, rad/s; the tables are indexed by rpm.
#pragma once

struct BikeInfo;

constexpr float RPM_PER_RAD_S = 9.549296585513721f;

// Torque (lb ft) at `rpm` and `throttle` (0..1): both tables interpolated
// linearly between their 500 rpm entries (clamped to the first and last),
// then blended by the throttle.
float engine_torque(const BikeInfo* bike, float rpm, float throttle);

// True when the drive torque is to be cut to at most 0: stop-wheelies bit 1
// set, the front wheel up, the rear wheel down and the nose not already
// dropping (frame pitch rate about its own x axis above -1/32 rad/s).
bool is_wheelie_cut(int stop_wheelies, bool front_contact, bool rear_contact, float frame_pitch_rate);
