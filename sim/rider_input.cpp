// The controls a rider takes: ranges and the crash cut for every driver, and
// the player's channels turned into controls.
#include "sim/rider_input.h"

#include "base/num.h"

#include "sim/drivetrain.h"
#include "sim/setup.h"
#include "sim/slots.h"


void rider_take_controls(Rider* r, const rider_control_inputs* in)
{
    rider_controls* c = &r->controls;
    c->steering = clamp_nan_to_low(in->steering, -1, 1);
    c->throttle = clamp_nan_to_low(in->throttle, 0, 1);
    c->front_brake = clamp_nan_to_low(in->front_brake, 0, 1);
    c->rear_brake = clamp_nan_to_low(in->rear_brake, 0, 1);
    c->clutch = clamp_nan_to_low(in->clutch, 0, 1);
    c->dab = clamp_nan_to_low(in->dab, 0, 1);
    c->back_up = clamp_nan_to_low(in->back_up, 0, 1);
    c->lean = clamp_nan_to_low(in->lean, -1, 1);
    c->shift = in->shift;  // out-of-range inputs are ignored by the gearbox
    rider_cut_crashed_controls(r);
}

void rider_cut_crashed_controls(Rider* r)
{
    if (r->crash_timer <= 0) return;
    r->controls.throttle = 0;
    r->controls.back_up = 0;
    r->controls.lean = 0;
}

rider_input_settings rider_input_settings_from_setup(const RiderSetup* setup)
{
    rider_input_settings s;
    s.is_reversed_steering = setup->choice[SETUP_REVERSE_STEERING] == SETUP_YES;
    s.is_sticky_dab = setup->choice[SETUP_STICKY_DAB] == SETUP_YES;
    return s;
}

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
