// A small scripted test rider (not a robot): one crf250(2008) with the
// default setup on a terrain the test builds, driven through the player's
// control channels by a speed and heading script, with the tire contacts,
// the drivetrain and the rider model running in the real tick order.
// The rider rides with normal physics unless asked for arcade physics.
#pragma once
#include <math.h>

#include "sim/bike_info.h"
#include "sim/collide.h"
#include "sim/crash.h"
#include "sim/realign.h"
#include "sim/rider_input.h"
#include "sim/rider_rules.h"
#include "sim/rider_step.h"
#include "sim/setup.h"
#include "sim/setup_params.h"
#include "sim/slots.h"
#include "sim/world.h"
#include "sim/world_tick.h"
#include "track/terrain.h"

struct ScriptedRider {
    physics_world w = {};
    rider_slots* slots = nullptr;
    Terrain* ground = nullptr;  // owned
    contact_scene contacts;
    Rider* rider = nullptr;
    rider_model_env env = {};
    realign_target_ops realign = {};
    double gate_target[3] = {0, 0, 0};
    bool has_gate_target = false;
    int tick = 0;
    int contact_crashes = 0;
    float channels[CONTROL_CHANNELS] = {};
    rider_input_settings input = {false, false};
    bool ok = false;

    // Takes `terrain`; the bike stands at (x, ground, z) heading along `heading` (rad).
    ScriptedRider(Terrain* terrain, double x, double z, double heading, int arcade = 0)
    {
        ground = terrain;
        if (!physics_world_create(&w)) return;
        slots = rider_slots_create();
        const BikeInfo* info = find_bike_info("crf250(2008)");
        if (!slots || !ground || !info) return;
        collide_ops ops = {};
        ops.crash = [](void* self, Rider* r) {
            ((ScriptedRider*)self)->contact_crashes++;
            rider_crash_from_contact(r, nullptr);
        };
        ops.self = this;
        contact_scene_init(&contacts, ground, &ops);
        RiderSetup setup;
        setup_init_defaults(&setup);
        RiderParams params;
        rider_params_from_setup(&params, &setup, info);
        rider_params_set_arcade(&params, arcade);
        rider = rider_create(slots, 0, RIDER_LOCAL, &w, info, &params, true, nullptr);
        if (!rider) return;
        Shape rider_shape = {{{{0, 0, 0}, 0.9f, 0.8f, 2500, 250}}, 0.9f};
        Shape frame_shape = {{{{0, 0, 0}, 0.6f, 0.8f, 2500, 250}}, 0.6f};
        contact_set_shape(&contacts, 0, SHAPED_RIDER, &rider_shape);
        contact_set_shape(&contacts, 0, SHAPED_FRAME, &frame_shape);
        const double up[3] = {0, 1, 0};
        bike_body_turn(&rider->bike, up, heading);
        double lowest =
            info->rear_wheel.position[1] - info->rear_wheel.tire_major_radius - info->rear_wheel.tire_tube_radius;
        const double offset[3] = {x, terrain_height(ground, (float)x, (float)z) - lowest + 0.02, z};
        bike_body_move(&rider->bike, offset);

        env.world = &w;
        env.gate_drop_tick = 0;
        env.is_realign_after_fall = true;
        env.is_steering_assist = true;
        env.front_friction = [](void* self, const Rider* r) {
            return rider_front_surface_friction(((ScriptedRider*)self)->ground, r);
        };
        env.ground_height = [](void* self, float x, float z) {
            return terrain_height(((ScriptedRider*)self)->ground, x, z);
        };
        env.collision_timer = [](void* self, Rider* r) {
            return &((ScriptedRider*)self)->contacts.rider[r->slot].collision_timer;
        };
        env.self = this;
        realign.gate_target = [](void* self, const Rider*, double out[3]) {
            ScriptedRider* s = (ScriptedRider*)self;
            for (int i = 0; i < 3; i++) out[i] = s->gate_target[i];
            return s->has_gate_target;
        };
        realign.self = this;
        env.realign = &realign;
        ok = true;
    }
    ~ScriptedRider()
    {
        contact_scene_free(&contacts);
        rider_slots_free(slots);
        terrain_free(ground);
        physics_world_destroy_contacts(&w);
        physics_world_destroy(&w);
    }

    // One tick: the channels become the rider's controls, then the world tick.
    void step()
    {
        rider_apply_channels(rider, channels, &input);
        tick_ops ops = {};
        ops.make_contacts = [](void* self, rider_slots* s, physics_world* world, int t) {
            contact_make(&((ScriptedRider*)self)->contacts, s, world, t);
        };
        ops.wheel_query = [](void* self, Rider* r, int t) {
            contact_wheel_query(&((ScriptedRider*)self)->contacts, r, t);
        };
        ops.control_step = [](void* self, Rider* r, int t) { rider_control_step(r, t, &((ScriptedRider*)self)->env); };
        ops.self = this;
        world_tick(&w, slots, tick, &ops);
        tick++;
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
        double error = speed_ft_s - speed();
        channels[CHANNEL_THROTTLE] = clampf((float)(0.3 + 0.15 * error), 0, 1);
        channels[CHANNEL_FRONT_BRAKE] = channels[CHANNEL_REAR_BRAKE] = clampf((float)(-0.1 * error - 0.2), 0, 1);
        channels[CHANNEL_STEER] = steer;
    }
    // Steering input that turns the bike towards heading `want` (rad): a
    // positive input leans the bike to its +x side and turns it that way.
    float steer_towards(double want) const
    {
        double e = remainder(want - heading(), 2 * M_PI);
        return clampf((float)(-2 * e), -1, 1);
    }
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
