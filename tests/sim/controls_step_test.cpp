#include "sim/controls_step.h"

#include <gtest/gtest.h>
#include <math.h>

#include <string>
#include <vector>

#include "riding_scene.h"

namespace {

struct Recorder {
    std::vector<std::string> steps;
    float fork_motor_velocity_at_steering = -1;
    float front_brake_torque_at_damping = -1;
    float engine_speed_at_damping = -1;
};

#define RECORD(name, extra)                                  \
    [](void* self, Rider* r, int) {                          \
        Recorder* rec = (Recorder*)self;                     \
        rec->steps.push_back(name);                          \
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

TEST(ControlsStep, StepsRunInOrderAndAssistsLastOneTick) {
    RidingScene s;
    ASSERT_TRUE(s.create(0, /*hold_upright*/ false));
    Recorder rec;
    rider_step_ops ops = recording_ops(&rec);
    s.r->controls.front_brake = 0.25f;
    s.r->controls.dab = 0;
    controls_step(s.r, 1, &ops);

    const std::vector<std::string> want = {"fall mark", "collision timer", "airborne", "crash", "assists",
                                           "rider springs", "steering", "steering damping", "dab", "free feet",
                                           "history"};
    EXPECT_EQ(rec.steps, want);
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
    const std::vector<std::string> want = {"fall mark", "free feet"};
    EXPECT_EQ(rec.steps, want);
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

TEST(RiderControls, ClampedAndCutWhileCrashed) {
    struct {
        const char* name;
        int crash_timer;
        rider_control_inputs in;
        rider_control_inputs want;
    } cases[] = {
        {"in range, kept", 0, {-0.5f, 0.7f, 0.2f, 0.3f, 0.9f, 1, 0.5f, -0.25f, 1}, {-0.5f, 0.7f, 0.2f, 0.3f, 0.9f, 1, 0.5f, -0.25f, 1}},
        {"out of range, clamped", 0, {-3, 2, -1, 5, 2, 9, 4, 7, 0}, {-1, 1, 0, 1, 1, 1, 1, 1, 0}},
        {"not a number counts as the range's low end", 0, {NAN, NAN, NAN, NAN, NAN, NAN, NAN, NAN, 0}, {-1, 0, 0, 0, 0, 0, 0, -1, 0}},
        {"crashed: no throttle, back up or lean", 100, {0.5f, 1, 1, 1, 1, 1, 1, 1, -1}, {0.5f, 0, 1, 1, 1, 1, 0, 0, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rider r = {};
        r.crash_timer = c.crash_timer;
        rider_take_controls(&r, &c.in);
        EXPECT_FLOAT_EQ(r.controls.steering, c.want.steering);
        EXPECT_FLOAT_EQ(r.controls.throttle, c.want.throttle);
        EXPECT_FLOAT_EQ(r.controls.front_brake, c.want.front_brake);
        EXPECT_FLOAT_EQ(r.controls.rear_brake, c.want.rear_brake);
        EXPECT_FLOAT_EQ(r.controls.clutch, c.want.clutch);
        EXPECT_FLOAT_EQ(r.controls.dab, c.want.dab);
        EXPECT_FLOAT_EQ(r.controls.back_up, c.want.back_up);
        EXPECT_FLOAT_EQ(r.controls.lean, c.want.lean);
        EXPECT_EQ(r.controls.shift, c.want.shift);
    }
}

}  // namespace
