// A small scripted test rider (not a robot): one crf250(2008) with the
// default setup on a terrain the test builds, driven through the player's
// control channels by a speed and heading script, stepped by the physics
// scene: the tire contacts, the drivetrain and the rider model in the real
// tick order.
// The rider rides with normal physics unless asked for arcade physics.
#pragma once
#include <math.h>

#include "base/num.h"
#include "sim/bike_info.h"
#include "sim/crash.h"
#include "sim/rider_rules.h"
#include "sim/scene.h"
#include "sim/setup.h"
#include "sim/setup_params.h"
#include "support/course_driver.h"
#include "track/terrain.h"

struct ScriptedRider {
    physics_scene* scene = nullptr;  // owned
    Terrain* ground = nullptr;       // owned
    Rider* rider = nullptr;
    double gate_target[3] = {0, 0, 0};
    bool has_gate_target = false;
    int tick = 0;                    // the scene's tick counter after the last step
    int contact_crashes = 0;
    float channels[CHANNEL_COUNT] = {};
    rider_input_settings input = {false, false};
    bool ok = false;

    // Takes `terrain`; the bike stands at (x, ground, z) heading along `heading` (rad).
    ScriptedRider(Terrain* terrain, double x, double z, double heading, int arcade = 0)
    {
        ground = terrain;
        scene_params params = scene_default_params();
        params.ground = ground;
        params.collide.crash = [](void* self, Rider* r) {
            ((ScriptedRider*)self)->contact_crashes++;
            rider_crash_from_contact(r, nullptr);
        };
        params.collide.self = this;
        params.realign.gate_target = [](void* self, const Rider*, double out[3]) {
            ScriptedRider* s = (ScriptedRider*)self;
            for (int i = 0; i < 3; i++) out[i] = s->gate_target[i];
            return s->has_gate_target;
        };
        params.realign.self = this;
        scene = scene_create(&params);
        const BikeInfo* info = find_bike_info("crf250(2008)");
        if (!scene || !ground || !info) return;
        RiderSetup setup;
        setup_init_defaults(&setup);
        RiderParams rider_params;
        rider_params_from_setup(&rider_params, &setup, info);
        rider_params_set_arcade(&rider_params, arcade);
        rider = rider_create(scene->slots, 0, RIDER_LOCAL, &scene->world, info, &rider_params, true, nullptr);
        if (!rider) return;
        Shape rider_shape = {{{{0, 0, 0}, 0.9f, 0.8f, 2500, 250}}, 0.9f};
        Shape frame_shape = {{{{0, 0, 0}, 0.6f, 0.8f, 2500, 250}}, 0.6f};
        contact_set_shape(&scene->contacts, 0, SHAPED_RIDER, &rider_shape);
        contact_set_shape(&scene->contacts, 0, SHAPED_FRAME, &frame_shape);
        const double up[3] = {0, 1, 0};
        bike_body_turn(&rider->bike, up, heading);
        double lowest =
            info->rear_wheel.position[1] - info->rear_wheel.tire_major_radius - info->rear_wheel.tire_tube_radius;
        const double offset[3] = {x, terrain_height(ground, (float)x, (float)z) - lowest + 0.02, z};
        bike_body_move(&rider->bike, offset);
        ok = true;
    }
    ~ScriptedRider()
    {
        scene_destroy(scene);
        terrain_free(ground);
    }

    // One tick: the channels become the rider's controls, then the scene's tick.
    void step()
    {
        (void)scene_apply_channels(scene, rider->slot, channels, &input);
        scene_step(scene);
        tick = scene->tick;
    }

    const dReal* frame_position() const { return dBodyGetPosition(rider->bike.body[BODY_FRAME]); }
    const dReal* frame_velocity() const { return dBodyGetLinearVel(rider->bike.body[BODY_FRAME]); }
    double speed() const
    {
        const dReal* v = frame_velocity();
        return sqrt(v[0] * v[0] + v[2] * v[2]);
    }
    // Heading of the frame's forward (-z) axis: forward is (-sin h, -cos h).
    double heading() const
    {
        const dReal* r = dBodyGetRotation(rider->bike.body[BODY_FRAME]);
        return atan2(r[2], r[10]);
    }
    float lean() const { return rider_lean_angle(dBodyGetRotation(rider->bike.body[BODY_FRAME])); }
    bool is_crashed() const { return rider->crash_timer > 0; }
    double up_y() const { return dBodyGetRotation(rider->bike.body[BODY_FRAME])[5]; }

    // The script: throttle and brakes hold `speed_ft_s`; steering is `steer`
    // (the player's input, before any sign change).
    void drive(double speed_ft_s, float steer)
    {
        speed_channels(speed(), speed_ft_s, channels);
        channels[CHANNEL_STEER] = steer;
    }
    // Steering input that turns the bike towards heading `want` (rad): a
    // positive input leans the bike to its +x side and turns it that way.
    float steer_towards(double want) const { return steer_channel(heading(), want); }
    // Heading (rad) from the frame towards world point (x, z).
    double heading_to(double x, double z) const
    {
        const dReal* p = frame_position();
        return atan2(-(x - p[0]), -(z - p[2]));
    }
};

// A flat square terrain of 2^(n+1) cells of `spacing` ft at height 0.
inline Terrain* flat_ground(int n, float spacing)
{
    return terrain_create(n, spacing, 0);
}
