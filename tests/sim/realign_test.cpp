#include "sim/realign.h"

#include <gtest/gtest.h>
#include <math.h>

TEST(Realign, TurnsTowardsTheTargetSide)
{
    const double facing_minus_z[3] = {0, 0, 1};  // the frame's z axis points back: forward is -z
    struct {
        const char* name;
        float ox, oz;
        int timer;
        float want_speed, want_torque;
        bool want_push, want_dab;
    } cases[] = {
        // Ahead and 1 ft to the +x side at 10 ft: inside the cone, torque scaled by 4 p / a.
        {"slightly right, ahead", 1, -10, 0, -0.785398f, 320 * 10 * 0.4f, false, true},
        {"slightly left, ahead", -1, -10, 0, 0.785398f, 320 * 10 * 0.4f, false, true},
        {"to the side: full torque and lift", 10, -10, 0, -0.785398f, 3200, true, false},
        {"behind", 0, 10, 0, -0.785398f, 3200, true, false},
        {"after a hit: faster", 10, -10, -5, -3.14159265f, 3200, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        realign_plan p = realign_plan_for(facing_minus_z, c.ox, c.oz, c.timer, 10);
        EXPECT_TRUE(p.is_active);
        EXPECT_NEAR(p.yaw_speed, c.want_speed, 1e-5f);
        EXPECT_NEAR(p.max_torque, c.want_torque, 1e-2f);
        EXPECT_EQ(p.is_pushing_up, c.want_push);
        EXPECT_EQ(p.is_dab_running, c.want_dab);
    }
    const double upright_axis[3] = {0, 1, 0.01};  // the frame points straight up
    EXPECT_FALSE(realign_plan_for(upright_axis, 1, 1, 0, 10).is_active);
}

TEST(Realign, LineTargetBeforeTheGate)
{
    struct Sources {
        bool has_line, has_gate;
    } src = {false, true};
    realign_target_ops ops = {};
    ops.gate_target = [](void* self, const Rider*, double out[3]) {
        out[0] = 1, out[1] = 2, out[2] = 3;
        return ((Sources*)self)->has_gate;
    };
    ops.self = &src;
    double at[3];
    ASSERT_TRUE(realign_choose_target(&ops, nullptr, at));
    EXPECT_EQ(at[0], 1);
    ops.line_target = [](void* self, const Rider*, double out[3]) {
        out[0] = 9, out[1] = 9, out[2] = 9;
        return ((Sources*)self)->has_line;
    };
    ASSERT_TRUE(realign_choose_target(&ops, nullptr, at));
    EXPECT_EQ(at[0], 1);  // no line point: the gate
    src.has_line = true;
    ASSERT_TRUE(realign_choose_target(&ops, nullptr, at));
    EXPECT_EQ(at[0], 9);
    src.has_line = src.has_gate = false;
    EXPECT_FALSE(realign_choose_target(&ops, nullptr, at));
    EXPECT_FALSE(realign_choose_target(nullptr, nullptr, at));
}
