// The controls a rider takes for the next tick. Every driver (the player's
// input path, robots, replays) stores them through `rider_take_controls`,
// which owns their ranges and the crash cut; the player's nine control
// channels get there through `rider_apply_channels`, which owns the player's
// input preferences (steering sign, sticky sit/dab), the shift thresholds and
// the clutch lever. Called before the race step; the controls-to-forces step
// (sim/controls_step.h) then uses the controls as they stand.
// Units: controls 0..1 (steering and lean -1..1); the clutch moves per tick.
#pragma once

struct Rider;
struct RiderSetup;

// The controls from a driver, before their ranges are enforced.
struct rider_control_inputs {
    float steering;     // -1..1, sign as the bike takes it
    float throttle;     // 0..1
    float front_brake;  // 0..1
    float rear_brake;   // 0..1
    float clutch;       // 0..1 engagement, after the lever's let-out rule
    float dab;          // 0..1
    float back_up;      // 0..1
    float lean;         // -1 forward .. 1 backward
    int shift;          // -1, 0 or 1
};
// Stores the inputs, each clamped to its range (the shift as it is: the
// gearbox ignores inputs outside -1..1), then the crash cut.
void rider_take_controls(Rider* r, const rider_control_inputs* in);
// The crash cut: a crashed rider gives no throttle, back up or lean, so
// those controls are zeroed while the crash timer runs. Taking controls
// applies it, and so does the crash step for a crash that begins after
// the controls were taken.
void rider_cut_crashed_controls(Rider* r);

enum ControlChannel {
    CHANNEL_STEER, CHANNEL_THROTTLE, CHANNEL_FRONT_BRAKE, CHANNEL_REAR_BRAKE, CHANNEL_SHIFT,
    CHANNEL_CLUTCH, CHANNEL_DAB, CHANNEL_BACK_UP, CHANNEL_LEAN, CHANNEL_COUNT
};

// The player's input preferences, from the player's setup.
struct rider_input_settings {
    bool is_reversed_steering;  // "Reversed Steering" (Yes by default)
    bool is_sticky_dab;         // "Sticky Sit/Dab": the dab channel toggles the dab
};
rider_input_settings rider_input_settings_from_setup(const RiderSetup* setup);

// Sets the rider's controls from the nine channels through
// `rider_take_controls`. The steering channel is positive to the left; the
// bike's steering is its negation while steering is reversed. The shift
// control is +1 when the shift channel is above 0.5, -1 below -0.5, else 0;
// the clutch channel is the lever, which moves the engagement by the
// drivetrain's let-out rule.
void rider_apply_channels(Rider* r, const float channels[CHANNEL_COUNT], const rider_input_settings* settings);
