#include "sim/replay.h"

#include <assert.h>
#include <math.h>
#include <string.h>

#include "base/num.h"
#include "sim/bike_body_math.h"
#include "sim/bike_info.h"
#include "sim/slots.h"
#include "sim/world.h"

static constexpr double RPM_PER_RAD_S = 9.549296585513721;
static constexpr double MAX_FOLLOW_FORCE = 2500;   // lb
static constexpr double MAX_FOLLOW_TORQUE = 2500;  // lb ft

static double finite_or(double x, double fallback) { return isfinite(x) ? x : fallback; }

static void cut_to_length(double* v, double max)
{
    double length = vec_length(v);
    if (length > max)
        for (int i = 0; i < 3; i++) v[i] *= max / length;
}

// A body pose: position and unit quaternion.
struct pose {
    double p[3];
    dQuaternion q;
};

// The world point of `local` (ft) in a pose.
static void pose_point(const pose* b, const double* local, double* out)
{
    dMatrix3 r;
    dRfromQ(r, b->q);
    mat_apply(r, local, out);
    for (int i = 0; i < 3; i++) out[i] += b->p[i];
}

// The pose's orientation followed by a turn about a unit axis of its own.
static void pose_turned(const pose* b, const double* axis, double angle, dQuaternion out)
{
    dQuaternion turn;
    dQFromAxisAndAngle(turn, axis[0], axis[1], axis[2], finite_or(angle, 0));
    dQMultiply0(out, b->q, turn);
}

static void catalogue_offset(const float* to, const float* from, double* out)
{
    for (int i = 0; i < 3; i++) out[i] = (double)to[i] - from[i];
}

static void set_pose(dBodyID body, const pose* b)
{
    dBodySetPosition(body, b->p[0], b->p[1], b->p[2]);
    dBodySetQuaternion(body, b->q);
}

static void get_pose(dBodyID body, pose* b)
{
    const dReal* p = dBodyGetPosition(body);
    for (int i = 0; i < 3; i++) b->p[i] = p[i];
    const dReal* q = dBodyGetQuaternion(body);
    for (int i = 0; i < 4; i++) b->q[i] = q[i];
}

// Re-attaches a crashed rider where it is: realign, then the rider body goes
// back to the pose it had, which the mount then pulls in.
static void reattach_in_place(Rider* r)
{
    if (r->bike.is_rider_attached) return;
    pose rider;
    get_pose(r->bike.body[BODY_RIDER], &rider);
    bike_body_realign(&r->bike);
    set_pose(r->bike.body[BODY_RIDER], &rider);
}

// The controls byte's crash state, gear and throttle. Returns whether the
// byte says crashed.
static bool apply_controls_byte(Rider* r, uint8_t byte)
{
    packed_controls c = packed_controls_decode(byte);
    if (c.is_crashed) {
        bike_body_detach_rider(&r->bike);
        r->crash_timer = c.crash_timer;
        r->controls.throttle = 0;
        return true;
    }
    reattach_in_place(r);
    r->crash_timer = 0;
    r->controls.gear = packed_gear_for_bike(c.gear, r->bike.info->gear_ratio);
    r->controls.throttle = c.throttle;
    return false;
}

packed_state_ranges rider_state_ranges(const Rider* r, float side_length, float base_height)
{
    return {side_length, base_height, r->bike.info->swingarm_travel, r->bike.info->fork_travel};
}

void rider_place_from_state(Rider* r, const rider_state_values* v, int rider_byte)
{
    const BikeInfo* info = r->bike.info;
    const double x_axis[3] = {1, 0, 0};
    pose frame, fork_upper, fork_lower, swingarm, rider, front, rear;
    double local[3];

    for (int i = 0; i < 3; i++) frame.p[i] = finite_or(v->frame_position[i], info->frame_position[i]);
    quat_normalise_or_identity(v->frame_quaternion, frame.q);

    double steer[3];
    catalogue_offset(info->fork_upper_position, info->fork_lower_position, steer);
    vec_normalise(steer);
    catalogue_offset(info->fork_upper_position, info->frame_position, local);
    pose_point(&frame, local, fork_upper.p);
    pose_turned(&frame, steer, v->steering_angle, fork_upper.q);

    double p = finite_or(v->swingarm_angle, 0), arm[3], turned[3];
    catalogue_offset(info->swingarm_position, info->swingarm_pivot, arm);
    dMatrix3 rx;
    dRFromAxisAndAngle(rx, 1, 0, 0, p);
    mat_apply(rx, arm, turned);
    for (int i = 0; i < 3; i++) local[i] = info->swingarm_pivot[i] + turned[i] - info->frame_position[i];
    pose_point(&frame, local, swingarm.p);
    pose_turned(&frame, x_axis, p, swingarm.q);

    double down[3];
    catalogue_offset(info->fork_lower_position, info->fork_upper_position, down);
    double length = vec_length(down), s = finite_or(v->fork_slider, 0);
    for (int i = 0; i < 3; i++) local[i] = down[i] + s * down[i] / length;
    pose_point(&fork_upper, local, fork_lower.p);
    memcpy(fork_lower.q, fork_upper.q, sizeof(dQuaternion));

    if (rider_byte < 0) {
        for (int i = 0; i < 3; i++) rider.p[i] = frame.p[i] + finite_or(v->rider_offset[i], 0);
        quat_normalise_or_identity(v->rider_quaternion, rider.q);
    } else {
        double travel[3] = {info->rider_travel_direction[0], info->rider_travel_direction[1],
                            info->rider_travel_direction[2]};
        double along = info->rider_travel[0] + (info->rider_travel[1] - info->rider_travel[0]) * (rider_byte & 255) / 255.0;
        if (!vec_normalise(travel)) along = 0;
        catalogue_offset(info->rider_position, info->frame_position, local);
        for (int i = 0; i < 3; i++) local[i] += travel[i] * along;
        pose_point(&frame, local, rider.p);
        memcpy(rider.q, frame.q, sizeof(dQuaternion));
    }

    // The wheels turn so that their axle joints read the state's angles; the
    // joints measure the carrier against the wheel, hence the sign.
    catalogue_offset(info->front_wheel.position, info->fork_lower_position, local);
    pose_point(&fork_lower, local, front.p);
    pose_turned(&fork_lower, x_axis, -finite_or(v->wheel_angle[0], 0), front.q);
    catalogue_offset(info->rear_wheel.position, info->swingarm_position, local);
    pose_point(&swingarm, local, rear.p);
    pose_turned(&swingarm, x_axis, -finite_or(v->wheel_angle[1], 0), rear.q);

    dBodyID* body = r->bike.body;
    set_pose(body[BODY_FRAME], &frame);
    set_pose(body[BODY_FORK_UPPER], &fork_upper);
    set_pose(body[BODY_SWINGARM], &swingarm);
    set_pose(body[BODY_FORK_LOWER], &fork_lower);
    set_pose(body[BODY_RIDER], &rider);
    set_pose(body[BODY_FRONT_WHEEL], &front);
    set_pose(body[BODY_REAR_WHEEL], &rear);

    apply_controls_byte(r, v->controls);
    r->engine_speed = (float)(finite_or(v->engine_rpm, 0) / RPM_PER_RAD_S);
}

rider_state_values rider_state_of(const Rider* r)
{
    rider_state_values v = {};
    const dBodyID* body = r->bike.body;
    const dReal* frame = dBodyGetPosition(body[BODY_FRAME]);
    const dReal* rider = dBodyGetPosition(body[BODY_RIDER]);
    const dReal* fq = dBodyGetQuaternion(body[BODY_FRAME]);
    const dReal* rq = dBodyGetQuaternion(body[BODY_RIDER]);
    for (int i = 0; i < 3; i++) {
        v.frame_position[i] = frame[i];
        v.rider_offset[i] = (float)(rider[i] - frame[i]);
    }
    for (int i = 0; i < 4; i++) {
        v.frame_quaternion[i] = fq[i];
        v.rider_quaternion[i] = rq[i];
    }
    v.steering_angle = (float)dJointGetHingeAngle(r->bike.joint[JOINT_STEERING_HEAD]);
    v.swingarm_angle = (float)dJointGetHingeAngle(r->bike.joint[JOINT_SWINGARM_PIVOT]);
    v.fork_slider = (float)dJointGetSliderPosition(r->bike.joint[JOINT_FORK]);
    v.wheel_angle[0] = (float)dJointGetHingeAngle(r->bike.joint[JOINT_FRONT_AXLE]);
    v.wheel_angle[1] = (float)dJointGetHingeAngle(r->bike.joint[JOINT_REAR_AXLE]);
    v.controls = packed_controls_encode(r->controls.gear, r->dab_amount, r->controls.throttle, r->crash_timer);
    v.engine_rpm = (float)(r->engine_speed * RPM_PER_RAD_S);
    return v;
}

static void place_packed(Rider* r, const PackedRiderState* s, const packed_state_ranges* ranges)
{
    rider_state_values v = packed_state_decode(s, ranges);
    rider_place_from_state(r, &v, -1);
}

static void lift_out_of_ground(Rider* r, const ground_ops* ground)
{
    if (!ground || !ground->height) return;
    const bike_body* b = &r->bike;
    double down[3] = {0, -b->wheel[1].major_radius, 0}, lowest[3];
    mat_apply(dBodyGetRotation(b->body[BODY_FRAME]), down, lowest);
    const dReal* wheel = dBodyGetPosition(b->body[BODY_REAR_WHEEL]);
    for (int i = 0; i < 3; i++) lowest[i] += wheel[i];
    double height = ground->height(ground->self, (float)lowest[0], (float)lowest[2]);
    if (!(height > lowest[1])) return;
    const double lift[3] = {0, height - lowest[1], 0};
    bike_body_move(&r->bike, lift);
}

static void place_kinematically(Rider* r, const rider_snapshot* s, int n, const packed_state_ranges* ranges,
                                const ground_ops* ground)
{
    bool was_crashed = r->crash_timer > 0;
    pose before[BIKE_BODY_COUNT];
    place_packed(r, s->older, ranges);
    for (int k = 0; k < BIKE_BODY_COUNT; k++) get_pose(r->bike.body[k], &before[k]);
    place_packed(r, s->newer, ranges);
    for (int k = 0; k < BIKE_BODY_COUNT; k++) {
        pose after;
        get_pose(r->bike.body[k], &after);
        double spin[3];
        quat_rotation_between(before[k].q, after.q, spin);
        double t = n * TICK;
        dBodySetLinearVel(r->bike.body[k], (after.p[0] - before[k].p[0]) / t, (after.p[1] - before[k].p[1]) / t,
                          (after.p[2] - before[k].p[2]) / t);
        dBodySetAngularVel(r->bike.body[k], spin[0] / t, spin[1] / t, spin[2] / t);
    }
    place_packed(r, s->shown, ranges);
    lift_out_of_ground(r, ground);
    if (!was_crashed && r->crash_timer > 0) r->is_free_feet_start_due = true;
    packed_controls c = packed_controls_decode(s->shown->bytes[PACKED_CONTROLS]);
    if (c.is_crashed || c.is_foot_down) r->dab_amount = (float)fmin(r->dab_amount + 8 * TICK, 1);
}

// Pulls a simulated bike onto the shown state; the gains grow as the presence falls.
static void follow_physically(Rider* r, const rider_snapshot* s, int n, const packed_state_ranges* ranges)
{
    const BikeInfo* info = r->bike.info;
    rider_state_values shown = packed_state_decode(s->shown, ranges);
    rider_state_values older = packed_state_decode(s->older, ranges);
    rider_state_values newer = packed_state_decode(s->newer, ranges);
    double b = r->bike.presence, kp = 0, kd = 0;
    if (b <= 0.5) {
        kp = 5000 + 45000 * fmin(2 * (0.5 - b), 1);
        kd = 500;
    } else if (b <= 0.75) {
        double scale = fmin(4 * (0.75 - b), 1);
        kp = 5000 * scale;
        kd = 500 * scale;
    }

    dBodyID frame = r->bike.body[BODY_FRAME];
    const dReal* p = dBodyGetPosition(frame);
    const dReal* vel = dBodyGetLinearVel(frame);
    const dReal* spin = dBodyGetAngularVel(frame);
    double force[3], torque[3], turn[3];
    for (int i = 0; i < 3; i++) {
        double track_vel = (newer.frame_position[i] - older.frame_position[i]) / (n * TICK);
        force[i] = kp * (shown.frame_position[i] - p[i]) - kd * (vel[i] - track_vel);
    }
    dQuaternion target;
    quat_normalise_or_identity(shown.frame_quaternion, target);
    quat_rotation_between(dBodyGetQuaternion(frame), target, turn);
    for (int i = 0; i < 3; i++) torque[i] = kp * turn[i] - kd * spin[i];
    cut_to_length(force, MAX_FOLLOW_FORCE);
    cut_to_length(torque, MAX_FOLLOW_TORQUE);
    dBodyAddForce(frame, force[0], force[1], force[2]);
    dBodyAddTorque(frame, torque[0], torque[1], torque[2]);

    dJointID head = r->bike.joint[JOINT_STEERING_HEAD];
    double steering = dJointGetHingeAngle(head) + dJointGetHingeAngleRate(head);
    r->controls.steering = (float)clamp_nan_to_low((shown.steering_angle - steering) / 4, -1, 1);

    bool was_crashed = r->crash_timer > 0;
    bool is_crashed = apply_controls_byte(r, shown.controls);
    if (is_crashed && !was_crashed) r->is_free_feet_start_due = true;
    r->controls.dab = is_crashed ? 0 : packed_controls_decode(shown.controls).is_foot_down ? 1 : 0;

    dMatrix3 orientation;
    dRfromQ(orientation, target);
    double up[3], along[3], offset[3] = {shown.rider_offset[0], shown.rider_offset[1], shown.rider_offset[2]};
    mat_column(orientation, 1, up);
    mat_column(orientation, 2, along);
    double j = (double)info->rider_position[1] - info->frame_position[1] - vec_dot(offset, up);
    double m = (double)info->rider_position[2] - info->frame_position[2] - vec_dot(offset, along);
    r->controls.lean = is_crashed ? 0 : (float)clamp_nan_to_low(j * (1 + r->controls.dab) / 2 - m, -1, 1);
    r->engine_speed = (float)(shown.engine_rpm / RPM_PER_RAD_S);
}

void rider_apply_snapshot(Rider* r, const rider_snapshot* s, const packed_state_ranges* ranges,
                          const ground_ops* ground)
{
    assert(s->shown && s->older && s->newer);
    int n = s->tick_distance < 1 ? 1 : s->tick_distance;
    if (r->bike.presence <= 0.25f)
        place_kinematically(r, s, n, ranges, ground);
    else
        follow_physically(r, s, n, ranges);
}

void rider_presence_after_step(Rider* r)
{
    if (r->bike.presence > 0) bike_body_set_presence(&r->bike, r->bike.presence - (float)TICK);
}

void rider_presence_bump(Rider* r)
{
    float b = r->bike.presence;
    if (b == 0)
        bike_body_set_presence(&r->bike, 1);
    else if (b <= 0.25f)
        bike_body_set_presence(&r->bike, 0.25f);
}
