#include "sim/tire.h"

#include <math.h>
#include <stdio.h>

#include "base/num.h"
#include "sim/bike_body.h"
#include "sim/contact.h"
#include "track/terrain.h"

void tire_torus(const wheel_record* w, torus_shape* out)
{
    const dReal* p = dBodyGetPosition(w->body);
    dVector3 axle;
    dBodyVectorToWorld(w->body, w->axle[0], w->axle[1], w->axle[2], axle);
    double l = sqrt(axle[0] * axle[0] + axle[1] * axle[1] + axle[2] * axle[2]);
    for (int i = 0; i < 3; i++) {
        out->centre[i] = p[i];
        out->axle[i] = l > 0 ? axle[i] / l : (i == 0);
    }
    out->major_radius = w->major_radius;
    out->tube_radius = w->tube_radius;
}

// True when the triangle cannot touch the tire: with the centre above its
// plane, all of it beyond the tire's width or beyond R + r of the centre.
// (A centre under the plane may be a sunk tire, which is always tested.)
static bool out_of_reach(const torus_shape* tire, const double v[3][3])
{
    const double* c = tire->centre;
    const double* a = tire->axle;
    double side[3];
    for (int k = 0; k < 3; k++) side[k] = (v[k][0] - c[0]) * a[0] + (v[k][1] - c[1]) * a[1] + (v[k][2] - c[2]) * a[2];
    double e1[3], e2[3], n[3], w[3];
    for (int i = 0; i < 3; i++) e1[i] = v[1][i] - v[0][i], e2[i] = v[2][i] - v[0][i], w[i] = c[i] - v[0][i];
    n[0] = e1[1] * e2[2] - e1[2] * e2[1], n[1] = e1[2] * e2[0] - e1[0] * e2[2], n[2] = e1[0] * e2[1] - e1[1] * e2[0];
    if (w[0] * n[0] + w[1] * n[1] + w[2] * n[2] <= 0) return false;
    double r = tire->tube_radius;
    if ((side[0] > r && side[1] > r && side[2] > r) || (side[0] < -r && side[1] < -r && side[2] < -r)) return true;
    double foot[3];
    contact_closest_on_triangle(v, n, c, foot);
    double d2 = 0, reach = tire->major_radius + r;
    for (int i = 0; i < 3; i++) d2 += (c[i] - foot[i]) * (c[i] - foot[i]);
    return d2 > reach * reach;
}

bool tire_deepest_contact(const Terrain* t, const torus_shape* tire, torus_hit* out)
{
    ground_cells g = contact_cell_range(t, tire->centre[0], tire->centre[2], tire->major_radius + tire->tube_radius);
    out->depth = 0;
    bool found = false;
    contact_each_triangle(t, g, [&](const double v[3][3]) {
        if (out_of_reach(tire, v)) return;
        torus_hit hit;
        torus_triangle(tire, v, true, &hit);
        if (hit.depth > out->depth) *out = hit, found = true;
    });
    return found && contact_ground_normal(out->normal);
}

// 0, +1, -1, +2, -2, ... around the middle of lo..hi.
static int middle_out(int lo, int hi, int step)
{
    int middle = lo + (hi - lo) / 2;
    int offset = (step + 1) / 2;
    return step % 2 ? middle + offset : middle - offset;
}

bool tire_first_contact(const Terrain* t, const torus_shape* tire, torus_hit* out)
{
    ground_cells g = contact_cell_range(t, tire->centre[0], tire->centre[2], tire->major_radius + tire->tube_radius);
    int rows = g.k1 - g.k0 + 1, columns = g.i1 - g.i0 + 1;
    // Both ways round the middle until every row is visited.
    for (int rs = 0, seen_rows = 0; seen_rows < rows; rs++) {
        int k = middle_out(g.k0, g.k1, rs);
        if (k < g.k0 || k > g.k1) continue;
        seen_rows++;
        for (int cs = 0, seen = 0; seen < columns; cs++) {
            int i = middle_out(g.i0, g.i1, cs);
            if (i < g.i0 || i > g.i1) continue;
            seen++;
            double tri[2][3][3];
            contact_cell_triangles(t, i, k, tri);
            for (int which = 0; which < 2; which++)
                if (!out_of_reach(tire, tri[which]) && torus_triangle(tire, tri[which], false, out) && out->depth > 0 && contact_ground_normal(out->normal))
                    return true;
        }
    }
    out->depth = 0;
    return false;
}

const TileInfo* tire_surface_at(const Terrain* t, double x, double z)
{
    static const TileInfo fallback = tileinfo_default_entry();
    size_t surface = (size_t)terrain_tile(t, (float)x, (float)z);
    return surface < t->surfaces.entries.size() ? &t->surfaces.entries[surface] : &fallback;
}

float tire_friction(const TileInfo* surface, const float slip_velocity[3], const float ground_velocity[3])
{
    const float* v = slip_velocity;
    float s = sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    float alt = s;
    if (surface->slip_function == 2 && s >= 1.0f / 16) {
        // The contact's travel over the ground along the slip, never more than the slip itself.
        float along = (ground_velocity[0] * v[0] + ground_velocity[1] * v[1] + ground_velocity[2] * v[2]) / s;
        alt = along < -s ? -s : (along > s ? s : along);
    }
    return tileinfo_friction(surface, s, alt);
}

float tire_arcade_friction_scale(float lean_rad)
{
    float share = 4 * fabsf(lean_rad) / (float)PI;
    return 1 - 0.375f * (share < 1 ? share : 1);
}

void tire_stiffness(float depth, float tube_radius, float* k, float* c)
{
    float q = depth / tube_radius;
    if (!(q < 1)) q = 1;
    float q3 = q * q * q;
    *k = 24000 * q3 + 1000;
    *c = 2300 * q3 + 200;
}

void tire_rolling_resistance(const TileInfo* surface, const double velocity[3], const float normal[3], float depth,
                             float tube_radius, double out[3])
{
    double along = velocity[0] * normal[0] + velocity[1] * normal[1] + velocity[2] * normal[2];
    double t[3], w2 = 0;
    for (int i = 0; i < 3; i++) t[i] = velocity[i] - along * normal[i], w2 += t[i] * t[i];
    double w = sqrt(w2);
    float q = depth / tube_radius;
    if (!(q < 1)) q = 1;
    double force = tileinfo_roll_resist(surface, (float)w, q);
    double scale = w > 1 ? force / w : force;  // fades to nothing below 1 ft/s
    for (int i = 0; i < 3; i++) out[i] = -scale * t[i];
}

static void cross(const double a[3], const double b[3], double out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

bool tire_first_direction(const float normal[3], const float slip_velocity[3], const double axle[3], double out[3])
{
    const double n[3] = {normal[0], normal[1], normal[2]}, v[3] = {slip_velocity[0], slip_velocity[1], slip_velocity[2]};
    cross(n, v, out);
    double l2 = out[0] * out[0] + out[1] * out[1] + out[2] * out[2];
    if (l2 < 1.0 / 1024) {
        cross(n, axle, out);
        l2 = out[0] * out[0] + out[1] * out[1] + out[2] * out[2];
        if (!(l2 > 0)) return false;
    }
    double l = sqrt(l2);
    for (int i = 0; i < 3; i++) out[i] /= l;
    return true;
}

void tire_ground_velocity(const wheel_record* w, const float p[3], float out[3])
{
    const dReal* centre = dBodyGetPosition(w->body);
    const dReal* v = dBodyGetLinearVel(w->body);
    const dReal* spin = dBodyGetAngularVel(w->body);
    dVector3 a;
    dBodyVectorToWorld(w->body, w->axle[0], w->axle[1], w->axle[2], a);
    double along = spin[0] * a[0] + spin[1] * a[1] + spin[2] * a[2];
    double rest[3], arm[3], turn[3];
    for (int i = 0; i < 3; i++) rest[i] = spin[i] - along * a[i], arm[i] = p[i] - centre[i];
    cross(rest, arm, turn);
    for (int i = 0; i < 3; i++) out[i] = (float)(v[i] + turn[i]);
}

static void store_hit(wheel_record* w, const torus_hit& hit)
{
    w->depth = (float)hit.depth;
    for (int i = 0; i < 3; i++) {
        w->contact_point[i] = (float)hit.point[i];
        w->contact_normal[i] = (float)hit.normal[i];
    }
    dVector3 v;
    dBodyGetPointVel(w->body, hit.point[0], hit.point[1], hit.point[2], v);
    for (int i = 0; i < 3; i++) w->contact_velocity[i] = (float)v[i];
}

bool tire_contact(physics_world* world, wheel_record* w, const Terrain* ground, float friction_scale)
{
    torus_shape tire;
    tire_torus(w, &tire);
    torus_hit hit;
    if (!tire_deepest_contact(ground, &tire, &hit)) {
        w->depth = 0;
        return false;
    }
    store_hit(w, hit);

    const TileInfo* surface = tire_surface_at(ground, hit.point[0], hit.point[2]);
    float ground_velocity[3];
    tire_ground_velocity(w, w->contact_point, ground_velocity);
    float k, c;
    tire_stiffness(w->depth, w->tube_radius, &k, &c);
    double direction[3];
    bool has_direction = tire_first_direction(w->contact_normal, w->contact_velocity, tire.axle, direction);

    friction_contact contact = {};
    for (int i = 0; i < 3; i++) contact.point[i] = hit.point[i], contact.normal[i] = w->contact_normal[i];
    contact.depth = w->depth;
    contact.mu = tire_friction(surface, w->contact_velocity, ground_velocity) * friction_scale;
    contact.k = k, contact.c = c;
    contact.first_direction = has_direction ? direction : nullptr;
    contact_add_friction_joint(world, w->body, nullptr, &contact, &w->contact_feedback);

    const dReal* v = dBodyGetLinearVel(w->body);
    const double velocity[3] = {v[0], v[1], v[2]};
    double force[3];
    tire_rolling_resistance(surface, velocity, w->contact_normal, w->depth, w->tube_radius, force);
    if (isfinite(force[0]) && isfinite(force[1]) && isfinite(force[2])) dBodyAddForce(w->body, force[0], force[1], force[2]);
    return true;
}

void tire_query(wheel_record* w, const Terrain* ground, int tick, int* stamp)
{
    if (*stamp == tick) return;
    *stamp = tick;
    torus_shape tire;
    tire_torus(w, &tire);
    torus_hit hit;
    if (tire_first_contact(ground, &tire, &hit))
        store_hit(w, hit);
    else
        w->depth = 0;
}

tire_reading tire_read(const wheel_record* w)
{
    tire_reading r = {};
    r.depth = w->depth;
    r.has_contact = w->depth > 0;
    if (!r.has_contact) return r;
    for (int i = 0; i < 3; i++) r.point[i] = w->contact_point[i], r.slip[i] = w->contact_velocity[i];
    tire_ground_velocity(w, w->contact_point, r.ground_velocity);
    return r;
}

std::string tire_debug_text(const wheel_record* w, const float push[2])
{
    if (!(w->depth > 0)) return "";
    const dReal* v = dBodyGetLinearVel(w->body);
    const float* s = w->contact_velocity;
    double speed = sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    double slip = sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    double h = sqrt(v[0] * v[0] + v[2] * v[2]);
    double bx = h > 0 ? v[0] / h : 0, bz = h > 0 ? v[2] / h : 0;
    const dReal* f = w->contact_feedback.f1;
    double fx = -(f[2] * bx - f[0] * bz), fz = -(f[0] * bx + f[2] * bz);
    double pfx = -(push[1] * bx - push[0] * bz), pfz = -(push[0] * bx + push[1] * bz);
    char text[256];
    snprintf(text, sizeof text, "speed=%.2f\nslip=%.2f\nfx=%.2f\nfz=%.2f\npfx=%.2f\npfz=%.2f\n", speed, slip, fx, fz,
             pfx, pfz);
    return text;
}

std::string tire_debug_marker(const wheel_record* front, const float front_push[2], const wheel_record* rear,
                              const float rear_push[2])
{
    return "front:\n" + tire_debug_text(front, front_push) + "rear:\n" + tire_debug_text(rear, rear_push);
}

wheel_deformation tire_deformation_record(const wheel_record* w, bool is_front)
{
    wheel_deformation d = {};
    const dReal* v = dBodyGetLinearVel(w->body);
    for (int i = 0; i < 3; i++) {
        d.point[i] = w->contact_point[i];
        d.contact_velocity[i] = w->contact_velocity[i];
        d.normal[i] = w->contact_normal[i];
        d.force[i] = (float)w->contact_feedback.f1[i];
        d.body_velocity[i] = (float)v[i];
    }
    d.depth = w->depth;
    d.is_front = is_front;
    return d;
}

wheel_spray tire_spray_record(const wheel_record* w, bool is_front, int roost_density_percent, double uniform01)
{
    int density = roost_density_percent < 0 ? 0 : roost_density_percent;
    wheel_spray s;
    s.wheel = w;
    s.particles = density / 100 + (uniform01 * 100 < density % 100 ? 1 : 0);
    s.angle_limit = is_front ? (float)(PI / 8) : (float)(2 * PI);
    return s;
}
