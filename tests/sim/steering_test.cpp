#include "sim/steering.h"

#include <gtest/gtest.h>
#include <math.h>

#include "sim/setup_params.h"

namespace {

constexpr float DEG = 3.14159265f / 180;

RiderParams steering_params()
{
    RiderParams p = {};
    p.leveling = 20;
    p.roll_damping = 10;
    p.roll_limit_angle = 45 * DEG;
    p.roll_limit_factor = 32;
    p.steering_strength = 50;
    p.max_steering_force = 1000;
    p.direct_steering = 1;
    p.slow_damping_speed = 0;
    p.slow_damping_factor = 1;
    p.land_damping_factor = 1;
    p.full_lock_speed = 5;
    p.restricted_lock_speed = 40;
    p.restricted_lock_angle = 10 * DEG;
    return p;
}

steering_inputs riding(float lean, float roll_rate)
{
    steering_inputs in = {};
    in.lean = lean;
    in.roll_rate = roll_rate;
    in.wheel_speed = 30;
    in.axle_rate = 30;
    in.friction = 1;
    in.tire_height = 1;  // clear of the force-limit zone
    in.front_touches = true;
    in.steering_assist = true;
    return in;
}

}  // namespace

TEST(SteeringLockLimit, SpeedAndGrip)
{
    RiderParams p = steering_params();
    struct {
        const char* name;
        float friction, speed, want;
    } cases[] = {
        {"walking pace gives full lock whatever the restricted lock", 1, 3, 45 * DEG},
        {"standing still", 1, 0, 45 * DEG},
        {"restricted lock at speed", 1, 80, 10 * DEG},
        {"ice multiplies the restricted lock by 8", 0.1f, 80, 45 * DEG},
        {"half grip doubles it", 0.5f, 80, 20 * DEG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(steering_lock_limit(&p, c.friction, c.speed), c.want, 1e-4f);
    }
    // On ice the multiplied lock is capped at 45 degrees.
    p.restricted_lock_angle = 8 * DEG;
    EXPECT_NEAR(steering_lock_limit(&p, 0.05f, 80), 45 * DEG, 1e-5f);
    p.restricted_lock_angle = 5 * DEG;
    EXPECT_NEAR(steering_lock_limit(&p, 0.125f, 80), 40 * DEG, 1e-4f);
    // Between the two speeds the lock opens gradually.
    p.restricted_lock_angle = 10 * DEG;
    float mid = steering_lock_limit(&p, 1, 15);
    EXPECT_GT(mid, 10 * DEG);
    EXPECT_LT(mid, 45 * DEG);
}

TEST(NormalSteering, DirectSteeringOneTurnsWithTheInputTheLeanAndTheRollRate)
{
    RiderParams p = steering_params();
    auto torque = [&](float steering, float lean, float roll_rate) {
        steering_inputs in = riding(lean, roll_rate);
        in.steering = steering;
        float extra = 0;
        return normal_steering(&p, &in, &extra).torque;
    };
    // Each part alone turns the bar its own way, and a mirrored ride turns it
    // the other way by as much.
    struct {
        const char* name;
        float steering, lean, roll_rate;
        int sign;
    } cases[] = {
        {"upright, still, no input", 0, 0, 0, 0},
        {"input to the right", 0.5f, 0, 0, 1},
        {"input to the left", -0.5f, 0, 0, -1},
        {"leaning right: leveling steers into the lean", 0, 0.2f, 0, 1},
        {"leaning left", 0, -0.2f, 0, -1},
        {"rolling right: damping steers into the roll", 0, 0, 0.1f, 1},
        {"rolling left", 0, 0, -0.1f, -1},
        {"all three together", 0.5f, 0.2f, 0.1f, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        float t = torque(c.steering, c.lean, c.roll_rate);
        if (c.sign == 0) EXPECT_EQ(t, 0);
        else EXPECT_GT(t * c.sign, 0);
        EXPECT_NEAR(torque(-c.steering, -c.lean, -c.roll_rate), -t, 1e-4f);
    }
    // More input, more leveling and more damping each turn harder; the
    // parts add up (none replaces another).
    EXPECT_GT(torque(1, 0, 0), torque(0.5f, 0, 0));
    float input = torque(0.5f, 0, 0), lean = torque(0, 0.2f, 0), roll = torque(0, 0, 0.1f);
    EXPECT_NEAR(torque(0.5f, 0.2f, 0.1f), input + lean + roll, 1e-3f);
    // Against the lean a full input wins over the leveling, a slight one does not.
    EXPECT_LT(torque(-1, 0.2f, 0), 0);
    EXPECT_GT(torque(-0.05f, 0.2f, 0), 0);
    p.leveling *= 2;
    EXPECT_GT(torque(0, 0.2f, 0), lean);
    p.roll_damping *= 2;
    EXPECT_GT(torque(0, 0, 0.1f), roll);
}

TEST(NormalSteering, DirectSteeringZeroIsTheRollRateController)
{
    RiderParams p = steering_params();
    p.direct_steering = 0;
    p.leveling = 0;
    p.roll_damping = 0;
    struct {
        const char* name;
        float steering, lean, roll_rate, want;
    } cases[] = {
        // Upright with full input: target rate -(45 deg) x 2.5 = -1.96; rate 0 errs far beyond the command's range.
        {"full input from upright", 1, 0, 0, 1.5f * 50},
        {"rate inside the dead band of the target", 0, 0, 0.1f, 0},
        // Rate 0.2 against target 0: error 0.2 shrunk by 1/8 to 0.075, times 4.
        {"rate just outside the dead band", 0, 0, 0.2f, 1.5f * 50 * 0.3f},
        {"opposite rate", 0, 0, -0.2f, -1.5f * 50 * 0.3f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        steering_inputs in = riding(c.lean, c.roll_rate);
        in.steering = c.steering;
        float extra = 0;
        EXPECT_NEAR(normal_steering(&p, &in, &extra).torque, c.want, 1e-3f);
    }
}

TEST(NormalSteering, RollLimitMultipliesDamping)
{
    RiderParams p = steering_params();
    p.leveling = 0;
    p.roll_damping = 1;
    float extra = 0;
    // 55 degrees and still rolling further: 1 + 32 x 10 degrees = 6.585.
    steering_inputs in = riding(55 * DEG, 1);
    EXPECT_NEAR(normal_steering(&p, &in, &extra).torque, 1.5f * 6.585f, 2e-3f);
    // Rolling back up: no multiplier.
    in.roll_rate = -1;
    EXPECT_NEAR(normal_steering(&p, &in, &extra).torque, -1.5f, 1e-4f);
    // Inside the limit: none either.
    in = riding(40 * DEG, 1);
    EXPECT_NEAR(normal_steering(&p, &in, &extra).torque, 1.5f, 1e-4f);
}

TEST(NormalSteering, CollisionTimerClampsLevelingAndDamping)
{
    RiderParams p = steering_params();
    p.leveling = 1000;  // 1000 x 1 rad of lean: far beyond the clamp
    p.roll_damping = 0;
    p.steering_strength = 0;
    p.max_steering_force = 100000;
    struct {
        const char* name;
        int timer;
        float want;
    } cases[] = {
        {"no hit", 0, 1.5f * 1000},
        {"right after the hit", 64, 0},
        {"half way", 32, 1.5f * 100},
        {"long after", 1, 1.5f * 200 * 63 / 64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        steering_inputs in = riding(1, 0);
        in.collision_timer = c.timer;
        float extra = 0;
        EXPECT_NEAR(normal_steering(&p, &in, &extra).torque, c.want, 1e-2f);
    }
}

TEST(NormalSteering, WheelOffTheGroundCentresAndArmsLandingDamping)
{
    RiderParams p = steering_params();
    p.land_damping_factor = 3;
    p.land_damping_falloff = 0.5f;
    steering_inputs in = riding(0.3f, 0);
    in.front_touches = false;
    in.steer_angle = 0.1f;
    in.steering = 1;
    float extra = 0;
    EXPECT_NEAR(normal_steering(&p, &in, &extra).torque, 1.5f * (-5 + 50), 1e-3f);
    EXPECT_FLOAT_EQ(extra, 2);
    in.steering_assist = false;
    EXPECT_NEAR(normal_steering(&p, &in, &extra).torque, 1.5f * -5, 1e-3f);
    // Back on the ground the factor decays by 2 x dt / 0.5 per tick and
    // multiplies the roll damping meanwhile.
    in = riding(0, 1);
    p.leveling = 0;
    p.steering_strength = 0;
    float torque = normal_steering(&p, &in, &extra).torque;
    EXPECT_NEAR(extra, 2 - 4.0f / 128, 1e-5f);
    EXPECT_NEAR(torque, 1.5f * 10 * (1 + extra), 1e-3f);
    for (int k = 0; k < 200; k++) normal_steering(&p, &in, &extra);
    EXPECT_EQ(extra, 0);
}

TEST(NormalSteering, ForceLimitsNearTheLock)
{
    RiderParams p = steering_params();
    p.leveling = 0;
    p.roll_damping = 0;
    steering_inputs in = riding(0, 0);
    in.tire_height = 0;  // on the ground: P = N = 10 degrees at 30 ft/s
    in.steering = -1;    // asks for -75 lb ft
    float extra = 0;
    in.travel_angle = 0.5f;  // sliding far past the lock: at least +0.25 x the maximum
    EXPECT_NEAR(normal_steering(&p, &in, &extra).torque, 250, 1e-2f);
    in.steering = 1;
    in.travel_angle = -0.5f;  // the mirror case: at most -0.25 x the maximum
    EXPECT_NEAR(normal_steering(&p, &in, &extra).torque, -250, 1e-2f);
    in.travel_angle = 0.1f;  // inside the lock: unlimited
    EXPECT_NEAR(normal_steering(&p, &in, &extra).torque, 75, 1e-2f);
}

TEST(ArcadeSteering, LeanMotorAndAlignment)
{
    RiderParams p = steering_params();
    p.roll_damping = 80;  // slowest lean motor: factor 1
    EXPECT_NEAR(arcade_lean_motor_speed(&p, 1, 0), -1, 1e-5f);         // full left: lean towards -pi/4
    EXPECT_NEAR(arcade_lean_motor_speed(&p, 0, 0.02f), -0.32f, 1e-5f);  // small error: proportional
    EXPECT_EQ(arcade_lean_motor_speed(&p, -1, 3.14159265f / 4), 0);
    p.roll_damping = 0;
    EXPECT_NEAR(arcade_lean_motor_speed(&p, -1, 0), 1.5f, 1e-5f);
    EXPECT_NEAR(arcade_alignment_torque(&p, 0, 0.5f, 0, 0), 2.0f / 3 * 50, 1e-4f);
    EXPECT_NEAR(arcade_alignment_torque(&p, 0, 0.1f, 0, 0), (8 * (0.1f - 1.0f / 32) - 1.0f / 2400) / 2 * 50, 1e-3f);
    EXPECT_EQ(arcade_alignment_torque(&p, 0, 0.01f, 0, 0), 0);  // inside the dead band
}
