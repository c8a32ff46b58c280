#include "sim/suspension.h"

#include <math.h>
#include <ode/ode.h>

#include "base/num.h"
#include "sim/bike_body.h"
#include "sim/bike_info.h"
#include "sim/setup_params.h"

// 14.7 psi over the fork legs' area, in pounds: the air spring's scale.
static constexpr float AIR_SPRING_SCALE = 82.4616928100586f;
static constexpr float AIR_SPRING_EXPONENT = 1.4f;  // adiabatic compression of air
static constexpr float MOTOR_PUSH_VELOCITY = 100;

float suspension_damping(float v, const SuspensionParams* p)
{
    if (v < 0) {
        const float x = -v * p->hs_compression;
        return clamp_keep_nan(x + p->ls_compression_offset, x / 8, 8 * x);
    }
    const float x = v * p->hs_rebound;
    return -clamp_keep_nan(x + p->ls_rebound_offset, x / 8, 8 * x);
}

float fork_air_spring(float position, float air_gap, float travel)
{
    const float w = fminf(-position, travel);
    const float volume = air_gap + travel;
    const float left = volume - w;
    // A non-positive air gap would squeeze the air to nothing at full travel.
    if (!(left > 0)) return 0;
    return (powf(volume / left, AIR_SPRING_EXPONENT) - 1) * AIR_SPRING_SCALE;
}

float fork_force(float position, float rate, const SuspensionParams* p, float travel)
{
    if (!(travel > 0)) return 0;
    const float spring = p->spring_rate * (p->preload - position);
    const float damping = suspension_damping(rate, p);
    const float air = fork_air_spring(position, p->air_gap, travel);
    return (spring + damping + air) * clamp_keep_nan(-32 * position / travel, 0, 1);
}

// One cubic Hermite piece from y0 (slope m0) to y1 (slope m1) over length L,
// at local t in 0..1; slopes are per unit of u, so scaled by L here.
static linkage_point hermite_piece(float t, float length, float y0, float y1, float m0, float m1)
{
    const float d = y1 - y0;
    const float m0l = m0 * length, m1l = m1 * length;
    const float a3 = m1l + m0l - 2 * d;
    const float a2 = 3 * d - m1l - 2 * m0l;
    linkage_point out;
    out.compression = ((a3 * t + a2) * t + m0l) * t + y0;
    out.slope = ((3 * a3 * t + 2 * a2) * t + m0l) / length;
    return out;
}

linkage_point rear_linkage(const BikeInfo* bike, float u)
{
    const float b = bike->linkage_breakpoint;
    const float* d = bike->linkage_slope;
    if (u <= b && b > 0)
        return hermite_piece(u / b, b, 0, bike->linkage_compression_break, d[0], d[1]);
    if (b >= 1) return hermite_piece(1, 1, 0, bike->linkage_compression_break, d[0], d[1]);
    const float length = 1 - b;
    return hermite_piece((u - b) / length, length, bike->linkage_compression_break, bike->linkage_compression_full,
                         d[1], d[2]);
}

float shock_torque(float angle, float rate, const SuspensionParams* p, const BikeInfo* bike)
{
    const float travel = bike->swingarm_travel;
    if (!(travel > 0)) return 0;
    const float u = clamp_keep_nan(-angle / travel, 0, 1);
    const linkage_point s = rear_linkage(bike, u);
    const float damping = suspension_damping(rate * s.slope, p);
    return clamp_keep_nan(-32 * angle / travel, 0, 1) * s.slope * (p->spring_rate * (p->preload + s.compression) + damping);
}

void suspension_apply(bike_body* b, const SuspensionParams* fork, const SuspensionParams* shock)
{
    dJointID slider = b->joint[JOINT_FORK];
    const float f = fork_force((float)dJointGetSliderPosition(slider), (float)dJointGetSliderPositionRate(slider),
                               fork, b->info->fork_travel);
    dJointSetSliderParam(slider, dParamVel, f >= 0 ? MOTOR_PUSH_VELOCITY : 0);
    dJointSetSliderParam(slider, dParamFMax, fabsf(f));

    dJointID hinge = b->joint[JOINT_SWINGARM_PIVOT];
    const float q = shock_torque((float)dJointGetHingeAngle(hinge), (float)dJointGetHingeAngleRate(hinge), shock,
                                 b->info);
    dJointSetHingeParam(hinge, dParamVel, q >= 0 ? MOTOR_PUSH_VELOCITY : 0);
    dJointSetHingeParam(hinge, dParamFMax, fabsf(q));
}

float damping_low_share(float speed, const float bases[4])
{
    const float high = speed < 0 ? bases[0] : bases[2];
    const float low = speed < 0 ? bases[1] : bases[3];
    const float total = fabsf(speed) * high + low;
    return total > 0 ? low / total : 0;
}

suspension_readout suspension_read(const bike_body* b)
{
    const BikeInfo* bike = b->info;
    suspension_readout out = {};
    dJointID slider = b->joint[JOINT_FORK];
    const float travel = bike->fork_travel;
    out.fork_position = travel > 0 ? -(float)dJointGetSliderPosition(slider) / travel : 0;
    out.fork_speed = (float)dJointGetSliderPositionRate(slider);
    out.fork_low_share = damping_low_share(out.fork_speed, bike->fork_damping);

    dJointID hinge = b->joint[JOINT_SWINGARM_PIVOT];
    const float arm = bike->swingarm_travel;
    out.swingarm_position = arm > 0 ? clamp_keep_nan(-(float)dJointGetHingeAngle(hinge) / arm, 0, 1) : 0;
    out.shock_speed = (float)dJointGetHingeAngleRate(hinge) * rear_linkage(bike, out.swingarm_position).slope;
    out.shock_low_share = damping_low_share(out.shock_speed, bike->shock_damping);
    return out;
}
