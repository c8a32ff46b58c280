#include "sim/rider_input.h"

#include "sim/controls_step.h"
#include "sim/drivetrain.h"
#include "sim/slots.h"

void rider_apply_channels(Rider* r, const float channels[CHANNEL_COUNT], const rider_input_settings* settings)
{
    rider_state* s = &r->aid;
    const bool is_high = channels[CHANNEL_DAB] > 0.5f;
    if (is_high && !s->was_dab_channel_high) s->is_dab_latched = !s->is_dab_latched;
    s->was_dab_channel_high = is_high;

    const float shift = channels[CHANNEL_SHIFT];
    rider_control_inputs in = {};
    in.steering = channels[CHANNEL_STEER] * (settings->is_reversed_steering ? -1 : 1);
    in.throttle = channels[CHANNEL_THROTTLE];
    in.front_brake = channels[CHANNEL_FRONT_BRAKE];
    in.rear_brake = channels[CHANNEL_REAR_BRAKE];
    in.clutch = clutch_let_out(r->controls.clutch, channels[CHANNEL_CLUTCH]);
    in.dab = settings->is_sticky_dab ? (s->is_dab_latched ? 1.0f : 0.0f) : channels[CHANNEL_DAB];
    in.back_up = channels[CHANNEL_BACK_UP];
    in.lean = channels[CHANNEL_LEAN];
    in.shift = shift > 0.5f ? 1 : (shift < -0.5f ? -1 : 0);
    rider_take_controls(r, &in);
}
