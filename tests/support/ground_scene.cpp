#include "support/ground_scene.h"

#include <math.h>

#include "sim/bike_info.h"
#include "track/terrain.h"

// The wheel's axle is its body x axis; driving forwards (-z) turns it about -x.
static void drive_rear_wheel(void* self, Rider* r, int)
{
    double torque = ((GroundScene*)self)->drive_torque;
    if (torque == 0) return;
    dBodyAddRelTorque(r->bike.body[BODY_REAR_WHEEL], -torque, 0, 0);
    dBodyAddRelTorque(r->bike.body[BODY_SWINGARM], torque, 0, 0);
}

static void count_crash(void* self, Rider*) { ((GroundScene*)self)->crashes++; }

GroundScene::GroundScene(Terrain* terrain)
{
    ground = terrain;
    if (!ground) return;
    scene_params params = scene_default_params();
    params.ground = ground;
    params.collide.crash = count_crash;
    params.collide.self = this;
    params.hooks.robot_step = drive_rear_wheel;
    params.hooks.self = this;
    scene = scene_create(&params);
    ok = scene != nullptr;
}

GroundScene::~GroundScene()
{
    scene_destroy(scene);
    terrain_free(ground);
}

Rider* GroundScene::add_bike(int slot)
{
    const BikeInfo* info = find_bike_info("crf250(2008)");
    if (!info) return nullptr;
    return rider_create(scene->slots, slot, RIDER_ROBOT, &scene->world, info, nullptr, true, nullptr);
}

bool GroundScene::load_shapes(int slot)
{
    const Rider* r = rider(slot);
    return r && contact_load_shapes(&scene->contacts, slot, r->bike.info) == 0;
}

void GroundScene::set_sphere_shapes(int slot)
{
    Shape rider_shape = {{{{0, 0, 0}, 0.9f, 0.8f, 2500, 250}}, 0.9f};
    Shape frame_shape = {{{{0, 0, 0}, 0.6f, 0.8f, 2500, 250}}, 0.6f};
    contact_set_shape(&scene->contacts, slot, SHAPED_RIDER, &rider_shape);
    contact_set_shape(&scene->contacts, slot, SHAPED_FRAME, &frame_shape);
}

void GroundScene::step(int ticks)
{
    for (int i = 0; i < ticks; i++) scene_step(scene);
}

void hold_suspension_extended(Rider* r)
{
    dJointSetSliderParam(r->bike.joint[JOINT_FORK], dParamLoStop, -0.001);
    dJointSetHingeParam(r->bike.joint[JOINT_SWINGARM_PIVOT], dParamLoStop, -0.001);
}

double frame_speed(const Rider* r)
{
    const dReal* v = dBodyGetLinearVel(r->bike.body[BODY_FRAME]);
    return sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

double frame_up_y(const Rider* r) { return dBodyGetRotation(r->bike.body[BODY_FRAME])[5]; }
