#include "sim/steering.h"

#include <math.h>

#include "base/num.h"
#include "sim/rider_rules.h"
#include "sim/setup_params.h"

constexpr float TICK_S = 1.0f / 128;
constexpr float ROLL_RATE_DEAD_BAND = 0.125f;  // rad/s
constexpr float ROLL_RATE_BACK = 9.817477f;    // rad/s, rolling back towards upright
constexpr float ROLL_RATE_INTO = 3.926991f;    // rad/s, rolling into a lean

float steering_lock_limit(const RiderParams* p, float friction, float wheel_speed)
{
    float n = fminf(p->restricted_lock_angle / fmaxf(0.125f, friction), STEER_FULL_LOCK);
    float o = 1 / fmaxf(1 + p->full_lock_speed, p->restricted_lock_speed);
    float q = fminf((1 / fmaxf(1, wheel_speed) - o) / (1 / p->full_lock_speed - o), 1);
    return n + (STEER_FULL_LOCK - n) * fmaxf(q, 0);
}

float steering_roll_rate_command(const RiderParams* p, float steering, float lean, float roll_rate)
{
    float target = -(steering * p->roll_limit_angle + lean) * 2.5f;
    bool is_back_to_upright = (target > 0 && lean < 0) || (target < 0 && lean > 0);
    float m = is_back_to_upright ? ROLL_RATE_BACK : ROLL_RATE_INTO;
    target = clamp_keep_nan(target, -m, m);
    float error = shrink_towards_zero(roll_rate - target, ROLL_RATE_DEAD_BAND);
    return p->steering_strength * clamp_keep_nan(4 * error, -1, 1);
}

static void force_limits(const RiderParams* p, const steering_inputs* in, float n, float* lower, float* upper)
{
    float m = p->max_steering_force;
    *upper = m;
    *lower = -m;
    if (!(in->wheel_speed > 1 && in->tire_height < 0.5f)) return;
    float pp = n + (STEER_FULL_LOCK - n) * clamp_keep_nan(2 * in->tire_height, 0, 1);
    float b = 1.125f * pp + 0.015f;
    float f = in->travel_angle;
    if (f > pp) *lower = (0.25f - 1.25f * clamp_keep_nan((f - b) / (pp - b), 0, 1)) * m;
    if (f < -pp) *upper = m * (1.25f * clamp_keep_nan((f + b) / (b - pp), 0, 1) - 0.25f);
}

static float saturation(const steering_inputs* in, float n)
{
    float v = clamp_keep_nan((in->wheel_speed - 5) / 10, 0, 1);
    float c0 = 0.25f * v * n, w0 = (0.375f * v + 0.125f) * n;
    float a = in->steer_angle, f = in->travel_angle;
    if (in->lean < 0)
        return fmaxf(fminf((f - c0) / w0, 1), clamp_keep_nan(-(a + PI_F / 12) * 3.8197186f, 0, 1));
    return fmaxf(fminf(-(f + c0) / w0, 1), clamp_keep_nan((a - PI_F / 12) * 3.8197186f, 0, 1));
}

steering_result normal_steering(const RiderParams* p, const steering_inputs* in, float* landing_damping_extra)
{
    steering_result out = {};
    float n = steering_lock_limit(p, in->friction, in->wheel_speed);
    out.lock_limit = n;
    force_limits(p, in, n, &out.lower, &out.upper);

    float d = in->steering * p->steering_strength * p->direct_steering;
    float h;
    if (!in->front_touches || in->axle_rate <= STEER_FULL_LOCK) {
        *landing_damping_extra = p->land_damping_factor - 1;
        h = -50 * in->steer_angle;
        if (!in->steering_assist) d = 0;
    } else {
        if (p->land_damping_falloff != 0)
            *landing_damping_extra =
                fmaxf(0, *landing_damping_extra - (p->land_damping_factor - 1) * TICK_S / p->land_damping_falloff);
        float r = p->roll_damping * (1 + *landing_damping_extra) * in->roll_rate;
        h = p->leveling * in->lean;
        if (in->wheel_speed < p->slow_damping_speed) {
            float t = in->wheel_speed / p->slow_damping_speed;
            float k = p->slow_damping_factor + (1 - p->slow_damping_factor) * t;
            h *= k;
            r *= k;
        }
        float lean = in->lean, rate = in->roll_rate;
        bool is_rolling_further = (lean >= 0 && rate >= 0) || (lean < 0 && rate < 0);
        if (is_rolling_further && fabsf(lean) > p->roll_limit_angle)
            r *= 1 + p->roll_limit_factor * (fabsf(lean) - p->roll_limit_angle);
        h += r;
        if (p->direct_steering < 1) {
            float y = steering_roll_rate_command(p, in->steering, lean, rate);
            d = (d - y) * p->direct_steering + y;
        }
    }
    if (in->collision_timer > 0) {
        float limit = 200 * clamp_keep_nan((64 - in->collision_timer) / 64.0f, 0, 1);
        h = clamp_keep_nan(h, -limit, limit);
    }
    out.saturation = saturation(in, n);
    out.torque = clamp_keep_nan(1.5f * (h + d), out.lower, out.upper);
    return out;
}

float arcade_air_steering(const RiderParams* p, float steering, float steer_angle, bool steering_assist)
{
    float direct = steering_assist ? p->direct_steering * steering * p->steering_strength : 0;
    return 1.5f * (-50 * steer_angle + direct);
}

float arcade_lean_motor_speed(const RiderParams* p, float steering, float lean)
{
    float towards = -(steering * PI_F / 4 + lean);  // target lean minus lean
    float speed = fminf(fabsf(towards), 1.0f / 16) * 16 *
                  (1.5f - 0.5f * clamp_keep_nan((p->roll_damping - 40) * 0.025f, 0, 1));
    return towards < 0 ? -speed : speed;
}

float arcade_alignment_torque(const RiderParams* p, float steering, float travel_angle, float steer_angle,
                              float steer_rate)
{
    float e = shrink_towards_zero(clamp_keep_nan(travel_angle - 0.5f * steering - steer_angle, -0.25f, 0.25f), 1.0f / 32);
    float g = shrink_towards_zero(8 * e - steer_rate, 1.0f / 2400);
    float k = g < -4.0f / 3 ? -2.0f / 3 : (g > 4.0f / 3 ? 2.0f / 3 : g / 2);
    return k * p->steering_strength;
}
