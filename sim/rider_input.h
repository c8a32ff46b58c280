// The player's control channels applied to the player's bike, once per tick
// by the frame loop: steering sign, brakes, throttle, the sticky sit/dab
// toggle, back up, lean, the clutch target and the shift request.
// Units: controls 0..1 (steering and lean -1..1); the clutch moves per tick.
#pragma once

struct Rider;

enum ControlChannel {
    CHANNEL_STEER, CHANNEL_THROTTLE, CHANNEL_FRONT_BRAKE, CHANNEL_REAR_BRAKE, CHANNEL_SHIFT,
    CHANNEL_CLUTCH, CHANNEL_DAB, CHANNEL_BACK_UP, CHANNEL_LEAN, CONTROL_CHANNELS
};

struct rider_input_settings {
    bool is_reversed_steering;  // "Reversed Steering" (Yes by default)
    bool is_sticky_dab;         // "Sticky Sit/Dab"
};

// Sets the rider's controls from the nine channels; the shift control is +1
// when the shift channel is above 0.5, -1 below -0.5, else 0.
void rider_apply_channels(Rider* r, const float channels[CONTROL_CHANNELS], const rider_input_settings* settings);
