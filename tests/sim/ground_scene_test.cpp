// Bikes on the ground: a crf250(2008) set down upright on a flat part of the
// generated "backyard" track settles onto both tires, then (no rider
// controller yet) topples onto its side, landing on its collision shapes; a
// spun rear wheel drives the bike harder on the track's loam than on its sand.
#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>

#include <string>

#include "base/data_file.h"
#include "base/data_index.h"
#include "support/temp_dir.h"

#include "sim/bike_info.h"
#include "sim/collide.h"
#include "sim/slots.h"
#include "sim/world.h"
#include "sim/world_tick.h"
#include "track/terrain.h"

namespace {

// The catalogue pose has both tires just above y = -0.1.
constexpr double POSE_GROUND = -0.1;

// The generated tracks in the build folder, read through the data layer.
struct GeneratedTracks {
    TempDir home;
    GeneratedTracks()
    {
        setenv("XDG_DATA_HOME", (home.path + "/xdg").c_str(), 1);
        setenv("HOME", home.path.c_str(), 1);
        setenv("RW_HOME", RW_BINARY_DIR, 1);
        data_files_shutdown();
        file_list();  // index the archives
    }
    ~GeneratedTracks()
    {
        shape_cache_free();
        data_files_shutdown();
    }
    static Terrain* load(const char* folder)
    {
        TerrainLoadParams params = {};
        return terrain_load(folder, params);
    }
};

// A spot where the ground under a bike (3 ft wide, 9 ft long along z)
// varies by less than 0.02 ft, well inside the track; false if none.
bool find_flat_spot(const Terrain* t, double* x, double* z)
{
    for (double cz = t->size * 0.2; cz < t->size * 0.8; cz += 4) {
        for (double cx = t->size * 0.2; cx < t->size * 0.8; cx += 4) {
            float lo = 1e30f, hi = -1e30f;
            for (double dz = -1; dz <= 8; dz += 0.5)
                for (double dx = -1.5; dx <= 1.5; dx += 0.5) {
                    float h = terrain_height(t, (float)(cx + dx), (float)(cz + dz));
                    lo = h < lo ? h : lo, hi = h > hi ? h : hi;
                }
            if (hi - lo < 0.02f) {
                *x = cx, *z = cz;
                return true;
            }
        }
    }
    return false;
}

struct Scene {
    physics_world w = {};
    rider_slots* slots = nullptr;
    Terrain* ground = nullptr;
    contact_scene contacts;
    Rider* rider = nullptr;
    double drive_torque = 0;  // lb ft on the rear wheel, against the swingarm
    int crashes = 0;
    bool ok = false;

    // Takes `terrain`; the bike stands with its front wheel near (x, z).
    Scene(Terrain* terrain, double x, double z)
    {
        ground = terrain;
        if (!ground || !physics_world_create(&w)) return;
        slots = rider_slots_create();
        const BikeInfo* info = find_bike_info("crf250(2008)");
        if (!slots || !info) return;
        collide_ops ops = {};
        ops.crash = [](void* self, Rider*) { ((Scene*)self)->crashes++; };
        ops.self = this;
        contact_scene_init(&contacts, ground, &ops);
        rider = rider_create(slots, 0, RIDER_LOCAL, &w, info, nullptr, true, nullptr);
        if (!rider) return;
        // The bike's own collision shapes from the generated archive.
        if (contact_load_shapes(&contacts, 0, info) != 0) return;
        // No spring and shock forces here: hold fork and swingarm near full
        // extension, or the bike would sit on its frame. (Equal low and high
        // stops would mean no stops at all to the physics library.)
        dJointSetSliderParam(rider->bike.joint[JOINT_FORK], dParamLoStop, -0.001);
        dJointSetHingeParam(rider->bike.joint[JOINT_SWINGARM_PIVOT], dParamLoStop, -0.001);
        const double offset[3] = {x, terrain_height(ground, (float)x, (float)z) - POSE_GROUND, z - 1.11};
        bike_body_move(&rider->bike, offset);
        ok = true;
    }
    ~Scene()
    {
        contact_scene_free(&contacts);
        rider_slots_free(slots);
        terrain_free(ground);
        if (w.world) {
            physics_world_destroy_contacts(&w);
            physics_world_destroy(&w);
        }
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
    GeneratedTracks tracks;
    Terrain* t = GeneratedTracks::load("backyard");
    ASSERT_NE(t, nullptr) << "the content target has not run";
    double x, z;
    ASSERT_TRUE(find_flat_spot(t, &x, &z));
    float ground_y = terrain_height(t, (float)x, (float)z);
    Scene s(t, x, z);
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
    EXPECT_GT(p[1], ground_y);  // lying on the ground, not through it
    EXPECT_LT(p[1], ground_y + 1.5);
    EXPECT_LT(s.frame_speed(), 1.0);
}

TEST(GroundScene, GripAcceleratesMoreThanSand)
{
    // The track's own surfaces, each laid over a flat test ground.
    GeneratedTracks tracks;
    Terrain* track = GeneratedTracks::load("backyard");
    ASSERT_NE(track, nullptr) << "the content target has not run";
    const TileInfo* sand = nullptr;
    const TileInfo* loam = nullptr;
    for (const TileInfo& e : track->surfaces.entries) {
        if (e.name == "sand") sand = &e;
        if (e.name == "loam") loam = &e;
    }
    ASSERT_TRUE(sand && loam);
    double speed[2];
    const TileInfo* surfaces[2] = {sand, loam};
    for (int k = 0; k < 2; k++) {
        SCOPED_TRACE(surfaces[k]->name);
        Terrain* flat = terrain_create(5, 1.0f, 0.0f);  // 64 ft square
        ASSERT_NE(flat, nullptr);
        flat->surfaces.entries[0] = *surfaces[k];
        Scene s(flat, 32, 28);
        ASSERT_TRUE(s.ok);
        int tick = 0;
        s.run(96, &tick);
        s.drive_torque = 400;
        s.run(64, &tick);
        const dReal* v = dBodyGetLinearVel(s.rider->bike.body[BODY_FRAME]);
        speed[k] = -v[2];  // forwards is -z
        EXPECT_GT(speed[k], 0.5);
    }
    EXPECT_GT(speed[1], speed[0] * 1.1);
    terrain_free(track);
}
