// Riding the generated track: the bike set down on the first starting-gate
// slot of "rabbithill" (the content the build generated, read through the
// data layer as the program reads it) pulls away down the start straight,
// brakes to a stop, and lands a drop onto the start pad.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "base/alloc.h"
#include "base/data_file.h"
#include "base/data_index.h"
#include "riding_scene.h"
#include "support/data_home.h"
#include "track/terrain.h"

namespace {

constexpr double FT_S_PER_MPH = 5280.0 / 3600;
constexpr int TICKS_PER_S = 128;

struct StartSlot {
    float x, y, z, angle;
};

// The first starting-gate slot of the track's "timing_gates" file.
bool first_start_slot(const char* folder, StartSlot* out)
{
    const std::string name = std::string("@") + folder + "/timing_gates";
    size_t size = 0;
    char* bytes = file_to_buffer(name.c_str(), &size);
    if (!bytes) return false;
    const std::string text(bytes, size);
    mem_free(bytes);
    const size_t at = text.find("startinggate:");
    if (at == std::string::npos) return false;
    return sscanf(text.c_str() + at + 13, " [ %f %f %f ] %f", &out->x, &out->y, &out->z, &out->angle) == 4;
}

// The game data folder is the build folder, as when the program runs from it.
class TrackRide : public ::testing::Test {
protected:
    TestDataHome home{RW_BINARY_DIR};  // the generated content is the game data
    StartSlot slot = {};
    Terrain* track = nullptr;  // handed to the scene
    void SetUp() override
    {
        ASSERT_TRUE(first_start_slot("rabbithill", &slot)) << "the content target has not run";
        TerrainLoadParams params{};
        track = terrain_load("rabbithill", params);
        ASSERT_NE(track, nullptr);
    }
};

TEST_F(TrackRide, PullsAwayDownTheStartStraightShiftsUpAndBrakes) {
    RidingScene s;
    const double at[3] = {slot.x, slot.y + 0.2, slot.z};
    ASSERT_TRUE(s.create_on(track, at, slot.angle));
    s.clutch_lever = 1;
    for (int t = 0; t < TICKS_PER_S; t++) s.step();  // settle behind the gate
    EXPECT_LT(s.speed(), 0.5);
    EXPECT_GT(s.r->bike.wheel[0].depth, 0);
    EXPECT_GT(s.r->bike.wheel[1].depth, 0);

    s.r->controls.throttle = 1;
    s.clutch_lever = 0;
    const double x0 = s.x(), z0 = s.z();
    double time_to_60 = -1;
    int top_gear = 0;
    for (int t = 0; t < 8 * TICKS_PER_S && time_to_60 < 0; t++) {
        s.step();
        ASSERT_TRUE(isfinite(s.speed()));
        if (s.r->controls.gear > top_gear) top_gear = s.r->controls.gear;
        if (s.speed() >= 60 * FT_S_PER_MPH) time_to_60 = (t + 1) / (double)TICKS_PER_S;
    }
    // Progress along the slot's heading, forwards (-sin, -cos).
    const double ahead = -(s.x() - x0) * sin(slot.angle) - (s.z() - z0) * cos(slot.angle);
    printf("rabbithill: 0-60 mph %.2f s over %.0f ft, gear %d\n", time_to_60, ahead, top_gear + 1);
    EXPECT_GT(time_to_60, 2.5);
    EXPECT_LT(time_to_60, 8);
    EXPECT_GE(top_gear, 2);
    EXPECT_GT(ahead, 100);

    // Full braking from there: it stops without locking the front wheel.
    s.r->controls.throttle = 0;
    s.clutch_lever = 1;
    s.r->controls.front_brake = 1;
    s.r->controls.rear_brake = 1;
    const double x1 = s.x(), z1 = s.z();
    const int start = s.tick;
    int locked_run = 0, longest_lock = 0;  // ticks the front wheel stood still on the ground
    while (s.speed() > 0.5 && s.tick - start < 10 * TICKS_PER_S) {
        s.step();
        const double rate = dJointGetHingeAngleRate(s.r->bike.joint[JOINT_FRONT_AXLE]);
        // Antilock lets a wheel that stopped in one tick turn again in the next.
        const bool is_locked = s.speed() > 10 && s.r->bike.wheel[0].depth > 0 && fabs(rate) < 1;
        locked_run = is_locked ? locked_run + 1 : 0;
        longest_lock = locked_run > longest_lock ? locked_run : longest_lock;
    }
    const double stop = hypot(s.x() - x1, s.z() - z1);
    printf("rabbithill: stopped in %.0f ft, %.2f s\n", stop, (s.tick - start) / (double)TICKS_PER_S);
    EXPECT_LT(s.speed(), 0.5);
    EXPECT_LT(stop, 250);
    EXPECT_LE(longest_lock, 1);
}

TEST_F(TrackRide, DroppedOntoTheStartPadComesToRest) {
    RidingScene s;
    const double at[3] = {slot.x, slot.y + 3, slot.z};
    ASSERT_TRUE(s.create_on(track, at, slot.angle));
    s.clutch_lever = 1;
    double min_fork = 0;
    for (int t = 0; t < 3 * TICKS_PER_S; t++) {
        s.step();
        min_fork = fmin(min_fork, dJointGetSliderPosition(s.r->bike.joint[JOINT_FORK]));
    }
    EXPECT_LT(min_fork, -0.3);
    EXPECT_LT(s.speed(), 0.1);
    EXPECT_GT(s.r->bike.wheel[0].depth, 0);
    EXPECT_GT(s.r->bike.wheel[1].depth, 0);
}

}  // namespace
