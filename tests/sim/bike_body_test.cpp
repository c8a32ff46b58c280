#include "sim/bike_body.h"

#include <gtest/gtest.h>
#include <math.h>

#include <string>
#include <vector>

#include "crf250_fixture.h"
#include "sim/bike_body_math.h"

namespace {

const double PI = 3.14159265358979323846;

double body_mass(dBodyID b)
{
    dMass m;
    dBodyGetMass(b, &m);
    return m.mass;
}

// Each body's position in the frame's coordinates: constant while the joints hold.
std::vector<std::vector<double>> shape_of(const bike_body& b)
{
    std::vector<std::vector<double>> out;
    const dReal* f = dBodyGetPosition(b.body[BODY_FRAME]);
    for (dBodyID body : b.body) {
        const dReal* p = dBodyGetPosition(body);
        dVector3 local;
        dBodyVectorFromWorld(b.body[BODY_FRAME], p[0] - f[0], p[1] - f[1], p[2] - f[2], local);
        out.push_back({local[0], local[1], local[2]});
    }
    return out;
}

void expect_same_shape(const std::vector<std::vector<double>>& got, const std::vector<std::vector<double>>& want)
{
    for (int k = 0; k < BIKE_BODY_COUNT; k++)
        for (int i = 0; i < 3; i++) EXPECT_NEAR(got[k][i], want[k][i], 1e-6) << "body " << k;
}

// A crf250(2008) bike at its catalogue pose in a world of its own.
struct TestBike {
    TestWorld tw;
    BikeInfo info = crf250_2008();
    bike_body b = {};
    bool ok = false;
    TestBike() { ok = tw.ok && bike_body_create(&b, &tw.w, &info, 1.0f / 3); }
    ~TestBike() { bike_body_destroy(&b); }
};

void lift(bike_body* b, double dy)
{
    const double up[3] = {0, dy, 0};
    bike_body_move(b, up);
}

}  // namespace

TEST(BikeBody, Crf250MassesAndRiderSplit)
{
    TestBike tb;
    ASSERT_TRUE(tb.ok);
    bike_body& b = tb.b;
    EXPECT_NEAR(body_mass(b.body[BODY_FRAME]), 4.24 + 4.6875 * 2 / 3, 1e-5);
    EXPECT_NEAR(body_mass(b.body[BODY_RIDER]), 4.6875 / 3, 1e-5);
    EXPECT_NEAR(body_mass(b.body[BODY_FRONT_WHEEL]), 0.15625 + 0.40625, 1e-6);
    EXPECT_NEAR(body_mass(b.body[BODY_FORK_UPPER]), 0.703125, 1e-6);
    EXPECT_NEAR(body_mass(b.body[BODY_SWINGARM]), 2 * 0.504375, 1e-6);

    struct {
        const char* name;
        float split, want;
    } cases[] = {{"half", 0.5f, 0.5f}, {"above the range", 0.9f, 0.5f}, {"below the range", 0.1f, 0.33f},
                 {"not a number", NAN, 0.33f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bike_body_set_rider_mass_split(&b, c.split);
        EXPECT_FLOAT_EQ(b.rider_mass_split, c.want);
        EXPECT_NEAR(body_mass(b.body[BODY_FRAME]), 4.24 + 4.6875 * (1 - c.want), 1e-5);
        EXPECT_NEAR(body_mass(b.body[BODY_RIDER]), 4.6875 * c.want, 1e-5);
    }
}

TEST(BikeBody, RowsThatCannotMakeAMassAreRefused)
{
    TestWorld tw;
    ASSERT_TRUE(tw.ok);
    struct {
        const char* name;
        void (*spoil)(BikeInfo*);
    } cases[] = {
        {"flat frame box", [](BikeInfo* b) { b->frame_box[1] = 0; }},
        {"negative hub mass", [](BikeInfo* b) { b->rear_wheel.hub_mass = -1; }},
        {"no tire tube", [](BikeInfo* b) { b->front_wheel.tire_tube_radius = 0; }},
        {"rider without mass", [](BikeInfo* b) { b->rider_mass = 0; }},
        {"position not a number", [](BikeInfo* b) { b->swingarm_position[2] = NAN; }},
        {"no steering axis", [](BikeInfo* b) { b->fork_lower_position[1] = b->fork_upper_position[1], b->fork_lower_position[2] = b->fork_upper_position[2]; }},
        {"axle on the pivot", [](BikeInfo* b) { b->rear_wheel.position[1] = b->swingarm_pivot[1], b->rear_wheel.position[2] = b->swingarm_pivot[2]; }},
        {"infinite fork mass", [](BikeInfo* b) { b->fork_mass = INFINITY; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BikeInfo info = crf250_2008();
        c.spoil(&info);
        bike_body b;
        EXPECT_FALSE(bike_body_create(&b, &tw.w, &info, 0.4f));
        EXPECT_EQ(b.body[BODY_FRAME], nullptr);
        bike_body_destroy(&b);  // harmless on the empty record
    }
}

TEST(BikeBody, FallsFreelyWithJointsHolding)
{
    TestBike tb;
    ASSERT_TRUE(tb.ok);
    TestWorld& tw = tb.tw;
    bike_body& b = tb.b;
    lift(&b, 100);
    auto before = shape_of(b);
    double y0 = dBodyGetPosition(b.body[BODY_FRAME])[1];
    for (int t = 0; t < 128; t++) physics_world_step(&tw.w);
    auto after = shape_of(b);
    expect_same_shape(after, before);
    // One second of fall under 32 ft/s^2, stepped with 128 Euler steps.
    EXPECT_NEAR(y0 - dBodyGetPosition(b.body[BODY_FRAME])[1], 16, 0.2);
    EXPECT_NEAR(dBodyGetLinearVel(b.body[BODY_FRAME])[1], -32, 1e-6);
    EXPECT_NEAR(dJointGetHingeAngle(b.joint[JOINT_STEERING_HEAD]), 0, 1e-9);
    EXPECT_NEAR(dJointGetSliderPosition(b.joint[JOINT_FORK]), 0, 1e-6);
}

TEST(BikeBody, StopsHold)
{
    TestWorld tw;
    ASSERT_TRUE(tw.ok);
    BikeInfo info = crf250_2008();
    struct Case {
        const char* name;
        int joint;
        double push;  // sign of the pull between the joint's bodies
        double limit;
    } cases[] = {
        {"steering to the left stop", JOINT_STEERING_HEAD, 1, PI / 4},
        {"steering to the right stop", JOINT_STEERING_HEAD, -1, -PI / 4},
        {"fork compressed to its travel", JOINT_FORK, -1, -1.0},
        {"fork never beyond full extension", JOINT_FORK, 1, 0},
        {"swingarm compressed to its travel", JOINT_SWINGARM_PIVOT, -1, -0.5303},
        {"swingarm never beyond full extension", JOINT_SWINGARM_PIVOT, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bike_body b;
        ASSERT_TRUE(bike_body_create(&b, &tw.w, &info, 1.0f / 3));
        dBodyID first = dJointGetBody(b.joint[c.joint], 0), second = dJointGetBody(b.joint[c.joint], 1);
        double extreme = 0, at = 0;
        for (int t = 0; t < 256; t++) {
            if (c.joint == JOINT_FORK) {
                double axis[3];
                dJointGetSliderAxis(b.joint[c.joint], axis);
                for (double& a : axis) a *= 200 * c.push;
                dBodyAddForce(first, axis[0], axis[1], axis[2]);
                dBodyAddForce(second, -axis[0], -axis[1], -axis[2]);
            } else {
                double axis[3];
                dJointGetHingeAxis(b.joint[c.joint], axis);
                for (double& a : axis) a *= 100 * c.push;
                dBodyAddTorque(first, axis[0], axis[1], axis[2]);
                dBodyAddTorque(second, -axis[0], -axis[1], -axis[2]);
            }
            physics_world_step(&tw.w);
            at = c.joint == JOINT_FORK ? dJointGetSliderPosition(b.joint[c.joint]) : dJointGetHingeAngle(b.joint[c.joint]);
            if (c.push * at > c.push * extreme) extreme = at;
        }
        // Held at the stop; the overshoot on arrival is at most one tick of travel.
        EXPECT_NEAR(at, c.limit, 0.005);
        EXPECT_LT(c.push * (extreme - c.limit), c.limit == 0 ? 0.005 : 0.2);
        bike_body_destroy(&b);
    }
}

TEST(BikeBody, MoveKeepsRotationsAndVelocities)
{
    TestBike tb;
    ASSERT_TRUE(tb.ok);
    bike_body& b = tb.b;
    const double axis[3] = {0, 1, 0};
    bike_body_turn(&b, axis, 0.7);
    for (dBodyID body : b.body) {
        dBodySetLinearVel(body, 1, 2, 3);
        dBodySetAngularVel(body, 0.5, 0, -0.5);
    }
    std::vector<std::vector<double>> before;
    for (dBodyID body : b.body) {
        const dReal* p = dBodyGetPosition(body);
        const dReal* q = dBodyGetQuaternion(body);
        before.push_back({p[0], p[1], p[2], q[0], q[1], q[2], q[3]});
    }
    const double offset[3] = {10, -2, 300};
    bike_body_move(&b, offset);
    for (int k = 0; k < BIKE_BODY_COUNT; k++) {
        SCOPED_TRACE(k);
        const dReal* p = dBodyGetPosition(b.body[k]);
        const dReal* q = dBodyGetQuaternion(b.body[k]);
        for (int i = 0; i < 3; i++) EXPECT_NEAR(p[i], before[k][i] + offset[i], 1e-9);
        for (int i = 0; i < 4; i++) EXPECT_NEAR(q[i], before[k][3 + i], 1e-12);
        EXPECT_EQ(dBodyGetLinearVel(b.body[k])[2], 3);
        EXPECT_EQ(dBodyGetAngularVel(b.body[k])[0], 0.5);
    }
    const double bad[3] = {NAN, 0, 0};
    bike_body_move(&b, bad);
    EXPECT_TRUE(isfinite(dBodyGetPosition(b.body[BODY_RIDER])[0]));
}

TEST(BikeBody, TurnFacesTheBikeAboutTheWorldOrigin)
{
    TestBike tb;
    ASSERT_TRUE(tb.ok);
    TestWorld& tw = tb.tw;
    bike_body& b = tb.b;
    const double up[3] = {0, 1, 0};
    bike_body_turn(&b, up, PI / 2);
    // A quarter turn about y takes (x, y, z) to (z, y, -x).
    const dReal* rear = dBodyGetPosition(b.body[BODY_REAR_WHEEL]);
    EXPECT_NEAR(rear[0], 6.0, 1e-6);
    EXPECT_NEAR(rear[1], 1.04, 1e-6);
    EXPECT_NEAR(rear[2], 0, 1e-6);
    const dReal* r = dBodyGetRotation(b.body[BODY_FORK_LOWER]);
    EXPECT_NEAR(r[2], 1, 1e-9);  // body z turned onto world x
    auto shape = shape_of(b);
    for (int t = 0; t < 16; t++) physics_world_step(&tw.w);
    auto later = shape_of(b);
    expect_same_shape(later, shape);
}

TEST(BikeBody, PresenceDisablesBodiesAndClearsStaleForces)
{
    TestBike tb;
    ASSERT_TRUE(tb.ok);
    TestWorld& tw = tb.tw;
    bike_body& b = tb.b;
    struct {
        const char* name;
        float x, want;
        bool enabled;
    } cases[] = {{"absent", 0, 0, false},   {"at the line", 0.25f, 0.25f, false}, {"just above", 0.26f, 0.26f, true},
                 {"clamped high", 7, 1, true}, {"clamped low", -3, 0, false},   {"not a number", NAN, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bike_body_set_presence(&b, c.x);
        EXPECT_FLOAT_EQ(b.presence, c.want);
        for (dBodyID body : b.body) EXPECT_EQ(dBodyIsEnabled(body) != 0, c.enabled);
    }
    // A disabled bike stays where it is put.
    bike_body_set_presence(&b, 0);
    double y = dBodyGetPosition(b.body[BODY_FRAME])[1];
    dBodyAddForce(b.body[BODY_FRAME], 0, 1e6, 0);
    physics_world_step(&tw.w);
    EXPECT_EQ(dBodyGetPosition(b.body[BODY_FRAME])[1], y);
    // The force added while absent does not kick the bike when it comes back.
    bike_body_set_presence(&b, 1);
    physics_world_step(&tw.w);
    EXPECT_NEAR(dBodyGetLinearVel(b.body[BODY_FRAME])[1], -32 * TICK, 1e-6);
}

TEST(BikeBody, ResetAndRealignRestoreTheRider)
{
    TestBike tb;
    ASSERT_TRUE(tb.ok);
    TestWorld& tw = tb.tw;
    bike_body& b = tb.b;
    auto rest = shape_of(b);
    bike_body_detach_rider(&b);
    dBodySetLinearVel(b.body[BODY_RIDER], 0, 30, 5);
    for (int t = 0; t < 64; t++) physics_world_step(&tw.w);
    EXPECT_GT(shape_of(b)[BODY_RIDER][1] - rest[BODY_RIDER][1], 5);  // flew off

    bike_body_realign(&b);
    EXPECT_TRUE(b.is_rider_attached);
    EXPECT_NEAR(shape_of(b)[BODY_RIDER][1], rest[BODY_RIDER][1], 1e-9);

    bike_body_reset(&b);
    for (int k = 0; k < BIKE_BODY_COUNT; k++) {
        double want[3];
        bike_body_catalogue_position(&b, k, want);
        const dReal* p = dBodyGetPosition(b.body[k]);
        for (int i = 0; i < 3; i++) EXPECT_NEAR(p[i], want[i], 1e-12);
        EXPECT_EQ(dBodyGetLinearVel(b.body[k])[1], 0);
        EXPECT_EQ(dBodyGetQuaternion(b.body[k])[0], 1);
    }
    lift(&b, 50);
    for (int t = 0; t < 64; t++) physics_world_step(&tw.w);
    auto later = shape_of(b);
    expect_same_shape(later, rest);
}

TEST(World, ContactsLastOneStep)
{
    TestBike tb;
    ASSERT_TRUE(tb.ok);
    TestWorld& tw = tb.tw;
    bike_body& b = tb.b;
    dBodyID frame = b.body[BODY_FRAME];
    const double* p = dBodyGetPosition(frame);
    const double point[3] = {p[0], p[1], p[2]}, up[3] = {0, 1, 0};
    // A stiff spring stretched by a foot pushes the bike up in this tick only.
    ASSERT_TRUE(physics_add_spring(&tw.w, frame, nullptr, point, up, 1.0, 5000, 500));
    physics_world_step(&tw.w);
    double v1 = dBodyGetLinearVel(frame)[1];
    EXPECT_GT(v1, 2);
    physics_world_step(&tw.w);
    EXPECT_NEAR(dBodyGetLinearVel(frame)[1] - v1, -32 * TICK, 1e-3);  // gravity alone

    struct {
        const char* name;
        double k, c;
    } refused[] = {{"no stiffness or damping", 0, 0}, {"negative", -100, 0}, {"not a number", NAN, 1}};
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(physics_add_spring(&tw.w, frame, nullptr, point, up, 1.0, c.k, c.c));
    }
    const double nowhere[3] = {0, 0, 0};
    EXPECT_FALSE(physics_add_spring(&tw.w, frame, nullptr, point, nowhere, 1.0, 100, 1));
}

TEST(World, SpringErpAndCfm)
{
    double erp = 0, cfm = 0;
    ASSERT_TRUE(spring_erp_cfm(5000, 500, &erp, &cfm));
    // h k = 39.0625, h k + c = 539.0625
    EXPECT_NEAR(erp, 39.0625 / 539.0625, 1e-12);
    EXPECT_NEAR(cfm, 1 / 539.0625, 1e-12);
    ASSERT_TRUE(spring_erp_cfm(0, 2, &erp, &cfm));
    EXPECT_EQ(erp, 0);
    EXPECT_EQ(cfm, 0.5);
}

TEST(BikeBody, MissingModelsAndShapesAreReported)
{
    BikeInfo info = crf250_2008();
    struct Loader {
        std::vector<std::string> asked;
        static bool load(void* self, const char* name)
        {
            Loader* l = (Loader*)self;
            l->asked.push_back(name);
            return std::string(name) != "@generic_frame.shp";
        }
    } loader;
    bike_asset_ops ops = {Loader::load, Loader::load, &loader};
    EXPECT_EQ(bike_load_assets(&info, &ops), 1);
    // Only the named models and shapes are asked for; textures are not models.
    EXPECT_EQ(loader.asked, (std::vector<std::string>{"@crf250_frame.jm", "@generic_frame.shp", "@rear_wheel.shp"}));

    bike_asset_ops nothing = {nullptr, nullptr, nullptr};
    EXPECT_EQ(bike_load_assets(&info, &nothing), 0);
}

TEST(BikeBody, EveryCatalogueRowFallsFreelyWithJointsHolding)
{
    TestWorld tw;
    ASSERT_TRUE(tw.ok);
    const BikeInfo* crf = find_bike_info("crf250(2008)");
    ASSERT_TRUE(crf);
    for (int row = 0; row < BIKE_CATALOGUE_ROWS; row++) {
        const BikeInfo* info = bike_catalogue_row(row);
        ASSERT_TRUE(info);
        SCOPED_TRACE(info->model);
        bike_body b;
        ASSERT_TRUE(bike_body_create(&b, &tw.w, info, 1.0f / 3));
        if (info == crf) {
            EXPECT_NEAR(body_mass(b.body[BODY_FRAME]), 4.24 + 4.6875 * 2 / 3, 1e-5);
            EXPECT_NEAR(body_mass(b.body[BODY_RIDER]), 4.6875 / 3, 1e-5);
        }
        lift(&b, 200);
        auto before = shape_of(b);
        for (int t = 0; t < 64; t++) physics_world_step(&tw.w);
        expect_same_shape(shape_of(b), before);
        EXPECT_NEAR(dBodyGetLinearVel(b.body[BODY_FRAME])[1], -16, 1e-5);
        bike_body_destroy(&b);
    }
}
