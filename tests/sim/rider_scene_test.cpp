// Riding scenes with the scripted test rider on terrains built here: the
// rider model, tires, suspension and drivetrain together in the real tick
// order. Each prints what it measured.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>

#include "scripted_rider.h"

namespace
{

constexpr double MPH_20 = 29.333;  // ft/s
constexpr int SECOND = 128;        // ticks

// Ride straight up to `speed` from a standstill for `ticks`.
void ride_up_to(ScriptedRider* s, double speed, int ticks)
{
    for (int t = 0; t < ticks; t++) {
        s->drive(speed, 0);
        s->step();
    }
}

// A tabletop across the whole width, its face starting at z = `face_z` and
// facing -z (the way the bikes ride): face up `height` over `face` ft, a flat
// top of `top` ft, a landing down over `landing` ft.
Terrain* tabletop_ground(float face_z, float height, float face, float top, float landing)
{
    Terrain* t = terrain_create(7, 2, 0);  // 512 ft square
    if (!t) return nullptr;
    for (int k = 0; k < t->dim; k++) {
        float d = face_z - k * 2.0f;  // ft past the face's foot, riding towards -z
        float h = 0;
        if (d > 0 && d <= face)
            h = height * d / face;
        else if (d > face && d <= face + top)
            h = height;
        else if (d > face + top && d <= face + top + landing)
            h = height * (1 - (d - face - top) / landing);
        for (int i = 0; i < t->dim; i++) terrain_set_height(t, i, k, h);
    }
    return t;
}

}  // namespace

TEST(RiderScene, UprightAtTwentyMphWithoutSteering)
{
    struct {
        const char* name;
        int arcade;
        double heading;
    } cases[] = {
        {"normal physics", 0, 0}, {"arcade physics", 1, 0}, {"arcade physics heading across the axes", 1, -1.9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedRider s(flat_ground(7, 4), 512, 512, c.heading, c.arcade);
        ASSERT_TRUE(s.ok);
        ride_up_to(&s, MPH_20, 3 * SECOND);
        // A sideways shove, then ten seconds with no steering input.
        const dReal* w = dBodyGetAngularVel(s.rider->bike.body[BODY_FRAME]);
        dBodySetAngularVel(s.rider->bike.body[BODY_FRAME], w[0], w[1], w[2] + 0.3);
        const double heading0 = s.heading();
        float worst_lean = 0;
        for (int t = 0; t < 10 * SECOND; t++) {
            s.drive(MPH_20, 0);
            s.step();
            worst_lean = fmaxf(worst_lean, fabsf(s.lean()));
            ASSERT_FALSE(s.is_crashed()) << "tick " << t;
        }
        printf("upright, %s: speed %.1f ft/s, largest lean %.4f rad, heading change %.4f rad\n", c.name, s.speed(),
               worst_lean, s.heading() - heading0);
        EXPECT_NEAR(s.speed(), MPH_20, 1.5);
        EXPECT_LT(worst_lean, 0.15f);
        EXPECT_GT(s.up_y(), 0.99);
        EXPECT_LT(fabs(s.heading() - heading0), 0.3);
    }
}

TEST(RiderScene, SteadySteeringLeansIntoACircle)
{
    struct {
        const char* name;
        float steer;
    } cases[] = {{"left", 0.2f}, {"right", -0.2f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The default setup rides with arcade physics, whose lean motor holds the lean the input asks for.
        ScriptedRider s(flat_ground(7, 4), 512, 700, 0, 1);
        ASSERT_TRUE(s.ok);
        ride_up_to(&s, MPH_20, 3 * SECOND);
        for (int t = 0; t < 3 * SECOND; t++) {
            s.drive(MPH_20, c.steer);
            s.step();
        }
        // Measure over four seconds of the steady turn.
        double h0 = s.heading();
        float lean_sum = 0;
        const int ticks = 4 * SECOND;
        for (int t = 0; t < ticks; t++) {
            s.drive(MPH_20, c.steer);
            s.step();
            lean_sum += s.lean();
            ASSERT_FALSE(s.is_crashed());
        }
        double yaw_rate = remainder(s.heading() - h0, 2 * M_PI) / (ticks * TICK);
        double radius = s.speed() / fabs(yaw_rate);
        float lean = lean_sum / ticks;
        // A bike turning steadily leans so that tan(lean) = v^2 / (g R).
        double balanced = s.speed() * s.speed() / (32 * tan(fabs(lean)));
        printf("circle %s: speed %.1f ft/s, lean %.3f rad, yaw rate %.3f rad/s, radius %.0f ft (balance %.0f ft)\n",
               c.name, s.speed(), lean, yaw_rate, radius, balanced);
        EXPECT_GT(fabs(lean), 0.08f);
        EXPECT_LT(fabs(lean), 0.35f);
        EXPECT_LT(lean * c.steer, 0);  // leans towards -steer x the roll limit
        EXPECT_GT(radius, 60);
        EXPECT_LT(radius, 400);
        EXPECT_NEAR(radius, balanced, 0.25 * balanced);
    }
}

TEST(RiderScene, TabletopLandingAtSpeedHolds)
{
    for (int arcade = 0; arcade < 2; arcade++) {
        SCOPED_TRACE(arcade);
        // Face 5 ft up over 14 ft, 30 ft top, landing down over 22 ft.
        ScriptedRider s(tabletop_ground(300, 5, 14, 30, 22), 256, 480, 0, arcade);
        ASSERT_TRUE(s.ok);
        int airborne_ticks = 0;
        for (int t = 0; t < 9 * SECOND; t++) {
            s.drive(45, 0);
            s.step();
            if (s.rider->bike.wheel[0].depth <= 0 && s.rider->bike.wheel[1].depth <= 0) airborne_ticks++;
            ASSERT_FALSE(s.is_crashed()) << "tick " << t << " z " << s.frame_position()[2];
        }
        printf("tabletop at 45 ft/s, arcade %d: %d ticks in the air, through to z %.0f\n", arcade, airborne_ticks,
               s.frame_position()[2]);
        EXPECT_LT(s.frame_position()[2], 200);  // cleared the tabletop
        EXPECT_GT(airborne_ticks, 20);
    }
}

TEST(RiderScene, FarTooHighLandingCrashesThenRealigns)
{
    ScriptedRider s(flat_ground(7, 4), 512, 700, 0);
    ASSERT_TRUE(s.ok);
    s.gate_target[0] = 512;
    s.gate_target[2] = 200;  // the track lies ahead
    s.has_gate_target = true;
    ride_up_to(&s, MPH_20, 3 * SECOND);
    // Lift the whole bike 40 ft: it lands at about 50 ft/s downwards.
    const double lift[3] = {0, 40, 0};
    bike_body_move(&s.rider->bike, lift);
    int crash_tick = -1, realign_tick = -1;
    for (int t = 0; t < 24 * SECOND && realign_tick < 0; t++) {
        s.drive(0, 0);
        s.step();
        if (crash_tick < 0 && s.is_crashed()) crash_tick = t;
        if (crash_tick >= 0 && !s.is_crashed()) realign_tick = t;
        if (crash_tick >= 0 && realign_tick < 0) {
            ASSERT_FALSE(s.rider->bike.is_rider_attached);
            ASSERT_EQ(s.rider->controls.throttle, 0);
            // The free feet stay above the ground and within reach of the hips (the
            // rule that keeps them below the hips comes last and may stretch a leg a little).
            const BikeRiderPoints& pts = s.rider->bike.info->rider_points;
            float leg = pts.thigh_length + pts.shin_length;
            for (int k = 0; k < 2; k++) {
                const float* f = s.rider->aid.foot[k];
                const float* hip = k == 0 ? pts.left_hip : pts.right_hip;
                dVector3 h;
                dBodyGetRelPointPos(s.rider->bike.body[BODY_RIDER], hip[0], hip[1], hip[2], h);
                ASSERT_GE(f[1], 0.25f - 1e-3f) << "foot " << k << " tick " << t;
                ASSERT_LE(hypot(hypot(f[0] - h[0], f[1] - h[1]), f[2] - h[2]), leg + 0.05f);
            }
        }
    }
    ASSERT_GE(crash_tick, 0);
    ASSERT_GE(realign_tick, 0) << "still crashed, timer " << s.rider->crash_timer;
    printf("drop from 40 ft: crash at tick %d after the lift, realigned %.2f s later, crash count %d\n", crash_tick,
           (realign_tick - crash_tick) * TICK, s.rider->aid.crash_count);
    EXPECT_EQ(s.rider->aid.crash_count, 1);
    EXPECT_TRUE(s.rider->bike.is_rider_attached);
    // The timer only runs while the rider is (nearly) still: at least 4 s.
    EXPECT_GE(realign_tick - crash_tick, CRASH_TIMER_START);
    // Back on its wheels, the dab stands the bike up.
    for (int t = 0; t < 4 * SECOND; t++) {
        s.drive(0, 0);
        s.step();
    }
    printf("4 s after the realign: up axis %.3f, crashed %d\n", s.up_y(), s.is_crashed());
    EXPECT_GT(s.up_y(), 0.95);
    EXPECT_FALSE(s.is_crashed());
}

TEST(RiderScene, BackingUpWalksBackwards)
{
    ScriptedRider s(flat_ground(7, 4), 512, 512, 0);
    ASSERT_TRUE(s.ok);
    for (int t = 0; t < SECOND; t++) s.step();  // settle
    const double z0 = s.frame_position()[2];
    s.channels[CHANNEL_BACK_UP] = 1;
    for (int t = 0; t < 4 * SECOND; t++) s.step();
    double moved = s.frame_position()[2] - z0;  // backwards is +z
    printf("backing up: %.2f ft backwards in 4 s, up %.3f\n", moved, s.up_y());
    EXPECT_GT(moved, 2);
    EXPECT_GT(s.up_y(), 0.9);
    EXPECT_FALSE(s.is_crashed());
}

TEST(RiderScene, AutoDabHoldsAStoppedBikeOnASlope)
{
    struct {
        const char* name;
        bool auto_dab;
        bool want_held;
    } cases[] = {{"automatic dab", true, true}, {"no automatic dab", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Terrain* slope = terrain_create(6, 2, 0);
        ASSERT_TRUE(slope);
        for (int k = 0; k < slope->dim; k++)
            for (int i = 0; i < slope->dim; i++) terrain_set_height(slope, i, k, 0.15f * k * 2);  // 15% rising to +z
        ScriptedRider s(slope, 128, 128, 0);
        ASSERT_TRUE(s.ok);
        s.rider->params.auto_dab = c.auto_dab;
        for (int t = 0; t < SECOND / 4; t++) s.step();
        const double z0 = s.frame_position()[2];
        for (int t = 0; t < 3 * SECOND; t++) s.step();
        double rolled = fabs(s.frame_position()[2] - z0);
        printf("slope, %s: rolled %.2f ft in 3 s\n", c.name, rolled);
        if (c.want_held)
            EXPECT_LT(rolled, 0.5);
        else
            EXPECT_GT(rolled, 2);
    }
}

TEST(RiderScene, LeanAndDabMoveTheRiderOverTheSeat)
{
    struct {
        const char* name;
        float lean, dab;
    } cases[] = {{"forward", -1, 0}, {"sitting", 0, 0}, {"back", 1, 0}, {"sitting with a foot down", 0, 1}};
    double along[4], up[4];
    int k = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedRider s(flat_ground(6, 2), 128, 128, 0);
        ASSERT_TRUE(s.ok);
        s.rider->params.auto_dab = false;
        s.channels[CHANNEL_LEAN] = c.lean;
        s.channels[CHANNEL_DAB] = c.dab;
        for (int t = 0; t < SECOND; t++) s.step();
        // The rider body's offset from the seat point, in the frame's axes.
        const BikeInfo* info = s.rider->bike.info;
        dVector3 seat, d;
        dBodyGetRelPointPos(s.rider->bike.body[BODY_FRAME], info->rider_position[0] - info->frame_position[0],
                            info->rider_position[1] - info->frame_position[1],
                            info->rider_position[2] - info->frame_position[2], seat);
        const dReal* p = dBodyGetPosition(s.rider->bike.body[BODY_RIDER]);
        dBodyVectorFromWorld(s.rider->bike.body[BODY_FRAME], p[0] - seat[0], p[1] - seat[1], p[2] - seat[2], d);
        along[k] = d[2];
        up[k] = d[1];
        printf("rider %s: %.3f ft along the frame, %.3f ft up from the seat\n", c.name, d[2], d[1]);
        EXPECT_TRUE(s.rider->bike.is_rider_attached);
        k++;
    }
    EXPECT_LT(along[0], along[1] - 0.1);  // leaning forward moves the rider towards the bars (-z)
    EXPECT_GT(along[2], along[1] + 0.1);
    EXPECT_LT(up[3], up[1] - 0.1);  // a foot down lowers the rider
}
