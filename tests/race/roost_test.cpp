#include "race/roost.h"

#include <gtest/gtest.h>
#include <math.h>

#include <random>
#include <vector>

#include "base/num.h"
#include "sim/bike_body.h"
#include "sim/world.h"
#include "track/terrain.h"
#include "track/tileinfo.h"

namespace {

struct Flight {
    RoostPool pool = {};
    Terrain* ground = terrain_create(4, 1.0f, 10);  // flat at 10 ft
    RoostType type = roost_default_type();
    Flight() { roost_pool_make(&pool); }
    ~Flight() { terrain_free(ground); }
    const RoostParticle& first() const { return pool.particles[pool.active_head]; }
    // Ticks until the particle launched at y with upward speed vy dies (-1: still flying after `limit`).
    int lifetime(float y, float vy, int limit = 2000) {
        const float at[3] = {16, y, 16}, v[3] = {0, vy, 0};
        EXPECT_TRUE(roost_launch(&pool, type, at, v));
        for (int tick = 1; tick <= limit; tick++) {
            roost_step(&pool, ground);
            if (pool.active_count == 0) return tick;
        }
        return -1;
    }
};

TEST(RoostFlight, DiesOnlyFallingBelowTheGround) {
    struct {
        const char* name;
        float y, vy;
        int min_ticks, max_ticks;
    } cases[] = {
        // Up at 16 ft/s: half a second up, half a second down (drag slows it a little).
        {"launched upward from the ground", 10.01f, 16, 110, 130},
        {"launched below the ground while rising lives until it falls", 5, 16, 60, 66},
        {"dropped above the ground falls to it", 11, 0, 30, 34},
        {"below the ground and not rising dies at once", 9, 0, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Flight f;
        f.type.drag = 0;
        const int ticks = f.lifetime(c.y, c.vy);
        EXPECT_GE(ticks, c.min_ticks);
        EXPECT_LE(ticks, c.max_ticks);
        EXPECT_FALSE(f.pool.particles[0].sprite.is_visible);
        EXPECT_EQ(f.pool.free_head, 0);  // back on the free list
    }
}

TEST(RoostFlight, SpriteGrowsAndFadesWithinItsRange) {
    Flight f;
    f.type.grow = 2.56f;  // 0.02 ft per tick
    f.type.colour[0] = 250, f.type.colour[3] = 5;
    f.type.fade_per_tick[0] = 3, f.type.fade_per_tick[3] = -2;
    const float at[3] = {16, 40, 16}, v[3] = {0, 0, 0};
    ASSERT_TRUE(roost_launch(&f.pool, f.type, at, v));
    for (int i = 0; i < 3; i++) roost_step(&f.pool, f.ground);
    const RoostParticle& p = f.first();
    EXPECT_NEAR(p.sprite.size, f.type.size + 0.06f, 1e-5f);
    EXPECT_EQ(p.sprite.colour[0], 255);
    EXPECT_EQ(p.sprite.colour[3], 0);
    EXPECT_EQ(p.sprite.position[1], p.position[1]);
    EXPECT_TRUE(p.sprite.is_visible);
}

TEST(RoostFlight, DragBeyondOneTickKillsInsteadOfBlowingUp) {
    Flight f;
    f.type.drag = 1000;  // drag x tick > 1: the velocity flips and grows each tick
    const int ticks = f.lifetime(30, 5, 1000);
    EXPECT_GT(ticks, 0);
    for (const RoostParticle& p : f.pool.particles) EXPECT_FALSE(p.sprite.is_visible);
}

TEST(RoostPool, TwoThousandThenFullThenFree) {
    Flight f;
    const float at[3] = {16, 50, 16}, v[3] = {0, 0, 0};
    for (int i = 0; i < ROOST_PARTICLES; i++) ASSERT_TRUE(roost_launch(&f.pool, f.type, at, v));
    EXPECT_FALSE(roost_launch(&f.pool, f.type, at, v));
    EXPECT_EQ(f.pool.active_count, ROOST_PARTICLES);
    roost_free_all(&f.pool);
    EXPECT_EQ(f.pool.active_count, 0);
    roost_step(&f.pool, f.ground);
    for (const RoostParticle& p : f.pool.particles) EXPECT_FALSE(p.sprite.is_visible);
    EXPECT_TRUE(roost_launch(&f.pool, f.type, at, v));
}

// A wheel of radius 1.1667 ft on flat ground at 0, rolling towards -z at
// 20 ft/s and spinning so its contact slips backwards at `slip` ft/s.
struct ThrowingWheel {
    physics_world world = {};
    wheel_record w = {};
    Terrain* ground = terrain_create(5, 1.0f, 0);
    RoostPool pool = {};
    std::mt19937 random{7};
    static constexpr float RADIUS = 1.16666f;

    explicit ThrowingWheel(int kind, float slip = 40) {
        EXPECT_TRUE(physics_world_create(&world));
        w.body = dBodyCreate(world.world);
        dBodySetPosition(w.body, 16, RADIUS, 16);
        dBodySetLinearVel(w.body, 0, 0, -20);
        dBodySetAngularVel(w.body, -(20 + slip) / RADIUS, 0, 0);
        w.axle[0] = 1;
        w.contact_point[0] = 16, w.contact_point[2] = 16;
        w.contact_velocity[2] = slip;
        w.contact_normal[1] = 1;
        w.depth = 0.1f;
        RoostType& type = ground->surfaces.entries[0].roost[0];
        type = roost_default_type();
        type.kind = kind;
        type.count = 8;
        type.randomize = 0;
        type.vscale = 1;
        type.slow_angle = 1.0f, type.fast_angle = 1.0f;
        roost_pool_make(&pool);
        pool.random = &random;
        pool.density = 1000;
    }
    ~ThrowingWheel() {
        dBodyDestroy(w.body);
        physics_world_destroy(&world);
        terrain_free(ground);
    }
    // The flying particles, first launched first.
    std::vector<const RoostParticle*> thrown() const {
        std::vector<const RoostParticle*> out;
        for (int i = pool.active_head; i >= 0; i = pool.particles[i].next) out.insert(out.begin(), &pool.particles[i]);
        return out;
    }
};

TEST(RoostThrow, DirtLeavesTheRimBehindAndAbove) {
    for (bool front : {false, true}) {
        SCOPED_TRACE(front ? "front: within pi/8 of the contact" : "rear: the surface's arc");
        ThrowingWheel t(ROOST_KIND_ROOST);
        roost_emit(&t.pool, &t.w, front, t.ground, 0);
        const auto thrown = t.thrown();
        ASSERT_EQ(thrown.size(), 8u);
        for (size_t i = 0; i < thrown.size(); i++) {
            const RoostParticle* p = thrown[i];
            // Particle i starts i/8 of a tick along its flight from the rim.
            float at[3];
            for (int a = 0; a < 3; a++) at[a] = p->position[a] - p->velocity[a] * (i / 8.0f) / 128;
            // On the rim: angle from straight down, turned rearwards (+z) and up.
            const float dz = at[2] - 16, dy = at[1] - ThrowingWheel::RADIUS;
            EXPECT_NEAR(hypotf(dz, dy), ThrowingWheel::RADIUS, 1e-3f);
            const float angle = atan2f(dz, -dy);
            EXPECT_GE(angle, -1e-3f);
            EXPECT_LE(angle, (front ? PI_F / 8 : 1.0f) + 0.05f);
            EXPECT_GE(at[1], -1e-3f);
            EXPECT_GT(p->velocity[2], 0);  // flung backwards
            EXPECT_NEAR(at[0], 16, 1e-4f);
            EXPECT_TRUE(p->sprite.is_visible);
            EXPECT_FLOAT_EQ(p->sprite.size, p->type->size);
        }
    }
}

TEST(RoostThrow, NothingWithoutSlipContactOrDensity) {
    struct {
        const char* name;
        float slip;
        float depth;
        int density;
        int at_most;
    } cases[] = {
        {"slip below the threshold", 3.9f, 0.1f, 1000, 0},
        {"in the air", 40, 0, 1000, 0},
        {"density 0", 40, 0.1f, 0, 0},
        {"density 100: one a tick", 40, 0.1f, 100, 1},
        {"density 150: one or two", 40, 0.1f, 150, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ThrowingWheel t(ROOST_KIND_ROOST, c.slip);
        t.w.depth = c.depth;
        t.pool.density = c.density;
        roost_emit(&t.pool, &t.w, false, t.ground, 0);
        EXPECT_LE(t.pool.active_count, c.at_most);
        if (c.density >= 100 && c.depth > 0 && c.slip > 4) {
            EXPECT_GE(t.pool.active_count, 1);
        }
    }
}

TEST(RoostThrow, SplashAlternatesSidesByParticleAndTick) {
    for (int now : {0, 1}) {
        SCOPED_TRACE(now);
        ThrowingWheel t(ROOST_KIND_SPLASH);
        roost_emit(&t.pool, &t.w, false, t.ground, now);
        const auto thrown = t.thrown();
        ASSERT_EQ(thrown.size(), 8u);
        for (size_t i = 0; i < thrown.size(); i++) {
            // Moving along -z with the ground's normal up, the first direction goes to -x.
            const float side = ((i ^ now) & 1) ? 1.0f : -1.0f;
            EXPECT_GE(thrown[i]->velocity[0] * side, 0) << i;
            EXPECT_GE(thrown[i]->velocity[1], 0) << i;
            EXPECT_NEAR(thrown[i]->velocity[2], 0, 1e-4f) << i;
        }
    }
}

}  // namespace
