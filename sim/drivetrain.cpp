#include "sim/drivetrain.h"

#include <math.h>
#include <ode/ode.h>

#include "base/num.h"
#include "sim/bike_info.h"
#include "sim/engine.h"
#include "sim/slots.h"
#include "sim/world.h"

static constexpr float AUTO_CLUTCH_SPAN_RPM = 2000;   // the automatic clutch slips up to this above its speed
static constexpr float AUTO_CLUTCH_PER_RPM = 0.0005f; // engagement gained per rpm above its speed
static constexpr float CLUTCH_DAMPING_LIMIT = 500;    // lb ft
static constexpr float CLUTCH_TORQUE_LIMIT = 1000000; // lb ft
static constexpr int AUTO_SHIFT_PERIOD_TICKS = 32;
static constexpr float LOADED_SWINGARM_ANGLE = -0.01f;  // rad
static constexpr float SPIN_UP_SLIP = 2;                // ft/s
static constexpr float CLUTCH_LEVER_FREE = 8.0f / 7;    // fully out from 7/8 of the lever
static constexpr float CLUTCH_ENGAGE_PER_TICK = 1.0f / 32;


// Into (-pi, pi].
static float wrap_angle(float a)
{
    a = remainderf(a, 2 * PI_F);
    return a <= -PI_F ? a + 2 * PI_F : a;
}

static bool has_ratio(const BikeInfo* bike, int gear)
{
    return gear >= 0 && gear < BIKE_GEARS && bike->gear_ratio[gear] > 0;
}

float drive_ratio(const BikeInfo* bike, int gear, float final_drive)
{
    if (!has_ratio(bike, gear)) return 0;
    return bike->primary_ratio * bike->gear_ratio[gear] * final_drive;
}

float clutch_engine_step(const BikeInfo* bike, const clutch_inputs* in, engine_state* engine)
{
    const float dt = (float)TICK;
    const float rpm = engine->speed * RPM_PER_RAD_S;
    const float ratio = in->ratio > 0 ? in->ratio : 0;
    const float dth = wrap_angle(engine->angle - in->wheel_angle);

    float e = clamp_keep_nan(in->engagement, 0, 1);
    float slipping = e;
    if (rpm <= in->auto_clutch_rpm + AUTO_CLUTCH_SPAN_RPM)
        slipping = fminf(e, clamp_keep_nan((rpm - in->auto_clutch_rpm) * AUTO_CLUTCH_PER_RPM, 0, 1));
    if (ratio == 0) e = slipping = 0;  // no gear: nothing couples engine and wheel

    const float c = bike->clutch_damping, k = bike->clutch_stiffness;
    float n = clamp_keep_nan(c * (engine->speed - in->wheel_rate * ratio), -CLUTCH_DAMPING_LIMIT, CLUTCH_DAMPING_LIMIT) + k * dth;
    // The automatic clutch only slips while the engine drives; engine braking
    // goes through the lever's engagement alone.
    if (!(n < 0)) e = slipping;

    const float limit = PI_F / 4 * e;
    if (dth > limit) engine->angle = wrap_angle(in->wheel_angle + limit);
    if (dth < -limit) engine->angle = wrap_angle(in->wheel_angle - limit);
    n = clamp_keep_nan(n, -CLUTCH_TORQUE_LIMIT, CLUTCH_TORQUE_LIMIT) * e * e;

    float torque = engine_torque(bike, rpm, in->throttle);
    if (in->is_drive_cut) torque = fminf(torque, 0);
    const float load = ratio > 0 ? n / ratio : 0;
    if (bike->engine_inertia > 0) engine->speed += dt * (torque - load) / bike->engine_inertia;
    if (ratio > 0) engine->angle = wrap_angle(engine->angle + engine->speed * dt / ratio);
    return n;
}

int shifted_gear(const BikeInfo* bike, int gear, int input)
{
    int g = gear + input;
    if (g <= 0) return 0;
    if (g > BIKE_GEARS - 1) g = BIKE_GEARS - 1;
    while (g > 0 && !has_ratio(bike, g)) g--;
    return g;
}

bool manual_shift(const BikeInfo* bike, int* gear, int* last_input, int input, bool is_crashed)
{
    if (is_crashed || input == *last_input || input < -1 || input > 1) return false;
    *last_input = input;
    const int g = shifted_gear(bike, *gear, input);
    const bool changed = g != *gear;
    *gear = g;
    return changed;
}

bool is_auto_shift_due(int tick, float swingarm_angle, bool rear_contact, float rear_slip_speed)
{
    if (tick % AUTO_SHIFT_PERIOD_TICKS != 0) return false;
    if (!(swingarm_angle < LOADED_SWINGARM_ANGLE)) return false;
    return !rear_contact || rear_slip_speed <= SPIN_UP_SLIP;
}

int auto_shift_gear(const BikeInfo* bike, int gear, float final_drive, float axle_rate)
{
    const float rpm = drive_ratio(bike, gear, final_drive) * RPM_PER_RAD_S * axle_rate;
    if (rpm < bike->downshift_rpm) return shifted_gear(bike, gear, -1);
    if (rpm > bike->upshift_rpm) {
        for (int g = gear + 1; g < BIKE_GEARS; g++)
            if (has_ratio(bike, g)) return g;
    }
    return gear;
}

float clutch_let_out(float engagement, float lever)
{
    const float target = clamp_keep_nan(1 - lever * CLUTCH_LEVER_FREE, 0, 1);
    if (engagement < target) return fminf(engagement + CLUTCH_ENGAGE_PER_TICK, 1);
    return target;
}

static float length3(const float* v) { return sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

void drivetrain_step(Rider* r, int tick)
{
    bike_body* b = &r->bike;
    const BikeInfo* bike = b->info;
    const RiderParams* p = &r->params;
    rider_controls* c = &r->controls;
    const bool is_crashed = r->crash_timer > 0;
    const wheel_record& front = b->wheel[0];
    const wheel_record& rear = b->wheel[1];
    const bool front_contact = front.depth > 0, rear_contact = rear.depth > 0;
    dJointID axle = b->joint[JOINT_REAR_AXLE];
    const float axle_rate = (float)dJointGetHingeAngleRate(axle);

    manual_shift(bike, &c->gear, &r->last_shift, c->shift, is_crashed);
    if (p->auto_shift &&
        is_auto_shift_due(tick, (float)dJointGetHingeAngle(b->joint[JOINT_SWINGARM_PIVOT]), rear_contact,
                          length3(rear.contact_velocity)))
        c->gear = auto_shift_gear(bike, c->gear, p->final_drive_ratio, axle_rate);

    dBodyID frame = b->body[BODY_FRAME];
    dVector3 spin;
    const dReal* w = dBodyGetAngularVel(frame);
    dBodyVectorFromWorld(frame, w[0], w[1], w[2], spin);

    clutch_inputs in;
    in.wheel_angle = (float)dJointGetHingeAngle(axle);
    in.wheel_rate = axle_rate;
    in.engagement = c->clutch;
    in.auto_clutch_rpm = p->auto_clutch_rpm;
    in.ratio = drive_ratio(bike, c->gear, p->final_drive_ratio);
    in.throttle = c->throttle;
    in.is_drive_cut = is_wheelie_cut(p->stop_wheelies, front_contact, rear_contact, (float)spin[0]);
    engine_state engine = {r->engine_speed, r->engine_angle};
    const float n = clutch_engine_step(bike, &in, &engine);
    r->engine_speed = engine.speed;
    r->engine_angle = engine.angle;
    if (n != 0) {
        dBodyAddRelTorque(b->body[BODY_REAR_WHEEL], -n, 0, 0);
        dBodyAddRelTorque(frame, n, 0, 0);
    }
}
