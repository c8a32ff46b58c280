// Tire contact: friction by surface mode, stiffness, rolling resistance,
// friction direction, normals, the terrain searches, the wheel query and the
// hand-off records.
#include <gtest/gtest.h>
#include <math.h>

#include "crf250_fixture.h"
#include "sim/bike_body.h"
#include "sim/contact.h"
#include "sim/tire.h"
#include "track/terrain.h"

namespace {

TileInfo surface(int slip_function, std::initializer_list<FrictionPoint> points)
{
    TileInfo s = tileinfo_default_entry();
    s.slip_function = slip_function;
    for (int i = 0; i < TILEINFO_MAX_POINTS; i++) s.friction[i] = {1.0f, FRICTION_UNUSED_SLIP};
    int i = 0;
    for (const FrictionPoint& p : points) s.friction[i++] = p;
    return s;
}

// One wheel body (no bike) for the contact and query tests.
struct TestWheel {
    TestWorld world;
    wheel_record w = {};
    TestWheel(double x, double y, double z)
    {
        w.body = dBodyCreate(world.w.world);
        dMass m;
        dMassSetSphereTotal(&m, 0.5, 0.8);
        dBodySetMass(w.body, &m);
        dBodySetPosition(w.body, x, y, z);
        w.axle[0] = 1;
        w.major_radius = 0.83333f;
        w.tube_radius = 0.33333f;
    }
    ~TestWheel() { dBodyDestroy(w.body); }
};

// A wheel 0.1 ft into flat ground at height 0, sliding forwards (-z) at 4 ft/s.
struct SlidingWheel {
    Terrain* t = terrain_create(3, 1.0f, 0.0f);
    TestWheel tw{8.3, 0.83333 + 0.33333 - 0.1, 8.0};
    SlidingWheel() { dBodySetLinearVel(tw.w.body, 0, 0, -4); }
    ~SlidingWheel() { terrain_free(t); }
};

}  // namespace

TEST(TireContact, StiffnessGrowsWithDepthRatio)
{
    struct {
        const char* name;
        float depth, k, c;
    } cases[] = {
        {"depth 0.1 on tube 0.3333", 0.1f, 1648.0f, 262.1f},
        {"touching", 0.0f, 1000.0f, 200.0f},
        {"deeper than the tube is capped", 2.0f, 25000.0f, 2500.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        float k, d;
        tire_stiffness(c.depth, 0.3333f, &k, &d);
        EXPECT_NEAR(k, c.k, 0.5f);
        EXPECT_NEAR(d, c.c, 0.1f);
    }
}

TEST(TireContact, FrictionBySurfaceMode)
{
    const TileInfo one_point = surface(1, {{0.7f, 2.0f}});
    const TileInfo plain = surface(1, {{0.8f, 5.0f}, {1.2f, 15.0f}});
    const TileInfo squared = surface(0, {{0.8f, 5.0f}, {1.2f, 15.0f}});
    const TileInfo alternative = surface(2, {{0.6f, 1.0f}, {1.0f, 11.0f}});
    struct {
        const char* name;
        const TileInfo* s;
        float slip[3];
        float ground[3];  // contact velocity without the wheel's spin
        float mu;
    } cases[] = {
        {"empty second point: mu0 when slow", &one_point, {0, 0, 0.5f}, {0, 0, 0.5f}, 0.7f},
        {"empty second point: mu0 when fast", &one_point, {30, 0, 0}, {30, 0, 0}, 0.7f},
        {"below the first point", &plain, {0, 0, 1}, {0, 0, 1}, 0.8f},
        {"sideways slide at 10 ft/s, plain", &plain, {10, 0, 0}, {10, 0, 0}, 1.0f},
        {"sideways slide at 10 ft/s, squared", &squared, {10, 0, 0}, {10, 0, 0}, 0.8f + 0.4f * 75 / 200},
        {"beyond the last point", &plain, {0, 0, 40}, {0, 0, 40}, 1.2f},
        {"locked wheel skids: its slip speed", &alternative, {0, 0, -6}, {0, 0, -6}, 0.8f},
        {"rolling wheel: ground travel along the slip, capped by the slip",
         &alternative, {0, 0, -6}, {0, 0, -20}, 0.8f},
        {"spinning faster than it travels: negative, so mu0", &alternative, {0, 0, 6}, {0, 0, -20}, 0.6f},
        {"barely slipping uses the slip speed", &alternative, {0, 0, 0.05f}, {0, 0, -20}, 0.6f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(tire_friction(c.s, c.slip, c.ground), c.mu, 1e-5f);
    }
}

TEST(TireContact, ArcadeFrictionScale)
{
    EXPECT_FLOAT_EQ(tire_arcade_friction_scale(0), 1);
    EXPECT_FLOAT_EQ(tire_arcade_friction_scale(-(float)M_PI / 8), 0.8125f);
    EXPECT_FLOAT_EQ(tire_arcade_friction_scale((float)M_PI / 2), 0.625f);
}

TEST(TireContact, RollingResistanceFadesBelowOneFootPerSecond)
{
    TileInfo s = tileinfo_default_entry();  // one point: 5 lbf light, 15 lbf full load, from 1 ft/s
    const float up[3] = {0, 1, 0};
    struct {
        const char* name;
        double v[3];
        float depth;
        double want[3];
    } cases[] = {
        {"rolling at 4 ft/s, no load", {0, 0, -4}, 0, {0, 0, 5}},
        {"vertical motion does not count", {0, -7, -4}, 0, {0, 0, 5}},
        {"at 1 ft/s the full force", {1, 0, 0}, 0, {-5, 0, 0}},
        {"at 0.5 ft/s half of it", {0.5, 0, 0}, 0, {-2.5, 0, 0}},
        {"at rest nothing", {0, 0, 0}, 0, {0, 0, 0}},
        {"half the tube deep", {0, 0, 3}, 0.16666f, {0, 0, -10}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        double f[3];
        tire_rolling_resistance(&s, c.v, up, c.depth, 0.33333f, f);
        for (int i = 0; i < 3; i++) EXPECT_NEAR(f[i], c.want[i], 1e-3);
    }
}

TEST(TireContact, FirstFrictionDirection)
{
    const float up[3] = {0, 1, 0};
    const double axle[3] = {1, 0, 0};
    double d[3];
    const float sliding[3] = {0, 0, -3};
    ASSERT_TRUE(tire_first_direction(up, sliding, axle, d));
    EXPECT_NEAR(d[0], -1, 1e-9);  // up x (0, 0, -1)
    const float creeping[3] = {0, 0, 0.01f};
    ASSERT_TRUE(tire_first_direction(up, creeping, axle, d));
    EXPECT_NEAR(d[2], -1, 1e-9);  // up x axle
    const double flat_axle[3] = {0, 1, 0};
    EXPECT_FALSE(tire_first_direction(up, creeping, flat_axle, d));
}

TEST(TireContact, GroundNormalNeverPointsDown)
{
    struct {
        const char* name;
        double n[3], want[3];
    } cases[] = {
        {"up stays, made unit", {0, 2, 0}, {0, 1, 0}},
        {"cliff face tipped slightly down becomes horizontal", {0.995, -0.0998, 0}, {1, 0, 0}},
        {"nearly straight down becomes up", {0.01, -1, 0.02}, {0, 1, 0}},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(contact_ground_normal(c.n));
        for (int i = 0; i < 3; i++) EXPECT_NEAR(c.n[i], c.want[i], 1e-9);
    }
    double none[3] = {0, 0, 0};
    EXPECT_FALSE(contact_ground_normal(none));
}

TEST(TireContact, DeepestAndFirstContactOnTerrain)
{
    Terrain* t = terrain_create(3, 1.0f, 2.0f);  // 17 x 17 vertices, 1 ft apart, flat at 2 ft
    ASSERT_NE(t, nullptr);
    struct {
        const char* name;
        double x, y, z;
        double depth;
    } cases[] = {
        {"resting 0.1 deep", 8.3, 2 + 0.83333 + 0.33333 - 0.1, 8.6, 0.1},
        {"on a cell corner", 8.0, 2 + 0.83333 + 0.33333 - 0.05, 8.0, 0.05},
        {"in the air", 8.3, 4, 8.6, 0},
        {"off the grid meets the edge's heights", -30, 2 + 0.83333 + 0.33333 - 0.1, 40, 0.1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        torus_shape tire = {{c.x, c.y, c.z}, {1, 0, 0}, 0.83333, 0.33333};
        torus_hit deep, first;
        EXPECT_EQ(tire_deepest_contact(t, &tire, &deep), c.depth > 0);
        EXPECT_EQ(tire_first_contact(t, &tire, &first), c.depth > 0);
        if (c.depth <= 0) continue;
        EXPECT_NEAR(deep.depth, c.depth, 1e-5);
        EXPECT_NEAR(first.depth, c.depth, 1e-5);
        EXPECT_NEAR(deep.normal[1], 1, 1e-9);
        EXPECT_NEAR(deep.point[1], 2 - c.depth, 1e-5);
    }
    terrain_free(t);
}

TEST(TireContact, StepEdgeGivesUpwardHorizontalOrUpNormal)
{
    // A 1 ft step rising over 0.25 ft at z = 8: the tire rolls against its top edge.
    Terrain* t = terrain_create(5, 0.25f, 0.0f);
    ASSERT_NE(t, nullptr);
    for (int k = 0; k < t->dim; k++)
        for (int i = 0; i < t->dim; i++) t->heights[i + t->dim * k] = k >= 33 ? 1.0f : 0.0f;
    torus_shape tire = {{8.1, 1.1666, 7.4}, {1, 0, 0}, 0.83333, 0.33333};
    torus_hit hit;
    ASSERT_TRUE(tire_deepest_contact(t, &tire, &hit));
    EXPECT_GE(hit.normal[1], 0);
    EXPECT_LT(hit.normal[2], -0.9);  // pushed back off the step
    EXPECT_GT(hit.depth, 0.25);  // far deeper than its 0.0001 ft on the flat below
    terrain_free(t);
}

TEST(TireContact, ContactFillsTheRecordAndPushesUp)
{
    SlidingWheel s;
    ASSERT_TRUE(s.t && s.tw.world.ok);
    Terrain* t = s.t;
    TestWheel& tw = s.tw;
    ASSERT_TRUE(tire_contact(&tw.world.w, &tw.w, t, 1.0f));
    EXPECT_NEAR(tw.w.depth, 0.1f, 1e-5f);
    EXPECT_NEAR(tw.w.contact_normal[1], 1, 1e-6f);
    EXPECT_NEAR(tw.w.contact_velocity[2], -4, 1e-5f);
    physics_world_step(&tw.world.w);
    EXPECT_GT(tw.w.contact_feedback.f1[1], 0);
    EXPECT_GT(tw.w.contact_feedback.f1[2], 0);  // friction against the slide

    dBodySetPosition(tw.w.body, 8.3, 3, 8.0);
    EXPECT_FALSE(tire_contact(&tw.world.w, &tw.w, t, 1.0f));
    EXPECT_EQ(tw.w.depth, 0);
}

TEST(TireContact, QueryRunsOncePerTickAndReads)
{
    SlidingWheel s;
    ASSERT_TRUE(s.t && s.tw.world.ok);
    Terrain* t = s.t;
    TestWheel& tw = s.tw;
    dBodySetAngularVel(tw.w.body, -4 / 1.16666, 0, 0);  // rolling forwards (-z) without slip
    int stamp = -1;
    tire_query(&tw.w, t, 5, &stamp);
    EXPECT_EQ(stamp, 5);
    EXPECT_NEAR(tw.w.depth, 0.1f, 1e-5f);
    tire_reading r = tire_read(&tw.w);
    EXPECT_TRUE(r.has_contact);
    EXPECT_NEAR(r.point[1], -0.1f, 1e-5f);
    EXPECT_NEAR(r.ground_velocity[2], -4, 1e-5f);  // the spin does not count
    EXPECT_NEAR(r.slip[2], 0, 1e-3f);              // the spin carries the contact point back

    dBodySetPosition(tw.w.body, 8.3, 5, 8.0);
    tire_query(&tw.w, t, 5, &stamp);  // same tick: stored values stay
    EXPECT_NEAR(tw.w.depth, 0.1f, 1e-5f);
    tire_query(&tw.w, t, 6, &stamp);
    EXPECT_EQ(tw.w.depth, 0);
    EXPECT_FALSE(tire_read(&tw.w).has_contact);
}

TEST(TireContact, SprayCountsAndDebugText)
{
    wheel_record w = {};
    struct {
        int density;
        double draw;
        int particles;
    } cases[] = {{250, 0.3, 3}, {250, 0.6, 2}, {100, 0.0, 1}, {0, 0.0, 0}, {40, 0.39, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.density);
        EXPECT_EQ(tire_spray_record(&w, false, c.density, c.draw).particles, c.particles);
    }
    EXPECT_FLOAT_EQ(tire_spray_record(&w, true, 100, 0).angle_limit, (float)M_PI / 8);
    EXPECT_FLOAT_EQ(tire_spray_record(&w, false, 100, 0).angle_limit, 2 * (float)M_PI);

    TestWheel tw(0, 0, 0);
    ASSERT_TRUE(tw.world.ok);
    const float push[2] = {0, 0};
    EXPECT_EQ(tire_debug_text(&tw.w, push), "");
    tw.w.depth = 0.1f;
    dBodySetLinearVel(tw.w.body, 0, 0, -3);
    tw.w.contact_velocity[0] = 4;
    tw.w.contact_feedback.f1[0] = 10, tw.w.contact_feedback.f1[2] = 20;
    const float pushed[2] = {1, 2};
    const char* block = "speed=3.00\nslip=4.00\nfx=-10.00\nfz=20.00\npfx=-1.00\npfz=2.00\n";
    EXPECT_EQ(tire_debug_text(&tw.w, pushed), block);
    wheel_record airborne = {};
    EXPECT_EQ(tire_debug_marker(&airborne, push, &tw.w, pushed), std::string("front:\nrear:\n") + block);
}
