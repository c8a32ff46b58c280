// Clutch, gearbox and engine speed: the clutch couples the engine to the rear
// wheel as a torsional spring-damper whose wind-up is limited by the clutch
// engagement; its torque turns the rear wheel and, as reaction, the frame.
// Gear selection (manual and automatic) and the clutch lever's let-out rule.
// Run by the rider's controls-to-forces step; the pure functions take plain
// values so robots and tests can use them alone.
// Units: rad, rad/s, pound-feet, ticks; gear 0 is first gear.
#pragma once

struct BikeInfo;
struct Rider;

// Total reduction from crank to rear wheel in `gear`: primary x gear ratio x
// final drive. 0 when the gear has no ratio.
float drive_ratio(const BikeInfo* bike, int gear, float final_drive);

// Everything the clutch and engine step reads from the bike this tick.
struct clutch_inputs {
    float wheel_angle;      // rad, rear axle hinge angle
    float wheel_rate;       // rad/s, positive while rolling forward
    float engagement;       // 0..1, 1 fully engaged
    float auto_clutch_rpm;  // the automatic clutch slips below this + 2000 rpm
    float ratio;            // total reduction, drive_ratio()
    float throttle;         // 0..1
    bool is_drive_cut;      // anti-wheelie: engine torque at most 0
};
// The engine side of the drivetrain, carried between ticks.
struct engine_state {
    float speed;  // rad/s of the crankshaft
    float angle;  // rad in (-pi, pi]: the rear-axle angle the engine side has reached
};
// One tick of clutch and engine: updates `engine` and returns the clutch
// torque N (lb ft) to apply as -N about the rear wheel's x axis and +N about
// the frame's. A gear without a ratio (ratio <= 0) transmits nothing.
float clutch_engine_step(const BikeInfo* bike, const clutch_inputs* in, engine_state* engine);

// The gear a shift input (-1 or 1) from `gear` selects: at or below first
// gear it is first gear; above, at most the sixth slot, lowered until the
// catalogue has a ratio for it.
int shifted_gear(const BikeInfo* bike, int gear, int input);
// Manual shifting: nothing while crashed, when `input` repeats `*last_input`
// or lies outside -1..1; otherwise the input is remembered and the gear
// changed. True when the gear changed.
bool manual_shift(const BikeInfo* bike, int* gear, int* last_input, int input, bool is_crashed);
// Whether automatic shifting looks at the gear this tick: every 32 ticks,
// with the rear suspension loaded (swingarm angle below -0.01 rad) and the
// rear wheel not spinning up (no contact, or slip at most 2 ft/s).
bool is_auto_shift_due(int tick, float swingarm_angle, bool rear_contact, float rear_slip_speed);
// The gear automatic shifting picks for a rear axle turning at `axle_rate`
// rad/s: down one below the downshift rpm, up to the next existing gear above
// the upshift rpm, else unchanged.
int auto_shift_gear(const BikeInfo* bike, int gear, float final_drive, float axle_rate);

// The clutch lever's rule: target engagement 1 - 8/7 lever (fully out from
// 7/8 of the lever's travel); a higher target is approached by 1/32 per
// tick, a lower one is taken at once.
float clutch_let_out(float engagement, float lever);

// The drivetrain part of the controls-to-forces step for one rider: manual
// and automatic shifting, clutch, drive torques on the rear wheel and the
// frame, engine speed. Takes the controls as they stand: their ranges were
// enforced when they were taken, the crash cut then or by the crash step
// (sim/rider_input.h).
void drivetrain_step(Rider* r, int tick);
