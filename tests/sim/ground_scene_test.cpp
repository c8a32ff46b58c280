// Bikes on the ground: a crf250(2008) set down upright settles onto both
// tires, then (no rider controller yet) topples onto its side; a spun rear
// wheel drives the bike harder on a grippy surface than on sand. The ground
// is a small flat terrain built here.
#include <gtest/gtest.h>
#include <math.h>

#include "sim/bike_info.h"
#include "sim/collide.h"
#include "sim/slots.h"
#include "sim/world.h"
#include "sim/world_tick.h"
#include "track/terrain.h"

namespace {

constexpr float GROUND_Y = -0.1f;  // just under both tires at the catalogue pose

struct Scene {
    physics_world w = {};
    rider_slots* slots = nullptr;
    Terrain* ground = nullptr;
    contact_scene contacts;
    Rider* rider = nullptr;
    double drive_torque = 0;  // lb ft on the rear wheel, against the swingarm
    int crashes = 0;
    bool ok = false;

    explicit Scene(float friction)
    {
        if (!physics_world_create(&w)) return;
        slots = rider_slots_create();
        ground = terrain_create(5, 1.0f, GROUND_Y);  // 64 ft square
        const BikeInfo* info = find_bike_info("crf250(2008)");
        if (!slots || !ground || !info) return;
        TileInfo& s = ground->surfaces.entries[0];
        s.friction[0] = {friction, 1.0f};
        collide_ops ops = {};
        ops.crash = [](void* self, Rider*) { ((Scene*)self)->crashes++; };
        ops.self = this;
        contact_scene_init(&contacts, ground, &ops);
        rider = rider_create(slots, 0, RIDER_LOCAL, &w, info, nullptr, true, nullptr);
        if (!rider) return;
        // A rider sphere and a frame sphere, so a fallen bike rests on them.
        Shape rider_shape = {{{{0, 0, 0}, 0.9f, 0.8f, 2500, 250}}, 0.9f};
        Shape frame_shape = {{{{0, 0, 0}, 0.6f, 0.8f, 2500, 250}}, 0.6f};
        contact_set_shape(&contacts, 0, SHAPED_RIDER, &rider_shape);
        contact_set_shape(&contacts, 0, SHAPED_FRAME, &frame_shape);
        const double offset[3] = {32, 0, 28};
        bike_body_move(&rider->bike, offset);
        ok = true;
    }
    ~Scene()
    {
        contact_scene_free(&contacts);
        rider_slots_free(slots);
        terrain_free(ground);
        physics_world_destroy_contacts(&w);
        physics_world_destroy(&w);
    }

    void run(int ticks, int* tick)
    {
        tick_ops ops = {};
        ops.make_contacts = [](void* self, rider_slots* s, physics_world* world, int t) {
            contact_make(&((Scene*)self)->contacts, s, world, t);
        };
        ops.wheel_query = [](void* self, Rider* r, int t) { contact_wheel_query(&((Scene*)self)->contacts, r, t); };
        ops.control_step = [](void* self, Rider* r, int) {
            double torque = ((Scene*)self)->drive_torque;
            if (torque == 0) return;
            // The wheel's axle is its body x axis; driving forwards (-z) turns it about -x.
            dBodyAddRelTorque(r->bike.body[BODY_REAR_WHEEL], -torque, 0, 0);
            dBodyAddRelTorque(r->bike.body[BODY_SWINGARM], torque, 0, 0);
        };
        ops.self = this;
        for (int i = 0; i < ticks; i++, (*tick)++) world_tick(&w, slots, *tick, &ops);
    }

    double frame_speed() const
    {
        const dReal* v = dBodyGetLinearVel(rider->bike.body[BODY_FRAME]);
        return sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    }
    double frame_up_y() const { return dBodyGetRotation(rider->bike.body[BODY_FRAME])[5]; }
};

}  // namespace

TEST(GroundScene, BikeSettlesOnBothTiresThenToppling)
{
    Scene s(1.0f);
    ASSERT_TRUE(s.ok);
    // At rest on both tires for a quarter second, within the first two seconds.
    int tick = 0, resting_since = -1;
    while (tick < 256 && !(resting_since >= 0 && tick - resting_since >= 32)) {
        s.run(1, &tick);
        const bike_body& b = s.rider->bike;
        bool resting = b.wheel[0].depth > 0 && b.wheel[1].depth > 0 && s.frame_speed() < 0.1;
        if (!resting) resting_since = -1;
        if (resting && resting_since < 0) resting_since = tick;
    }
    ASSERT_TRUE(resting_since >= 0 && tick - resting_since >= 32)
        << "speed " << s.frame_speed() << " depths " << s.rider->bike.wheel[0].depth << " "
        << s.rider->bike.wheel[1].depth;
    EXPECT_GT(s.frame_up_y(), 0.99);  // still upright when it comes to rest

    // Nobody balances it: a tiny lean grows until it lies on its side.
    dBodyAddTorque(s.rider->bike.body[BODY_FRAME], 0, 0, 2);
    s.run(128 * 8, &tick);
    EXPECT_LT(s.frame_up_y(), 0.5);
    const dReal* p = dBodyGetPosition(s.rider->bike.body[BODY_FRAME]);
    EXPECT_GT(p[1], GROUND_Y);  // lying on the ground, not through it
    EXPECT_LT(p[1], GROUND_Y + 1.5);
    EXPECT_LT(s.frame_speed(), 1.0);
}

TEST(GroundScene, GripAcceleratesMoreThanSand)
{
    double speed[2];
    const float friction[2] = {0.35f, 1.2f};  // sand, hard-packed
    for (int k = 0; k < 2; k++) {
        Scene s(friction[k]);
        ASSERT_TRUE(s.ok);
        int tick = 0;
        s.run(96, &tick);
        s.drive_torque = 400;
        s.run(64, &tick);
        const dReal* v = dBodyGetLinearVel(s.rider->bike.body[BODY_FRAME]);
        speed[k] = -v[2];  // forwards is -z
        EXPECT_GT(speed[k], 0.5);
    }
    EXPECT_GT(speed[1], speed[0] * 1.3);
}
