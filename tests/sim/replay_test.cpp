#include "sim/replay.h"

#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <random>

#include "crf250_fixture.h"
#include "sim/bike_body_math.h"
#include "sim/slots.h"

namespace {

const packed_state_ranges RANGES = {2048, -64, 0.5303f, 1.0f};

// One rider in slot 0 of a fresh slot table, shown from a history.
struct ShownRider {
    TestWorld tw;
    BikeInfo info = crf250_2008();
    rider_slots* slots = rider_slots_create();
    Rider* r = nullptr;
    ShownRider()
    {
        if (tw.ok && slots) r = rider_create(slots, 0, RIDER_SHOWN, &tw.w, &info, nullptr, false, nullptr);
        if (r) bike_body_set_presence(&r->bike, 0);
    }
    ~ShownRider() { rider_slots_free(slots); }
};

rider_state_values upright_at(double x, double y, double z)
{
    rider_state_values v = {};
    v.frame_position[0] = x;
    v.frame_position[1] = y;
    v.frame_position[2] = z;
    v.frame_quaternion[0] = 1;
    v.rider_offset[1] = 2.52f;
    v.rider_offset[2] = 0.52f;
    v.rider_quaternion[0] = 1;
    v.controls = packed_controls_encode(1, 0, 0.5f, 0);
    return v;
}

PackedRiderState pack(const rider_state_values& v) { return packed_state_encode(&v, &RANGES, nullptr); }

bool all_finite(const Rider* r)
{
    for (dBodyID b : r->bike.body) {
        const dReal* p = dBodyGetPosition(b);
        const dReal* q = dBodyGetQuaternion(b);
        const dReal* v = dBodyGetLinearVel(b);
        const dReal* w = dBodyGetAngularVel(b);
        for (int i = 0; i < 3; i++)
            if (!isfinite(p[i]) || !isfinite(v[i]) || !isfinite(w[i])) return false;
        for (int i = 0; i < 4; i++)
            if (!isfinite(q[i])) return false;
    }
    return true;
}

float flat_ground(const void* self, float, float) { return *(const float*)self; }

}  // namespace

TEST(Replay, PlacementMatchesTheJointsItDescribes)
{
    ShownRider s;
    ASSERT_TRUE(s.r);
    rider_state_values v = upright_at(500, 40, 700);
    double axis[3] = {0.3, 0.9, -0.2};
    vec_normalise(axis);
    double half = 0.4;
    v.frame_quaternion[0] = cos(half);
    for (int i = 0; i < 3; i++) v.frame_quaternion[i + 1] = sin(half) * axis[i];
    // The rider sits at the turned frame's rider point with the frame's rotation.
    dMatrix3 turn;
    dRfromQ(turn, v.frame_quaternion);
    double seat[3] = {0, 4.5 - 1.98, 4.12 - 3.6}, offset[3];
    mat_apply(turn, seat, offset);
    for (int i = 0; i < 3; i++) v.rider_offset[i] = (float)offset[i];
    for (int i = 0; i < 4; i++) v.rider_quaternion[i] = v.frame_quaternion[i];
    v.steering_angle = 0.3f;
    v.swingarm_angle = -0.2f;
    v.fork_slider = -0.4f;
    v.wheel_angle[0] = 1.0f;
    v.wheel_angle[1] = -2.0f;
    v.engine_rpm = 9000;
    rider_place_from_state(s.r, &v, -1);

    rider_state_values got = rider_state_of(s.r);
    EXPECT_NEAR(got.steering_angle, 0.3, 1e-6);
    EXPECT_NEAR(got.swingarm_angle, -0.2, 1e-6);
    EXPECT_NEAR(got.fork_slider, -0.4, 1e-6);
    EXPECT_NEAR(got.wheel_angle[0], 1.0, 1e-6);
    EXPECT_NEAR(got.wheel_angle[1], -2.0, 1e-6);
    for (int i = 0; i < 3; i++) {
        EXPECT_NEAR(got.frame_position[i], v.frame_position[i], 1e-9);
        EXPECT_NEAR(got.rider_offset[i], v.rider_offset[i], 1e-6);
    }
    EXPECT_NEAR(got.engine_rpm, 9000, 0.01);
    EXPECT_EQ(s.r->controls.gear, 1);
    EXPECT_FLOAT_EQ(s.r->controls.throttle, 7 / 15.0f);
    EXPECT_EQ(got.controls, v.controls);

    // The placed pose satisfies the joints: simulated, it does not spring apart.
    bike_body_set_presence(&s.r->bike, 1);
    for (int t = 0; t < 8; t++) physics_world_step(&s.tw.w);
    got = rider_state_of(s.r);
    EXPECT_NEAR(got.steering_angle, 0.3, 1e-3);
    EXPECT_NEAR(got.fork_slider, -0.4, 1e-3);
}

TEST(Replay, ControlsByteCrashesAndRestoresTheRider)
{
    ShownRider s;
    ASSERT_TRUE(s.r);
    struct Case {
        const char* name;
        uint8_t controls;
        int crash_timer;
        bool attached;
        int gear;
    } cases[] = {
        {"crash, high bits 15", 0xf7, 128, false, 0},
        {"crash, high bits 0", 0x07, 1, false, 0},
        {"riding again in sixth: the bike's top gear", 0x06, 0, true, 4},
        {"third gear", 0x32, 0, true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rider_state_values v = upright_at(100, 10, 100);
        v.controls = c.controls;
        rider_place_from_state(s.r, &v, -1);
        EXPECT_EQ(s.r->crash_timer, c.crash_timer);
        EXPECT_EQ(s.r->bike.is_rider_attached, c.attached);
        EXPECT_EQ(dJointGetBody(s.r->bike.joint[JOINT_RIDER_MOUNT], 0) != nullptr, c.attached);
        if (c.attached) EXPECT_EQ(s.r->controls.gear, c.gear);
        else EXPECT_EQ(s.r->controls.throttle, 0);
    }
}

TEST(Replay, Version4RiderByteAlongTheTravel)
{
    ShownRider s;
    ASSERT_TRUE(s.r);
    struct {
        int byte;
        double along;  // ft along (0, 1, 1) / sqrt 2
    } cases[] = {{0, -0.66667}, {255, 0.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.byte);
        rider_state_values v = upright_at(100, 10, 100);
        rider_place_from_state(s.r, &v, c.byte);
        const dReal* rider = dBodyGetPosition(s.r->bike.body[BODY_RIDER]);
        EXPECT_NEAR(rider[0], 100, 1e-6);
        EXPECT_NEAR(rider[1], 10 + (4.5 - 1.98) + c.along * sqrt(0.5), 1e-5);
        EXPECT_NEAR(rider[2], 100 + (4.12 - 3.6) + c.along * sqrt(0.5), 1e-5);
    }
}

TEST(Replay, SnapshotVelocities)
{
    ShownRider s;
    ASSERT_TRUE(s.r);
    PackedRiderState only = pack(upright_at(1000, 20, 1000));
    rider_snapshot single = {&only, &only, &only, 1};
    rider_apply_snapshot(s.r, &single, &RANGES, nullptr);
    for (dBodyID b : s.r->bike.body)
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(dBodyGetLinearVel(b)[i], 0);
            EXPECT_EQ(dBodyGetAngularVel(b)[i], 0);
        }

    // Four ticks apart, 1 ft along x and a turn of 0.1 rad about y.
    rider_state_values older = upright_at(1000, 20, 1000), newer = upright_at(1001, 20, 1000);
    newer.frame_quaternion[0] = cos(0.05);
    newer.frame_quaternion[2] = sin(0.05);
    PackedRiderState a = pack(older), b = pack(newer);
    rider_snapshot pair = {&a, &a, &b, 4};
    rider_apply_snapshot(s.r, &pair, &RANGES, nullptr);
    const dReal* v = dBodyGetLinearVel(s.r->bike.body[BODY_FRAME]);
    const dReal* w = dBodyGetAngularVel(s.r->bike.body[BODY_FRAME]);
    double step = 1024.0 * 2048 / 16777215;  // one position quantum: 1 ft is not exact
    EXPECT_NEAR(v[0], 32, step * 32);
    EXPECT_NEAR(v[1], 0, 1e-9);
    EXPECT_NEAR(w[1], 0.1 * 32, 0.05);
    EXPECT_NEAR(w[0], 0, 1e-3);
    // The shown state (the older one here) decides where the bodies are.
    EXPECT_NEAR(dBodyGetPosition(s.r->bike.body[BODY_FRAME])[0], 1000, 1e-3);
}

TEST(Replay, GroundLiftsASunkBike)
{
    ShownRider s;
    ASSERT_TRUE(s.r);
    PackedRiderState low = pack(upright_at(500, 0, 500));
    rider_snapshot single = {&low, &low, &low, 1};
    struct {
        const char* name;
        float ground;
        double want_frame_y;
    } cases[] = {
        // Rear axle 1.04 - 1.98 below the frame; its circle's lowest point 0.75 below that.
        {"ground above the tire: lifted onto it", 3, 3 + 0.75 + (1.98 - 1.04)},
        {"ground below: left alone", -5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ground_ops ground = {flat_ground, &c.ground};
        rider_apply_snapshot(s.r, &single, &RANGES, &ground);
        EXPECT_NEAR(dBodyGetPosition(s.r->bike.body[BODY_FRAME])[1], c.want_frame_y, 1e-3);
    }
}

TEST(Replay, CrashAndDabFromTheShownControls)
{
    ShownRider s;
    ASSERT_TRUE(s.r);
    rider_state_values v = upright_at(500, 10, 500);
    v.controls = packed_controls_encode(2, 1, 0, 0);  // foot down
    PackedRiderState dab = pack(v);
    rider_snapshot snap = {&dab, &dab, &dab, 1};
    rider_apply_snapshot(s.r, &snap, &RANGES, nullptr);
    EXPECT_FLOAT_EQ(s.r->dab_amount, 8 / 128.0f);
    EXPECT_FALSE(s.r->is_free_feet_start_due);
    for (int t = 0; t < 40; t++) rider_apply_snapshot(s.r, &snap, &RANGES, nullptr);
    EXPECT_FLOAT_EQ(s.r->dab_amount, 1);

    v.controls = packed_controls_encode(0, 0, 0, 300);
    PackedRiderState crash = pack(v);
    snap = {&crash, &crash, &crash, 1};
    rider_apply_snapshot(s.r, &snap, &RANGES, nullptr);
    EXPECT_TRUE(s.r->is_free_feet_start_due);
    EXPECT_EQ(s.r->crash_timer, 128);
}

TEST(Replay, BumpedRemoteRiderPresenceTimeline)
{
    ShownRider s;
    ASSERT_TRUE(s.r);
    PackedRiderState here = pack(upright_at(500, 100, 500));
    rider_snapshot snap = {&here, &here, &here, 1};
    rider_apply_snapshot(s.r, &snap, &RANGES, nullptr);
    EXPECT_FALSE(dBodyIsEnabled(s.r->bike.body[BODY_FRAME]));

    rider_presence_bump(s.r);  // a local rider touched it
    EXPECT_EQ(s.r->bike.presence, 1);
    EXPECT_TRUE(dBodyIsEnabled(s.r->bike.body[BODY_FRAME]));
    for (int t = 1; t <= 128; t++) {
        // Move the bike away from the shown state to see whether it is pulled back.
        const double off[3] = {0, 0, 0.5};
        bike_body_move(&s.r->bike, off);
        dBodySetForce(s.r->bike.body[BODY_FRAME], 0, 0, 0);
        rider_apply_snapshot(s.r, &snap, &RANGES, nullptr);
        double pull = dBodyGetForce(s.r->bike.body[BODY_FRAME])[2];
        bool kinematic = s.r->bike.presence <= 0.25f;
        if (t <= 33) {
            EXPECT_EQ(pull, 0) << "free down to 0.75, tick " << t;
        } else if (!kinematic) {
            EXPECT_LT(pull, 0) << "pulled back, tick " << t;
        }
        EXPECT_EQ(kinematic, t > 96) << "tick " << t;
        physics_world_step(&s.tw.w);
        rider_presence_after_step(s.r);
        EXPECT_FLOAT_EQ(s.r->bike.presence, 1 - t / 128.0f);
    }
    EXPECT_EQ(s.r->bike.presence, 0);

    // A bump while at or below 0.25 (but present) gives 0.25 and stays kinematic.
    bike_body_set_presence(&s.r->bike, 0.2f);
    rider_presence_bump(s.r);
    EXPECT_EQ(s.r->bike.presence, 0.25f);
    EXPECT_FALSE(dBodyIsEnabled(s.r->bike.body[BODY_FRAME]));
    bike_body_set_presence(&s.r->bike, 0.6f);
    rider_presence_bump(s.r);
    EXPECT_EQ(s.r->bike.presence, 0.6f);
}

TEST(Replay, FollowingForcesAreCapped)
{
    ShownRider s;
    ASSERT_TRUE(s.r);
    PackedRiderState far = pack(upright_at(1500, 100, 1500));
    rider_snapshot snap = {&far, &far, &far, 1};
    bike_body_set_presence(&s.r->bike, 0.3f);  // stiffest following
    rider_apply_snapshot(s.r, &snap, &RANGES, nullptr);
    const dReal* f = dBodyGetForce(s.r->bike.body[BODY_FRAME]);
    double force[3] = {f[0], f[1], f[2]};
    EXPECT_NEAR(vec_length(force), 2500, 1e-6);
    EXPECT_GT(f[0], 0);
}

TEST(Replay, HostileStatesGivePlacementsWithoutNaN)
{
    ShownRider s;
    ASSERT_TRUE(s.r);
    std::mt19937 random(12345);
    for (int k = 0; k < 200; k++) {
        PackedRiderState states[3];
        for (PackedRiderState& st : states)
            for (uint8_t& byte : st.bytes) byte = (uint8_t)random();
        if (k % 4 == 0) memset(states[0].bytes + PACKED_FRAME_QUATERNION, 0x80, 8);  // a zero-length quaternion
        rider_snapshot snap = {&states[0], &states[1], &states[2], (int)(random() % 5) - 2};
        bike_body_set_presence(&s.r->bike, k % 3 == 0 ? 0.5f : 0.0f);
        rider_apply_snapshot(s.r, &snap, &RANGES, nullptr);
        ASSERT_TRUE(all_finite(s.r)) << k;
        physics_world_step(&s.tw.w);
        ASSERT_TRUE(all_finite(s.r)) << k;
    }
}
