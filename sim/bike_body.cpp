#include "sim/bike_body.h"

#include <math.h>
#include <string.h>

#include "base/messages.h"
#include "base/num.h"
#include "sim/bike_body_math.h"
#include "sim/bike_info.h"
#include "sim/world.h"

static constexpr int RIM_SPHERES = 16;
static constexpr double RIDER_MOUNT_AHEAD = -50;  // ft along z: the mount's anchor lies far in front
// The fork's and swingarm's high stops sit this far inside full extension.
// A bike is built and placed exactly at full extension, and a limit met
// exactly (zero error) makes the solver's limit row degenerate: it then
// gives up and drops every constraint force of the island for that step.
static constexpr double EXTENSION_STOP = -1.0 / (1 << 30);  // ft or rad
static constexpr float MIN_SPLIT = 0.33f, MAX_SPLIT = 0.5f;

static float clamp_split(float d)
{
    return clamp_nan_to_low(d, MIN_SPLIT, MAX_SPLIT);
}

static bool positive(double x) { return x > 0 && isfinite(x); }

static bool finite3(const float* v) { return isfinite(v[0]) && isfinite(v[1]) && isfinite(v[2]); }

static const float* catalogue_position(const BikeInfo* info, int k)
{
    switch (k) {
    case BODY_FRAME: return info->frame_position;
    case BODY_FRONT_WHEEL: return info->front_wheel.position;
    case BODY_REAR_WHEEL: return info->rear_wheel.position;
    case BODY_FORK_UPPER: return info->fork_upper_position;
    case BODY_FORK_LOWER: return info->fork_lower_position;
    case BODY_SWINGARM: return info->swingarm_position;
    default: return info->rider_position;
    }
}

// Angle about x of a line with the given y and z extents; a vertical line
// (no y extent) is a quarter turn.
static double tilt_about_x(double numerator, double denominator)
{
    if (denominator == 0) return numerator == 0 ? 0 : PI / 2;
    return atan(numerator / denominator);
}

static bool wheel_is_buildable(const BikeWheelInfo* w)
{
    return finite3(w->position) && positive(w->tire_major_radius) && positive(w->tire_tube_radius) &&
           positive(w->rim_mass) && positive(w->hub_radius) && positive(w->hub_mass);
}

bool bike_info_is_buildable(const BikeInfo* info)
{
    if (!info) return false;
    for (int k = 0; k < BIKE_BODY_COUNT; k++)
        if (!finite3(catalogue_position(info, k))) return false;
    if (!finite3(info->swingarm_pivot) || !finite3(info->frame_box)) return false;
    double frame_total = (double)info->frame_mass + info->rider_mass * (1 - MAX_SPLIT);
    if (!(info->frame_mass >= 0) || !positive(frame_total) || !positive(info->rider_mass)) return false;
    for (float size : info->frame_box)
        if (!positive(size)) return false;
    if (!wheel_is_buildable(&info->front_wheel) || !wheel_is_buildable(&info->rear_wheel)) return false;
    if (!positive(info->fork_mass) || !positive(info->fork_leg_spacing) || !positive(info->fork_leg_length))
        return false;
    if (!positive(info->swingarm_side_mass)) return false;
    double steering[3], arm[3];
    for (int i = 0; i < 3; i++) {
        steering[i] = (double)info->fork_upper_position[i] - info->fork_lower_position[i];
        arm[i] = (double)info->rear_wheel.position[i] - info->swingarm_pivot[i];
    }
    if (!positive(vec_length(steering)) || !positive(vec_length(arm))) return false;
    return info->fork_travel >= 0 && isfinite(info->fork_travel) && info->swingarm_travel >= 0 &&
           isfinite(info->swingarm_travel);
}

// Makes the centre of mass exactly the body origin, as the library demands;
// sums of symmetric parts leave rounding residue there.
static void centre_mass(dMass* m) { dMassTranslate(m, -m->c[0], -m->c[1], -m->c[2]); }

static void frame_mass(const BikeInfo* info, float split, dMass* m)
{
    dMassSetBoxTotal(m, info->frame_mass + info->rider_mass * (1 - split), info->frame_box[0], info->frame_box[1],
                     info->frame_box[2]);
}

static void rider_mass(const BikeInfo* info, float split, dMass* m)
{
    dMassSetSphereTotal(m, info->rider_mass * split, 1);
}

// A hub sphere plus a ring of spheres on the tire's centre circle.
static void wheel_mass(const BikeWheelInfo* w, dMass* m)
{
    dMassSetSphereTotal(m, w->hub_mass, w->hub_radius);
    for (int i = 0; i < RIM_SPHERES; i++) {
        double angle = i * (2 * PI / RIM_SPHERES);  // from (0, R, 0) about x
        dMass sphere;
        dMassSetSphereTotal(&sphere, w->rim_mass / RIM_SPHERES, w->tire_tube_radius);
        dMassTranslate(&sphere, 0, w->tire_major_radius * cos(angle), w->tire_major_radius * sin(angle));
        dMassAdd(m, &sphere);
    }
    centre_mass(m);
}

// Two fork legs along y, tilted about x by the rake.
static void fork_mass(const BikeInfo* info, dMass* m)
{
    double spacing = info->fork_leg_spacing;
    dMassSetZero(m);
    for (int side = -1; side <= 1; side += 2) {
        dMass leg;
        dMassSetCylinderTotal(&leg, info->fork_mass / 2, 2, spacing / 8, info->fork_leg_length * 2.0 / 3);
        dMassTranslate(&leg, side * spacing / 2, 0, 0);
        dMassAdd(m, &leg);
    }
    double rake = tilt_about_x((double)info->fork_lower_position[2] - info->fork_upper_position[2],
                               (double)info->fork_lower_position[1] - info->fork_upper_position[1]);
    dMatrix3 r;
    dRFromAxisAndAngle(r, 1, 0, 0, rake);
    dMassRotate(m, r);
    centre_mass(m);
}

// Two side boxes from the pivot to the rear axle, tilted about x like the arm.
static void swingarm_mass(const BikeInfo* info, dMass* m)
{
    double w = info->frame_box[0];
    double arm[3];
    for (int i = 0; i < 3; i++) arm[i] = (double)info->rear_wheel.position[i] - info->swingarm_pivot[i];
    double length = vec_length(arm);
    dMassSetZero(m);
    for (int side = -1; side <= 1; side += 2) {
        dMass box;
        dMassSetBoxTotal(&box, info->swingarm_side_mass, w / 4, w / 4, length);
        dMassTranslate(&box, side * w / 2, 0, 0);
        dMassAdd(m, &box);
    }
    dMatrix3 r;
    dRFromAxisAndAngle(r, 1, 0, 0, -tilt_about_x(arm[1], arm[2]));
    dMassRotate(m, r);
    centre_mass(m);
}

static void setup_wheel_record(wheel_record* w, dBodyID body, const BikeWheelInfo* info)
{
    memset(w, 0, sizeof *w);
    w->body = body;
    w->axle[0] = 1;
    w->major_radius = info->tire_major_radius;
    w->tube_radius = info->tire_tube_radius;
}

static dJointID make_hinge(physics_world* w, bike_body* b, int index, int body1, int body2, const float* anchor,
                           const double* axis)
{
    dJointID j = dJointCreateHinge(w->world, 0);
    dJointAttach(j, b->body[body1], b->body[body2]);
    dJointSetHingeAnchor(j, anchor[0], anchor[1], anchor[2]);
    dJointSetHingeAxis(j, axis[0], axis[1], axis[2]);
    dJointSetFeedback(j, &b->feedback[index]);
    b->joint[index] = j;
    return j;
}

// The steering axis in bike-local coordinates: fork lower towards fork upper.
static void steering_axis(const BikeInfo* info, double out[3])
{
    for (int i = 0; i < 3; i++) out[i] = (double)info->fork_upper_position[i] - info->fork_lower_position[i];
    vec_normalise(out);
}

// Sets the rider mount's anchor and axes from the frame's current pose.
static void aim_rider_mount(bike_body* b)
{
    const BikeInfo* info = b->info;
    const float anchor_local[3] = {0, info->rider_position[1], (float)RIDER_MOUNT_AHEAD};
    double anchor[3], axis1[3], axis2[3];
    const double local1[3] = {0, sqrt(0.5), sqrt(0.5)}, local2[3] = {1, 0, 0};
    bike_body_catalogue_point(b, BODY_FRAME, anchor_local, anchor);
    const dReal* r = dBodyGetRotation(b->body[BODY_FRAME]);
    mat_apply(r, local1, axis1);
    mat_apply(r, local2, axis2);
    dJointID j = b->joint[JOINT_RIDER_MOUNT];
    dJointSetHinge2Anchor(j, anchor[0], anchor[1], anchor[2]);
    dJointSetHinge2Axes(j, axis1, axis2);
}

bool bike_body_create(bike_body* b, physics_world* w, const BikeInfo* info, float rider_mass_split)
{
    memset(b, 0, sizeof *b);
    if (!bike_info_is_buildable(info)) return false;
    b->info = info;
    b->rider_mass_split = clamp_split(rider_mass_split);
    b->presence = 1;
    b->is_rider_attached = true;

    dMass masses[BIKE_BODY_COUNT];
    frame_mass(info, b->rider_mass_split, &masses[BODY_FRAME]);
    wheel_mass(&info->front_wheel, &masses[BODY_FRONT_WHEEL]);
    wheel_mass(&info->rear_wheel, &masses[BODY_REAR_WHEEL]);
    fork_mass(info, &masses[BODY_FORK_UPPER]);
    masses[BODY_FORK_LOWER] = masses[BODY_FORK_UPPER];
    swingarm_mass(info, &masses[BODY_SWINGARM]);
    rider_mass(info, b->rider_mass_split, &masses[BODY_RIDER]);
    for (int k = 0; k < BIKE_BODY_COUNT; k++) {
        dBodyID body = dBodyCreate(w->world);
        const float* p = catalogue_position(info, k);
        dBodySetPosition(body, p[0], p[1], p[2]);
        dBodySetMass(body, &masses[k]);
        b->body[k] = body;
    }
    dBodySetFiniteRotationMode(b->body[BODY_FRONT_WHEEL], 1);
    dBodySetFiniteRotationMode(b->body[BODY_REAR_WHEEL], 1);

    const double x_axis[3] = {1, 0, 0};
    double steer[3];
    steering_axis(info, steer);
    make_hinge(w, b, JOINT_FRONT_AXLE, BODY_FORK_LOWER, BODY_FRONT_WHEEL, info->front_wheel.position, x_axis);
    make_hinge(w, b, JOINT_REAR_AXLE, BODY_SWINGARM, BODY_REAR_WHEEL, info->rear_wheel.position, x_axis);
    dJointID head = make_hinge(w, b, JOINT_STEERING_HEAD, BODY_FORK_UPPER, BODY_FRAME, info->fork_upper_position,
                               steer);
    dJointSetHingeParam(head, dParamLoStop, -PI / 4);
    dJointSetHingeParam(head, dParamHiStop, PI / 4);

    dJointID fork = dJointCreateSlider(w->world, 0);
    dJointAttach(fork, b->body[BODY_FORK_UPPER], b->body[BODY_FORK_LOWER]);
    dJointSetSliderAxis(fork, steer[0], steer[1], steer[2]);
    dJointSetSliderParam(fork, dParamBounce, 0);
    dJointSetSliderParam(fork, dParamLoStop, -info->fork_travel);
    dJointSetSliderParam(fork, dParamHiStop, EXTENSION_STOP);
    dJointSetFeedback(fork, &b->feedback[JOINT_FORK]);
    b->joint[JOINT_FORK] = fork;

    dJointID pivot = make_hinge(w, b, JOINT_SWINGARM_PIVOT, BODY_SWINGARM, BODY_FRAME, info->swingarm_pivot, x_axis);
    dJointSetHingeParam(pivot, dParamBounce, 0);
    dJointSetHingeParam(pivot, dParamLoStop, -info->swingarm_travel);
    dJointSetHingeParam(pivot, dParamHiStop, EXTENSION_STOP);

    dJointID mount = dJointCreateHinge2(w->world, 0);
    dJointAttach(mount, b->body[BODY_RIDER], b->body[BODY_FRAME]);
    dJointSetFeedback(mount, &b->feedback[JOINT_RIDER_MOUNT]);
    b->joint[JOINT_RIDER_MOUNT] = mount;
    aim_rider_mount(b);
    dJointSetHinge2Param(mount, dParamLoStop, 0);
    dJointSetHinge2Param(mount, dParamHiStop, 0);
    dJointSetHinge2Param(mount, dParamSuspensionERP, 0);

    setup_wheel_record(&b->wheel[0], b->body[BODY_FRONT_WHEEL], &info->front_wheel);
    setup_wheel_record(&b->wheel[1], b->body[BODY_REAR_WHEEL], &info->rear_wheel);
    return true;
}

void bike_body_destroy(bike_body* b)
{
    for (dJointID& j : b->joint) {
        if (j) dJointDestroy(j);
        j = nullptr;
    }
    for (dBodyID& body : b->body) {
        if (body) dBodyDestroy(body);
        body = nullptr;
    }
    b->wheel[0].body = b->wheel[1].body = nullptr;
}

void bike_body_catalogue_position(const bike_body* b, int k, double out[3])
{
    const float* p = catalogue_position(b->info, k);
    for (int i = 0; i < 3; i++) out[i] = p[i];
}

void bike_body_catalogue_point(const bike_body* b, int k, const float p[3], double out[3])
{
    const float* origin = catalogue_position(b->info, k);
    double local[3];
    for (int i = 0; i < 3; i++) local[i] = (double)p[i] - origin[i];
    const dReal* r = dBodyGetRotation(b->body[k]);
    const dReal* at = dBodyGetPosition(b->body[k]);
    mat_apply(r, local, out);
    for (int i = 0; i < 3; i++) out[i] += at[i];
}

void bike_body_reset(bike_body* b)
{
    dMatrix3 identity;
    dRSetIdentity(identity);
    for (int k = 0; k < BIKE_BODY_COUNT; k++) {
        dBodyID body = b->body[k];
        const float* p = catalogue_position(b->info, k);
        dBodySetPosition(body, p[0], p[1], p[2]);
        dBodySetRotation(body, identity);
        dBodySetLinearVel(body, 0, 0, 0);
        dBodySetAngularVel(body, 0, 0, 0);
        dBodySetForce(body, 0, 0, 0);
        dBodySetTorque(body, 0, 0, 0);
    }
    bike_body_set_presence(b, 1);
    bike_body_realign(b);
}

void bike_body_move(bike_body* b, const double offset[3])
{
    if (!isfinite(offset[0]) || !isfinite(offset[1]) || !isfinite(offset[2])) return;
    for (dBodyID body : b->body) {
        const dReal* p = dBodyGetPosition(body);
        dBodySetPosition(body, p[0] + offset[0], p[1] + offset[1], p[2] + offset[2]);
    }
}

void bike_body_turn(bike_body* b, const double axis[3], double angle)
{
    double unit[3] = {axis[0], axis[1], axis[2]};
    if (!vec_normalise(unit) || !isfinite(angle)) return;
    dMatrix3 r;
    dRFromAxisAndAngle(r, unit[0], unit[1], unit[2], angle);
    for (dBodyID body : b->body) {
        const dReal* p = dBodyGetPosition(body);
        double from[3] = {p[0], p[1], p[2]}, to[3];
        mat_apply(r, from, to);
        dBodySetPosition(body, to[0], to[1], to[2]);
        dBodySetRotation(body, r);
    }
}

void bike_body_set_presence(bike_body* b, float x)
{
    if (b->presence <= 0.25f) {
        for (dBodyID body : b->body) {
            dBodySetForce(body, 0, 0, 0);
            dBodySetTorque(body, 0, 0, 0);
        }
    }
    b->presence = !(x >= 0) ? 0 : x > 1 ? 1 : x;
    for (dBodyID body : b->body) {
        if (b->presence <= 0.25f)
            dBodyDisable(body);
        else
            dBodyEnable(body);
    }
}

void bike_body_set_rider_mass_split(bike_body* b, float split)
{
    b->rider_mass_split = clamp_split(split);
    dMass m;
    frame_mass(b->info, b->rider_mass_split, &m);
    dBodySetMass(b->body[BODY_FRAME], &m);
    rider_mass(b->info, b->rider_mass_split, &m);
    dBodySetMass(b->body[BODY_RIDER], &m);
}

void bike_body_detach_rider(bike_body* b)
{
    dJointAttach(b->joint[JOINT_RIDER_MOUNT], nullptr, nullptr);
    b->is_rider_attached = false;
}

void bike_body_realign(bike_body* b)
{
    double at[3];
    bike_body_catalogue_point(b, BODY_FRAME, b->info->rider_position, at);
    dBodyID rider = b->body[BODY_RIDER];
    dBodySetPosition(rider, at[0], at[1], at[2]);
    dBodySetRotation(rider, dBodyGetRotation(b->body[BODY_FRAME]));
    dJointAttach(b->joint[JOINT_RIDER_MOUNT], rider, b->body[BODY_FRAME]);
    aim_rider_mount(b);
    b->is_rider_attached = true;
}

void bike_body_balance_internal_forces(bike_body* b)
{
    const dReal* frame = dBodyGetPosition(b->body[BODY_FRAME]);
    double force[3] = {0, 0, 0}, torque[3] = {0, 0, 0};
    for (int j = 0; j < BIKE_JOINT_COUNT; j++) {
        const dJointFeedback* fb = &b->feedback[j];
        const dReal* f[2] = {fb->f1, fb->f2};
        const dReal* t[2] = {fb->t1, fb->t2};
        for (int side = 0; side < 2; side++) {
            dBodyID body = dJointGetBody(b->joint[j], side);
            if (!body) continue;
            const dReal* p = dBodyGetPosition(body);
            double arm[3] = {p[0] - frame[0], p[1] - frame[1], p[2] - frame[2]}, fv[3] = {f[side][0], f[side][1], f[side][2]};
            double moment[3];
            vec_cross(arm, fv, moment);
            for (int i = 0; i < 3; i++) {
                force[i] += fv[i];
                torque[i] += t[side][i] + moment[i];
            }
        }
    }
    dBodyAddForce(b->body[BODY_FRAME], -force[0], -force[1], -force[2]);
    dBodyAddTorque(b->body[BODY_FRAME], -torque[0], -torque[1], -torque[2]);
}

int bike_load_assets(const BikeInfo* info, const bike_asset_ops* ops)
{
    static const BikeFile models[] = {
        BIKE_FILE_FRAME_MODEL, BIKE_FILE_FORK_UPPER_MODEL, BIKE_FILE_FORK_LOWER_MODEL, BIKE_FILE_SWINGARM_MODEL,
        BIKE_FILE_FRONT_WHEEL_MODEL, BIKE_FILE_REAR_WHEEL_MODEL, BIKE_FILE_RIDER_HEAD_MODEL,
        BIKE_FILE_RIDER_BODY_MODEL, BIKE_FILE_RIDER_BODY_FP_MODEL, BIKE_FILE_SIDE_PLATES_MODEL,
        BIKE_FILE_FRONT_PLATE_MODEL, BIKE_FILE_RIDER_PLATE_MODEL,
    };
    static const BikeFile shapes[] = {
        BIKE_FILE_FRAME_SHAPE, BIKE_FILE_FORK_UPPER_SHAPE, BIKE_FILE_FORK_LOWER_SHAPE, BIKE_FILE_SWINGARM_SHAPE,
        BIKE_FILE_FRONT_WHEEL_SHAPE, BIKE_FILE_REAR_WHEEL_SHAPE, BIKE_FILE_RIDER_SHAPE,
    };
    int failures = 0;
    for (int pass = 0; pass < 2; pass++) {
        bool (*load)(void*, const char*) = pass == 0 ? ops->load_model : ops->load_shape;
        if (!load) continue;
        const BikeFile* list = pass == 0 ? models : shapes;
        int count = pass == 0 ? (int)(sizeof models / sizeof *models) : (int)(sizeof shapes / sizeof *shapes);
        for (int i = 0; i < count; i++) {
            const char* name = info->files[list[i]];
            if (!name[0] || load(ops->self, name)) continue;
            show_messagef("Warning: Can't load %.900s", name);
            failures++;
        }
    }
    return failures;
}
