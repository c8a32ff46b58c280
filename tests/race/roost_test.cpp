#include "race/roost.h"

#include <gtest/gtest.h>
#include <math.h>

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

}  // namespace
