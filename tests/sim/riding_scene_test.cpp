#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>

#include "riding_scene.h"
#include "sim/engine.h"
#include "sim/suspension.h"

namespace {

constexpr double FT_S_PER_MPH = 5280.0 / 3600;
constexpr int TICKS_PER_S = 128;

TEST(RidingScene, AcceleratesShiftsUpAndReachesTopSpeed) {
    RidingScene s;
    ASSERT_TRUE(s.create(0.1));
    s.clutch_lever = 1;
    for (int t = 0; t < TICKS_PER_S; t++) s.step();  // settle on the suspension, clutch in
    EXPECT_LT(s.speed(), 0.5);

    s.r->controls.throttle = 1;
    s.clutch_lever = 0;
    const double z0 = s.z();
    double time_to_60 = -1, top = 0;
    int top_gear = 0, shifts = 0;
    for (int t = 0; t < 25 * TICKS_PER_S; t++) {
        const int tick = s.tick, gear = s.r->controls.gear;
        s.step();
        const double v = s.speed();
        top = fmax(top, v);
        if (s.r->controls.gear != gear) {
            shifts++;
            EXPECT_EQ(tick % 32, 0) << "automatic shifts only every 32 ticks";
            EXPECT_EQ(s.r->controls.gear, gear + 1) << "one gear up at a time";
        }
        top_gear = s.r->controls.gear > top_gear ? s.r->controls.gear : top_gear;
        if (time_to_60 < 0 && v >= 60 * FT_S_PER_MPH) time_to_60 = (t + 1) / (double)TICKS_PER_S;
        ASSERT_TRUE(isfinite(v));
        ASSERT_LT(s.r->engine_speed * RPM_PER_RAD_S, 14000);
    }
    printf("0-60 mph %.2f s, top speed %.1f mph in gear %d after %.0f ft\n", time_to_60, top / FT_S_PER_MPH,
           top_gear + 1, z0 - s.z());
    EXPECT_EQ(top_gear, 4);  // fifth, the top gear of this bike
    EXPECT_EQ(shifts, 4);
    EXPECT_GT(time_to_60, 2.5);
    EXPECT_LT(time_to_60, 8);
    EXPECT_GT(top / FT_S_PER_MPH, 60);
    EXPECT_LT(top / FT_S_PER_MPH, 95);
    EXPECT_GT(z0 - s.z(), 0);  // forwards is -z
}

TEST(RidingScene, FullBrakingStopsWithoutLockingTheFront) {
    RidingScene s;
    ASSERT_TRUE(s.create(0.1));
    s.r->controls.throttle = 1;
    while (s.speed() < 60 * FT_S_PER_MPH && s.tick < 20 * TICKS_PER_S) s.step();
    ASSERT_GE(s.speed(), 60 * FT_S_PER_MPH);

    s.r->controls.throttle = 0;
    s.clutch_lever = 1;
    s.r->controls.front_brake = 1;
    s.r->controls.rear_brake = 1;
    const double z0 = s.z();
    const int start = s.tick;
    int locked_run = 0, longest_lock = 0;  // ticks the front wheel stood still on the ground
    while (s.speed() > 0.5 && s.tick - start < 10 * TICKS_PER_S) {
        s.step();
        const float rate = (float)dJointGetHingeAngleRate(s.r->bike.joint[JOINT_FRONT_AXLE]);
        // Antilock lets a wheel that stopped in one tick turn again in the next.
        const bool is_locked = s.speed() > 10 && s.r->bike.wheel[0].depth > 0 && fabs(rate) < 1;
        locked_run = is_locked ? locked_run + 1 : 0;
        longest_lock = locked_run > longest_lock ? locked_run : longest_lock;
    }
    const double distance = z0 - s.z();
    printf("60-0 mph in %.0f ft, %.2f s\n", distance, (s.tick - start) / (double)TICKS_PER_S);
    EXPECT_LT(s.speed(), 0.5);
    EXPECT_GT(distance, 60);
    EXPECT_LT(distance, 250);
    EXPECT_LE(longest_lock, 1);
}

TEST(RidingScene, DroppedFromThreeFeetCompressesAndRecovers) {
    RidingScene s;
    ASSERT_TRUE(s.create(3));
    s.clutch_lever = 1;
    double min_fork = 0, min_arm = 0;
    double lowest = 1e9;
    for (int t = 0; t < 3 * TICKS_PER_S; t++) {
        s.step();
        min_fork = fmin(min_fork, dJointGetSliderPosition(s.r->bike.joint[JOINT_FORK]));
        min_arm = fmin(min_arm, dJointGetHingeAngle(s.r->bike.joint[JOINT_SWINGARM_PIVOT]));
        lowest = fmin(lowest, s.frame_height());
    }
    const double settled = s.frame_height();
    double travel = 0;
    for (int t = 0; t < TICKS_PER_S; t++) {
        s.step();
        travel = fmax(travel, fabs(s.frame_height() - settled));
    }
    printf("drop: fork to %.2f ft, swingarm to %.3f rad, frame settled at %.2f ft (lowest %.2f)\n", min_fork, min_arm,
           settled, lowest);
    // The landing uses a good part of both travels ...
    EXPECT_LT(min_fork, -0.3 * s.r->bike.info->fork_travel);
    EXPECT_LT(min_arm, -0.3 * s.r->bike.info->swingarm_travel);
    // ... and the bike comes back up and rests: both wheels down, no bouncing.
    EXPECT_GT(settled, lowest + 0.1);
    EXPECT_LT(travel, 0.01);
    EXPECT_GT(s.r->bike.wheel[0].depth, 0);
    EXPECT_GT(s.r->bike.wheel[1].depth, 0);
    // The suspension graph reads the sag as positive positions, at rest.
    const suspension_readout g = suspension_read(&s.r->bike);
    EXPECT_GT(g.fork_position, 0.05f);
    EXPECT_LT(g.fork_position, 0.5f);
    EXPECT_GT(g.swingarm_position, 0.1f);
    EXPECT_LT(g.swingarm_position, 0.5f);
    EXPECT_NEAR(g.fork_speed, 0, 0.05f);
    EXPECT_NEAR(g.shock_speed, 0, 0.05f);
    EXPECT_GT(g.fork_low_share, 0.5f);
    EXPECT_GT(g.shock_low_share, 0.5f);
    // The bodies stay together at their joints.
    const dReal* frame = dBodyGetPosition(s.r->bike.body[BODY_FRAME]);
    const dReal* rear = dBodyGetPosition(s.r->bike.body[BODY_REAR_WHEEL]);
    EXPECT_NEAR(frame[2] - rear[2], 3.6 - 6.0, 0.3);
}

}  // namespace
