#include "sim/realign.h"

#include <math.h>

#include "base/num.h"

constexpr float REALIGN_TORQUE_PER_SLUG = 320;  // lb ft

bool realign_choose_target(const realign_target_ops* ops, const Rider* r, double out[3])
{
    if (!ops) return false;
    if (ops->line_target && ops->line_target(ops->self, r, out)) return true;
    return ops->gate_target && ops->gate_target(ops->self, r, out);
}

realign_plan realign_plan_for(const double frame_z_axis[3], float offset_x, float offset_z, int collision_timer,
                              float total_mass)
{
    realign_plan out = {};
    // Forward is the frame's -z axis laid flat on the ground.
    float fx = (float)-frame_z_axis[0], fz = (float)-frame_z_axis[2];
    float len2 = fx * fx + fz * fz;
    if (!(len2 > 1.0f / 1024)) return out;
    float len = sqrtf(len2);
    fx /= len;
    fz /= len;
    float a = offset_x * fx + offset_z * fz;
    float p = offset_x * -fz + offset_z * fx;  // along (-fz, fx): the frame's +x side
    out.is_active = true;
    float rate = collision_timer < 0 ? PI_F : PI_F / 4;
    // A positive yaw rate turns forward towards the -x side.
    out.yaw_speed = p >= 0 ? -rate : rate;
    float full = REALIGN_TORQUE_PER_SLUG * total_mass;
    if (fabsf(p) < a / 4) {
        out.max_torque = full * fabsf(4 * p / a);
        out.is_dab_running = true;
    } else {
        out.max_torque = full;
        out.is_pushing_up = true;
    }
    return out;
}
