#include "sim/rider_input.h"

#include "sim/drivetrain.h"

#include "sim/rider_rules.h"
#include "sim/slots.h"

void rider_apply_channels(Rider* r, const float channels[CONTROL_CHANNELS], const rider_input_settings* settings)
{
    rider_controls* c = &r->controls;
    rider_state* s = &r->aid;
    bool is_crashed = r->crash_timer > 0;
    float steer = channels[CHANNEL_STEER] * (settings->is_reversed_steering ? -1 : 1);
    c->steering = clampf(steer, -1, 1);
    c->front_brake = clampf(channels[CHANNEL_FRONT_BRAKE], 0, 1);
    c->rear_brake = clampf(channels[CHANNEL_REAR_BRAKE], 0, 1);
    c->throttle = is_crashed ? 0 : clampf(channels[CHANNEL_THROTTLE], 0, 1);

    bool is_high = channels[CHANNEL_DAB] > 0.5f;
    if (is_high && !s->was_dab_channel_high) s->is_dab_latched = !s->is_dab_latched;
    s->was_dab_channel_high = is_high;
    c->dab = settings->is_sticky_dab ? (s->is_dab_latched ? 1.0f : 0.0f) : clampf(channels[CHANNEL_DAB], 0, 1);

    c->back_up = is_crashed ? 0 : clampf(channels[CHANNEL_BACK_UP], 0, 1);
    c->lean = is_crashed ? 0 : clampf(channels[CHANNEL_LEAN], -1, 1);

    c->clutch = clutch_let_out(c->clutch, channels[CHANNEL_CLUTCH]);
    float shift = channels[CHANNEL_SHIFT];
    c->shift = shift > 0.5f ? 1 : (shift < -0.5f ? -1 : 0);
}
