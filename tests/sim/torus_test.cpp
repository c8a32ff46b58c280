// The tire-against-triangle test: each case in the order it is tried, and an
// independent brute-force check of depth, point and normal.
#include <gtest/gtest.h>
#include <math.h>

#include <random>

#include "sim/contact.h"
#include "sim/torus.h"

namespace {

constexpr double R = 0.83333, r = 0.33333;

struct tri {
    double v[3][3];
};

// Orders the corners so that (v1 - v0) x (v2 - v0) has a positive y (out of the ground).
tri ground(const double a[3], const double b[3], const double c[3])
{
    tri t;
    double e1[3], e2[3];
    for (int i = 0; i < 3; i++) e1[i] = b[i] - a[i], e2[i] = c[i] - a[i];
    bool up = e1[2] * e2[0] - e1[0] * e2[2] > 0;
    for (int i = 0; i < 3; i++) t.v[0][i] = a[i], t.v[1][i] = up ? b[i] : c[i], t.v[2][i] = up ? c[i] : b[i];
    return t;
}

torus_shape wheel(double x, double y, double z, double ax = 1, double ay = 0, double az = 0)
{
    double l = sqrt(ax * ax + ay * ay + az * az);
    return {{x, y, z}, {ax / l, ay / l, az / l}, R, r};
}

void unit(double* v)
{
    double l = sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int i = 0; i < 3; i++) v[i] /= l;
}

}  // namespace

TEST(TorusTriangle, EachCaseInItsOrder)
{
    const double big[3][3] = {{-10, 0, -10}, {10, 0, -10}, {0, 0, 10}};
    const double strip[3][3] = {{-1, 0, 0.3}, {1, 0, 0.3}, {0, 0, 2}};
    const double ahead[3][3] = {{-2, 0, 0.3}, {2, 0, 0.3}, {0, 0, 3}};
    const double beside[3][3] = {{0.2, 0.5, 0}, {2, 0.5, -1}, {2, 0.5, 1}};
    struct {
        const char* name;
        const double (*v)[3];
        torus_shape tire;
        int which;
        double depth;
        double normal[3];  // unit expected; zero vector = not checked
        bool query_hits;   // the cheap query (no edges or vertices) finds it
    } cases[] = {
        {"sunk below a big triangle", big, wheel(0, -1, 0), TORUS_SUNK, 2 * R, {0, 1, 0}, true},
        {"lowest point below, centre over the triangle", big, wheel(0, 0.8, 0), TORUS_PLANE_BELOW, r + (R - 0.8), {0, 1, 0}, true},
        {"an edge pierces the disc", strip, wheel(0, 0.5, 0), TORUS_EDGE_CROSSING, r - 1.0 / 1048576, {}, true},
        {"lowest point above the plane", big, wheel(0, 1.0, 0), TORUS_PLANE_ABOVE, r - (1.0 - R), {0, 1, 0}, true},
        {"well above: no contact", big, wheel(0, 2.0, 0), TORUS_PLANE_ABOVE, r - (2.0 - R), {0, 1, 0}, true},
        {"tread meets an edge ahead", ahead, wheel(0, 0.9, 0), TORUS_EDGE, r - (sqrt(0.81 + 0.09) - R), {}, false},
        {"vertex pokes the side wall", beside, wheel(0, 0.9, 0), TORUS_VERTEX, r - 0.2, {-1, 0, 0}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tri t = ground(c.v[0], c.v[1], c.v[2]);
        torus_hit hit;
        ASSERT_TRUE(torus_triangle(&c.tire, t.v, true, &hit));
        EXPECT_EQ(hit.which, c.which);
        EXPECT_NEAR(hit.depth, c.depth, 1e-6);
        if (c.normal[0] != 0 || c.normal[1] != 0 || c.normal[2] != 0) {
            unit(hit.normal);
            for (int i = 0; i < 3; i++) EXPECT_NEAR(hit.normal[i], c.normal[i], 1e-9);
        }
        torus_hit quick;
        EXPECT_EQ(torus_triangle(&c.tire, t.v, false, &quick), c.query_hits);
        if (c.query_hits)
            EXPECT_EQ(quick.which, c.which);
        else
            EXPECT_EQ(quick.depth, 0);
    }
}

TEST(TorusTriangle, SunkOnlyCountsWithTheCentreOverTheTriangle)
{
    // Deep under a small triangle that is off to the side: the edges decide.
    const double a[3] = {3, 0, 3}, b[3] = {4, 0, 3}, c[3] = {3, 0, 4};
    tri t = ground(a, b, c);
    torus_shape tire = wheel(0, -1, 0);
    torus_hit hit;
    ASSERT_TRUE(torus_triangle(&tire, t.v, true, &hit));
    EXPECT_NE(hit.which, TORUS_SUNK);
    EXPECT_LT(hit.depth, 0);
}

TEST(TorusTriangle, WheelLyingFlatStillHasALowestPoint)
{
    // Axle along the normal: every circle point is equally low.
    const double a[3] = {-10, 0, -10}, b[3] = {10, 0, -10}, c[3] = {0, 0, 10};
    tri t = ground(a, b, c);
    torus_shape tire = wheel(0, 0.2, 0, 0, 1, 0);
    torus_hit hit;
    ASSERT_TRUE(torus_triangle(&tire, t.v, true, &hit));
    EXPECT_EQ(hit.which, TORUS_PLANE_ABOVE);
    EXPECT_NEAR(hit.depth, r - 0.2, 1e-9);
    EXPECT_TRUE(isfinite(hit.point[0]) && isfinite(hit.point[1]) && isfinite(hit.point[2]));
}

// ---- Independent check: the tire surface is every point within r of its
// centre circle, so the depth is r minus the signed distance between the
// circle and the triangle (negative below the face). The circle is sampled
// densely and each sample measured exactly against the triangle (with the
// sphere contact's closest-point routine, which the torus test does not use).

namespace {

struct oracle {
    double depth;
    double point[3];
    double normal[3];
};

double dot3(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

oracle brute_force(const torus_shape& t, const double v[3][3])
{
    // Two unit vectors spanning the circle's plane.
    const double* a = t.axle;
    double u[3] = {0, 0, 0};
    u[fabs(a[0]) < 0.6 ? 0 : 1] = 1;
    double ua = dot3(u, a);
    for (int i = 0; i < 3; i++) u[i] -= ua * a[i];
    unit(u);
    double w[3] = {a[1] * u[2] - a[2] * u[1], a[2] * u[0] - a[0] * u[2], a[0] * u[1] - a[1] * u[0]};
    double n[3], e1[3], e2[3];
    for (int i = 0; i < 3; i++) e1[i] = v[1][i] - v[0][i], e2[i] = v[2][i] - v[0][i];
    n[0] = e1[1] * e2[2] - e1[2] * e2[1], n[1] = e1[2] * e2[0] - e1[0] * e2[2], n[2] = e1[0] * e2[1] - e1[1] * e2[0];
    unit(n);

    oracle best = {-INFINITY, {}, {}};
    const int samples = 10000;  // 0.00063 rad apart
    for (int k = 0; k < samples; k++) {
        double angle = 2 * M_PI * k / samples, q[3], foot[3];
        for (int i = 0; i < 3; i++) q[i] = t.centre[i] + t.major_radius * (cos(angle) * u[i] + sin(angle) * w[i]);
        bool face = contact_closest_on_triangle(v, n, q, foot);
        double off[3];
        for (int i = 0; i < 3; i++) off[i] = q[i] - foot[i];
        double distance = sqrt(dot3(off, off));
        if (face && dot3(off, n) < 0) distance = -distance;
        double depth = t.tube_radius - distance;
        if (depth <= best.depth) continue;
        best.depth = depth;
        for (int i = 0; i < 3; i++) {
            best.normal[i] = face ? n[i] : off[i];
            best.point[i] = face ? q[i] - t.tube_radius * n[i] : foot[i];
        }
        unit(best.normal);
    }
    return best;
}

}  // namespace

TEST(TorusTriangle, AgreesWithBruteForce)
{
    // Depth within 1e-4 ft; point within 1e-3 ft and unit normal within 5e-3,
    // since four Newton steps settle a double root only to about R/16000.
    const double flat[3][3] = {{-5, 0, -5}, {5, 0, -5}, {0, 0, 6}};
    const double tilted[3][3] = {{-5, -1, -5}, {5, 1.5, -5}, {0, 2.5, 6}};
    const double steep[3][3] = {{-4, 0, 0.6}, {4, 0, 0.6}, {0, 5, 2}};
    const double ledge[3][3] = {{-3, 0, 0.4}, {3, 0, 0.4}, {0, -0.2, 4}};
    const double cliff_top[3][3] = {{-3, 0, 0.3}, {3, 0, 0.3}, {0, -3, 1.0}};  // a drop-off
    const double spike[3][3] = {{0.1, 0, 0.05}, {-1, -2, 1.5}, {1, -2, 1.6}};
    const double side_spike[3][3] = {{0.05, 0.02, -0.2}, {0.8, -2, 1.2}, {1.5, -2, -1}};
    struct {
        const char* name;
        const double (*v)[3];
        torus_shape tire;
    } cases[] = {
        {"flat, resting", flat, wheel(0.3, 1.0, 0.2)},
        {"flat, pressed in", flat, wheel(0.3, 0.7, 0.2)},
        {"flat, leaning wheel", flat, wheel(0.3, 0.8, 0.2, 1, 0.4, 0.1)},
        {"tilted plane", tilted, wheel(0.5, 1.9, 0.3, 1, 0, 0.2)},
        {"tilted plane, sunk in", tilted, wheel(0.5, 1.4, 0.3, 1, 0.1, 0.2)},
        {"steep face ahead", steep, wheel(0, 0.9, 0)},
        {"edge of a ledge", ledge, wheel(0, 0.95, 0)},
        {"edge-on to a cliff top", cliff_top, wheel(0.1, 0.8, -0.2, 1, 0.2, 0)},
        {"vertex under the tread", spike, wheel(0.05, 1.1, 0.12)},
        {"vertex near the shoulder", side_spike, wheel(0, 1.05, 0, 1, 0.3, 0.1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tri t = ground(c.v[0], c.v[1], c.v[2]);
        torus_hit hit;
        ASSERT_TRUE(torus_triangle(&c.tire, t.v, true, &hit));
        oracle want = brute_force(c.tire, t.v);
        EXPECT_NEAR(hit.depth, want.depth, 1e-4) << "case " << hit.which;
        unit(hit.normal);
        for (int i = 0; i < 3; i++) {
            EXPECT_NEAR(hit.point[i], want.point[i], 1e-3);
            EXPECT_NEAR(hit.normal[i], want.normal[i], 5e-3);
        }
    }
}

TEST(TorusTriangle, EdgeSearchAgreesWithBruteForceOnRandomPoses)
{
    // Tires near triangles whose face they do not cut: edges and vertices
    // decide. The refined roots may fall short of the nearest point (four
    // Newton steps), so the search never reports more depth than the truth
    // agrees within 1e-4 ft in most poses (in all of them with
    // more steps) and within 0.01 ft in every one.
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1, 1);
    int checked = 0, agreed = 0;
    for (int k = 0; k < 400; k++) {
        double v[3][3];
        for (int j = 0; j < 3; j++)
            for (int i = 0; i < 3; i++) v[j][i] = 1.5 * u(rng);
        // Drawn last argument first, in statements: the order in which a
        // compiler evaluates call arguments is its own choice, and the poses
        // must not depend on it.
        double pose[6];
        for (int i = 5; i >= 0; i--) pose[i] = u(rng);
        torus_shape tire = wheel(pose[0], pose[1], pose[2], pose[3], pose[4], pose[5]);
        torus_hit hit;
        ASSERT_TRUE(torus_triangle(&tire, v, true, &hit));
        if (hit.which != TORUS_EDGE) continue;
        oracle want = brute_force(tire, v);
        if (want.depth > r - 1e-3 || want.depth < -0.5) continue;  // cuts the face, or far away
        SCOPED_TRACE(k);
        EXPECT_LE(hit.depth, want.depth + 1e-5);  // sampling error
        checked++;
        agreed += fabs(hit.depth - want.depth) < 1e-4;
        EXPECT_LT(want.depth - hit.depth, 0.01);
    }
    EXPECT_GT(checked, 40);
    EXPECT_GE(agreed * 10, checked * 8);
    printf("edge search: %d of %d random poses within 1e-4 ft\n", agreed, checked);
}
