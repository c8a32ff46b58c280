#include "sim/drivetrain.h"

#include <gtest/gtest.h>
#include <math.h>

#include "crf250_params.h"
#include "sim/engine.h"

namespace {

constexpr float PI_F = 3.14159265f;

float rad_s(float rpm) { return rpm / RPM_PER_RAD_S; }

TEST(EngineTorque, TablesInterpolatedAndBlendedByThrottle) {
    const BikeInfo* bike = crf250_row();
    ASSERT_NE(bike, nullptr);
    struct {
        const char* name;
        float rpm, throttle, want;
    } cases[] = {
        {"closed, table entry at 1000 rpm", 1000, 0, 1},
        {"closed, between 0 and 1500 rpm entries", 1250, 0, 0.5f},
        {"full, peak at 9500 rpm", 9500, 1, 19.1f},
        {"full, between 9500 and 10000", 9750, 1, 18.7f},
        {"half throttle at 9500: half way between the tables", 9500, 0.5f, (19.1f + bike->closed_throttle_torque[19]) / 2},
        {"full, zero at 13500", 13500, 1, 0},
        {"below 0 rpm: first entry", -3000, 1, 5},
        {"beyond the table: last entry", 40000, 1, -23.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(engine_torque(bike, c.rpm, c.throttle), c.want, 1e-3f);
    }
}

TEST(EngineTorque, WheelieCutConditions) {
    struct {
        const char* name;
        int stop_wheelies;
        bool front, rear;
        float pitch_rate;
        bool want;
    } cases[] = {
        {"front up, rear down, nose rising", 3, false, true, 0.5f, true},
        {"front up, nose barely dropping", 3, false, true, -0.02f, true},
        {"front up, nose already dropping", 3, false, true, -0.5f, false},
        {"both wheels down", 3, true, true, 0.5f, false},
        {"both wheels up (a jump)", 3, false, false, 0.5f, false},
        {"front only: brakes, not the engine", 2, false, true, 0.5f, false},
        {"off", 0, false, true, 0.5f, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(is_wheelie_cut(c.stop_wheelies, c.front, c.rear, c.pitch_rate), c.want);
    }
}

struct EngineRun {
    float max_rpm = 0;
    float final_rpm = 0;
};

EngineRun run_free_engine(const BikeInfo* bike, float throttle, int ticks)
{
    clutch_inputs in = {};
    in.ratio = drive_ratio(bike, 0, 51.0f / 13);
    in.throttle = throttle;
    in.engagement = 0;
    engine_state engine = {};
    EngineRun run;
    for (int t = 0; t < ticks; t++) {
        EXPECT_EQ(clutch_engine_step(bike, &in, &engine), 0);
        run.max_rpm = fmaxf(run.max_rpm, engine.speed * RPM_PER_RAD_S);
    }
    run.final_rpm = engine.speed * RPM_PER_RAD_S;
    return run;
}

TEST(Engine, ClutchOutSettlesAtIdleAndNeverPassesTheRevLimit) {
    const BikeInfo* bike = crf250_row();
    ASSERT_NE(bike, nullptr);
    const EngineRun closed = run_free_engine(bike, 0, 1280);
    EXPECT_NEAR(closed.final_rpm, 1500, 20);
    const EngineRun full = run_free_engine(bike, 1, 1280);
    EXPECT_LT(full.max_rpm, 14000);
    EXPECT_NEAR(full.final_rpm, 13500, 150);
}

clutch_inputs coupled(const BikeInfo* bike, float engagement)
{
    clutch_inputs in = {};
    in.ratio = drive_ratio(bike, 0, 51.0f / 13);
    in.engagement = engagement;
    in.wheel_rate = 0;
    in.auto_clutch_rpm = 0;
    return in;
}

TEST(Clutch, EngagementScalesTheDriveTorqueBySquare) {
    const BikeInfo* bike = crf250_row();
    ASSERT_NE(bike, nullptr);
    float torque[3];
    const float engagement[3] = {0, 0.5f, 1};
    for (int k = 0; k < 3; k++) {
        clutch_inputs in = coupled(bike, engagement[k]);
        engine_state engine = {rad_s(6000), 0.1f};
        torque[k] = clutch_engine_step(bike, &in, &engine);
    }
    EXPECT_EQ(torque[0], 0);
    EXPECT_GT(torque[2], 0);
    EXPECT_NEAR(torque[1], torque[2] / 4, 1e-3f * torque[2]);
}

TEST(Clutch, WindUpLimitDragsTheEngineSideAlong) {
    const BikeInfo* bike = crf250_row();
    ASSERT_NE(bike, nullptr);
    clutch_inputs in = coupled(bike, 0.5f);
    const float limit = PI_F / 8;
    engine_state engine = {rad_s(6000), 1.0f};  // wound up beyond the limit
    for (int t = 0; t < 4; t++) {
        SCOPED_TRACE(t);
        in.wheel_angle = 0.1f * t;
        clutch_engine_step(bike, &in, &engine);
        // Clamped to the limit, then advanced by one tick of the new engine speed.
        EXPECT_NEAR(engine.angle - in.wheel_angle, limit + engine.speed * (1.0f / 128) / in.ratio, 1e-4f);
    }
    // An angle across the half turn is measured the short way round.
    in.wheel_angle = PI_F - 0.05f;
    engine.angle = -PI_F + 0.05f;  // 0.1 ahead of the wheel
    clutch_engine_step(bike, &in, &engine);
    EXPECT_GT(engine.angle, -PI_F);
    EXPECT_LE(engine.angle, PI_F);
}

TEST(Clutch, AutomaticClutchSlipsOnlyWhileTheEngineDrives) {
    const BikeInfo* bike = crf250_row();
    ASSERT_NE(bike, nullptr);
    clutch_inputs in = coupled(bike, 1);
    in.auto_clutch_rpm = 5000;
    struct {
        const char* name;
        float engine_rpm, wheel_rate;
        bool want_torque;
    } cases[] = {
        {"engine at 3000 rpm pulling a standing wheel: slips fully", 3000, 0, false},
        {"wheel driving the engine (engine braking): lever engagement holds", 3000, 20, true},
        {"engine at 8000 rpm: above the slip range", 8000, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        in.wheel_rate = c.wheel_rate;
        engine_state engine = {rad_s(c.engine_rpm), 0};
        const float n = clutch_engine_step(bike, &in, &engine);
        EXPECT_EQ(n != 0, c.want_torque) << n;
    }
    // Half way into the slip range: engagement 0.5 gives a quarter.
    in.wheel_rate = 0;
    engine_state engine = {rad_s(6000), 0};
    const float half = clutch_engine_step(bike, &in, &engine);
    in.auto_clutch_rpm = 0;
    engine = {rad_s(6000), 0};
    const float full = clutch_engine_step(bike, &in, &engine);
    EXPECT_NEAR(half, full / 4, 1e-3f * full);
}

TEST(Clutch, GearWithoutRatioTransmitsNothing) {
    const BikeInfo* bike = crf250_row();
    ASSERT_NE(bike, nullptr);
    EXPECT_EQ(drive_ratio(bike, 5, 4), 0);  // five-gear bike
    clutch_inputs in = coupled(bike, 1);
    in.ratio = 0;
    engine_state engine = {rad_s(6000), 0.5f};
    EXPECT_EQ(clutch_engine_step(bike, &in, &engine), 0);
    EXPECT_TRUE(isfinite(engine.speed) && isfinite(engine.angle));
}

TEST(Gearbox, ManualShiftingOnAFiveGearBike) {
    const BikeInfo* bike = crf250_row();
    ASSERT_NE(bike, nullptr);
    ASSERT_LE(bike->gear_ratio[5], 0);
    struct {
        const char* name;
        int gear, last, input;
        bool crashed;
        int want_gear, want_last;
    } cases[] = {
        {"up from first", 0, 0, 1, false, 1, 1},
        {"held up input does not shift again", 1, 1, 1, false, 1, 1},
        {"release is remembered", 1, 1, 0, false, 1, 0},
        {"down from first stays first", 0, 0, -1, false, 0, -1},
        {"up from fifth stays fifth (no sixth gear)", 4, 0, 1, false, 4, 1},
        {"fourth up to fifth", 3, -1, 1, false, 4, 1},
        {"crashed: nothing", 2, 0, 1, true, 2, 0},
        {"input outside -1..1: nothing", 2, 0, 2, false, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int gear = c.gear, last = c.last;
        manual_shift(bike, &gear, &last, c.input, c.crashed);
        EXPECT_EQ(gear, c.want_gear);
        EXPECT_EQ(last, c.want_last);
    }
    // Hammering upshift never reaches gear index 5.
    int gear = 0, last = 0;
    for (int k = 0; k < 20; k++) {
        manual_shift(bike, &gear, &last, k % 2, false);
        EXPECT_LT(gear, 5);
    }
    EXPECT_EQ(gear, 4);
}

TEST(Gearbox, AutomaticShiftingRules) {
    const BikeInfo* bike = crf250_row();
    ASSERT_NE(bike, nullptr);
    struct {
        const char* name;
        int tick;
        float swingarm;
        bool rear_contact;
        float slip;
        bool want;
    } due[] = {
        {"every 32 ticks, loaded, gripping", 64, -0.05f, true, 1, true},
        {"not between", 65, -0.05f, true, 1, false},
        {"rear suspension unloaded", 64, -0.005f, true, 1, false},
        {"rear wheel spinning up", 64, -0.05f, true, 3, false},
        {"rear wheel in the air may spin", 64, -0.05f, false, 3, true},
    };
    for (const auto& c : due) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(is_auto_shift_due(c.tick, c.swingarm, c.rear_contact, c.slip), c.want);
    }

    const float final_drive = 51.0f / 13;
    auto axle_rate_at = [&](int gear, float rpm) { return rad_s(rpm) / drive_ratio(bike, gear, final_drive); };
    struct {
        const char* name;
        int gear;
        float rpm;
        int want;
    } gears[] = {
        {"above the upshift rpm", 1, 12600, 2},
        {"between the shift points", 2, 10000, 2},
        {"below the downshift rpm", 2, 7900, 1},
        {"first gear stays on a downshift", 0, 3000, 0},
        {"top gear stays on an upshift", 4, 13000, 4},
    };
    for (const auto& c : gears) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(auto_shift_gear(bike, c.gear, final_drive, axle_rate_at(c.gear, c.rpm)), c.want);
    }
}

TEST(ClutchLever, LetOutOverThirtyTwoTicksPulledInAtOnce) {
    struct {
        const char* name;
        float engagement, lever, want;
    } cases[] = {
        {"released lever from disengaged: one step", 0, 0, 1.0f / 32},
        {"released lever near the top: capped at 1", 0.99f, 0, 1},
        {"pulled fully: disengaged at once", 1, 1, 0},
        {"pulled 7/8: already fully out", 1, 0.875f, 0},
        {"half lever from engaged: straight to the target", 1, 0.5f, 1 - 0.5f * 8 / 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(clutch_let_out(c.engagement, c.lever), c.want, 1e-5f);
    }
    float e = 0;
    int ticks = 0;
    while (e < 1 && ticks < 100) {
        e = clutch_let_out(e, 0);
        ticks++;
    }
    EXPECT_EQ(ticks, 32);
}

}  // namespace
