#include "sim/brakes.h"

#include <math.h>
#include <ode/ode.h>

#include "base/num.h"
#include "sim/setup_params.h"
#include "sim/slots.h"

// Antilock releases a brake while its tire slips faster than 2 ft/s.
static constexpr float ANTILOCK_SLIP_SQUARED = 4;

brake_torques brake_torque(const RiderParams* p, const brake_inputs* in)
{
    brake_torques t;
    t.front = clamp_keep_nan(in->front, 0, 1) * p->front_brake_torque;
    t.rear = clamp_keep_nan(in->rear, 0, 1) * p->rear_brake_torque;
    const bool stoppie_guard = (p->stop_wheelies & 2) && in->front_contact && !in->rear_contact;
    if (p->front_antilock && in->front_contact && in->front_slip * in->front_slip > ANTILOCK_SLIP_SQUARED) t.front = 0;
    if (stoppie_guard) t.front = 0;
    if (p->rear_antilock && in->rear_contact && in->rear_slip * in->rear_slip > ANTILOCK_SLIP_SQUARED) t.rear = 0;
    return t;
}

static float speed_squared(const float* v) { return v[0] * v[0] + v[1] * v[1] + v[2] * v[2]; }

void brakes_apply(Rider* r)
{
    bike_body* b = &r->bike;
    brake_inputs in;
    in.front = r->controls.front_brake;
    in.rear = r->controls.rear_brake;
    in.front_contact = b->wheel[0].depth > 0;
    in.rear_contact = b->wheel[1].depth > 0;
    in.front_slip = sqrtf(speed_squared(b->wheel[0].contact_velocity));
    in.rear_slip = sqrtf(speed_squared(b->wheel[1].contact_velocity));
    const brake_torques t = brake_torque(&r->params, &in);
    const int joints[2] = {JOINT_FRONT_AXLE, JOINT_REAR_AXLE};
    const float torque[2] = {t.front, t.rear};
    for (int k = 0; k < 2; k++) {
        dJointSetHingeParam(b->joint[joints[k]], dParamVel, 0);
        dJointSetHingeParam(b->joint[joints[k]], dParamFMax, torque[k]);
    }
}
