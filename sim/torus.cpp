#include "sim/torus.h"

#include <math.h>

namespace {

struct v3 {
    double x, y, z;
};

v3 load(const double* p) { return {p[0], p[1], p[2]}; }
void store(v3 v, double* p) { p[0] = v.x, p[1] = v.y, p[2] = v.z; }
v3 operator+(v3 a, v3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
v3 operator-(v3 a, v3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
v3 operator*(double s, v3 a) { return {s * a.x, s * a.y, s * a.z}; }
double dot(v3 a, v3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
v3 cross(v3 a, v3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
v3 unit(v3 a)
{
    double l2 = dot(a, a);
    return l2 > 0 ? (1 / sqrt(l2)) * a : a;
}

constexpr double TOUCH = 1.0 / 1048576;       // 2^-20 ft: "touching" distance and depth margin
constexpr double FLAT_DERIVATIVE = 9.313225746154785e-10;  // 2^-30

struct tire_frame {
    v3 c, a;
    double R, r;
};

// The part of w perpendicular to the axle.
v3 perpendicular(const tire_frame& t, v3 w) { return w - dot(w, t.a) * t.a; }

// Unit direction in the circle's plane towards w; when w has no such part,
// the first coordinate axis that does.
v3 circle_direction(const tire_frame& t, v3 w)
{
    v3 p = perpendicular(t, w);
    double limit = t.R * 1e-6;
    if (dot(p, p) < limit) {
        const v3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        for (v3 e : axes) {
            p = perpendicular(t, e);
            if (dot(p, p) >= limit) break;
        }
    }
    return unit(p);
}

v3 nearest_circle_point(const tire_frame& t, v3 p) { return t.c + t.R * circle_direction(t, p - t.c); }

// Inside the triangle, points on the plane (edges count as inside).
bool inside(const v3 v[3], v3 n, v3 p)
{
    for (int i = 0; i < 3; i++)
        if (dot(cross(v[(i + 1) % 3] - v[i], p - v[i]), n) < 0) return false;
    return true;
}

// Inside the triangle as seen from above (x and z only).
bool inside_from_above(const v3 v[3], v3 n, v3 p)
{
    if (n.y == 0) return false;
    for (int i = 0; i < 3; i++) {
        v3 e = v[(i + 1) % 3] - v[i], w = p - v[i];
        double side = e.z * w.x - e.x * w.z;  // y of e x w
        if (side * n.y < 0) return false;
    }
    return true;
}

void set_hit(torus_hit* out, int which, double depth, v3 point, v3 normal)
{
    out->which = which;
    out->depth = depth;
    store(point, out->point);
    store(normal, out->normal);
}

// The stationary points of the squared distance from E(s) = v + s e to the
// circle solve (P.e)^2 |Pp|^2 = R^2 (Pp.ep)^2 with P = E(s) - c and Pp, ep
// the parts perpendicular to the axle: a quartic in s.
struct edge_quartic {
    double alpha, beta;          // P.e = alpha + beta s
    double gamma, delta, eps;    // |Pp|^2 = gamma + 2 delta s + eps s^2; Pp.ep = delta + eps s
    double R2;
};

double quartic(const edge_quartic& q, double s)
{
    double pe = q.alpha + q.beta * s, pp = q.gamma + 2 * q.delta * s + q.eps * s * s, pep = q.delta + q.eps * s;
    return pe * pe * pp - q.R2 * pep * pep;
}

double quartic_slope(const edge_quartic& q, double s)
{
    double pe = q.alpha + q.beta * s, pp = q.gamma + 2 * q.delta * s + q.eps * s * s, pep = q.delta + q.eps * s;
    return 2 * q.beta * pe * pp + pe * pe * 2 * pep - 2 * q.R2 * q.eps * pep;
}

double newton(const edge_quartic& q, double s)
{
    double f = quartic(q, s);
    for (int step = 0; step < 4; step++) {
        double slope = quartic_slope(q, s);
        if (fabs(slope) < FLAT_DERIVATIVE) break;
        double next = s - f / slope, fn = quartic(q, next);
        if (fabs(fn) > fabs(f)) break;
        s = next, f = fn;
    }
    return s < 0 ? 0 : (s > 1 ? 1 : s);
}

struct edge_result {
    v3 point, circle;
    double distance;
};

edge_result edge_distance(const tire_frame& t, v3 v, v3 e)
{
    v3 p0 = v - t.c, ep = perpendicular(t, e), p0p = perpendicular(t, p0);
    edge_quartic q = {dot(p0, e), dot(e, e), dot(p0p, p0p), dot(p0p, ep), dot(ep, ep), t.R * t.R};
    double s0 = q.beta > 0 ? -q.alpha / q.beta : 0;
    double u = q.eps < t.R * 1e-6 || q.beta <= 0 ? t.R / 1000 : t.R * sqrt(q.eps) / q.beta;
    edge_result best = {};
    for (int k = 0; k < 2; k++) {
        double s = newton(q, k == 0 ? s0 - u : s0 + u);
        v3 point = v + s * e, circle = nearest_circle_point(t, point);
        double distance = sqrt(dot(point - circle, point - circle));
        if (k == 0 || distance < best.distance) best = {point, circle, distance};
    }
    return best;
}

// Edges and vertices: the feature nearest to the circle (vertices to the disc).
void edges_and_vertices(const tire_frame& t, const v3 v[3], v3 n, torus_hit* out)
{
    int best_edge = -1, best_vertex = -1;
    edge_result edges[3];
    double best = INFINITY;
    for (int i = 0; i < 3; i++) {
        edges[i] = edge_distance(t, v[i], v[(i + 1) % 3] - v[i]);
        if (edges[i].distance < best) best = edges[i].distance, best_edge = i;
    }
    for (int k = 0; k < 3; k++) {
        v3 offset = perpendicular(t, v[k] - t.c);
        double length = sqrt(dot(offset, offset));
        if (length > t.R) offset = (t.R / length) * offset;
        v3 disc = t.c + offset;
        double distance = sqrt(dot(v[k] - disc, v[k] - disc));
        if (distance < best) best = distance, best_vertex = k;
    }
    if (best_vertex >= 0) {
        v3 normal = dot(v[best_vertex] - t.c, t.a) > 0 ? -1.0 * t.a : t.a;
        set_hit(out, TORUS_VERTEX, t.r - best, v[best_vertex], normal);
        return;
    }
    const edge_result& r = edges[best_edge];
    if (r.distance > TOUCH) {
        set_hit(out, TORUS_EDGE, t.r - r.distance, r.point, r.circle - r.point);
        return;
    }
    // The edge touches the centre circle: push out across the edge, along the tire's surface.
    v3 e = v[(best_edge + 1) % 3] - v[best_edge], tangent = cross(r.circle - t.c, t.a);
    if (dot(tangent, n) < 0) tangent = -1.0 * tangent;
    v3 normal = cross(e, tangent);
    normal = dot(normal, normal) < TOUCH ? unit(n) : unit(normal);
    set_hit(out, TORUS_EDGE, t.r - r.distance, r.circle - t.r * normal, normal);
}

}  // namespace

void torus_nearest_circle_point(const torus_shape* tire, const double p[3], double out[3])
{
    tire_frame t = {load(tire->centre), load(tire->axle), tire->major_radius, tire->tube_radius};
    store(nearest_circle_point(t, load(p)), out);
}

bool torus_triangle(const torus_shape* tire, const double vertices[3][3], bool with_edges, torus_hit* out)
{
    tire_frame t = {load(tire->centre), load(tire->axle), tire->major_radius, tire->tube_radius};
    const v3 v[3] = {load(vertices[0]), load(vertices[1]), load(vertices[2])};
    v3 n = cross(v[1] - v[0], v[2] - v[0]);
    double n_length = sqrt(dot(n, n));
    v3 un = unit(n);
    set_hit(out, TORUS_NO_CASE, 0, t.c, un);

    v3 d = circle_direction(t, -1.0 * n);  // lowest direction of the circle against the plane
    v3 low = t.c + t.R * d, high = t.c - t.R * d;
    double low_side = dot(low - v[0], n), high_side = dot(high - v[0], n);

    if (low_side <= 0) {
        if (high_side <= 0) {
            if (inside_from_above(v, n, t.c)) {
                set_hit(out, TORUS_SUNK, 2 * t.R, low, {0, 1, 0});
                return true;
            }
        } else {
            double dn = dot(d, n);
            v3 x = dn != 0 ? t.c + (dot(v[0] - t.c, n) / dn) * d : t.c;
            if (inside(v, n, x)) {
                double below = -low_side / n_length;
                set_hit(out, TORUS_PLANE_BELOW, t.r + below, nearest_circle_point(t, low) - t.r * un, un);
                return true;
            }
            for (int i = 0; i < 3; i++) {
                v3 a = v[i], b = v[(i + 1) % 3];
                if (dot(cross(b - a, x - a), n) >= 0) continue;  // x is not outside this edge
                double sa = dot(a - t.c, t.a), sb = dot(b - t.c, t.a);
                if ((sa > 0) == (sb > 0)) continue;
                v3 y = a + (sa / (sa - sb)) * (b - a);
                if (dot(y - t.c, y - t.c) >= t.R * t.R) continue;
                v3 tangent = cross(y - t.c, t.a);
                if (dot(tangent, n) < 0) tangent = -1.0 * tangent;
                v3 normal = unit(cross(b - a, tangent));
                set_hit(out, TORUS_EDGE_CROSSING, t.r - TOUCH, nearest_circle_point(t, y) - t.r * normal, normal);
                return true;
            }
        }
    } else {
        v3 projection = low - (low_side / (n_length * n_length)) * n;
        if (inside(v, n, projection)) {
            double above = low_side / n_length;
            set_hit(out, TORUS_PLANE_ABOVE, t.r - above, nearest_circle_point(t, projection) - t.r * un, un);
            return true;
        }
    }
    if (!with_edges) return false;
    edges_and_vertices(t, v, n, out);
    return true;
}
