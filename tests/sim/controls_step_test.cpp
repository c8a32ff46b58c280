#include "sim/controls_step.h"

#include <gtest/gtest.h>
#include <math.h>

#include <map>
#include <string>

#include "riding_scene.h"
#include "sim/crash.h"
#include "sim/rider_step.h"

namespace {

// What the steps saw: how often each ran and the bike's state at two of them.
struct Recorder {
    std::map<std::string, int> runs;
    float fork_motor_velocity_at_steering = -1;
    float front_brake_torque_at_damping = -1;
    float engine_speed_at_damping = -1;
};

#define RECORD(name, extra)                                  \
    [](void* self, Rider* r, int) {                          \
        Recorder* rec = (Recorder*)self;                     \
        rec->runs[name]++;                                   \
        (void)r;                                             \
        extra;                                               \
    }

rider_step_ops recording_ops(Recorder* rec)
{
    rider_step_ops ops = {};
    ops.fall_mark = RECORD("fall mark", );
    ops.collision_timer = RECORD("collision timer", );
    ops.airborne = RECORD("airborne", );
    ops.crash = RECORD("crash", );
    // The assists hold the bike for this tick only.
    ops.assists = RECORD("assists", r->controls.front_brake = 1; r->controls.rear_brake = 1; r->controls.dab = 1);
    ops.rider_springs = RECORD("rider springs", );
    ops.steering = RECORD("steering", rec->fork_motor_velocity_at_steering =
                                          (float)dJointGetSliderParam(r->bike.joint[JOINT_FORK], dParamVel));
    ops.steering_damping = RECORD("steering damping",
                                  rec->front_brake_torque_at_damping =
                                      (float)dJointGetHingeParam(r->bike.joint[JOINT_FRONT_AXLE], dParamFMax);
                                  rec->engine_speed_at_damping = r->engine_speed);
    ops.dab = RECORD("dab", );
    ops.free_feet = RECORD("free feet", );
    ops.store_history = RECORD("history", );
    ops.self = rec;
    return ops;
}

TEST(ControlsStep, ForcesReachTheStepsThatReadThemAndAssistsLastOneTick) {
    RidingScene s;
    ASSERT_TRUE(s.create(0, /*hold_upright*/ false));
    Recorder rec;
    rider_step_ops ops = recording_ops(&rec);
    s.r->controls.front_brake = 0.25f;
    s.r->controls.dab = 0;
    controls_step(s.r, 1, &ops);

    EXPECT_EQ(rec.runs.size(), 11u);
    for (const auto& run : rec.runs) EXPECT_EQ(run.second, 1) << run.first;
    EXPECT_EQ(rec.fork_motor_velocity_at_steering, 100);  // fork force set before steering
    // Drivetrain and brakes ran before the steering damping, with the
    // assists' full front brake (no ground contact: no antilock release).
    EXPECT_FLOAT_EQ(rec.front_brake_torque_at_damping, s.r->params.front_brake_torque);
    EXPECT_GT(rec.engine_speed_at_damping, 0);
    // The player's own controls are back afterwards.
    EXPECT_FLOAT_EQ(s.r->controls.front_brake, 0.25f);
    EXPECT_FLOAT_EQ(s.r->controls.rear_brake, 0);
    EXPECT_FLOAT_EQ(s.r->controls.dab, 0);
}

TEST(ControlsStep, FadedRiderOnlyMarksAndMovesItsFeet) {
    RidingScene s;
    ASSERT_TRUE(s.create(0, false));
    bike_body_set_presence(&s.r->bike, 0.25f);
    Recorder rec;
    rider_step_ops ops = recording_ops(&rec);
    controls_step(s.r, 1, &ops);
    const std::map<std::string, int> want = {{"fall mark", 1}, {"free feet", 1}};
    EXPECT_EQ(rec.runs, want);
    EXPECT_EQ(s.r->engine_speed, 0);
    EXPECT_EQ(dJointGetSliderParam(s.r->bike.joint[JOINT_FORK], dParamFMax), 0);
}

TEST(ControlsStep, NullOpsRunTheBikeAlone) {
    RidingScene s;
    ASSERT_TRUE(s.create(0, false));
    s.r->controls.gear = 0;
    s.r->controls.shift = 1;
    controls_step(s.r, 1, nullptr);
    EXPECT_EQ(s.r->controls.gear, 1);  // a manual upshift
    EXPECT_GT(s.r->engine_speed, 0);
}

TEST(ControlsStep, BikeResetStopsTheEngineAndSelectsFirstGear) {
    RidingScene s;
    ASSERT_TRUE(s.create(0, false));
    s.r->controls.shift = 1;
    s.r->controls.clutch = 1;
    for (int t = 0; t < 64; t++) controls_step(s.r, t, nullptr);
    ASSERT_EQ(s.r->controls.gear, 1);
    ASSERT_NE(s.r->engine_angle, 0);
    rider_reset(s.r);
    EXPECT_EQ(s.r->engine_speed, 0);
    EXPECT_EQ(s.r->engine_angle, 0);
    EXPECT_EQ(s.r->controls.gear, 0);
    EXPECT_EQ(s.r->last_shift, 0);
    // A held upshift after the reset shifts again.
    s.r->controls.shift = 1;
    controls_step(s.r, 0, nullptr);
    EXPECT_EQ(s.r->controls.gear, 1);
}

TEST(ControlsStep, CrashedRiderDrivesNoThrottle) {
    // Controls written straight into the record while crashed, as a replay or
    // a robot may: the crash step cuts the throttle before the drivetrain runs.
    float engine_speed[2];
    for (int k = 0; k < 2; k++) {
        SCOPED_TRACE(k);
        RidingScene s;
        ASSERT_TRUE(s.create(0, false));
        rider_crash(s.r, nullptr);
        s.r->controls.throttle = k == 0 ? 1.0f : 0.0f;
        rider_model_env env = {};
        env.world = &s.scene->world;
        rider_control_step(s.r, 1, &env);
        EXPECT_EQ(s.r->controls.throttle, 0);
        engine_speed[k] = s.r->engine_speed;
    }
    EXPECT_EQ(engine_speed[0], engine_speed[1]);
}

}  // namespace
