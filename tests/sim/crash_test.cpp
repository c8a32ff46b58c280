#include "sim/crash.h"

#include <gtest/gtest.h>
#include <math.h>

#include "sim/rider_rules.h"
#include "sim/rider_state.h"

TEST(CrashThresholds, AfterLandingAJump)
{
    struct {
        const char* name;
        float air, since;
        bool airborne;
        float want_speed, want_accel;
    } cases[] = {
        {"first 0.125 s after a 1 s jump", 1, 0.1f, false, 31, 1376},
        {"0.125 s after it", 1, 0.125f, false, 31, 1376},
        {"0.25 s after it", 1, 0.25f, false, 46.5f, 2064},
        {"long after", 1, 3, false, 46.5f, 2064},
        {"short hop", 0.5f, 0.05f, false, 46.5f, 2064},
        {"in the air", 1, 0.05f, true, 46.5f, 2064},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        float t = crash_threshold_scale(c.air, c.since, c.airborne);
        EXPECT_NEAR(CRASH_SPEED_LIMIT * t, c.want_speed, 1e-3f);
        EXPECT_NEAR(CRASH_ACCEL_LIMIT * t, c.want_accel, 1e-2f);
    }
    // Half way back up at 0.1875 s.
    EXPECT_NEAR(crash_threshold_scale(1, 0.1875f, false), 1.25f, 1e-5f);
}

TEST(CrashThresholds, TestFires)
{
    EXPECT_FALSE(crash_test_fires(31, 1376, 1, 0));
    EXPECT_TRUE(crash_test_fires(31.1f, 0, 1, 0));
    EXPECT_TRUE(crash_test_fires(0, 1377, 1, 0));
    EXPECT_FALSE(crash_test_fires(40, 2000, 1.5f, 0));
    EXPECT_FALSE(crash_test_fires(100, 5000, 1, -1));  // just bumped by another rider
    EXPECT_TRUE(crash_test_fires(100, 5000, 1, 10));
}

TEST(Crash, TimerDelaysAndSeatSprings)
{
    int delays[CRASH_DELAY_ENTRIES] = {};
    for (int k = 0; k < CRASH_DELAY_ENTRIES; k++) delays[k] = 10 * k;
    EXPECT_EQ(crash_timer_for(0, nullptr), 512);
    EXPECT_EQ(crash_timer_for(3, delays), 542);
    EXPECT_EQ(crash_timer_for(15, delays), 662);
    EXPECT_EQ(crash_timer_for(40, delays), 662);  // later crashes use the last entry
    EXPECT_NEAR(seat_spring_rest_length(512), 5, 1e-4f);
    EXPECT_NEAR(seat_spring_rest_length(700), 5, 1e-4f);
    EXPECT_NEAR(seat_spring_rest_length(320), 2.5f, 1e-3f);
    EXPECT_EQ(seat_spring_rest_length(128), 0);
    EXPECT_EQ(seat_spring_rest_length(1), 0);
}

TEST(RiderRules, LeanAngle)
{
    struct {
        const char* name;
        double axis[3], angle;
        float want;
    } cases[] = {
        {"upright", {0, 0, 1}, 0, 0},
        {"rolled about the frame's z axis", {0, 0, 1}, 0.3, 0.3f},
        {"rolled the other way", {0, 0, 1}, -0.5, -0.5f},
        {"heading turned: no lean", {0, 1, 0}, 1.2, 0},
        {"pitched nose up: no lean", {1, 0, 0}, 0.4, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dMatrix3 r;
        dRFromAxisAndAngle(r, c.axis[0], c.axis[1], c.axis[2], c.angle);
        EXPECT_NEAR(rider_lean_angle(r), c.want, 1e-5f);
    }
    // Lying on its side, heading turned: still 90 degrees.
    dQuaternion roll, yaw, both;
    dQFromAxisAndAngle(roll, 0, 0, 1, -1.5707963);
    dQFromAxisAndAngle(yaw, 0, 1, 0, 2.0);
    dQMultiply0(both, yaw, roll);
    dMatrix3 r;
    dRfromQ(r, both);
    EXPECT_NEAR(rider_lean_angle(r), -1.5707963f, 1e-3f);
}

TEST(RiderRules, TimersAndAirborne)
{
    EXPECT_EQ(collision_timer_step(64), 63);
    EXPECT_EQ(collision_timer_step(-600), -599);
    EXPECT_EQ(collision_timer_step(1), 0);
    EXPECT_EQ(collision_timer_step(-1), 0);
    rider_state s = {};
    rider_airborne_step(&s, 10, false, false, 3);  // rising: not a descent yet
    EXPECT_EQ(s.descent_tick, 0);
    rider_airborne_step(&s, 20, false, false, -1);
    EXPECT_EQ(s.descent_tick, 20);
    rider_airborne_step(&s, 21, false, false, -2);  // still the same descent
    EXPECT_EQ(s.descent_tick, 20);
    rider_airborne_step(&s, 148, true, false, -5);
    EXPECT_EQ(s.landing_tick, 148);
    rider_airborne_step(&s, 149, true, true, 0);
    EXPECT_EQ(s.landing_tick, 148);
    EXPECT_FALSE(rider_falls_behind(255, 0, 0));
    EXPECT_TRUE(rider_falls_behind(256, 0, 4.9f));
    EXPECT_FALSE(rider_falls_behind(256, 0, 5));
}
