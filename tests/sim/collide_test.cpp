// Collision spheres: sphere pairs, the explicit penalty mode, spheres on the
// ground, the tire seen as a sphere, rider pairs with their collision
// timers, and the crash triggers.
#include <gtest/gtest.h>
#include <math.h>

#include "crf250_fixture.h"
#include "sim/collide.h"
#include "sim/tire.h"
#include "track/terrain.h"

namespace {

ShapeSphere sphere(float radius, float friction, float stiffness, float damping)
{
    return {{0, 0, 0}, radius, friction, stiffness, damping};
}

dBodyID free_body(physics_world* w, double x, double y, double z)
{
    dBodyID b = dBodyCreate(w->world);
    dMass m;
    dMassSetSphereTotal(&m, 1, 0.5);
    dBodySetMass(b, &m);
    dBodySetPosition(b, x, y, z);
    return b;
}

}  // namespace

TEST(CollideSpheres, DepthStiffnessAndContactPoint)
{
    struct {
        const char* name;
        double c2[3];
        ShapeSphere s1, s2;
        bool touching, has_normal;
        double depth, k, c, mu, point_x;
    } cases[] = {
        {"stiff spheres 0.5 deep use 2500 / 0.5", {1.5, 0, 0}, sphere(1, 0.8f, 25000, 900), sphere(1, 0.5f, 30000, 700),
         true, true, 0.5, 5000, 700, 0.5, 0.75},
        {"soft spheres keep their stiffness", {1.9, 0, 0}, sphere(1, 1, 2000, 100), sphere(1, 1, 3000, 100), true, true,
         0.1, 2000, 100, 1, 0.95},
        {"just apart", {2.0, 0, 0}, sphere(1, 1, 2000, 100), sphere(1, 1, 2000, 100), false, false, 0, 0, 0, 0, 0},
        {"centres on top of each other", {0.01, 0, 0}, sphere(1, 1, 2000, 100), sphere(1, 1, 2000, 100), true, false,
         1.99, 2500 / 1.99, 100, 1, 0},
    };
    const double c1[3] = {0, 0, 0};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sphere_contact out;
        ASSERT_EQ(collide_spheres(c1, &c.s1, c.c2, &c.s2, &out), c.touching);
        if (!c.touching) continue;
        EXPECT_EQ(out.has_normal, c.has_normal);
        EXPECT_NEAR(out.depth, c.depth, 1e-9);
        EXPECT_NEAR(out.k, c.k, 1e-6);
        EXPECT_NEAR(out.c, c.c, 1e-9);
        EXPECT_NEAR(out.mu, c.mu, 1e-6);
        if (c.has_normal) {
            EXPECT_NEAR(out.point[0], c.point_x, 1e-9);
            EXPECT_NEAR(out.normal[0], 1, 1e-9);
        }
    }
}

TEST(CollideSpheres, ExplicitPenaltyPushesApartWithinItsLimit)
{
    TestWorld tw;
    ASSERT_TRUE(tw.ok);
    dBodyID a = free_body(&tw.w, 0, 0, 0), b = free_body(&tw.w, 1.9, 0, 0);
    const double c1[3] = {0, 0, 0}, c2[3] = {1.9, 0, 0};
    ShapeSphere s = sphere(1, 1, 2000, 100);
    sphere_contact c;
    ASSERT_TRUE(collide_spheres(c1, &s, c2, &s, &c));
    dBodySetLinearVel(a, 2, 0, 0);  // closing at 2 ft/s
    collide_apply(&tw.w, a, b, &c, COLLIDE_EXPLICIT);
    const dReal* fa = dBodyGetForce(a);
    const dReal* fb = dBodyGetForce(b);
    EXPECT_NEAR(fb[0], 2000 * 0.1 + 100 * 2, 1e-6);
    EXPECT_NEAR(fa[0], -fb[0], 1e-9);

    dBodySetForce(a, 0, 0, 0), dBodySetForce(b, 0, 0, 0);
    dBodySetLinearVel(a, 50, 0, 0);  // far more than the limit
    dBodyDisable(a);                 // a disabled body takes nothing
    collide_apply(&tw.w, a, b, &c, COLLIDE_EXPLICIT);
    EXPECT_NEAR(dBodyGetForce(b)[0], 1000, 1e-9);
    EXPECT_EQ(dBodyGetForce(a)[0], 0);
    dBodyDestroy(a);
    dBodyDestroy(b);
}

TEST(CollideSpheres, JointModesPushBothBodiesApartAlike)
{
    // Two equal bodies 0.1 ft into each other, the first closing at 2 ft/s:
    // both the shared joint and the pair of one-sided joints part them and
    // keep the momentum; the one-sided pair, each side taking the other as
    // unmoving for the step, pushes somewhat harder.
    double parted[2][2];
    const int modes[2] = {COLLIDE_JOINT, COLLIDE_ONE_SIDED};
    for (int m = 0; m < 2; m++) {
        SCOPED_TRACE(m);
        TestWorld tw;
        ASSERT_TRUE(tw.ok);
        dWorldSetGravity(tw.w.world, 0, 0, 0);
        dBodyID a = free_body(&tw.w, 0, 0, 0), b = free_body(&tw.w, 1.9, 0, 0);
        dBodySetLinearVel(a, 2, 0, 0);
        const double c1[3] = {0, 0, 0}, c2[3] = {1.9, 0, 0};
        ShapeSphere s = sphere(1, 1, 2000, 100);
        sphere_contact c;
        ASSERT_TRUE(collide_spheres(c1, &s, c2, &s, &c));
        collide_apply(&tw.w, a, b, &c, modes[m]);
        physics_world_step(&tw.w);
        parted[m][0] = dBodyGetLinearVel(a)[0], parted[m][1] = dBodyGetLinearVel(b)[0];
        EXPECT_GT(parted[m][1], 0);
        EXPECT_LT(parted[m][0], 2);
        EXPECT_NEAR(parted[m][0] + parted[m][1], 2, 0.05);  // momentum kept
        dBodyDestroy(a);
        dBodyDestroy(b);
    }
    EXPECT_GE(parted[1][1], parted[0][1]);
    EXPECT_LT(parted[1][1], 2 * parted[0][1]);
}

TEST(CollideSpheres, SphereOnTheGround)
{
    Terrain* t = terrain_create(3, 1.0f, 1.0f);
    ASSERT_NE(t, nullptr);
    struct {
        const char* name;
        double centre[3];
        bool touching;
        double depth;
    } cases[] = {
        {"resting 0.1 deep", {5.3, 1.4, 5.7}, true, 0.1},
        {"centre under the ground", {5.3, 0.8, 5.7}, true, 0.7},
        {"above", {5.3, 1.6, 5.7}, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        double depth, point[3], normal[3];
        ASSERT_EQ(collide_sphere_ground(t, c.centre, 0.5, &depth, point, normal), c.touching);
        if (!c.touching) continue;
        EXPECT_NEAR(depth, c.depth, 1e-9);
        EXPECT_NEAR(normal[1], 1, 1e-9);
        EXPECT_NEAR(point[1], 1, 1e-9);
    }
    terrain_free(t);
}

// A sphere above every corner of the cells around it is not tested against
// their triangles: the corners that count include the far ones of each cell
// and, off the grid, the edge vertices whose heights those cells take.
TEST(CollideSpheres, SpheresNearAPeakAndBeyondTheEdge)
{
    Terrain* t = terrain_create(3, 1.0f, 1.0f);
    ASSERT_NE(t, nullptr);
    const int last = t->dim - 1;
    t->heights[8 + t->dim * 8] = 3;     // a peak at (8, 8)
    t->heights[last + t->dim * 4] = 3;  // a raised edge vertex at (last, 4)
    const double edge = last;
    struct {
        const char* name;
        double centre[3], radius;
        bool touching;
    } cases[] = {
        {"just into the tip", {8, 3.49, 8}, 0.5, true},
        {"just over the tip", {8, 3.51, 8}, 0.5, false},
        // Its cell's far corner is the peak; its near corners are all at 1.
        {"on the flank, below the peak", {7.6, 2.3, 7.6}, 0.3, true},
        {"over the flank, above the peak", {7.6, 3.4, 7.6}, 0.3, false},
        {"beyond the edge, into the ridge", {edge + 4, 3.3, 4}, 0.5, true},
        {"beyond the edge, over the ridge", {edge + 4, 3.6, 4}, 0.5, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        double depth, point[3], normal[3];
        EXPECT_EQ(collide_sphere_ground(t, c.centre, c.radius, &depth, point, normal), c.touching);
    }
    terrain_free(t);
}

TEST(CollideSpheres, TireMeetsASphereAtItsNearestCirclePoint)
{
    TestWorld tw;
    ASSERT_TRUE(tw.ok);
    wheel_record w = {};
    w.body = free_body(&tw.w, 0, 1, 0);
    w.axle[0] = 1;
    w.major_radius = 0.8f;
    w.tube_radius = 0.3f;
    const double other[3] = {0.2, 1, -3};  // ahead of the wheel
    double centre[3];
    ShapeSphere s = collide_tire_sphere(&w, other, centre);
    EXPECT_NEAR(centre[0], 0, 1e-9);
    EXPECT_NEAR(centre[1], 1, 1e-9);
    EXPECT_NEAR(centre[2], -0.8, 1e-6);
    EXPECT_FLOAT_EQ(s.radius, 0.3f);
    EXPECT_FLOAT_EQ(s.friction, 1);
    EXPECT_FLOAT_EQ(s.stiffness, 25000);
    EXPECT_FLOAT_EQ(s.damping, 2500);
    dBodyDestroy(w.body);
}

namespace {

// Two crf250 bikes on a flat terrain, with a rider sphere each.
struct TwoRiders {
    TestWorld tw;
    BikeInfo info = crf250_2008();
    rider_slots* slots = rider_slots_create();
    Terrain* ground = terrain_create(5, 1.0f, -0.1f);
    contact_scene scene;
    int crashed[RIDER_SLOTS] = {};
    collide_statue statue = {};
    const collide_statue* statue_list[1] = {&statue};
    bool with_statue = false;
    Rider* r[2] = {};

    explicit TwoRiders(int second_status = RIDER_ROBOT)
    {
        collide_ops ops = {};
        ops.crash = [](void* self, Rider* who) { ((TwoRiders*)self)->crashed[who->slot]++; };
        ops.statues_near = [](void* self, double, double, const collide_statue* const** out) {
            TwoRiders* t = (TwoRiders*)self;
            *out = t->statue_list;
            return t->with_statue ? 1 : 0;
        };
        ops.self = this;
        contact_scene_init(&scene, ground, &ops);
        Shape rider_shape = {{{{0, 0, 0}, 0.9f, 0.8f, 2500, 250}}, 0.9f};
        for (int k = 0; k < 2; k++) {
            r[k] = rider_create(slots, k, k == 0 ? RIDER_ROBOT : second_status, &tw.w, &info, nullptr, k == 0, nullptr);
            contact_set_shape(&scene, k, SHAPED_RIDER, &rider_shape);
        }
    }
    ~TwoRiders()
    {
        contact_scene_free(&scene);
        rider_slots_free(slots);
        terrain_free(ground);
        physics_world_destroy_contacts(&tw.w);
    }
    void place(int k, double x, double z, double vz)
    {
        rider_reset(r[k]);
        const double offset[3] = {x, 0, z};
        bike_body_move(&r[k]->bike, offset);
        for (dBodyID b : r[k]->bike.body) dBodySetLinearVel(b, 0, 0, vz);
    }
    int& timer(int k) { return scene.rider[k].collision_timer; }
};

}  // namespace

TEST(CollideRiders, TimersFromWhoseFrontWasInvolved)
{
    // Bike 1 stands behind bike 0 (its front tire 0.2 ft into the rear tire
    // of 0) or faces it (front tires 0.2 ft into each other).
    struct {
        const char* name;
        bool head_on;
        double v0, v1;  // ft/s along -z
        int start0, start1, want0, want1;
    } cases[] = {
        {"rear-ended at speed: the struck rider gets 128", false, 12, 12, 0, 0, 128, 0},
        {"striker with a negative timer goes to -640", false, 12, 12, 0, -5, 128, -640},
        {"slow struck rider gets nothing", false, 4, 12, 0, 0, 0, 0},
        {"slow striker changes nothing", false, 12, 3, 0, 0, 0, 0},
        {"head on, both fast: 64 each", true, 12, -12, 0, 0, 64, 64},
        {"head on keeps a longer timer", true, 12, -12, 100, 0, 100, 64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TwoRiders t;
        ASSERT_TRUE(t.tw.ok && t.r[0] && t.r[1] && t.ground);
        t.place(0, 30, 20, -c.v0);
        if (c.head_on) {
            // Bike 1 turned round; front wheel centres 2 (R + r) - 0.2 apart.
            rider_reset(t.r[1]);
            const double up[3] = {0, 1, 0}, offset[3] = {30, 0, 20 + 1.11 + 1.11 - (2 * 1.16666 - 0.2)};
            bike_body_turn(&t.r[1]->bike, up, M_PI);
            bike_body_move(&t.r[1]->bike, offset);
            for (dBodyID b : t.r[1]->bike.body) dBodySetLinearVel(b, 0, 0, -c.v1);
        } else {
            t.place(1, 30, 20 + 6.0 + (0.75 + 0.83333 + 2 * 0.33333 - 0.2) - 1.11, -c.v1);
        }
        t.timer(0) = c.start0, t.timer(1) = c.start1;
        contact_make(&t.scene, t.slots, &t.tw.w, 0);
        EXPECT_EQ(t.timer(0), c.want0);
        EXPECT_EQ(t.timer(1), c.want1);
    }
}

TEST(CollideRiders, BumpedShownRiderBecomesPresent)
{
    struct {
        const char* name;
        float presence, want;
    } cases[] = {{"played back: simulated again", 0, 1}, {"fading out: held at 0.25", 0.2f, 0.25f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TwoRiders t(RIDER_SHOWN);
        ASSERT_TRUE(t.tw.ok && t.r[0] && t.r[1]);
        // Shown rider 1 ahead; the local rider's front tire 0.2 ft into its rear tire.
        t.place(1, 30, 20, 0);
        t.place(0, 30, 20 + 6.0 + (0.75 + 0.83333 + 2 * 0.33333 - 0.2) - 1.11, -12);
        bike_body_set_presence(&t.r[1]->bike, c.presence);
        contact_make(&t.scene, t.slots, &t.tw.w, 0);
        EXPECT_FLOAT_EQ(t.r[1]->bike.presence, c.want);
    }
}

TEST(CollideRiders, FarApartMakeNoContactJoints)
{
    TwoRiders t;
    ASSERT_TRUE(t.tw.ok && t.r[0] && t.r[1]);
    t.place(0, 10, 20, 0);
    t.place(1, 40, 20, 0);
    contact_make(&t.scene, t.slots, &t.tw.w, 0);
    EXPECT_EQ(t.timer(0), 0);
    EXPECT_EQ(t.timer(1), 0);
}

TEST(CollideRiders, CrashTriggers)
{
    struct {
        const char* name;
        bool upside_down, statue;
        double speed;
        int timer;
        int crashes;
    } cases[] = {
        {"upside down on the ground, fast", true, false, 8, 0, 1},
        {"upside down but slow", true, false, 4, 0, 0},
        {"upside down, fast, with a negative collision timer", true, false, 8, -3, 0},
        {"rider against an object above 20 ft/s", false, true, 25, 0, 1},
        {"rider against an object at 15 ft/s", false, true, 15, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TwoRiders t;
        ASSERT_TRUE(t.tw.ok && t.r[0] && t.r[1]);
        rider_destroy(t.slots, 1);
        t.place(0, 30, 20, 0);
        dBodyID rider = t.r[0]->bike.body[BODY_RIDER];
        const dReal* p = dBodyGetPosition(rider);
        if (c.upside_down) {
            dMatrix3 flip;
            dRFromAxisAndAngle(flip, 0, 0, 1, M_PI);
            dBodySetRotation(rider, flip);
            dBodySetPosition(rider, p[0], -0.1 + 0.8, p[2]);  // sphere 0.1 into the ground
        }
        if (c.statue) {
            static const Shape post = {{{{0, 0, 0}, 0.5f, 1, 25000, 2500}}, 0.5f};
            t.with_statue = true;
            t.statue.shape = &post;
            t.statue.position[0] = p[0], t.statue.position[1] = p[1], t.statue.position[2] = p[2] - 1.3;
            dRSetIdentity(t.statue.rotation);
        }
        dBodySetLinearVel(rider, 0, 0, -c.speed);
        t.timer(0) = c.timer;
        contact_make(&t.scene, t.slots, &t.tw.w, 0);
        EXPECT_EQ(t.crashed[0], c.crashes);
    }
}
