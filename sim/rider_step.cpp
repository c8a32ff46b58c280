#include "sim/rider_step.h"

#include <math.h>
#include <string.h>

#include "base/num.h"
#include "sim/bike_body_math.h"
#include "sim/bike_info.h"
#include "sim/crash.h"
#include "sim/dab.h"
#include "sim/realign.h"
#include "sim/rider_input.h"
#include "sim/rider_rules.h"
#include "sim/slots.h"
#include "sim/steering.h"
#include "sim/tire.h"
#include "track/tileinfo.h"
#include "sim/world.h"

constexpr float DT = 1.0f / 128;
constexpr float RIDER_MASS_FACTOR = 0.21333333f;
constexpr float RIDER_Z_RANGE = 0.75f;   // ft either way of the seat
constexpr float DAB_RISE = 8;            // per second
constexpr float DAB_FALL = 4;            // per second
constexpr float FOOT_CLEARANCE = 0.25f;  // ft above the ground
constexpr float ARCADE_DRAG = 0.25f;     // lb per ft/s, 20 ft behind the frame

namespace {

// What the step reads of the bike once per tick.
struct bike_view {
    const dReal* rot;       // frame rotation
    double pos[3], vel[3];  // frame
    double up[3], side[3], back[3];  // frame axes in world coordinates
    float speed;            // ft/s of the frame
    float lean;
    bool front_touches, rear_touches;
};

float ground(const rider_model_env* env, double x, double z)
{
    return env->ground_height ? env->ground_height(env->self, (float)x, (float)z) : 0.0f;
}

int* collision_timer(Rider* r, const rider_model_env* env)
{
    return env->collision_timer ? env->collision_timer(env->self, r) : &r->aid.collision_timer;
}

void read_bike(const Rider* r, bike_view* v)
{
    dBodyID frame = r->bike.body[BODY_FRAME];
    v->rot = dBodyGetRotation(frame);
    const dReal* p = dBodyGetPosition(frame);
    const dReal* u = dBodyGetLinearVel(frame);
    for (int i = 0; i < 3; i++) {
        v->pos[i] = p[i];
        v->vel[i] = u[i];
    }
    mat_column(v->rot, 0, v->side);
    mat_column(v->rot, 1, v->up);
    mat_column(v->rot, 2, v->back);
    v->speed = (float)vec_length(v->vel);
    v->lean = rider_lean_angle(v->rot);
    v->front_touches = r->bike.wheel[0].depth > 0;
    v->rear_touches = r->bike.wheel[1].depth > 0;
}

void frame_point(const Rider* r, const float p[3], double out[3])
{
    dVector3 w;
    dBodyGetRelPointPos(r->bike.body[BODY_FRAME], p[0], p[1], p[2], w);
    for (int i = 0; i < 3; i++) out[i] = w[i];
}

void seat_offset(const BikeInfo* info, float out[3])
{
    for (int i = 0; i < 3; i++) out[i] = info->rider_position[i] - info->frame_position[i];
}

void add_torque_pair(Rider* r, int body, const double axis[3], double torque)
{
    dBodyAddTorque(r->bike.body[body], axis[0] * torque, axis[1] * torque, axis[2] * torque);
    dBodyAddTorque(r->bike.body[BODY_FRAME], -axis[0] * torque, -axis[1] * torque, -axis[2] * torque);
}

// A one-axis angular motor in the contact group about `axis`, given in world
// coordinates and kept fixed in the world (rel 0) or turning with the frame (rel 1).
void add_yaw_motor(physics_world* w, dBodyID frame, const double axis[3], int rel, float speed, float max_torque)
{
    dJointID m = dJointCreateAMotor(w->world, w->contacts);
    dJointAttach(m, frame, nullptr);
    dJointSetAMotorNumAxes(m, 1);
    dJointSetAMotorAxis(m, 0, rel, axis[0], axis[1], axis[2]);
    dJointSetAMotorParam(m, dParamVel, speed);
    dJointSetAMotorParam(m, dParamFMax, max_torque);
}

float total_mass(const Rider* r)
{
    float m = 0;
    for (dBodyID body : r->bike.body) {
        dMass mass;
        dBodyGetMass(body, &mass);
        m += (float)mass.mass;
    }
    return m;
}

void crash_tests(Rider* r, const rider_model_env* env, int tick, int timer, const bike_view* v)
{
    rider_state* s = &r->aid;
    dBodyID rider = r->bike.body[BODY_RIDER];
    const dReal* rp = dBodyGetPosition(rider);
    const dReal* rv = dBodyGetLinearVel(rider);
    dVector3 under;
    dBodyGetPointVel(r->bike.body[BODY_FRAME], rp[0], rp[1], rp[2], under);
    double rel[3] = {rv[0] - under[0], rv[1] - under[1], rv[2] - under[2]};
    float accel = 0;
    if (s->velocity_count >= 4) {
        double a[3];
        for (int i = 0; i < 3; i++) a[i] = (rv[i] - s->velocity_history[3][i]) / (4 * TICK);
        a[1] -= GRAVITY_Y;
        accel = (float)vec_length(a);
    }
    bool is_airborne = !v->front_touches && !v->rear_touches;
    float air = 0, since = 1e9f;
    if (s->landing_tick >= s->descent_tick && s->landing_tick > 0) {
        air = (s->landing_tick - s->descent_tick) * DT;
        since = (tick - s->landing_tick) * DT;
    }
    float t = crash_threshold_scale(air, since, is_airborne);
    if (crash_test_fires((float)vec_length(rel), accel, t, timer)) rider_crash(r, env->crash_delays);
}

void dab_assist_step(Rider* r, int timer, const bike_view* v)
{
    bool both = v->front_touches && v->rear_touches;
    dab_assist_result a = dab_assist(&r->params, timer, v->speed, v->lean, r->controls.throttle,
                                     r->controls.clutch, r->controls.dab, r->crash_timer > 0, both);
    if (a.is_dab_set) r->controls.dab = a.dab;
    if (!a.is_held) return;
    r->controls.front_brake = r->controls.rear_brake = 1;
    float f[2];
    holding_force((float)v->vel[0], (float)v->vel[2], f);
    dBodyAddForce(r->bike.body[BODY_FRAME], f[0], 0, f[1]);
}

void walking_step(Rider* r, const rider_model_env* env, int tick, const bike_view* v)
{
    float w = walking_weight(tick, env->gate_drop_tick);
    r->controls.dab = r->crash_timer > 0 ? 0 : 1;
    float f[2];
    walking_force((float)v->vel[0], (float)v->vel[2], (float)(4 * w * v->back[0]), (float)(4 * w * v->back[2]), f);
    dBodyAddForce(r->bike.body[BODY_FRAME], f[0], 0, f[1]);
    const double vertical[3] = {0, 1, 0};
    add_yaw_motor(env->world, r->bike.body[BODY_FRAME], vertical, 0, w * (-r->controls.steering * PI_F / 2),
                  WALKING_TORQUE);
}

// The steering axis (fork lower towards fork upper) in world coordinates.
void steering_axis(const Rider* r, const bike_view* v, double out[3])
{
    const BikeInfo* info = r->bike.info;
    double local[3];
    for (int i = 0; i < 3; i++) local[i] = info->fork_upper_position[i] - info->fork_lower_position[i];
    if (!vec_normalise(local)) local[0] = 0, local[1] = 1, local[2] = 0;
    mat_apply(v->rot, local, out);
}

// Angle of the front wheel's velocity from its heading, measured like the
// steering angle (about the fork's up axis); 0 below 1 ft/s.
float travel_angle(const Rider* r)
{
    const dReal* u = dBodyGetLinearVel(r->bike.body[BODY_FRONT_WHEEL]);
    dVector3 local;
    dBodyVectorFromWorld(r->bike.body[BODY_FORK_LOWER], u[0], u[1], u[2], local);
    if (local[0] * local[0] + local[2] * local[2] < 1) return 0;
    return (float)atan2(-local[0], -local[2]);
}

void steering_step(Rider* r, const rider_model_env* env, int timer, const bike_view* v)
{
    const wheel_record& front = r->bike.wheel[0];
    steering_inputs in = {};
    in.steering = r->controls.steering;
    in.lean = v->lean;
    const dReal* omega = dBodyGetAngularVel(r->bike.body[BODY_FRAME]);
    in.roll_rate = (float)(omega[0] * v->back[0] + omega[1] * v->back[1] + omega[2] * v->back[2]);
    in.axle_rate = fabsf((float)dJointGetHingeAngleRate(r->bike.joint[JOINT_FRONT_AXLE]));
    in.wheel_speed = (front.major_radius + front.tube_radius) * in.axle_rate;
    in.steer_angle = (float)dJointGetHingeAngle(r->bike.joint[JOINT_STEERING_HEAD]);
    in.travel_angle = travel_angle(r);
    in.friction = env->front_friction ? env->front_friction(env->self, r) : 1.0f;
    const dReal* wc = dBodyGetPosition(r->bike.body[BODY_FRONT_WHEEL]);
    in.tire_height = (float)(wc[1] - front.major_radius - front.tube_radius - ground(env, wc[0], wc[2]));
    in.front_touches = v->front_touches;
    in.steering_assist = env->is_steering_assist;
    in.collision_timer = timer;
    steering_result out = normal_steering(&r->params, &in, &r->aid.landing_damping_extra);
    r->aid.steering_saturation = clamp_keep_nan(out.saturation, 0, 1);
    double axis[3];
    steering_axis(r, v, axis);
    add_torque_pair(r, BODY_FRONT_WHEEL, axis, out.torque);
}

void arcade_step(Rider* r, const rider_model_env* env, const bike_view* v)
{
    const RiderParams* p = &r->params;
    float s = r->controls.steering;
    float a = (float)dJointGetHingeAngle(r->bike.joint[JOINT_STEERING_HEAD]);
    double axis[3];
    steering_axis(r, v, axis);
    float ahead = (float)(v->pos[1] + v->vel[1] - 16 - ground(env, v->pos[0] + v->vel[0], v->pos[2] + v->vel[2]));
    if (!v->front_touches && ahead >= r->bike.info->frame_position[1]) {
        add_torque_pair(r, BODY_FRONT_WHEEL, axis, arcade_air_steering(p, s, a, env->is_steering_assist));
        return;
    }
    add_yaw_motor(env->world, r->bike.body[BODY_FRAME], v->back, 1, arcade_lean_motor_speed(p, s, v->lean), 1000);
    float rate = (float)dJointGetHingeAngleRate(r->bike.joint[JOINT_STEERING_HEAD]);
    add_torque_pair(r, BODY_FRONT_WHEEL, axis, arcade_alignment_torque(p, s, travel_angle(r), a, rate));
    dBodyID frame = r->bike.body[BODY_FRAME];
    dVector3 at, vel;
    dBodyGetRelPointPos(frame, 0, 0, 20, at);
    dBodyGetRelPointVel(frame, 0, 0, 20, vel);
    dBodyAddForceAtPos(frame, -ARCADE_DRAG * vel[0], -ARCADE_DRAG * vel[1], -ARCADE_DRAG * vel[2], at[0], at[1], at[2]);
}

void steering_damping(Rider* r)
{
    dBodyID wheel = r->bike.body[BODY_FRONT_WHEEL];
    dVector3 a;
    dBodyVectorToWorld(wheel, 1, 0, 0, a);
    const dReal* w = dBodyGetAngularVel(wheel);
    double along = w[0] * a[0] + w[1] * a[1] + w[2] * a[2];
    double k = r->params.steering_damping;
    double t[3];
    for (int i = 0; i < 3; i++) t[i] = k * (along * a[i] - w[i]);
    dBodyAddTorque(wheel, t[0], t[1], t[2]);
    dBodyAddTorque(r->bike.body[BODY_FRAME], -t[0], -t[1], -t[2]);
}

void apply_dab_torque(Rider* r, const bike_view* v, float e)
{
    dBodyID frame = r->bike.body[BODY_FRAME];
    dVector3 at;
    dBodyGetRelPointPos(frame, 0, 4, 0, at);
    if (v->up[1] < 0.707) {
        dBodyAddForceAtPos(frame, e * v->side[0], fabsf(e) / 8 + e * v->side[1], e * v->side[2], at[0], at[1], at[2]);
    } else {
        dBodyAddForceAtPos(frame, 0, fabsf(e), 0, at[0], at[1], at[2]);
    }
}

// The realign towards the track; false when the dab torque is to rest this tick.
bool realign_step(Rider* r, const rider_model_env* env, int timer, const bike_view* v)
{
    const realign_target_ops* ops = env->realign;
    float tilt = fabsf(v->lean);
    if (ops && ops->mark_finished && tilt > PI_F / 8 && tilt < 1.0995574f && ops->mark_finished(ops->self, r))
        return true;
    double target[3];
    if (!realign_choose_target(ops, r, target)) return true;
    float mass = total_mass(r);
    realign_plan plan = realign_plan_for(v->back, (float)(target[0] - v->pos[0]), (float)(target[2] - v->pos[2]),
                                         timer, mass);
    if (!plan.is_active) return true;
    const double vertical[3] = {0, 1, 0};
    add_yaw_motor(env->world, r->bike.body[BODY_FRAME], vertical, 0, plan.yaw_speed, plan.max_torque);
    if (plan.is_pushing_up)
        for (int k = 0; k < 2; k++)
            if (r->bike.wheel[k].depth > 0) dBodyAddForce(r->bike.body[BODY_FRONT_WHEEL + k], 0, 32 * mass, 0);
    return plan.is_dab_running;
}

void dab_step(Rider* r, rider_model_env* env, const bike_view* v)
{
    if (r->crash_timer > 0) {
        r->dab_amount = fminf(1, r->dab_amount + DAB_RISE * DT);
        return;
    }
    if (r->controls.dab == 0 || r->params.arcade) return;
    const dReal* rp = dBodyGetPosition(r->bike.body[BODY_RIDER]);
    bool is_near_ground =
        v->front_touches || rp[1] - ground(env, rp[0], rp[2]) < 1 + r->bike.info->rider_position[1];
    int timer = *collision_timer(r, env);
    float limit = dab_speed_limit(&r->params, timer);
    if (!dab_allowed(v->speed, limit, v->lean, is_near_ground, v->front_touches && v->rear_touches)) return;
    r->dab_amount = fminf(1, r->dab_amount + DAB_RISE * DT);
    bool is_torque_due = true;
    if (v->speed < DAB_SLOW_SPEED) {
        if (env->is_realign_after_fall && r->controls.back_up <= 0.125f) is_torque_due = realign_step(r, env, timer, v);
    } else if (timer > 0) {
        is_torque_due = false;
    }
    if (!is_torque_due) return;
    const dReal* omega = dBodyGetAngularVel(r->bike.body[BODY_FRAME]);
    dab_torque_inputs in = {};
    in.lean = v->lean;
    in.roll_rate = (float)(omega[0] * v->back[0] + omega[1] * v->back[1] + omega[2] * v->back[2]);
    in.speed = v->speed;
    in.steering = r->controls.steering;
    in.back_up = r->controls.back_up;
    in.saturation = r->aid.steering_saturation;
    in.collision_timer = timer;
    apply_dab_torque(r, v, dab_torque(&r->params, &in));
}

void foot_target(const Rider* r, int side, double out[3])
{
    const BikeRiderPoints& pts = r->bike.info->rider_points;
    frame_point(r, side == 0 ? pts.left_foot_peg : pts.right_foot_peg, out);
}

void place_feet(Rider* r)
{
    for (int k = 0; k < 2; k++) {
        double p[3];
        foot_target(r, k, p);
        dVector3 u;
        dBodyGetPointVel(r->bike.body[BODY_RIDER], p[0], p[1], p[2], u);
        for (int i = 0; i < 3; i++) {
            r->aid.foot[k][i] = (float)p[i];
            r->aid.foot_velocity[k][i] = (float)u[i];
        }
    }
}

// Replaces the foot velocity's component along `n` by the rider body's at `at`.
void match_velocity(dBodyID rider, const double at[3], const double n[3], float vel[3])
{
    dVector3 u;
    dBodyGetPointVel(rider, at[0], at[1], at[2], u);
    double d = (u[0] - vel[0]) * n[0] + (u[1] - vel[1]) * n[1] + (u[2] - vel[2]) * n[2];
    for (int i = 0; i < 3; i++) vel[i] += (float)(d * n[i]);
}

void fall_foot(Rider* r, int k, const rider_model_env* env)
{
    float* f = r->aid.foot[k];
    float* u = r->aid.foot_velocity[k];
    for (int i = 0; i < 3; i++) f[i] += u[i] * DT;
    u[1] -= 32 * DT;
    float floor_y = ground(env, f[0], f[2]) + FOOT_CLEARANCE;
    if (f[1] < floor_y) {
        f[1] = floor_y;
        u[0] = u[1] = u[2] = 0;
    } else {
        for (int i = 0; i < 3; i++) u[i] *= 0.9375f;
    }
    const BikeRiderPoints& pts = r->bike.info->rider_points;
    dBodyID rider = r->bike.body[BODY_RIDER];
    const float* hp = k == 0 ? pts.left_hip : pts.right_hip;
    dVector3 hip_v;
    dBodyGetRelPointPos(rider, hp[0], hp[1], hp[2], hip_v);
    double hip[3] = {hip_v[0], hip_v[1], hip_v[2]};
    double leg = pts.thigh_length + pts.shin_length;
    double d[3] = {f[0] - hip[0], f[1] - hip[1], f[2] - hip[2]};
    double len = vec_length(d);
    if (len > leg && vec_normalise(d)) {
        for (int i = 0; i < 3; i++) f[i] = (float)(hip[i] + d[i] * leg);
        match_velocity(rider, hip, d, u);
    }
    dVector3 down_v;
    dBodyVectorToWorld(rider, 0, -1, 0, down_v);
    double down[3] = {down_v[0], down_v[1], down_v[2]};
    double below = (f[0] - hip[0]) * down[0] + (f[1] - hip[1]) * down[1] + (f[2] - hip[2]) * down[2];
    if (below < 1) {
        for (int i = 0; i < 3; i++) f[i] += (float)((1 - below) * down[i]);
        double at[3] = {f[0], f[1], f[2]};
        match_velocity(rider, at, down, u);
    }
    // The leg rules may pull a foot of a rider lying on the ground into it: keep it out.
    floor_y = ground(env, f[0], f[2]) + FOOT_CLEARANCE;
    if (f[1] < floor_y) {
        f[1] = floor_y;
        if (u[1] < 0) u[1] = 0;
    }
}

void store_velocity(Rider* r)
{
    rider_state* s = &r->aid;
    memmove(s->velocity_history[1], s->velocity_history[0], 3 * sizeof s->velocity_history[0]);
    const dReal* u = dBodyGetLinearVel(r->bike.body[BODY_RIDER]);
    for (int i = 0; i < 3; i++) s->velocity_history[0][i] = u[i];
    if (s->velocity_count < 4) s->velocity_count++;
}

void rider_springs(Rider* r, physics_world* w)
{
    const BikeInfo* info = r->bike.info;
    const RiderParams* p = &r->params;
    dBodyID rider = r->bike.body[BODY_RIDER], frame = r->bike.body[BODY_FRAME];
    float seat[3];
    seat_offset(info, seat);
    double at_seat[3];
    frame_point(r, seat, at_seat);
    const dReal* rp = dBodyGetPosition(rider);
    const dReal* rot = dBodyGetRotation(frame);
    double up[3], back[3], d[3] = {at_seat[0] - rp[0], at_seat[1] - rp[1], at_seat[2] - rp[2]};
    mat_column(rot, 1, up);
    mat_column(rot, 2, back);
    float m = (float)vec_dot(d, back), j = (float)vec_dot(d, up);
    float dab = r->controls.dab, scale = info->rider_mass * RIDER_MASS_FACTOR;
    double at_rider[3] = {rp[0], rp[1], rp[2]};

    float g = clamp_keep_nan((1 + dab) / 2 * j - r->controls.lean, -RIDER_Z_RANGE, RIDER_Z_RANGE);
    bool is_outside = m < -RIDER_Z_RANGE || m > RIDER_Z_RANGE;
    float k = is_outside ? 2500 * scale : (fabsf(m - g) * 100 + 600 * p->rider_z_spring) * scale;
    float c = is_outside ? 2500 * scale : 0;
    // The rider moves along +z to shrink m: push it that way while m exceeds its target.
    double n[3] = {back[0], back[1], back[2]};
    if (m < g)
        for (double& x : n) x = -x;
    if (k > 0) physics_add_spring(w, rider, frame, at_rider, n, fabsf(m - g), k, c);

    float rest = 0.125f - 0.5f * dab;
    bool is_far = j > 0.5f || j < -0.75f;
    k = is_far ? 2500 * scale : 400 * p->rider_y_spring * scale;
    c = is_far ? 2500 * scale : 100 * p->rider_y_damping * scale;
    // j + rest > 0: the rider sits lower than its target, push it up.
    for (int i = 0; i < 3; i++) n[i] = j + rest >= 0 ? up[i] : -up[i];
    if (k + c > 0) physics_add_spring(w, rider, frame, at_rider, n, fabsf(rest + j), k, c);

    dJointID mount = r->bike.joint[JOINT_RIDER_MOUNT];
    dJointSetHinge2Param(mount, dParamSuspensionERP, 0);
    dJointSetHinge2Param(mount, dParamSuspensionCFM, 1 / (scale * (30 * p->rider_z_damping + 5)));
}

void rider_free_feet(Rider* r, const rider_model_env* env)
{
    r->dab_amount = fmaxf(0, r->dab_amount - DAB_FALL * DT);
    if (r->is_free_feet_start_due) {
        place_feet(r);
        r->is_free_feet_start_due = false;
        return;
    }
    if (r->crash_timer <= 0) {
        place_feet(r);
        return;
    }
    for (int k = 0; k < 2; k++) fall_foot(r, k, env);
}

rider_model_env* as_env(void* self) { return (rider_model_env*)self; }

void step_fall_mark(void* self, Rider* r, int tick)
{
    bike_view v;
    read_bike(r, &v);
    if (rider_falls_behind(tick, as_env(self)->gate_drop_tick, v.speed)) r->aid.has_fall_mark = true;
}

void step_collision_timer(void* self, Rider* r, int)
{
    int* timer = collision_timer(r, as_env(self));
    *timer = collision_timer_step(*timer);
}

void step_airborne(void*, Rider* r, int tick)
{
    const dReal* v = dBodyGetLinearVel(r->bike.body[BODY_FRAME]);
    rider_airborne_step(&r->aid, tick, r->bike.wheel[0].depth > 0, r->bike.wheel[1].depth > 0, (float)v[1]);
}

void step_crash(void* self, Rider* r, int tick)
{
    rider_model_env* env = as_env(self);
    bike_view v;
    read_bike(r, &v);
    if (r->crash_timer <= 0 && !r->params.arcade) crash_tests(r, env, tick, *collision_timer(r, env), &v);
    if (r->crash_timer <= 0) return;
    rider_cut_crashed_controls(r);
    rider_crash_sequence(r, env->world, v.lean);
}

void step_assists(void* self, Rider* r, int tick)
{
    rider_model_env* env = as_env(self);
    bike_view v;
    read_bike(r, &v);
    if (r->controls.back_up == 0 || v.speed >= DAB_SLOW_SPEED)
        dab_assist_step(r, *collision_timer(r, env), &v);
    else
        walking_step(r, env, tick, &v);
}

void step_rider_springs(void* self, Rider* r, int)
{
    if (r->bike.is_rider_attached) rider_springs(r, as_env(self)->world);
}

void step_steering(void* self, Rider* r, int)
{
    if (r->crash_timer > 0) return;
    rider_model_env* env = as_env(self);
    bike_view v;
    read_bike(r, &v);
    if (r->params.arcade)
        arcade_step(r, env, &v);
    else
        steering_step(r, env, *collision_timer(r, env), &v);
}

void step_steering_damping(void*, Rider* r, int) { steering_damping(r); }

void step_dab(void* self, Rider* r, int)
{
    bike_view v;
    read_bike(r, &v);
    dab_step(r, as_env(self), &v);
}

void step_free_feet(void* self, Rider* r, int) { rider_free_feet(r, as_env(self)); }

void step_store_history(void*, Rider* r, int) { store_velocity(r); }

}  // namespace

rider_step_ops rider_model_steps(rider_model_env* env)
{
    rider_step_ops ops = {};
    ops.fall_mark = step_fall_mark;
    ops.collision_timer = step_collision_timer;
    ops.airborne = step_airborne;
    ops.crash = step_crash;
    ops.assists = step_assists;
    ops.rider_springs = step_rider_springs;
    ops.steering = step_steering;
    ops.steering_damping = step_steering_damping;
    ops.dab = step_dab;
    ops.free_feet = step_free_feet;
    ops.store_history = step_store_history;
    ops.self = env;
    return ops;
}

void rider_control_step(Rider* r, int tick, rider_model_env* env)
{
    rider_step_ops ops = rider_model_steps(env);
    controls_step(r, tick, &ops);
}

void rider_crash_from_contact(Rider* r, const int* crash_delays)
{
    r->aid.has_fall_mark = true;
    if (r->crash_timer > 0) return;
    rider_crash(r, crash_delays);
}

float rider_front_surface_friction(const Terrain* ground, const Rider* r)
{
    const wheel_record& w = r->bike.wheel[0];
    double x = w.contact_point[0], z = w.contact_point[2];
    if (!(w.depth > 0)) {
        const dReal* p = dBodyGetPosition(r->bike.body[BODY_FRONT_WHEEL]);
        x = p[0];
        z = p[2];
    }
    return tire_surface_at(ground, x, z)->friction[0].coefficient;
}
