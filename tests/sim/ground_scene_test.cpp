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
#include "support/data_home.h"

#include "support/ground_scene.h"
#include "track/terrain.h"

namespace {

// The catalogue pose has both tires just above y = -0.1.
constexpr double POSE_GROUND = -0.1;

// The generated tracks in the build folder, read through the data layer.
struct GeneratedTracks {
    TestDataHome home{RW_BINARY_DIR};  // the generated content is the game data
    GeneratedTracks()
    {
        file_list();  // index the archives
    }
    ~GeneratedTracks()
    {
        shape_cache_free();
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

// The bike on `g`'s ground, standing with its front wheel near (x, z).
Rider* stand_bike(GroundScene* g, double x, double z)
{
    Rider* r = g->add_bike(0);
    // The bike's own collision shapes from the generated archive.
    if (!r || !g->load_shapes(0)) return nullptr;
    hold_suspension_extended(r);
    const double offset[3] = {x, terrain_height(g->ground, (float)x, (float)z) - POSE_GROUND, z - 1.11};
    bike_body_move(&r->bike, offset);
    return r;
}

}  // namespace

TEST(GroundScene, BikeSettlesOnBothTiresThenToppling)
{
    GeneratedTracks tracks;
    Terrain* t = GeneratedTracks::load("backyard");
    ASSERT_NE(t, nullptr) << "the content target has not run";
    double x, z;
    ASSERT_TRUE(find_flat_spot(t, &x, &z));
    float ground_y = terrain_height(t, (float)x, (float)z);
    GroundScene g(t);
    ASSERT_TRUE(g.ok);
    Rider* rider = stand_bike(&g, x, z);
    ASSERT_NE(rider, nullptr);
    // At rest on both tires for a quarter second, within the first two seconds.
    const int& tick = g.scene->tick;
    int resting_since = -1;
    while (tick < 256 && !(resting_since >= 0 && tick - resting_since >= 32)) {
        g.step();
        const bike_body& b = rider->bike;
        bool resting = b.wheel[0].depth > 0 && b.wheel[1].depth > 0 && frame_speed(rider) < 0.1;
        if (!resting) resting_since = -1;
        if (resting && resting_since < 0) resting_since = tick;
    }
    ASSERT_TRUE(resting_since >= 0 && tick - resting_since >= 32)
        << "speed " << frame_speed(rider) << " depths " << rider->bike.wheel[0].depth << " "
        << rider->bike.wheel[1].depth;
    EXPECT_GT(frame_up_y(rider), 0.99);  // still upright when it comes to rest

    // Nobody balances it: a tiny lean grows until it lies on its side.
    dBodyAddTorque(rider->bike.body[BODY_FRAME], 0, 0, 2);
    g.step(128 * 8);
    EXPECT_LT(frame_up_y(rider), 0.5);
    const dReal* p = dBodyGetPosition(rider->bike.body[BODY_FRAME]);
    EXPECT_GT(p[1], ground_y);  // lying on the ground, not through it
    EXPECT_LT(p[1], ground_y + 1.5);
    EXPECT_LT(frame_speed(rider), 1.0);
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
        GroundScene g(flat);
        ASSERT_TRUE(g.ok);
        Rider* rider = stand_bike(&g, 32, 28);
        ASSERT_NE(rider, nullptr);
        g.step(96);
        g.drive_torque = 400;
        g.step(64);
        const dReal* v = dBodyGetLinearVel(rider->bike.body[BODY_FRAME]);
        speed[k] = -v[2];  // forwards is -z
        EXPECT_GT(speed[k], 0.5);
    }
    EXPECT_GT(speed[1], speed[0] * 1.1);
    terrain_free(track);
}
