#include "sim/dab.h"

#include <gtest/gtest.h>
#include <math.h>

#include "sim/setup_params.h"

namespace {

RiderParams dab_params()
{
    RiderParams p = {};
    p.auto_dab = true;
    p.max_dab_speed = 30;
    p.roll_limit_angle = 0.785f;
    return p;
}

}  // namespace

TEST(DabAssist, StandstillHoldAndDab)
{
    RiderParams p = dab_params();
    struct {
        const char* name;
        float speed, lean, throttle, clutch;
        bool both, crashed;
        bool want_set;
        float want_dab;
        bool want_held;
    } cases[] = {
        {"stopped, throttle closed: held", 0, 0, 0, 1, true, false, true, 1, true},
        {"stopped, clutch pulled: held", 1, 0, 0.5f, 0, true, false, true, 29.0f / 30, true},
        {"stopped, throttle and clutch: dab only", 1, 0, 0.5f, 1, true, false, true, 29.0f / 30, false},
        {"one wheel off: not held", 0, 0, 0, 1, false, false, true, 1, false},
        {"crashed: dab 0", 0, 0, 0, 1, true, true, true, 0, true},
        {"driving at 10 upright: nothing", 10, 0, 1, 1, true, false, false, 0, false},
        {"driving at 10 leaning: dab", 10, 0.3f, 1, 1, true, false, true, 20.0f / 30, false},
        {"faster than the dab speed", 31, 1, 0, 1, true, false, false, 0, false},
        {"at 25 leaning less than its lean threshold", 25, 0.5f, 0, 1, true, false, false, 0, false},
        {"at 25 leaning more", 25, 0.6f, 0, 1, true, false, true, 5.0f / 30, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dab_assist_result r = dab_assist(&p, 0, c.speed, c.lean, c.throttle, c.clutch, 0, c.crashed, c.both);
        EXPECT_EQ(r.is_dab_set, c.want_set);
        if (c.want_set) {
            EXPECT_NEAR(r.dab, c.want_dab, 1e-5f);
        }
        EXPECT_EQ(r.is_held, c.want_held);
    }
    // The player's own dab is the floor.
    EXPECT_EQ(dab_assist(&p, 0, 29, 1, 0, 1, 0.5f, false, true).dab, 0.5f);
    p.auto_dab = false;
    EXPECT_FALSE(dab_assist(&p, 0, 0, 0, 0, 1, 0, false, true).is_dab_set);
}

TEST(DabAssist, HardHitRaisesTheDabSpeed)
{
    RiderParams p = dab_params();
    EXPECT_EQ(dab_speed_limit(&p, 0), 30);
    EXPECT_EQ(dab_speed_limit(&p, -512), 75);
    p.max_dab_speed = 90;
    EXPECT_EQ(dab_speed_limit(&p, -600), 90);
}

TEST(DabAssist, HoldingForce)
{
    struct {
        const char* name;
        float vx, vz, want_x, want_z;
    } cases[] = {
        {"creeping below 0.25 ft/s", 0.2f, 0, 0, 0},
        {"1.5 ft/s: full force", 0, 1.5f, 0, -1000},
        {"0.75 ft/s: 40 percent", -0.75f, 0, 400, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        float f[2];
        holding_force(c.vx, c.vz, f);
        EXPECT_NEAR(f[0], c.want_x, 1e-2f);
        EXPECT_NEAR(f[1], c.want_z, 1e-2f);
    }
}

TEST(Walking, CycleAndStart)
{
    EXPECT_NEAR(walking_weight(1000 * 128, 0), 0, 1e-6f);
    EXPECT_NEAR(walking_weight(1000 * 128 + 63, 0), (1 - cosf(2 * 3.14159265f * 63 / 127)) / 2, 1e-6f);
    EXPECT_GT(walking_weight(1000 * 128 + 63, 0), 0.99f);
    // Before the first cycle after a gate drop at tick 300 (cycle starts 384),
    // ticks with bit 7 or 8 set rest.
    EXPECT_EQ(walking_weight(200, 300), 0);  // bit 7
    EXPECT_EQ(walking_weight(260, 300), 0);  // bit 8
    EXPECT_GT(walking_weight(60, 300), 0);
    EXPECT_GT(walking_weight(384 + 130, 300), 0);
    float f[2];
    walking_force(0, 0, 0, 4, f);
    EXPECT_NEAR(f[1], 2000, 1e-3f);
    walking_force(0, 3.5f, 0, 4, f);
    EXPECT_NEAR(f[1], 1000, 1e-3f);
}

TEST(DabTorque, RightsTheBikeAndFades)
{
    RiderParams p = dab_params();
    dab_torque_inputs in = {};
    in.speed = 2;
    in.back_up = 1;  // walking: no fade
    in.lean = -0.5f;
    EXPECT_EQ(dab_torque(&p, &in), -400);
    in.roll_rate = 1;  // already rolling up faster than pi/8
    EXPECT_EQ(dab_torque(&p, &in), 0);
    in.roll_rate = 0;
    in.lean = 0.5f;
    EXPECT_EQ(dab_torque(&p, &in), 400);
    in.lean = 0.05f;  // nearly upright: scaled down
    EXPECT_NEAR(dab_torque(&p, &in), 400 * 10.185916f * 0.05f, 1e-2f);
    // Not walking: faded unless the lean is large for the speed or the rider steers towards it.
    in.back_up = 0;
    in.lean = 0.1f;
    in.speed = 3;
    float faded = dab_torque(&p, &in);
    EXPECT_LT(fabsf(faded), 400);
    in.steering = -1;  // steering towards the side the dab pushes (target negative)
    EXPECT_NEAR(dab_torque(&p, &in), 400, 1e-2f);
    // Above 5 ft/s the saturation scales it.
    in.speed = 8;
    in.lean = 1.5f;
    in.saturation = 0.5f;
    EXPECT_NEAR(dab_torque(&p, &in), 200, 1e-3f);
}

TEST(DabTorque, Allowed)
{
    EXPECT_TRUE(dab_allowed(3, 30, 0, true, false));
    EXPECT_FALSE(dab_allowed(3, 30, 0, false, false));
    EXPECT_FALSE(dab_allowed(31, 30, 1, true, true));
    EXPECT_FALSE(dab_allowed(20, 30, 0.5f, true, true));
    EXPECT_TRUE(dab_allowed(20, 30, 0.6f, true, true));
    EXPECT_FALSE(dab_allowed(20, 30, 0.6f, true, false));
}
