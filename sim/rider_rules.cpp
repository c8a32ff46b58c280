#include "sim/rider_rules.h"

#include <math.h>

#include "sim/rider_state.h"

float rider_lean_angle(const dReal* r)
{
    // Columns of the rotation are the frame's axes in world coordinates.
    double up_x = r[1], up_z = r[9];
    double fwd_x = -r[2], fwd_z = -r[10];
    double len = sqrt(fwd_x * fwd_x + fwd_z * fwd_z);
    if (!(len > 1e-9)) return 0;
    fwd_x /= len;
    fwd_z /= len;
    // The ground direction to the frame's side: forward x world up, (-fz, 0, fx).
    double across = up_x * -fwd_z + up_z * fwd_x;
    if (across > 1) across = 1;
    if (across < -1) across = -1;
    return (float)-asin(across);
}

int collision_timer_step(int timer)
{
    if (timer > 1) return timer - 1;
    if (timer < -1) return timer + 1;
    return 0;
}

void rider_airborne_step(rider_state* s, int tick, bool front_touches, bool rear_touches, float frame_vertical_velocity)
{
    bool touches = front_touches || rear_touches;
    if (!touches && frame_vertical_velocity < 0 && s->landing_tick >= s->descent_tick) s->descent_tick = tick;
    if (touches && s->landing_tick < s->descent_tick) s->landing_tick = tick;
}

bool rider_falls_behind(int tick, int gate_drop_tick, float frame_speed)
{
    return tick >= gate_drop_tick + FALL_MARK_DELAY_TICKS && frame_speed < FALL_MARK_SPEED;
}
