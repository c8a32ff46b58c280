#include "sim/dab.h"

#include <math.h>

#include "base/num.h"
#include "sim/rider_rules.h"
#include "sim/setup_params.h"

constexpr float HARD_HIT_DAB_SPEED = 75;  // ft/s
constexpr int HARD_HIT_TIMER = -512;
constexpr int WALK_CYCLE = 128;  // ticks

float dab_speed_limit(const RiderParams* p, int collision_timer)
{
    float v = p->max_dab_speed;
    if (collision_timer <= HARD_HIT_TIMER && v <= HARD_HIT_DAB_SPEED) v = HARD_HIT_DAB_SPEED;
    return v;
}

dab_assist_result dab_assist(const RiderParams* p, int collision_timer, float speed, float lean, float throttle,
                             float clutch, float dab_control, bool is_crashed, bool both_wheels_touch)
{
    dab_assist_result out = {};
    if (!p->auto_dab) return out;
    float v = dab_speed_limit(p, collision_timer);
    float w = speed, tilt = fabsf(lean);
    if (w > v) return out;
    if (w > DAB_MID_SPEED && tilt < clamp_keep_nan((w - DAB_MID_SPEED) / DAB_MID_SPEED, 0, 1) * PI_F / 4) return out;
    bool is_driving = throttle != 0 && clutch != 0;
    if (!is_driving || w < DAB_SLOW_SPEED || tilt > PI_F / 16) {
        out.is_dab_set = true;
        out.dab = is_crashed ? 0 : clamp_keep_nan((v - w) / v, dab_control, 1);
        out.is_held = w < DAB_SLOW_SPEED && !is_driving && both_wheels_touch;
    }
    return out;
}

void holding_force(float vx, float vz, float out[2])
{
    float speed = sqrtf(vx * vx + vz * vz);
    out[0] = out[1] = 0;
    if (!(speed > 0.25f)) return;
    float f = HOLDING_FORCE * clamp_keep_nan((speed - 0.25f) * 0.8f, 0, 1);
    out[0] = -f * vx / speed;
    out[1] = -f * vz / speed;
}

float walking_weight(int tick, int gate_drop_tick)
{
    int first_cycle = (gate_drop_tick / WALK_CYCLE + 1) * WALK_CYCLE;
    if (tick < first_cycle && (tick & 0x180) != 0) return 0;
    int k = ((tick % WALK_CYCLE) + WALK_CYCLE) % WALK_CYCLE;
    return (1 - cosf(2 * PI_F * k / 127)) / 2;
}

void walking_force(float vx, float vz, float tx, float tz, float out[2])
{
    // Saturating push: full force once the velocity is 1 ft/s off the target.
    float dx = tx - vx, dz = tz - vz;
    float miss = sqrtf(dx * dx + dz * dz);
    out[0] = out[1] = 0;
    if (!(miss > 0)) return;
    float f = WALKING_FORCE * clamp_keep_nan(miss, 0, 1);
    out[0] = f * dx / miss;
    out[1] = f * dz / miss;
}

static float fade_lean(const RiderParams* p, float w, float v)
{
    if (w >= v) return 2.5f * PI_F;
    if (w > DAB_MID_SPEED) {
        float t = (w * w - 225) / (v * v - 225);
        return 1.25f * (p->roll_limit_angle + (2 * PI_F - p->roll_limit_angle) * t);
    }
    return 1.25f * p->roll_limit_angle * (1 - powf(1 - w * w / (v * v), 32));
}

float dab_torque(const RiderParams* p, const dab_torque_inputs* in)
{
    float tilt = fabsf(in->lean);
    float target = (in->collision_timer < 0 && p->auto_dab) ? 3 * PI_F / 8 : PI_F / 8;
    if (in->lean >= 0) target = -target;
    if (tilt < PI_F / 16) target *= 5.0929582f * tilt;
    float e = 0;
    if (target > 0 && in->roll_rate < target) e = -DAB_TORQUE;
    else if (target < 0 && in->roll_rate > target) e = DAB_TORQUE;
    if (tilt < PI_F / 32) e *= 10.185916f * tilt;
    float v = dab_speed_limit(p, in->collision_timer);
    if (!(in->back_up >= 0.125f && in->speed <= DAB_SLOW_SPEED)) {
        float d = tilt - fade_lean(p, in->speed, v);
        float fc = clamp_keep_nan(4 * d, 0, 1);
        float sign = target > 0 ? 1.0f : -1.0f;
        float fe = clamp_keep_nan(2 * (in->steering * sign - 0.5f), 0, 1);
        e *= fe * (1 - fc) + fc;
    }
    if (in->speed > DAB_SLOW_SPEED) e *= in->saturation;
    return e;
}

bool dab_allowed(float speed, float speed_limit, float lean, bool front_near_ground, bool both_wheels_touch)
{
    if (!front_near_ground || speed > speed_limit) return false;
    if (speed > DAB_MID_SPEED && !(both_wheels_touch && fabsf(lean) >= 0.5890486f)) return false;
    return true;
}
